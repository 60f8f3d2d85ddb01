#pragma once

#include <functional>
#include <memory>

#include "midi/MidiHost.h"

class CMidiManager;
class CSysExData;
class MidiService;

namespace platform {
class PlainEventLoop;
}

namespace ops {

// The devices and the pace of a transfer.
struct LinkSetup {
    unsigned inDevice = 0;
    unsigned outDevice = 0;
    int channel = 1;    // 1 to 16
    int delayMs = 300;  // the transfer delay before each message
};

// How a transfer that was waited for ended.
struct TransferResult {
    bool ended = false;  // false: it had not ended when the session stopped waiting
    TransferOutcome outcome = TransferOutcome::NoAnswer;
    bool Completed() const { return ended && outcome == TransferOutcome::Completed; }
};

// The MIDI link on a plain event loop of its own, for a front end that waits for each
// transfer to end (the command-line tool). The devices stay open from one transfer to
// the next and are released when the session goes, so a service has one session at a
// time; the service must outlive it.
class LinkSession : private MidiHost {
  public:
    using Progress = std::function<void(TransferKind in_kind, int in_blocksDone)>;
    LinkSession(MidiService& in_service, const LinkSetup& in_setup, Progress in_progress = {});
    ~LinkSession() override;
    LinkSession(const LinkSession&) = delete;
    LinkSession& operator=(const LinkSession&) = delete;

    // Fetches the instrument's memory into io_bank.
    TransferResult Fetch(CSysExData& io_bank);
    // Sends in_bank into the instrument.
    TransferResult Send(CSysExData& in_bank);

  private:
    TransferResult Run(TransferKind in_kind, CSysExData& io_bank);

    void SetMidiBusy() override {}
    void ClearMidiBusy() override {}
    int GetPauseTime() override { return m_DelayMs; }
    void TransferProgress(TransferKind in_kind, int in_blocksDone) override;
    void TransferEnded(TransferKind in_kind, TransferOutcome in_outcome) override;

    int m_DelayMs;
    Progress m_Progress;
    TransferResult m_Result;
    std::unique_ptr<platform::PlainEventLoop> m_ptrLoop;
    std::unique_ptr<CMidiManager> m_ptrLink;  // goes before the loop it runs on
};

}  // namespace ops
