#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "midi/HandshakeMessages.h"
#include "midi/MidiFault.h"
#include "midi/MidiHost.h"
#include "midi/MidiService.h"
#include "midi/globaldata.h"
#include "platform/EventLoop.h"

class CPatchData;
class CToneData;
class CSysExData;

// The link's ports: device ids, handles, one system-exclusive buffer per port and
// the ready-made handshake messages.
struct CMidiPortData {
    uint32_t m_MidiOutDevID = 0;
    uint32_t m_MidiInDevID = 0;
    MidiHandle m_hMidiIn = kNoMidiHandle;
    MidiHandle m_hMidiOut = kNoMidiHandle;
    MidiHdr m_MidiInHdr;
    MidiHdr m_MidiOutHdr;
    int32_t m_BufferSize = 1000;
    CHandshakeMessages m_Messages;
};

// What the input handling reads for every message: the delay in milliseconds and
// the mode (1 receiving, 0 sending). Written when the input port is opened.
struct CMidiCallbackData {
    int32_t m_Delay = 0;
    int32_t m_Mode = 0;
};

// The one connection to the instrument: ports and buffers, fetching a bank from
// it and sending a bank into it. Runs on the host's event loop; the service's
// input thread only hands each message over.
class CMidiManager {
  public:
    CMidiManager(MidiService& in_service, platform::EventLoop& in_loop, MidiHost& in_host);
    // Releases open devices through the service.
    ~CMidiManager();
    CMidiManager(const CMidiManager&) = delete;
    CMidiManager& operator=(const CMidiManager&) = delete;

    void SetMidiInDevID(uint32_t in_id);
    void SetMidiOutDevID(uint32_t in_id);
    uint32_t GetMidiInDevID() const { return m_PortData.m_MidiInDevID; }
    uint32_t GetMidiOutDevID() const { return m_PortData.m_MidiOutDevID; }
    CHandshakeMessages& GetMessages() { return m_PortData.m_Messages; }

    void SetCurrentSysExData(CSysExData* in_ptrSysExData);
    // May be null.
    CSysExData* GetCurrentSysExData() const;
    // A bank is being destroyed: empties the holder if it is current; a transfer
    // using it ends quietly (Abandoned).
    void ForgetSysExData(CSysExData* in_ptrSysExData);

    CToneData* aGetToneData(int in_SysExBlock);
    CPatchData* aGetPatchData(int in_SysExBlock);

    void GetPatches();
    void SendPatches();

    bool OpenMidiPorts();
    void CloseMidiPorts();
    bool TestMidiPorts();

    bool IsTransferRunning() const { return m_TransferRunning; }
    MidiService& GetService() { return m_Service; }

    // Test of the devices chosen in the setup dialog (not the link's): opens both
    // through the service, sends RQD on in_channel, waits up to in_timeout_ms for
    // any long message, answers a data message with reject so the instrument stops,
    // releases both devices, then calls in_done(true) only when both opened and an
    // answer came. in_done runs on the loop thread. Refuses (in_done(false) at once)
    // while a transfer runs.
    void ProbeDevices(unsigned in_inDev, unsigned in_outDev, int in_channel, int in_timeout_ms,
                      std::function<void(bool)> in_done);

    // The single ports and buffers. False when a fault that ends the program was
    // reported: the step goes no further.
    bool OpenMidiInPort();
    bool OpenMidiOutPort();
    void CloseMidiInPort();
    void CloseMidiOutPort();
    bool CreateSysExBuffers();
    bool CreateOutSysExBuffer();
    bool DeleteInSysExBuffer();
    bool DeleteOutSysExBuffer();
    bool CreateAllSysExBuffers();
    bool DeleteAllSysExBuffers();
    bool CopyToOutBuffer(const uint8_t* in_message, int32_t in_length);

    // Senders; a failure is reported and changes nothing else.
    void SendAck();
    void SendEod();
    void SendDataBlock();

    // State, for the host and for tests.
    bool IsInPortOpen() const { return m_InPortOpen != 0; }
    bool IsOutPortOpen() const { return m_OutPortOpen != 0; }
    int32_t GetMode() const { return m_Mode; }
    int32_t GetBlockCounter() const { return m_BlockCounter; }
    const CMidiPortData& GetPortData() const { return m_PortData; }
    const CMidiCallbackData& GetCallbackData() const { return *m_ptrCallbackData; }

    // How long a transfer waits, beyond the delay, for the instrument to say anything.
    static constexpr int kAnswerTimeoutMs = 3000;

  private:
    // One message as the input thread handed it over.
    struct Arrival {
        MidiInEvent event = MidiInEvent::Data;
        std::vector<uint8_t> bytes;  // a long message's bytes
        uint32_t param1 = 0;         // a short message
        uint32_t flags = 0;          // the buffer's flags as it came back
        uint64_t generation = 0;     // which opening of the input port it came through
    };
    struct Probe;

    MidiInCallback MakeCallback(uint64_t in_generation);
    void OnArrival(Arrival in_arrival);
    void HandleNextArrival();
    void HandleArrival(const Arrival& in_arrival);
    void StoreReceivedBlock(const std::vector<uint8_t>& in_message);
    void AcknowledgeBlock();
    void SendNextBlock();
    void ReArmInput();

    // Sends one message; a failure is reported (as the announcement of a send for
    // WSD) and returned.
    MMRESULT SendMessage(const uint8_t* in_message, int32_t in_length, bool in_isWsd);
    void StartTransfer(TransferKind in_kind);
    void RestartAnswerTimer();
    void StopAnswerTimer();
    void OnAnswerTimeout();
    // Reports the end: in_report's kind, outcome, blocks and entries are filled in here.
    void EndTransfer(TransferOutcome in_outcome, bool in_busyCleared,
                     TransferReport in_report = TransferReport());
    void Fault(MidiFault::Where in_where, MMRESULT in_code = MMSYSERR_NOERROR);
    TransferOutcome ReceiveOutcome() const;
    bool IsOwnEcho(const std::vector<uint8_t>& in_message) const;
    // Whether a long message is one the transfer in hand waits for: a handshake
    // message of this instrument (Roland, our device byte, model 20H) of a kind
    // that transfer takes. Anything else is let go.
    bool IsAwaited(const std::vector<uint8_t>& in_message) const;
    bool IsOwnHandshake(const std::vector<uint8_t>& in_message, uint8_t in_command) const;
    void EndRefused(uint8_t in_command);

    void OnProbeArrival(uint64_t in_serial, const Arrival& in_arrival);
    void FinishProbe(bool in_ok);
    void ReleaseProbeDevices();

    MidiService& m_Service;
    platform::EventLoop& m_Loop;
    MidiHost& m_Host;

    int32_t m_InPortOpen = 0;
    std::unique_ptr<CMidiCallbackData> m_ptrCallbackData;
    int32_t m_Mode = 0;
    CGlobalData m_CurrentSysExData;
    int32_t m_BlockCounter = 0;
    int32_t m_OutPortOpen = 0;
    CMidiPortData m_PortData;

    // The transfer in progress and the hand-over from the input thread.
    bool m_TransferRunning = false;
    // After a transfer that ended early, late messages are let go unanswered.
    bool m_Quiet = true;
    TransferKind m_TransferKind = TransferKind::Receive;
    std::vector<int> m_DamagedBlocks;
    std::vector<uint8_t> m_LastSent;
    std::deque<Arrival> m_Arrivals;
    bool m_HandlingScheduled = false;
    platform::EventLoop::TimerId m_HandlingTimer = 0;
    platform::EventLoop::TimerId m_AnswerTimer = 0;
    bool m_AnswerTimerRunning = false;
    uint64_t m_InGeneration = 0;

    std::unique_ptr<Probe> m_ptrProbe;
    uint64_t m_ProbeSerial = 0;

    // Tasks posted to the loop hold a weak reference so none runs after destruction.
    std::shared_ptr<CMidiManager*> m_ptrAlive;
};
