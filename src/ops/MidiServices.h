#pragma once

#include <memory>
#include <string>

#include "midi/MidiService.h"

namespace ops {

// How the program's MIDI devices are put together.
struct MidiServiceSetup {
    // The built-in instrument's memory file; empty: its memory lasts as long as the service.
    std::string virtualMemoryPath;
    // The channel the built-in instrument answers on, as a real one is set to one.
    int virtualChannel = 1;
};

// The program's MIDI devices: the system's ports (through RtMidi, where it is built in)
// first, the built-in virtual MKS-80 last. Nothing is listed or opened until a device
// is first asked for.
std::unique_ptr<MidiService> MakeMidiService(const MidiServiceSetup& in_setup);

}  // namespace ops
