// The bank file: 64 entries of patch name, 23 bytes, tone name, 39 bytes.
#include <cassert>

#include "bank/Archive.h"
#include "bank/SysExData.h"

bool CSysExData::StoreBank(CArchive& ar) const {
    for (int i = 0; i < BANK_SIZE; ++i) {
        const CPatchData& patch = m_Patches[static_cast<size_t>(i)];
        const CToneData& tone = m_Tones[static_cast<size_t>(i)];
        const int8_t* ptrPatchData = patch.GetData();
        const int8_t* ptrToneData = tone.GetData();
        assert(ptrPatchData && "ptrPatchData");
        assert(ptrToneData && "ptrToneData");
        ar.WriteString(patch.GetName());
        ar.Write(ptrPatchData, PATCH_PARAM_COUNT);
        ar.WriteString(tone.GetName());
        ar.Write(ptrToneData, TONE_PARAM_COUNT);
    }
    return ar.Good();
}

bool CSysExData::LoadBank(CArchive& ar, EmptyEntries* out_emptyInFile) {
    try {
        for (int i = 0; i < BANK_SIZE; ++i) {
            CPatchData& patch = m_Patches[static_cast<size_t>(i)];
            CToneData& tone = m_Tones[static_cast<size_t>(i)];
            int8_t patchBytes[PATCH_PARAM_COUNT];
            int8_t toneBytes[TONE_PARAM_COUNT];

            patch.SetName(ar.ReadString());
            if (ar.Read(patchBytes, PATCH_PARAM_COUNT) != PATCH_PARAM_COUNT) {
                return false;
            }
            if (out_emptyInFile && patch.IsEmpty()) {
                out_emptyInFile->patches.push_back(i);
            }
            patch.SetData(patchBytes);
            tone.SetName(ar.ReadString());
            // A file that ends inside the last tone's bytes is cut short like any
            // other: the bytes that never came are not used.
            if (ar.Read(toneBytes, TONE_PARAM_COUNT) != TONE_PARAM_COUNT) {
                return false;
            }
            if (out_emptyInFile && tone.IsEmpty()) {
                out_emptyInFile->tones.push_back(i);
            }
            tone.SetData(toneBytes);
            m_ptrView->RefreshRow(i);
        }
    } catch (const CArchiveEndOfFile&) {
        return false;
    }
    return true;
}
