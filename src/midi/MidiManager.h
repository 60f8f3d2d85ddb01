#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "midi/DeviceProbe.h"
#include "midi/HandshakeMessages.h"
#include "midi/MidiCallbackData.h"
#include "midi/MidiHost.h"
#include "midi/MidiInput.h"
#include "midi/MidiPortData.h"
#include "midi/MidiPorts.h"
#include "midi/MidiService.h"
#include "midi/MidiTransfer.h"
#include "midi/globaldata.h"
#include "platform/EventLoop.h"

class CPatchData;
class CToneData;
class CSysExData;

// The one connection to the instrument, and the front the rest of the program talks
// to: its current bank, its ports and buffers (CMidiPorts), fetching a bank from it
// and sending a bank into it (CMidiTransfer), the hand-over of what comes in
// (CMidiInput) and the setup dialog's test of two devices (CDeviceProbe). Runs on
// the host's event loop; the service's input thread only hands each message over.
class CMidiManager {
  public:
    CMidiManager(MidiService& in_service, platform::EventLoop& in_loop, MidiHost& in_host);
    // Releases open devices through the service.
    ~CMidiManager();
    CMidiManager(const CMidiManager&) = delete;
    CMidiManager& operator=(const CMidiManager&) = delete;

    void SetMidiInDevID(uint32_t in_id);
    void SetMidiOutDevID(uint32_t in_id);
    uint32_t GetMidiInDevID() const { return m_Ports.GetPortData().m_MidiInDevID; }
    uint32_t GetMidiOutDevID() const { return m_Ports.GetPortData().m_MidiOutDevID; }
    CHandshakeMessages& GetMessages() { return m_Ports.GetPortData().m_Messages; }

    void SetCurrentSysExData(CSysExData* in_ptrSysExData);
    // May be null.
    CSysExData* GetCurrentSysExData() const;
    // A bank is being destroyed: empties the holder if it is current; a transfer
    // using it ends quietly (Abandoned).
    void ForgetSysExData(CSysExData* in_ptrSysExData);

    // An index of 64 or more is a fatal fault (reported; no entry).
    CToneData* aGetToneData(int in_SysExBlock);
    CPatchData* aGetPatchData(int in_SysExBlock);

    void GetPatches() { m_Transfer.GetPatches(); }
    void SendPatches() { m_Transfer.SendPatches(); }

    void OpenMidiPorts() { (void)m_Ports.OpenMidiPorts(); }
    void CloseMidiPorts() { m_Ports.CloseMidiPorts(); }
    bool TestMidiPorts();

    bool IsTransferRunning() const { return m_Transfer.IsTransferRunning(); }
    MidiService& GetService() { return m_Service; }

    // Test of the devices chosen in the setup dialog (not the link's): opens both
    // through the service, sends RQD on in_channel, waits up to in_timeout_ms for
    // any long message, answers a data message with reject so the instrument stops,
    // releases both devices, then calls in_done(true) only when both opened and an
    // answer came. in_done runs on the loop thread. Refuses (in_done(false) at once)
    // while a transfer runs.
    void ProbeDevices(unsigned in_inDev, unsigned in_outDev, int in_channel, int in_timeout_ms,
                      std::function<void(bool)> in_done);

    // Sends one whole message about the sound the instrument plays now (APR, IPR, or a
    // short channel message such as a note), never while a transfer runs or the setup
    // dialog's test holds the devices. Opens the ports if they are closed, without a
    // word to the user: a failure is the result, not a message box. These messages
    // change only what the instrument plays, never its memory.
    LiveSendResult SendLiveMessage(const std::vector<uint8_t>& in_message);
    // Opens, quietly, whichever port is closed, so that what the instrument announces
    // comes in between transfers (through the input listener). False when the input
    // is not open; changes nothing while a transfer runs or the test holds the devices.
    bool ListenBetweenTransfers();

    // What comes in that no transfer waits for (everything while none runs), as it
    // arrives on the loop thread; an empty listener stops it.
    void SetInputListener(CMidiInput::Listener in_listener);

    // The single ports and buffers.
    void OpenMidiInPort() { (void)m_Ports.OpenMidiInPort(); }
    void OpenMidiOutPort() { (void)m_Ports.OpenMidiOutPort(); }
    void CloseMidiInPort() { m_Ports.CloseMidiInPort(); }
    void CloseMidiOutPort() { m_Ports.CloseMidiOutPort(); }
    void CreateSysExBuffers() { (void)m_Ports.CreateSysExBuffers(); }
    void CreateOutSysExBuffer() { (void)m_Ports.CreateOutSysExBuffer(); }
    void DeleteInSysExBuffer() { (void)m_Ports.DeleteInSysExBuffer(); }
    void DeleteOutSysExBuffer() { (void)m_Ports.DeleteOutSysExBuffer(); }
    void CreateAllSysExBuffers() { (void)m_Ports.CreateAllSysExBuffers(); }
    void DeleteAllSysExBuffers() { (void)m_Ports.DeleteAllSysExBuffers(); }
    void CopyToOutBuffer(const uint8_t* in_message, int32_t in_length) {
        (void)m_Ports.CopyToOutBuffer(in_message, in_length);
    }

    // Senders; a failure is reported and changes nothing else.
    void SendAck() { m_Transfer.SendAck(); }
    void SendEod() { m_Transfer.SendEod(); }
    void SendDataBlock() { m_Transfer.SendDataBlock(); }

    // State, for the host and for tests.
    bool IsInPortOpen() const { return m_Ports.IsInPortOpen(); }
    bool IsOutPortOpen() const { return m_Ports.IsOutPortOpen(); }
    int32_t GetMode() const { return m_Ports.GetMode(); }
    int32_t GetBlockCounter() const { return m_Transfer.GetBlockCounter(); }
    const CMidiPortData& GetPortData() const { return m_Ports.GetPortData(); }
    const CMidiCallbackData& GetCallbackData() const { return m_Ports.GetCallbackData(); }

    // How long a transfer waits, beyond the delay, for the instrument to say anything.
    static constexpr int kAnswerTimeoutMs = CMidiTransfer::kAnswerTimeoutMs;

  private:
    // The current bank for entry in_SysExBlock; null, after a fatal fault, for an
    // index of 64 or more.
    CSysExData* BankFor(int in_SysExBlock);

    MidiService& m_Service;
    MidiHost& m_Host;

    CGlobalData m_CurrentSysExData;
    CDeviceProbe m_Probe;
    // Each of these may hold a reference to one built after it; none is used before
    // all are built. They go in reverse: the hand-over first, the ports (and with
    // them the devices) after the transfer.
    CMidiPorts m_Ports;
    CMidiTransfer m_Transfer;
    CMidiInput m_Input;
};
