#include "bank/BankEntries.h"

#include "bank/SysExData.h"

BankEntry ReadEntry(const CSysExData& in_bank, bool in_tone, int in_index) {
    BankEntry entry;
    entry.tone = in_tone;
    entry.index = in_index;
    if (in_tone) {
        const CToneData* tone = in_bank.GetTone(in_index);
        entry.name = tone->GetName();
        entry.data.assign(tone->GetData(), tone->GetData() + TONE_PARAM_COUNT);
    } else {
        const CPatchData* patch = in_bank.GetPatch(in_index);
        entry.name = patch->GetName();
        entry.data.assign(patch->GetData(), patch->GetData() + PATCH_PARAM_COUNT);
    }
    return entry;
}

BankEntries ReadWholeBank(const CSysExData& in_bank) {
    BankEntries entries;
    entries.reserve(2 * BANK_SIZE);
    for (bool tone : {false, true}) {
        for (int index = 0; index < BANK_SIZE; ++index) {
            entries.push_back(ReadEntry(in_bank, tone, index));
        }
    }
    return entries;
}

void WriteEntries(CSysExData& in_bank, const BankEntries& in_entries) {
    for (const BankEntry& entry : in_entries) {
        // The bytes first: SetData renames an entry that was empty, and the name given
        // is the one to keep.
        if (entry.tone) {
            CToneData* tone = in_bank.GetTone(entry.index);
            if (tone && entry.data.size() == size_t(TONE_PARAM_COUNT)) {
                tone->SetData(entry.data.data());
                tone->SetName(entry.name);
            }
        } else {
            CPatchData* patch = in_bank.GetPatch(entry.index);
            if (patch && entry.data.size() == size_t(PATCH_PARAM_COUNT)) {
                patch->SetData(entry.data.data());
                patch->SetName(entry.name);
            }
        }
    }
}
