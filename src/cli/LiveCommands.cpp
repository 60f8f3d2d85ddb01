// quorlin-cli audition and take: the sound the instrument plays now, never its memory.
#include "cli/LiveCommands.h"

#include <cstdio>
#include <string>
#include <vector>

#include "bank/BankCompare.h"
#include "bank/BankFiles.h"
#include "bank/SysExData.h"
#include "cli/CliExit.h"
#include "cli/CliSupport.h"
#include "cli/TransferCommands.h"
#include "mks80/Messages.h"
#include "mks80/SoundTracker.h"
#include "ops/FileOps.h"
#include "ops/LinkSession.h"
#include "ops/LiveOps.h"
#include "platform/CommandLine.h"

namespace {

constexpr int kDefaultWaitSeconds = 60;
constexpr int kMaxWaitSeconds = 86400;

struct LiveArgs {
    std::vector<std::string> positional;
    std::string device;  // --out for audition, --in for take
    int channel = 1;
    int wait = kDefaultWaitSeconds;
    std::string output;  // take: -o
};

// Sorts the arguments of in_command; in_deviceOption is the one device it takes.
int ParseLiveArgs(const std::vector<std::string>& in_args, const std::string& in_command,
                  const std::string& in_deviceOption, LiveArgs& out_args) {
    const bool take = in_command == "take";
    for (size_t i = 0; i < in_args.size(); ++i) {
        const std::string& arg = in_args[i];
        const bool hasValue = i + 1 < in_args.size();
        const std::string value = hasValue ? in_args[i + 1] : "";
        if (arg == in_deviceOption) {
            if (!hasValue || value.empty()) {
                return UsageError(arg + " needs a device id or name from quorlin-cli ports");
            }
            out_args.device = value;
            ++i;
        } else if (arg == "--channel") {
            if (!hasValue || !platform::ParseWholeNumber(value, 1, 16, out_args.channel)) {
                return UsageError("--channel needs a MIDI channel from 1 to 16");
            }
            ++i;
        } else if (take && arg == "--wait") {
            if (!hasValue ||
                !platform::ParseWholeNumber(value, 1, kMaxWaitSeconds, out_args.wait)) {
                return UsageError("--wait needs seconds from 1 to " +
                                  std::to_string(kMaxWaitSeconds));
            }
            ++i;
        } else if (take && arg == "-o") {
            if (!hasValue || value.empty()) {
                return UsageError("-o needs the name of the bank file to write");
            }
            out_args.output = value;
            ++i;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError("unknown option " + arg + " for " + in_command);
        } else {
            out_args.positional.push_back(arg);
        }
    }
    if (out_args.device.empty()) {
        return UsageError(in_command + " needs " + in_deviceOption + " DEV");
    }
    return kExitOk;
}

// Says why a message about the sound did not go; the exit code.
int SendFailure(LiveSendResult in_result, const std::string& in_device) {
    if (in_result == LiveSendResult::NoPort) {
        return Fail(kExitUsage, "the MIDI output " + in_device + " could not be opened");
    }
    return Fail(kExitTransfer, "the MIDI output " + in_device + " refused the sound");
}

}  // namespace

int RunAuditionCommand(std::vector<std::string> in_args) {
    InputRules rules;
    rules.force = TakeFlag(in_args, "--force");
    LiveArgs args;
    if (int code = ParseLiveArgs(in_args, "audition", "--out", args); code != kExitOk) {
        return code;
    }
    if (args.positional.size() != 3) {
        return UsageError("audition takes a file name, an entry number and patch or tone");
    }
    int index = -1;
    bool tone = false;
    if (int code = ParseEntry("audition", args.positional[1], args.positional[2], index, tone);
        code != kExitOk) {
        return code;
    }
    CNullBankView view;
    CSysExData bank(&view);
    if (int code = ReadInput(args.positional[0], bank, rules)) {
        return code;
    }
    // Only the sound it plays now: the instrument's memory is never written from here.
    const std::vector<std::vector<uint8_t>> messages = ops::AuditionMessages(
        bank, tone ? EntryKind::Tone : EntryKind::Patch, index, mks80::DeviceByte(args.channel));
    return RunInLinkSession("", args.device, args.channel, [&](ops::LinkSession& io_session) {
        const LiveSendResult sent = io_session.SendLive(messages);
        return sent == LiveSendResult::Sent ? kExitOk : SendFailure(sent, args.device);
    });
}

namespace {

// The announced sound into io_bank: the patch into entry in_index, its tones into the
// tones it names. Returns the line that says so.
std::string StoreSound(const mks80::SoundTracker& in_tracker, int in_index, CSysExData& io_bank) {
    const mks80::CurrentSound& sound = in_tracker.Sound();
    const int upper = sound.patch[mks80::PATCH_UPPER_TONE_BYTE];
    const int lower = sound.patch[mks80::PATCH_LOWER_TONE_BYTE];
    // Through SetData, so an empty entry becomes a loaded one. Where both halves name
    // one tone, the upper tone is the one kept.
    io_bank.GetPatch(in_index)->SetData(sound.patch.data());
    io_bank.GetTone(lower)->SetData(sound.lowerTone.data());
    io_bank.GetTone(upper)->SetData(sound.upperTone.data());
    std::string line =
        "Took patch " + EntryNumber(in_tracker.Program()) + " into patch " + EntryNumber(in_index);
    if (upper == lower) {
        line += ", tone " + EntryNumber(upper);
    } else {
        line += ", tones " + EntryNumber(upper) + " and " + EntryNumber(lower);
    }
    return line + "\n";
}

}  // namespace

int RunTakeCommand(std::vector<std::string> in_args) {
    InputRules rules;
    rules.wholeBank = true;
    rules.partial = TakeFlag(in_args, "--partial");
    rules.force = TakeFlag(in_args, "--force");
    LiveArgs args;
    if (int code = ParseLiveArgs(in_args, "take", "--in", args); code != kExitOk) {
        return code;
    }
    if (args.positional.size() != 2) {
        return UsageError("take takes a file name and an entry number");
    }
    int index = -1;
    if (int code = ParseEntryNumber(args.positional[1], index); code != kExitOk) {
        return code;
    }
    const std::string target = args.output.empty() ? args.positional[0] : args.output;
    // A recorded dump keeps no names; only a bank file can keep every one of them.
    if (ops::FormatOfName(target) != ops::FileFormat::BankFile) {
        return UsageError(target + ": names are kept only in a bank file ending in .m80");
    }
    CNullBankView view;
    CSysExData bank(&view);
    BankReadReport report;
    if (int code = ReadInput(args.positional[0], bank, rules, &report)) {
        return code;
    }
    KeepEmptyNames(bank, report);
    mks80::SoundTracker tracker(mks80::DeviceByte(args.channel));
    return RunInLinkSession(args.device, "", args.channel, [&](ops::LinkSession& io_session) {
        const auto end = io_session.Listen(
            [&](const std::vector<uint8_t>& in_message) {
                // Anything but a whole announcement on our channel is let go.
                return tracker.Take(in_message.data(), in_message.size()) ==
                       mks80::SoundTracker::Outcome::Announced;
            },
            int64_t(args.wait) * 1000,
            [&] {
                (void)Fail(0, "waiting up to " + std::to_string(args.wait) +
                                  " s for the MKS-80 to announce a patch (select one on it)");
            });
        if (end == ops::LinkSession::ListenEnd::NoInput) {
            return Fail(kExitUsage, "the MIDI input " + args.device + " could not be opened");
        }
        if (end == ops::LinkSession::ListenEnd::TimedOut) {
            return Fail(kExitTransfer, "the MKS-80 announced no patch within " +
                                           std::to_string(args.wait) + " s; nothing was written");
        }
        const std::string line = StoreSound(tracker, index, bank);
        if (int code = WriteOutput(target, BankFileBytes(bank)); code != kExitOk) {
            return code;
        }
        return Print(line);
    });
}
