// quorlin-cli ports, get and send: the MIDI link hosted on a plain event loop, over
// the machine's MIDI ports with the built-in virtual MKS-80 listed last.
#include "cli/TransferCommands.h"

#include <cstdio>
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
#include "midi/MidiHost.h"
#include "midi/MidiManager.h"
#include "midi/Mks80Engine.h"
#include "midi/VirtualMks80.h"
#include "platform/CommandLine.h"
#include "platform/EventLoop.h"

#if defined(QUORLIN_HAVE_RTMIDI) && __has_include("midi/RtMidiService.h")
#include "midi/RtMidiService.h"
#define QUORLIN_CLI_REAL_PORTS 1
#endif

namespace {

constexpr int kDefaultDelayMs = 300;
constexpr int kMaxDelayMs = 60000;

struct TransferArgs {
    int in = -1;
    int out = -1;
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
            int id = 0;
            if (!hasValue || !platform::ParseWholeNumber(value, 0, 999999, id)) {
                return UsageError(arg + " needs a device id from quorlin-cli ports");
            }
            (arg == "--in" ? out_args.in : out_args.out) = id;
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
    if (out_args.in < 0 || out_args.out < 0) {
        return UsageError(in_command + " needs --in ID and --out ID");
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
    void TransferEnded(TransferKind, TransferOutcome in_outcome) override {
        m_Ended = true;
        m_Outcome = in_outcome;
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
    }
    return "failed";
}

// Runs one whole transfer between in_bank and the instrument on the chosen ports.
// Returns kExitOk only when every block went through intact.
int RunTransfer(const TransferArgs& in_args, TransferKind in_kind, CSysExData& in_bank) {
    platform::PlainEventLoop loop;
    CliServices services(in_args.channel, Mks80Engine::DefaultMemoryPath());
    MidiService& service = services.Service();
    if (static_cast<unsigned>(in_args.in) >= service.InGetNumDevs()) {
        return UsageError("there is no MIDI input " + std::to_string(in_args.in));
    }
    if (static_cast<unsigned>(in_args.out) >= service.OutGetNumDevs()) {
        return UsageError("there is no MIDI output " + std::to_string(in_args.out));
    }
    CliHost host(loop, in_args.delay);
    CMidiManager link(service, loop, host);
    link.SetCurrentSysExData(&in_bank);
    link.SetMidiInDevID(static_cast<uint32_t>(in_args.in));
    link.SetMidiOutDevID(static_cast<uint32_t>(in_args.out));
    link.GetMessages().SetMidiChannel(in_args.channel);
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
    return kExitOk;
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
    if (int code = RunTransfer(args, TransferKind::Receive, bank); code != kExitOk) {
        // Nothing is written: a half-fetched bank would pass for the instrument's memory.
        return code;
    }
    if (!WriteFileAtomically(args.output, BankFileBytes(bank))) {
        return Fail(kExitOutput, args.output + ": cannot be written");
    }
    return kExitOk;
}

int RunSendCommand(const std::vector<std::string>& in_args) {
    TransferArgs args;
    if (int code = ParseTransferArgs(in_args, "send", args); code != kExitOk) {
        return code;
    }
    CNullBankView view;
    CSysExData bank(&view);
    switch (ReadBankOrDump(args.file, bank)) {
        case ReadResult::Ok:
            break;
        case ReadResult::CannotOpen:
            return Fail(kExitInput, args.file + ": cannot be opened for reading");
        case ReadResult::NotABank:
            return Fail(kExitInput,
                        args.file + ": not a bank file or a recorded dump, or cut short");
    }
    return RunTransfer(args, TransferKind::Send, bank);
}

int RunVerifyCommand(const std::vector<std::string>& in_args) {
    TransferArgs args;
    if (int code = ParseTransferArgs(in_args, "verify", args); code != kExitOk) {
        return code;
    }
    CNullBankView view;
    CSysExData bank(&view);
    if (int code = ReadInput(args.file, bank)) {
        return code;
    }
    CSysExData fetched(&view);
    if (int code = RunTransfer(args, TransferKind::Receive, fetched); code != kExitOk) {
        return code;
    }
    // The instrument keeps no names: only the parameter bytes count.
    return ReportComparison(CompareBanks(bank, fetched), true);
}
