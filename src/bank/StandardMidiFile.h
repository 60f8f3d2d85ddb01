#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Standard MIDI Files, as far as a bank needs them: the system-exclusive events of a
// format 0 or 1 file read out in playing order, and a format-0 file written from
// system-exclusive messages.

// True when in_data starts with the "MThd" chunk of a Standard MIDI File.
bool StartsLikeMidiFile(const uint8_t* in_data, size_t in_size);

struct MidiFileSysEx {
    bool ok = false;
    std::string error;                           // why the file was refused, when !ok
    std::vector<std::vector<uint8_t>> messages;  // F0H ... F7H each, in playing order
};

// The system-exclusive messages of the file: each F0H event with the F7H
// continuation events that follow it in its track joined to it. Tracks of a
// format-1 file are merged by time. Never reads past in_size.
MidiFileSysEx ReadMidiFileSysEx(const uint8_t* in_data, size_t in_size);

// A format-0 file playing in_messages (F0H ... F7H each, back to back) one after the
// other, each starting no earlier than the previous one takes on a 31 250-baud cable.
std::string MidiFileOf(const std::string& in_messages);
