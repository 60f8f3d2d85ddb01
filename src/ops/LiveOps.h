#pragma once

#include <cstdint>
#include <vector>

#include "bank/BankCompare.h"
#include "midi/MidiPorts.h"
#include "mks80/Parameters.h"

class CMidiManager;
class CSysExData;

namespace ops {

// What selecting an entry plays: a patch as its four APRs (its two halves, then the
// two tones it names, from in_bank), a tone as both the upper and the lower tone, so
// that it sounds whatever the key mode. Values out of range go as the nearest valid
// value. Empty for an index outside the bank.
std::vector<std::vector<uint8_t>> AuditionMessages(const CSysExData& in_bank, EntryKind in_kind,
                                                   int in_index, uint8_t in_device);

// The tone a patch half plays: its tone number, or for a damaged one the nearest
// valid number, the one its APR carries.
int PlayedTone(const int8_t* in_patchBytes, mks80::Half in_half);

// The test note: middle C, velocity 100, on in_channel (1 to 16).
std::vector<uint8_t> TestNoteOn(int in_channel);
std::vector<uint8_t> TestNoteOff(int in_channel);

// Sends each message in order; stops at the first that does not go and returns why.
LiveSendResult SendAll(CMidiManager& in_link, const std::vector<std::vector<uint8_t>>& in_messages);

}  // namespace ops
