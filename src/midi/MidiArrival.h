#pragma once

#include <cstdint>
#include <vector>

#include "midi/MidiService.h"

// One message as the service's input thread handed it over: a copy, since the
// buffer it came in goes back to the service.
struct MidiArrival {
    MidiInEvent event = MidiInEvent::Data;
    std::vector<uint8_t> bytes;  // a long message's bytes
    uint32_t param1 = 0;         // a short message (status in the low byte)
    uint32_t flags = 0;          // the buffer's flags as it came back
    uint64_t generation = 0;     // which opening of the input port it came through

    // What the service's callback was given, copied.
    static MidiArrival From(MidiInEvent in_event, const MidiHdr* in_header, uint32_t in_param1,
                            uint64_t in_generation = 0);

    bool IsLong() const {
        return event == MidiInEvent::LongData || event == MidiInEvent::LongError;
    }
    // Clock, active sensing and the other real-time bytes (F8H to FFH).
    bool IsRealTime() const { return event == MidiInEvent::Data && (param1 & 0xFF) >= 0xF8; }
};
