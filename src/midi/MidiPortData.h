#pragma once

#include <cstdint>

#include "midi/HandshakeMessages.h"
#include "midi/MidiService.h"

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
