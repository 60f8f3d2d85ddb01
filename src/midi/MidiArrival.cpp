#include "midi/MidiArrival.h"

#include <algorithm>
#include <cstddef>

MidiArrival MidiArrival::From(MidiInEvent in_event, const MidiHdr* in_header, uint32_t in_param1,
                              uint64_t in_generation) {
    MidiArrival arrival;
    arrival.event = in_event;
    arrival.param1 = in_param1;
    arrival.generation = in_generation;
    if (in_header != nullptr && arrival.IsLong()) {
        const size_t count = std::min<size_t>(in_header->bytesRecorded, in_header->data.size());
        arrival.bytes.assign(in_header->data.begin(),
                             in_header->data.begin() + static_cast<std::ptrdiff_t>(count));
        arrival.flags = in_header->flags;
    }
    return arrival;
}
