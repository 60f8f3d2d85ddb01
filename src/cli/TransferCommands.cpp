// quorlin-cli ports, get, send and verify: the MIDI link in a session that waits for
// each transfer, over the machine's MIDI ports with the built-in virtual MKS-80 last.
#include "cli/TransferCommands.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bank/BankFiles.h"
#include "bank/SysExData.h"
#include "cli/CliExit.h"
#include "cli/CliSupport.h"
#include "cli/LibraryCommands.h"
#include "midi/MidiService.h"
#include "midi/Mks80Engine.h"
#include "ops/LinkSession.h"
#include "ops/MidiServices.h"
#include "ops/TransferOps.h"
#include "platform/CommandLine.h"
#include "platform/Fatal.h"
#include "platform/Prompter.h"

namespace {

constexpr int kDefaultDelayMs = 300;
constexpr int kMaxDelayMs = 60000;

struct TransferArgs {
    std::string in;  // a device id or name
    std::string out;
    int channel = 1;
    int delay = kDefaultDelayMs;
    std::string output;  // get: -o FILE
    std::string file;    // send: FILE
};

// Reads the options of get (-o FILE), send or verify (a FILE); returns kExitOk or the
// exit code of the usage error after saying what is wrong.
int ParseTransferArgs(const std::vector<std::string>& in_args, const std::string& in_command,
                      TransferArgs& out_args) {
    const bool wantOutput = in_command == "get";
    for (size_t i = 0; i < in_args.size(); ++i) {
        const std::string& arg = in_args[i];
        const bool hasValue = i + 1 < in_args.size();
        const std::string value = hasValue ? in_args[i + 1] : "";
        if (arg == "--in" || arg == "--out") {
            if (!hasValue || value.empty()) {
                return UsageError(arg + " needs a device id or name from quorlin-cli ports");
            }
            (arg == "--in" ? out_args.in : out_args.out) = value;
            ++i;
        } else if (arg == "--channel") {
            if (!hasValue || !platform::ParseWholeNumber(value, 1, 16, out_args.channel)) {
                return UsageError("--channel needs a MIDI channel from 1 to 16");
            }
            ++i;
        } else if (arg == "--delay") {
            if (!hasValue || !platform::ParseWholeNumber(value, 0, kMaxDelayMs, out_args.delay)) {
                return UsageError("--delay needs milliseconds from 0 to " +
                                  std::to_string(kMaxDelayMs));
            }
            ++i;
        } else if (wantOutput && arg == "-o") {
            if (!hasValue || value.empty()) {
                return UsageError("-o needs the name of the bank file to write");
            }
            out_args.output = value;
            ++i;
        } else if (!arg.empty() && arg[0] == '-') {
            return UsageError("unknown option " + arg + " for " + in_command);
        } else if (!wantOutput && out_args.file.empty()) {
            out_args.file = arg;
        } else {
            return UsageError("unexpected argument " + arg + " for " + in_command);
        }
    }
    if (out_args.in.empty() || out_args.out.empty()) {
        return UsageError(in_command + " needs --in DEV and --out DEV");
    }
    if (wantOutput && out_args.output.empty()) {
        return UsageError("get needs -o FILE.m80");
    }
    if (!wantOutput && out_args.file.empty()) {
        return UsageError(in_command + " needs the bank file to " + in_command);
    }
    return kExitOk;
}

const char* OutcomeText(TransferOutcome in_outcome) {
    switch (in_outcome) {
        case TransferOutcome::Completed:
            return "completed";
        case TransferOutcome::CompletedDamaged:
            return "ended with entries missing";
        case TransferOutcome::NoAnswer:
            return "failed: the MKS-80 did not answer";
        case TransferOutcome::Refused:
            return "failed: the MKS-80 refused it";
        case TransferOutcome::SendFailed:
            return "failed: the request could not be sent";
        case TransferOutcome::Abandoned:
            return "was abandoned";
        case TransferOutcome::NotSendable:
            return "was not started: the bank holds values the MKS-80 cannot take";
    }
    return "failed";
}

// The device that in_spec names among in_count devices: an id, an exact name, or a
// part of exactly one name. Otherwise a usage error listing the candidates.
int FindDevice(const std::string& in_spec, const char* in_kind, unsigned in_count,
               const std::function<MMRESULT(unsigned, std::string&)>& in_name, unsigned& out_id) {
    int number = 0;
    if (platform::ParseWholeNumber(in_spec, 0, 999999, number)) {
        if (static_cast<unsigned>(number) >= in_count) {
            return UsageError(std::string("there is no MIDI ") + in_kind + " " + in_spec);
        }
        out_id = static_cast<unsigned>(number);
        return kExitOk;
    }
    std::vector<unsigned> exact;
    std::vector<unsigned> partial;
    std::vector<std::string> names(in_count);
    for (unsigned id = 0; id < in_count; ++id) {
        if (in_name(id, names[id]) != MMSYSERR_NOERROR) {
            continue;
        }
        if (names[id] == in_spec) {
            exact.push_back(id);
        } else if (names[id].find(in_spec) != std::string::npos) {
            partial.push_back(id);
        }
    }
    const std::vector<unsigned>& found = exact.empty() ? partial : exact;
    if (found.size() == 1) {
        out_id = found.front();
        return kExitOk;
    }
    std::string text = std::string("no MIDI ") + in_kind + " is named \"" + in_spec + "\"";
    const std::vector<unsigned>* listed = &found;
    std::vector<unsigned> all;
    if (found.empty()) {
        for (unsigned id = 0; id < in_count; ++id) {
            all.push_back(id);
        }
        listed = &all;
        text += "; the " + std::string(in_kind) + "s are:";
    } else {
        text = std::string("more than one MIDI ") + in_kind + " matches \"" + in_spec + "\":";
    }
    for (unsigned id : *listed) {
        text += "\n  " + std::to_string(id) + "\t" + names[id];
    }
    return UsageError(text);
}

// The devices the command names, found among in_service's; kExitOk or the usage error.
// A device not named stays device 0, for a command that uses only the other direction.
int FindDevices(const TransferArgs& in_args, MidiService& in_service, ops::LinkSetup& out_setup) {
    out_setup.channel = in_args.channel;
    out_setup.delayMs = in_args.delay;
    if (!in_args.in.empty()) {
        if (int code = FindDevice(
                in_args.in, "input", in_service.InGetNumDevs(),
                [&](unsigned id, std::string& name) { return in_service.InGetDevCaps(id, name); },
                out_setup.inDevice);
            code != kExitOk) {
            return code;
        }
    }
    if (in_args.out.empty()) {
        return kExitOk;
    }
    return FindDevice(
        in_args.out, "output", in_service.OutGetNumDevs(),
        [&](unsigned id, std::string& name) { return in_service.OutGetDevCaps(id, name); },
        out_setup.outDevice);
}

void ShowProgress(TransferKind, int in_blocks) {
    std::fprintf(stderr, "block %d of 16\n", in_blocks);
}

// The link's own words on standard error, as the desktop program shows them in boxes;
// a fatal fault ends the program as it does there.
void Say(const std::vector<std::string>& in_texts, bool in_fatal) {
    if (in_fatal) {
        platform::InternalError(in_texts.front());
    }
    for (const std::string& text : in_texts) {
        (void)platform::GetPrompter().Message(text);
    }
}

// kExitOk when the transfer went through intact; else says how it ended.
int TransferExit(TransferKind in_kind, const ops::TransferResult& in_result) {
    const char* what = in_kind == TransferKind::Receive ? "fetch" : "send";
    if (!in_result.ended) {
        return Fail(kExitTransfer, std::string("the ") + what + " did not end in time");
    }
    if (in_result.outcome != TransferOutcome::Completed) {
        return Fail(kExitTransfer,
                    std::string("the ") + what + " " + OutcomeText(in_result.outcome));
    }
    return kExitOk;
}

// Runs in_body in a session on the devices the command names: the machine's MIDI ports,
// then the built-in instrument answering the command's channel with its memory kept
// between runs. The devices are released when in_body has returned.
int InSession(const TransferArgs& in_args,
              const std::function<int(ops::LinkSession& io_session)>& in_body) {
    const std::unique_ptr<MidiService> service =
        ops::MakeMidiService({Mks80Engine::DefaultMemoryPath(), in_args.channel});
    ops::LinkSetup setup;
    if (int code = FindDevices(in_args, *service, setup); code != kExitOk) {
        return code;
    }
    ops::LinkSession session(*service, setup, ShowProgress, Say);
    return in_body(session);
}

}  // namespace

int RunInLinkSession(const std::string& in_in, const std::string& in_out, int in_channel,
                     const std::function<int(ops::LinkSession& io_session)>& in_body) {
    TransferArgs args;
    args.in = in_in;
    args.out = in_out;
    args.channel = in_channel;
    return InSession(args, in_body);
}

int RunPortsCommand(std::vector<std::string> in_args) {
    if (!in_args.empty()) {
        return UsageError("ports takes no arguments");
    }
    // Listing needs no memory for the built-in instrument.
    const std::unique_ptr<MidiService> service = ops::MakeMidiService({});
    for (unsigned id = 0; id < service->InGetNumDevs(); ++id) {
        std::string name;
        if (service->InGetDevCaps(id, name) == MMSYSERR_NOERROR) {
            std::printf("in\t%u\t%s\n", id, name.c_str());
        }
    }
    for (unsigned id = 0; id < service->OutGetNumDevs(); ++id) {
        std::string name;
        if (service->OutGetDevCaps(id, name) == MMSYSERR_NOERROR) {
            std::printf("out\t%u\t%s\n", id, name.c_str());
        }
    }
    return kExitOk;
}

int RunGetCommand(std::vector<std::string> in_args) {
    TransferArgs args;
    if (int code = ParseTransferArgs(in_args, "get", args); code != kExitOk) {
        return code;
    }
    return InSession(args, [&](ops::LinkSession& io_session) {
        CNullBankView view;
        CSysExData bank(&view);
        if (int code = TransferExit(TransferKind::Receive, io_session.Fetch(bank));
            code != kExitOk) {
            // Nothing is written: a half-fetched bank would pass for the instrument's memory.
            return code;
        }
        // Written while the session still holds the devices: releasing them is the part
        // most likely to go wrong, and must not cost the fetched bank.
        return WriteOutput(args.output, BankFileBytes(bank));
    });
}

namespace {
// What send and verify do with the bank of in_file as its file held it.
using BankTransfer =
    std::function<int(ops::LinkSession& io_session, CSysExData& io_bank,
                      const BankReadReport& in_report, const std::string& in_file)>;

// send and verify: the bank of FILE read, then in_body in a session. Only a whole bank
// passes, a partial dump only with --partial, bytes of 80H or more only with --force.
int RunOnBank(std::vector<std::string>& io_args, const std::string& in_command,
              const std::string& in_partialNote, const BankTransfer& in_body) {
    InputRules rules;
    rules.wholeBank = true;
    rules.partial = TakeFlag(io_args, "--partial");
    rules.force = TakeFlag(io_args, "--force");
    rules.partialNote = in_partialNote;
    TransferArgs args;
    if (int code = ParseTransferArgs(io_args, in_command, args); code != kExitOk) {
        return code;
    }
    CNullBankView view;
    CSysExData bank(&view);
    BankReadReport report;
    if (int code = ReadInput(args.file, bank, rules, &report); code != kExitOk) {
        return code;
    }
    return InSession(args, [&](ops::LinkSession& io_session) {
        return in_body(io_session, bank, report, args.file);
    });
}
}  // namespace

int RunSendCommand(std::vector<std::string> in_args) {
    const std::string note = "the MKS-80's other entries are fetched first and kept as they are";
    return RunOnBank(in_args, "send", note,
                     [](ops::LinkSession& io_session, CSysExData& io_bank,
                        const BankReadReport& in_report, const std::string& in_file) {
                         const ops::SendResult sent =
                             ops::SendBank(io_session, io_bank, &in_report);
                         if (sent.FetchFailed()) {
                             return Fail(TransferExit(TransferKind::Receive, sent.fetch),
                                         in_file +
                                             ": the MKS-80's own entries could not be fetched; "
                                             "nothing was sent");
                         }
                         return TransferExit(TransferKind::Send, sent.send);
                     });
}

int RunVerifyCommand(std::vector<std::string> in_args) {
    return RunOnBank(
        in_args, "verify", "the others are not checked",
        [](ops::LinkSession& io_session, CSysExData& io_bank, const BankReadReport& in_report,
           const std::string&) {
            const ops::VerifyResult verified = ops::VerifyBank(io_session, io_bank, &in_report);
            if (int code = TransferExit(TransferKind::Receive, verified.fetch); code != kExitOk) {
                return code;
            }
            return ReportComparison(verified.differences, true);
        });
}
