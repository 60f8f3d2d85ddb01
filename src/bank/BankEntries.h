#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

// Entry in_index (0 to 63) of in_bank as it is now.
BankEntry ReadEntry(const CSysExData& in_bank, bool in_tone, int in_index);
// All 64 patches, then all 64 tones.
BankEntries ReadWholeBank(const CSysExData& in_bank);
// Writes each entry's name and bytes exactly as given, in order (a later value for the
// same entry wins). Rows are not refreshed: the caller knows which rows to repaint.
void WriteEntries(CSysExData& in_bank, const BankEntries& in_entries);
