#pragma once

#include <cstdint>

#include "midi/HandshakeMessages.h"
#include "midi/MidiCallbackData.h"
#include "midi/MidiFault.h"
#include "midi/MidiHost.h"
#include "midi/MidiPortData.h"
#include "midi/MidiService.h"

class CMidiInput;

// How a message about the sound the instrument plays now went.
enum class LiveSendResult {
    Sent,
    TransferRunning,  // a transfer owns the link: nothing else goes out meanwhile
    NoPort,           // the output port could not be opened
    Refused,          // the service refused the message
};

// The link's one input and one output port and their system-exclusive buffers.
// Opening asks the hand-over for the input's callback; every refusal of the service
// is reported to the host. The operations that can fail are false when the fault
// ends the program: the step goes no further.
class CMidiPorts {
  public:
    // in_input: where the input port's messages go (it may be built after this).
    CMidiPorts(MidiService& in_service, MidiHost& in_host, CMidiInput& in_input);
    // Releases the devices still open.
    ~CMidiPorts();
    CMidiPorts(const CMidiPorts&) = delete;
    CMidiPorts& operator=(const CMidiPorts&) = delete;

    // Opens whatever is marked closed: the input port and its queued buffer, the
    // output port and its prepared buffer.
    bool OpenMidiPorts();
    // Marks both closed and lets the devices go, so that the next open does not find
    // them still held.
    void CloseMidiPorts();

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
    // Gives the input buffer back to the service, fresh.
    void ReArmInput();
    bool CopyToOutBuffer(const uint8_t* in_message, int32_t in_length);
    // Sends one message from the output buffer; a refusal is reported (as the
    // announcement of a send for WSD) and returned.
    MMRESULT SendMessage(const uint8_t* in_message, int32_t in_length, bool in_isWsd);

    // Opens whatever is marked closed, as OpenMidiPorts does, but a refusal is only
    // traced and every device the attempt opened is let go: for the messages between
    // transfers, which must not stop the user with a box (or end the program) each
    // time the instrument is unplugged. True when the output port is open.
    bool OpenQuietly();
    // Sends one whole message of any kind through the output buffer, without a word
    // to the user; the port must be open.
    LiveSendResult SendQuietly(const uint8_t* in_message, size_t in_length);

    // The mode of the transfer (1 receiving, 0 sending), for the input handling.
    void SetMode(int32_t in_mode);
    int32_t GetMode() const { return m_Mode; }

    bool IsInPortOpen() const { return m_InPortOpen != 0; }
    bool IsOutPortOpen() const { return m_OutPortOpen != 0; }
    CMidiPortData& GetPortData() { return m_PortData; }
    const CMidiPortData& GetPortData() const { return m_PortData; }
    const CMidiCallbackData& GetCallbackData() const { return m_CallbackData; }

  private:
    void Fault(MidiFault::Where in_where, MMRESULT in_code = MMSYSERR_NOERROR);
    // After unpreparing io_header: its data area goes, or the refusal is reported.
    bool Released(MMRESULT in_result, MidiFault::Where in_where, MidiHdr& io_header);

    MidiService& m_Service;
    MidiHost& m_Host;
    CMidiInput& m_Input;

    // While set, faults are traced instead of reported; the first is kept.
    bool m_Quiet = false;
    bool m_QuietFault = false;

    int32_t m_InPortOpen = 0;
    CMidiCallbackData m_CallbackData;
    int32_t m_Mode = 0;
    int32_t m_OutPortOpen = 0;
    CMidiPortData m_PortData;
};
