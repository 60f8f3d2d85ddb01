#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "bank/BlockLayout.h"
#include "midi/MidiArrivalHandler.h"
#include "midi/MidiHost.h"
#include "midi/TransferReport.h"
#include "midi/globaldata.h"
#include "platform/EventLoop.h"

class CDeviceProbe;
class CMidiInput;
class CMidiPorts;

// The two transfers of the handshake bulk dump: Get Patches fetches the
// instrument's memory into the current bank, Send Patches writes the current bank
// into it. Each is a strict question-and-answer exchange driven by what arrives;
// it ends with a report to the host.
class CMidiTransfer : public MidiArrivalHandler {
  public:
    // How long a transfer waits, beyond the delay, for the instrument to say anything.
    static constexpr int kAnswerTimeoutMs = 3000;

    // in_entries reaches the entries of the current bank; in_input may be built
    // after this.
    CMidiTransfer(CMidiPorts& in_ports, const CMidiInput& in_input, CDeviceProbe& in_probe,
                  MidiHost& in_host, platform::EventLoop& in_loop, CGlobalData& in_bank,
                  EntryAccess in_entries);
    ~CMidiTransfer() override;
    CMidiTransfer(const CMidiTransfer&) = delete;
    CMidiTransfer& operator=(const CMidiTransfer&) = delete;

    void GetPatches();
    void SendPatches();
    // The current bank is going away: a transfer on it ends quietly (Abandoned).
    void Abandon();

    // The senders of the exchange; a refusal is reported and changes nothing else.
    void SendAck();
    void SendEod();
    void SendDataBlock();

    bool IsTransferRunning() const override { return m_TransferRunning; }
    int32_t GetBlockCounter() const { return m_BlockCounter; }

    bool TakeArrival(const MidiArrival& in_arrival) override;
    void HandleArrival(const MidiArrival& in_arrival) override;

  private:
    void StartTransfer(TransferKind in_kind);
    bool IsAwaited(const std::vector<uint8_t>& in_message) const;
    bool IsOwn(const std::vector<uint8_t>& in_message, uint8_t in_command) const;
    void StoreReceivedBlock(const std::vector<uint8_t>& in_message);
    void AcknowledgeBlock();
    void SendNextBlock();
    MMRESULT Send(const uint8_t* in_message, int32_t in_length, bool in_isWsd);
    void RestartAnswerTimer();
    void StopAnswerTimer();
    void OnAnswerTimeout();
    TransferOutcome ReceiveOutcome() const;
    // Reports the end: in_report's kind, outcome, blocks and entries are filled in here.
    void EndTransfer(TransferOutcome in_outcome, bool in_busyCleared,
                     TransferReport in_report = TransferReport());

    CMidiPorts& m_Ports;
    const CMidiInput& m_Input;
    CDeviceProbe& m_Probe;
    MidiHost& m_Host;
    platform::EventLoop& m_Loop;
    CGlobalData& m_CurrentSysExData;
    const EntryAccess m_Entries;

    // During a fetch the blocks stored so far (0 to 16); during a send the next
    // block to send (0 to 17).
    int32_t m_BlockCounter = 0;
    bool m_TransferRunning = false;
    // After a transfer that ended early, late messages are let go unanswered.
    bool m_Quiet = true;
    TransferKind m_TransferKind = TransferKind::Receive;
    std::vector<int> m_DamagedBlocks;
    // The message sent last: the same bytes coming back are an echo, no answer.
    std::vector<uint8_t> m_LastSent;
    platform::EventLoop::TimerId m_AnswerTimer = 0;
    bool m_AnswerTimerRunning = false;
    // Timers hold a weak reference so none runs after destruction.
    std::shared_ptr<CMidiTransfer*> m_ptrAlive;
};
