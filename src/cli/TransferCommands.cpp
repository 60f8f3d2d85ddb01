// quorlin-cli ports, get and send: the MIDI link hosted on a plain event loop, over
// the machine's MIDI ports with the built-in virtual MKS-80 listed last.
#include "cli/TransferCommands.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bank/BankCompare.h"
#include "bank/BankFiles.h"
#include "bank/SysExData.h"
#include "cli/CliExit.h"
#include "cli/CliSupport.h"
#include "cli/LibraryCommands.h"
#include "midi/CombinedMidiService.h"
#include "midi/LinkTexts.h"
#include "midi/MidiHost.h"
#include "midi/MidiManager.h"
#include "midi/Mks80Engine.h"
#include "midi/VirtualMks80.h"
#include "platform/CommandLine.h"
#include "platform/EventLoop.h"
#include "platform/Fatal.h"
#include "platform/Prompter.h"

#if defined(QUORLIN_HAVE_RTMIDI) && __has_include("midi/RtMidiService.h")
#include "midi/RtMidiService.h"
#define QUORLIN_CLI_REAL_PORTS 1
#endif

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

// The machine's MIDI ports first, then the built-in instrument.
class CliServices {
  public:
    // in_memoryPath empty: the built-in instrument keeps no file (enough for listing).
    CliServices(int in_channel, const std::string& in_memoryPath) {
        std::vector<MidiService*> parts;
#ifdef QUORLIN_CLI_REAL_PORTS
        m_ptrReal = std::make_unique<RtMidiService>();
        parts.push_back(m_ptrReal.get());
#endif
        Mks80Options options;
        // The built-in instrument answers whichever channel the command uses.
        options.channel = in_channel;
        m_ptrVirtual = std::make_unique<VirtualMks80>(options, in_memoryPath);
        parts.push_back(m_ptrVirtual.get());
        m_ptrCombined = std::make_unique<CombinedMidiService>(parts);
    }
    MidiService& Service() {
        return *m_ptrCombined;
    }

  private:
    std::unique_ptr<MidiService> m_ptrReal;
    std::unique_ptr<VirtualMks80> m_ptrVirtual;
    std::unique_ptr<CombinedMidiService> m_ptrCombined;
};

// The link's host on the command line: progress and the end on standard error.
class CliHost : public MidiHost {
  public:
    CliHost(platform::PlainEventLoop& in_loop, int in_delay) : m_Loop(in_loop), m_Delay(in_delay) {}
    void SetMidiBusy() override { m_Busy = true; }
    void ClearMidiBusy() override { m_Busy = false; }
    int GetPauseTime() override { return m_Delay; }
    void TransferProgress(TransferKind, int in_blocks) override {
        std::fprintf(stderr, "block %d of 16\n", in_blocks);
    }
    // The link's own words go to standard error, as the desktop program shows them.
    void LinkFault(const MidiFault& in_fault) override {
        const std::vector<std::string> texts = LinkTexts(in_fault);
        if (in_fault.IsFatal()) {
            platform::InternalError(texts.front());
        }
        for (const std::string& text : texts) {
            (void)platform::GetPrompter().Message(text);
        }
    }
    void TransferEnded(const TransferReport& in_report) override {
        for (const std::string& text : LinkTexts(in_report)) {
            (void)platform::GetPrompter().Message(text);
        }
        m_Ended = true;
        m_Outcome = in_report.outcome;
        m_Loop.Quit();
    }
    bool Ended() const { return m_Ended; }
    TransferOutcome Outcome() const { return m_Outcome; }

  private:
    platform::PlainEventLoop& m_Loop;
    int m_Delay;
    bool m_Busy = false;
    bool m_Ended = false;
    TransferOutcome m_Outcome = TransferOutcome::NoAnswer;
};

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

// Runs one whole transfer between in_bank and the instrument on the chosen ports.
// Returns kExitOk only when every block went through intact and in_whenIntact,
// which runs while the devices are still held, succeeded.
int RunTransfer(const TransferArgs& in_args, TransferKind in_kind, CSysExData& in_bank,
                const std::function<int()>& in_whenIntact) {
    platform::PlainEventLoop loop;
    CliServices services(in_args.channel, Mks80Engine::DefaultMemoryPath());
    MidiService& service = services.Service();
    unsigned in = 0;
    unsigned out = 0;
    if (int code = FindDevice(
            in_args.in, "input", service.InGetNumDevs(),
            [&](unsigned id, std::string& name) { return service.InGetDevCaps(id, name); }, in);
        code != kExitOk) {
        return code;
    }
    if (int code = FindDevice(
            in_args.out, "output", service.OutGetNumDevs(),
            [&](unsigned id, std::string& name) { return service.OutGetDevCaps(id, name); }, out);
        code != kExitOk) {
        return code;
    }
    CliHost host(loop, in_args.delay);
    CMidiManager link(service, loop, host);
    link.SetCurrentSysExData(&in_bank);
    link.SetMidiInDevID(in);
    link.SetMidiOutDevID(out);
    if (!link.GetMessages().SetMidiChannel(in_args.channel)) {
        return UsageError("--channel needs a MIDI channel from 1 to 16");
    }
    if (in_kind == TransferKind::Receive) {
        link.GetPatches();
    } else {
        link.SendPatches();
    }
    // The link's own time-out ends a transfer that stalls; this is only a backstop.
    const int64_t limitMs = 20 * (int64_t(in_args.delay) + CMidiManager::kAnswerTimeoutMs) + 10000;
    if (!host.Ended()) {
        loop.Run(limitMs);
    }
    const char* what = in_kind == TransferKind::Receive ? "fetch" : "send";
    if (!host.Ended()) {
        return Fail(kExitTransfer, std::string("the ") + what + " did not end in time");
    }
    if (host.Outcome() != TransferOutcome::Completed) {
        return Fail(kExitTransfer, std::string("the ") + what + " " + OutcomeText(host.Outcome()));
    }
    // Before the devices are let go: releasing them is the part most likely to fail.
    return in_whenIntact ? in_whenIntact() : kExitOk;
}

}  // namespace

int RunPortsCommand(const std::vector<std::string>& in_args) {
    if (!in_args.empty()) {
        return UsageError("ports takes no arguments");
    }
    CliServices services(1, "");
    MidiService& service = services.Service();
    for (unsigned id = 0; id < service.InGetNumDevs(); ++id) {
        std::string name;
        if (service.InGetDevCaps(id, name) == MMSYSERR_NOERROR) {
            std::printf("in\t%u\t%s\n", id, name.c_str());
        }
    }
    for (unsigned id = 0; id < service.OutGetNumDevs(); ++id) {
        std::string name;
        if (service.OutGetDevCaps(id, name) == MMSYSERR_NOERROR) {
            std::printf("out\t%u\t%s\n", id, name.c_str());
        }
    }
    return kExitOk;
}

int RunGetCommand(const std::vector<std::string>& in_args) {
    TransferArgs args;
    if (int code = ParseTransferArgs(in_args, "get", args); code != kExitOk) {
        return code;
    }
    CNullBankView view;
    CSysExData bank(&view);
    // Nothing is written unless the fetch ended intact: a half-fetched bank would
    // pass for the instrument's memory. The file is written before the devices are
    // released, so a release that goes wrong cannot cost the fetched bank.
    return RunTransfer(args, TransferKind::Receive, bank,
                       [&]() { return WriteOutput(args.output, BankFileBytes(bank)); });
}

namespace {
// send and verify take a whole bank: a partial dump only with --partial, bytes of 80H
// or more only with --force.
InputRules WholeBankRules(std::vector<std::string>& io_args) {
    InputRules rules;
    rules.wholeBank = true;
    rules.partial = TakeFlag(io_args, "--partial");
    rules.force = TakeFlag(io_args, "--force");
    rules.partialNote = "the MKS-80's other entries are fetched first and kept as they are";
    return rules;
}

// A partial dump (taken with --partial) gives only some entries; the others, and those
// of a block with a wrong checksum, are taken from in_instrument, what the instrument
// holds now: a send then changes only the entries the file held intact, and a verify
// checks only those.
void TakeEntriesNotHeld(const BankReadReport& in_report, const CSysExData& in_instrument,
                        CSysExData& io_bank) {
    for (int block = in_report.WholeBank() ? BLOCK_COUNT : 0; block < BLOCK_COUNT; ++block) {
        const bool damaged = std::find(in_report.badChecksums.begin(), in_report.badChecksums.end(),
                                       block) != in_report.badChecksums.end();
        if (block >= in_report.blocks || damaged) {
            CopyEntries(in_instrument, io_bank, BLOCK_SLOTS * block, BLOCK_SLOTS);
        }
    }
}
}  // namespace

int RunSendCommand(const std::vector<std::string>& in_args) {
    std::vector<std::string> transferArgs = in_args;
    const InputRules rules = WholeBankRules(transferArgs);
    TransferArgs args;
    if (int code = ParseTransferArgs(transferArgs, "send", args); code != kExitOk) {
        return code;
    }
    CNullBankView view;
    CSysExData bank(&view);
    // Only a checked bank reaches the instrument: a partial dump would overwrite the
    // entries it lacks with the defaults.
    BankReadReport report;
    if (int code = ReadInput(args.file, bank, rules, &report); code != kExitOk) {
        return code;
    }
    if (!report.WholeBank()) {
        CSysExData held(&view);
        if (int code = RunTransfer(args, TransferKind::Receive, held, nullptr); code != kExitOk) {
            return Fail(code, args.file +
                                  ": the MKS-80's own entries could not be fetched; "
                                  "nothing was sent");
        }
        TakeEntriesNotHeld(report, held, bank);
    }
    return RunTransfer(args, TransferKind::Send, bank, nullptr);
}

int RunVerifyCommand(const std::vector<std::string>& in_args) {
    std::vector<std::string> transferArgs = in_args;
    InputRules rules = WholeBankRules(transferArgs);
    rules.partialNote = "the others are not checked";
    TransferArgs args;
    if (int code = ParseTransferArgs(transferArgs, "verify", args); code != kExitOk) {
        return code;
    }
    CNullBankView view;
    CSysExData bank(&view);
    BankReadReport report;
    if (int code = ReadInput(args.file, bank, rules, &report); code != kExitOk) {
        return code;
    }
    CSysExData fetched(&view);
    if (int code = RunTransfer(args, TransferKind::Receive, fetched, nullptr); code != kExitOk) {
        return code;
    }
    TakeEntriesNotHeld(report, fetched, bank);
    // The instrument keeps no names: only the parameter bytes count.
    return ReportComparison(CompareBanks(bank, fetched), true);
}
