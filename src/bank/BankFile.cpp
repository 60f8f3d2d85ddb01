// The bank file: 64 entries of patch name, 23 bytes, tone name, 39 bytes.
#include <cassert>
#include <type_traits>

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
    // One entry's name and bytes. A file that ends inside them, the last tone's too, is
    // cut short like any other: the bytes that never came are not used.
    const auto read = [&ar](auto& io_entry, int in_index, std::vector<int>* out_empty) {
        int8_t bytes[std::decay_t<decltype(io_entry)>::kParamCount];
        io_entry.SetName(ar.ReadString());
        if (ar.Read(bytes, sizeof bytes) != sizeof bytes) {
            return false;
        }
        if (out_empty && io_entry.IsEmpty()) {
            out_empty->push_back(in_index);
        }
        io_entry.SetData(bytes);
        return true;
    };
    try {
        for (int i = 0; i < BANK_SIZE; ++i) {
            if (!read(m_Patches[static_cast<size_t>(i)], i,
                      out_emptyInFile ? &out_emptyInFile->patches : nullptr) ||
                !read(m_Tones[static_cast<size_t>(i)], i,
                      out_emptyInFile ? &out_emptyInFile->tones : nullptr)) {
                return false;
            }
            m_ptrView->RefreshRow(i);
        }
    } catch (const CArchiveEndOfFile&) {
        return false;
    }
    return true;
}
