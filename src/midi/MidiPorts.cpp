#include "midi/MidiPorts.h"

#include <cstring>
#include <vector>

#include "midi/MidiInput.h"
#include "platform/Trace.h"

namespace {

void ReleaseBuffer(MidiHdr& out_header) {
    std::vector<uint8_t>().swap(out_header.data);
    out_header.bufferLength = 0;
    out_header.bytesRecorded = 0;
}

}  // namespace

CMidiPorts::CMidiPorts(MidiService& in_service, MidiHost& in_host, CMidiInput& in_input)
    : m_Service(in_service), m_Host(in_host), m_Input(in_input) {}

CMidiPorts::~CMidiPorts() {
    if (m_InPortOpen) {
        m_Service.InClose(m_PortData.m_hMidiIn);
    }
    if (m_OutPortOpen) {
        m_Service.OutClose(m_PortData.m_hMidiOut);
    }
}

void CMidiPorts::Fault(MidiFault::Where in_where, MMRESULT in_code) {
    if (m_Quiet) {
        QUORLIN_TRACE("\nMIDI port step %d refused (%u), between transfers",
                      static_cast<int>(in_where), static_cast<unsigned>(in_code));
        m_QuietFault = true;
        return;
    }
    m_Host.LinkFault(MidiFault{in_where, in_code});
}

bool CMidiPorts::OpenQuietly() {
    m_Quiet = true;
    if (m_InPortOpen == 0) {
        m_QuietFault = false;
        const MidiHandle before = m_PortData.m_hMidiIn;
        if (OpenMidiInPort() && m_InPortOpen != 0) {
            (void)CreateSysExBuffers();
        }
        if (m_QuietFault) {
            // Whatever of the input this attempt holds goes, so the next one starts
            // clean; the output may still work without it.
            if (m_InPortOpen != 0) {
                CloseMidiInPort();
            } else if (m_PortData.m_hMidiIn != before) {
                (void)m_Service.InClose(m_PortData.m_hMidiIn);
                m_Input.PortClosed();
            }
            m_InPortOpen = 0;
        }
    }
    if (m_OutPortOpen == 0) {
        m_QuietFault = false;
        if (OpenMidiOutPort() && !CreateOutSysExBuffer()) {
            CloseMidiOutPort();
            m_OutPortOpen = 0;
        }
    }
    m_Quiet = false;
    return m_OutPortOpen != 0;
}

LiveSendResult CMidiPorts::SendQuietly(const uint8_t* in_message, size_t in_length) {
    MidiHdr& header = m_PortData.m_MidiOutHdr;
    if (m_OutPortOpen == 0 || in_length == 0 || in_length > header.data.size()) {
        return LiveSendResult::NoPort;
    }
    std::memcpy(header.data.data(), in_message, in_length);
    header.bufferLength = static_cast<uint32_t>(in_length);
    const MMRESULT result = m_Service.OutLongMsg(m_PortData.m_hMidiOut, header);
    if (result != MMSYSERR_NOERROR) {
        QUORLIN_TRACE("\nmessage between transfers refused (%u)", static_cast<unsigned>(result));
        return LiveSendResult::Refused;
    }
    return LiveSendResult::Sent;
}

void CMidiPorts::SetMode(int32_t in_mode) {
    m_Mode = in_mode;
    m_CallbackData.m_Mode = in_mode;
}

bool CMidiPorts::OpenMidiPorts() {
    if (m_InPortOpen == 0) {
        // Also when the open failed: the sequence goes on.
        if (!OpenMidiInPort() || !CreateSysExBuffers()) {
            return false;
        }
    }
    if (m_OutPortOpen == 0) {
        return OpenMidiOutPort() && CreateOutSysExBuffer();
    }
    return true;
}

void CMidiPorts::CloseMidiPorts() {
    CloseMidiInPort();
    CloseMidiOutPort();
    m_InPortOpen = 0;
    m_OutPortOpen = 0;
}

bool CMidiPorts::OpenMidiInPort() {
    // Every transfer start refreshes both, before the port opens.
    m_CallbackData.m_Delay = m_Host.GetPauseTime();
    m_CallbackData.m_Mode = m_Mode;
    MidiHandle handle = kNoMidiHandle;
    if (m_Service.InOpen(handle, m_PortData.m_MidiInDevID, m_Input.NewCallback()) !=
        MMSYSERR_NOERROR) {
        Fault(MidiFault::Where::InOpen);
        return true;  // not fatal: the port stays marked closed
    }
    m_PortData.m_hMidiIn = handle;
    if (m_Service.InStart(handle) != MMSYSERR_NOERROR) {
        Fault(MidiFault::Where::InStart);
        return false;
    }
    m_InPortOpen = 1;
    return true;
}

bool CMidiPorts::OpenMidiOutPort() {
    MidiHandle handle = kNoMidiHandle;
    const MMRESULT result = m_Service.OutOpen(handle, m_PortData.m_MidiOutDevID);
    if (result != MMSYSERR_NOERROR) {
        Fault(MidiFault::Where::OutOpen, result);
        return false;
    }
    m_PortData.m_hMidiOut = handle;
    m_OutPortOpen = 1;
    return true;
}

// Marking the ports closed lets the devices go, so that the next open does not find
// them still held (where the platform refuses a second open, that would end the program).
void CMidiPorts::CloseMidiInPort() {
    if (m_InPortOpen != 0) {
        if (m_Service.InClose(m_PortData.m_hMidiIn) != MMSYSERR_NOERROR) {
            QUORLIN_TRACE("\nmidiInClose failed");
        }
    }
    m_Input.PortClosed();
}

void CMidiPorts::CloseMidiOutPort() {
    if (m_OutPortOpen != 0) {
        if (m_Service.OutClose(m_PortData.m_hMidiOut) != MMSYSERR_NOERROR) {
            QUORLIN_TRACE("\nmidiOutClose failed");
        }
    }
}

bool CMidiPorts::CreateSysExBuffers() {
    MidiHdr& header = m_PortData.m_MidiInHdr;
    header.Renew(static_cast<size_t>(m_PortData.m_BufferSize));
    MMRESULT result = m_Service.InPrepareHeader(m_PortData.m_hMidiIn, header);
    if (result == MMSYSERR_NOERROR) {
        result = m_Service.InAddBuffer(m_PortData.m_hMidiIn, header);
        if (result == MMSYSERR_NOERROR) {
            return true;
        }
        if (m_InPortOpen != 0) {
            Fault(MidiFault::Where::InAdd, result);
            return false;
        }
    } else if (m_InPortOpen != 0) {
        Fault(MidiFault::Where::InPrepare, result);
        return false;
    }
    // The input did not open ("Cannot Open Midi In Port" said so) and the devices are
    // released on close, so there is no device to attach the buffer to. That is no
    // reason to end the program: the transfer's time-out ends it instead.
    QUORLIN_TRACE("\nno input port for the SYSEX input buffer");
    return true;
}

bool CMidiPorts::CreateOutSysExBuffer() {
    MidiHdr& header = m_PortData.m_MidiOutHdr;
    header.Renew(static_cast<size_t>(m_PortData.m_BufferSize));
    const MMRESULT result = m_Service.OutPrepareHeader(m_PortData.m_hMidiOut, header);
    if (result != MMSYSERR_NOERROR) {
        Fault(MidiFault::Where::OutPrepare, result);
        return false;
    }
    return true;
}

bool CMidiPorts::Released(MMRESULT in_result, MidiFault::Where in_where, MidiHdr& io_header) {
    if (in_result != MMSYSERR_NOERROR) {
        Fault(in_where, in_result);
        return false;
    }
    ReleaseBuffer(io_header);
    return true;
}

bool CMidiPorts::DeleteInSysExBuffer() {
    MidiHdr& header = m_PortData.m_MidiInHdr;
    return Released(m_Service.InUnprepareHeader(m_PortData.m_hMidiIn, header),
                    MidiFault::Where::InUnprepare, header);
}

bool CMidiPorts::DeleteOutSysExBuffer() {
    MidiHdr& header = m_PortData.m_MidiOutHdr;
    return Released(m_Service.OutUnprepareHeader(m_PortData.m_hMidiOut, header),
                    MidiFault::Where::OutUnprepare, header);
}

bool CMidiPorts::CreateAllSysExBuffers() {
    return CreateSysExBuffers() && CreateOutSysExBuffer();
}

bool CMidiPorts::DeleteAllSysExBuffers() {
    return DeleteInSysExBuffer() && DeleteOutSysExBuffer();
}

void CMidiPorts::ReArmInput() {
    if (DeleteInSysExBuffer()) {
        (void)CreateSysExBuffers();
    }
}

bool CMidiPorts::CopyToOutBuffer(const uint8_t* in_message, int32_t in_length) {
    MidiHdr& header = m_PortData.m_MidiOutHdr;
    if (in_length < 0 || static_cast<size_t>(in_length) > header.data.size()) {
        Fault(MidiFault::Where::OutBuffer);
        return false;
    }
    std::memcpy(header.data.data(), in_message, static_cast<size_t>(in_length));
    header.bufferLength = static_cast<uint32_t>(in_length);
    return true;
}

MMRESULT CMidiPorts::SendMessage(const uint8_t* in_message, int32_t in_length, bool in_isWsd) {
    if (!CopyToOutBuffer(in_message, in_length)) {
        return MMSYSERR_INVALPARAM;
    }
    const MMRESULT result = m_Service.OutLongMsg(m_PortData.m_hMidiOut, m_PortData.m_MidiOutHdr);
    if (result != MMSYSERR_NOERROR) {
        Fault(in_isWsd ? MidiFault::Where::SendWantToSend : MidiFault::Where::Send, result);
    }
    return result;
}
