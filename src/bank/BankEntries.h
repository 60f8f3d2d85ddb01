#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mks80/Parameters.h"

class CSysExData;

// One entry of a bank held as a value: which entry, its name and its parameter bytes.
// The document's edits and their undo records are lists of these.
struct BankEntry {
    bool tone = false;
    int index = 0;
    std::string name;
    std::vector<int8_t> data;  // PATCH_PARAM_COUNT or TONE_PARAM_COUNT bytes

    bool operator==(const BankEntry& in_other) const {
        return tone == in_other.tone && index == in_other.index && name == in_other.name &&
               data == in_other.data;
    }
    bool operator!=(const BankEntry& in_other) const { return !(*this == in_other); }
};
using BankEntries = std::vector<BankEntry>;

// One parameter of one entry: a tone's, or a patch's in one half (a patch's shared
// parameters 0 to 2 are the same in both halves). What an edit of a sound names, for
// whatever must follow it (the instrument's current sound, say).
struct EntryParameter {
    mks80::Kind kind = mks80::Kind::Tone;
    int index = 0;
    mks80::Half half = mks80::Half::Upper;
    int number = 0;

    bool operator==(const EntryParameter& in_other) const {
        return kind == in_other.kind && index == in_other.index && half == in_other.half &&
               number == in_other.number;
    }
    bool operator!=(const EntryParameter& in_other) const { return !(*this == in_other); }
};

// Entry in_index (0 to 63) of in_bank as it is now.
BankEntry ReadEntry(const CSysExData& in_bank, bool in_tone, int in_index);
// All 64 patches, then all 64 tones.
BankEntries ReadWholeBank(const CSysExData& in_bank);
// Writes each entry's name and bytes exactly as given, in order (a later value for the
// same entry wins). Rows are not refreshed: the caller knows which rows to repaint.
void WriteEntries(CSysExData& in_bank, const BankEntries& in_entries);
