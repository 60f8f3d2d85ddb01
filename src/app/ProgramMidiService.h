#pragma once

#include <memory>
#include <string>

#include "midi/MidiService.h"

// The program's MIDI devices: the system's ports (through RtMidi, where it is built in)
// first, the virtual MKS-80 with its memory at in_virtualMemoryPath last. The ports are
// listed when first asked for, not at construction.
std::unique_ptr<MidiService> MakeProgramMidiService(const std::string& in_virtualMemoryPath);
