#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "midi/MidiHost.h"
#include "midi/MidiPorts.h"

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
    TransferReport report;  // the link's report, when it ended
    bool Completed() const { return ended && outcome == TransferOutcome::Completed; }
};

// The MIDI link on a plain event loop of its own, for a front end that waits for each
// transfer to end (the command-line tool). The devices stay open from one transfer to
// the next and are released when the session goes, so a service has one session at a
// time; the service must outlive it.
class LinkSession : private MidiHost {
  public:
    using Progress = std::function<void(TransferKind in_kind, int in_blocksDone)>;
    // The front end says what the link reports, as it happens: in_texts in order
    // (LinkTexts of a fault or of the end of a transfer); in_fatal, a fault after
    // which the front end ends the program.
    using Speaker = std::function<void(const std::vector<std::string>& in_texts, bool in_fatal)>;
    LinkSession(MidiService& in_service, const LinkSetup& in_setup, Progress in_progress = {},
                Speaker in_speaker = {});
    ~LinkSession() override;
    LinkSession(const LinkSession&) = delete;
    LinkSession& operator=(const LinkSession&) = delete;

    // Fetches the instrument's memory into io_bank.
    TransferResult Fetch(CSysExData& io_bank);
    // Sends in_bank into the instrument.
    TransferResult Send(CSysExData& in_bank);

    // Sends messages about the sound the instrument plays now, in order, between
    // transfers; stops at the first that does not go and says why.
    LiveSendResult SendLive(const std::vector<std::vector<uint8_t>>& in_messages);
    enum class ListenEnd { Done, TimedOut, NoInput };
    // Listens between transfers: hands each whole system-exclusive message that comes
    // in to in_take until it returns true (Done) or in_limitMs have passed (TimedOut).
    // NoInput when the input device could not be opened; in_listening is called once
    // it is open.
    ListenEnd Listen(const std::function<bool(const std::vector<uint8_t>&)>& in_take,
                     int64_t in_limitMs, const std::function<void()>& in_listening = {});

  private:
    TransferResult Run(TransferKind in_kind, CSysExData& io_bank);

    void SetMidiBusy() override {}
    void ClearMidiBusy() override {}
    int GetPauseTime() override { return m_DelayMs; }
    void TransferProgress(TransferKind in_kind, int in_blocksDone) override;
    void LinkFault(const MidiFault& in_fault) override;
    void TransferEnded(const TransferReport& in_report) override;

    int m_DelayMs;
    Progress m_Progress;
    Speaker m_Speaker;
    TransferResult m_Result;
    std::unique_ptr<platform::PlainEventLoop> m_ptrLoop;
    std::unique_ptr<CMidiManager> m_ptrLink;  // goes before the loop it runs on
};

}  // namespace ops
