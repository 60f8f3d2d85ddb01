#include "bank/SysExData.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "platform/Prompter.h"

const char* const kEmptyName = "------Empty------";
const char* const kPatchPlaceholder = "------Patch------";
const char* const kTonePlaceholder = "------Tone-------";

namespace {
// The steel drum patch and tone: what every entry of a new bank holds.
const int8_t kDefaultPatch[PATCH_PARAM_COUNT] = {3,  60, 50, 5, 3, 2, 5, 5, 0, 0, 0, 0,
                                                 55, 5,  3,  2, 5, 5, 0, 0, 0, 0, 55};
const int8_t kDefaultTone[TONE_PARAM_COUNT] = {11, 50, 0, 51, 5, 6,  32, 0,  0, 24, 37, 4,  46,
                                               32, 25, 0, 51, 0, 22, 82, 0,  0, 52, 24, 68, 0,
                                               68, 30, 0, 53, 0, 50, 35, 11, 7, 4,  15, 5,  5};
}  // namespace

std::string EntryNumber(int in_index) {
    std::string number;
    number += static_cast<char>('1' + in_index / 8);
    number += static_cast<char>('1' + in_index % 8);
    return number;
}

int EntryIndexFromNumber(const std::string& in_number) {
    if (in_number.size() != 2 || in_number[0] < '1' || in_number[0] > '8' || in_number[1] < '1' ||
        in_number[1] > '8') {
        return -1;
    }
    return (in_number[0] - '1') * 8 + (in_number[1] - '1');
}

template <bool IsTone>
CEntryData<IsTone>::CEntryData() {
    SetDefaults();
}

template <bool IsTone>
void CEntryData<IsTone>::SetDefaults() {
    m_Name = kEmptyName;
    std::copy_n(IsTone ? kDefaultTone : kDefaultPatch, kParamCount, m_Data.begin());
}

template <bool IsTone>
void CEntryData<IsTone>::SetData(const int8_t* in_data) {
    std::memcpy(m_Data.data(), in_data, kParamCount);
    if (IsEmpty()) {
        m_Name = IsTone ? kTonePlaceholder : kPatchPlaceholder;
    }
}

template class CEntryData<false>;
template class CEntryData<true>;

bool CPatchData::UsesTone(int in_tone) const {
    return m_Data[mks80::PATCH_UPPER_TONE_BYTE] == in_tone ||
           m_Data[mks80::PATCH_LOWER_TONE_BYTE] == in_tone;
}

CSysExData::CSysExData(CBankView* in_ptrView) : m_ptrView(in_ptrView) {
    assert(in_ptrView && "in_ptrView");
}

CPatchData* CSysExData::GetPatch(int in_index) {
    return const_cast<CPatchData*>(static_cast<const CSysExData*>(this)->GetPatch(in_index));
}

CToneData* CSysExData::GetTone(int in_index) {
    return const_cast<CToneData*>(static_cast<const CSysExData*>(this)->GetTone(in_index));
}

namespace {
// Entry in_index of in_entries, or nullptr after the invalid-index message of in_method.
template <typename Entries>
auto EntryAt(Entries& in_entries, int in_index, const char* in_method) -> decltype(&in_entries[0]) {
    if (in_index < 0 || in_index >= BANK_SIZE) {
        platform::GetPrompter().Message(std::string("Invalid index passed to CSysExData::") +
                                        in_method);
        return nullptr;
    }
    return &in_entries[static_cast<size_t>(in_index)];
}
}  // namespace

const CPatchData* CSysExData::GetPatch(int in_index) const {
    return EntryAt(m_Patches, in_index, "GetPatch");
}

const CToneData* CSysExData::GetTone(int in_index) const {
    return EntryAt(m_Tones, in_index, "GetTone");
}

bool CSysExData::CopyEntryToRecord(bool in_tone, int in_index, uint8_t* out_place) const {
    const auto copy = [out_place](const auto* in_entry) {
        if (!in_entry) {
            return false;
        }
        const std::string name = in_entry->GetName();
        std::memset(out_place, 0, CLIPBOARD_NAME_FIELD);
        std::memcpy(out_place, name.data(), std::min<size_t>(name.size(), CLIPBOARD_MAX_NAME));
        std::memcpy(out_place + CLIPBOARD_NAME_FIELD, in_entry->GetData(), in_entry->kParamCount);
        return true;
    };
    return in_tone ? copy(GetTone(in_index)) : copy(GetPatch(in_index));
}

void CopyEntries(const CSysExData& in_from, CSysExData& io_to, int in_first, int in_count) {
    for (int i = in_first; i < in_first + in_count; ++i) {
        *io_to.GetPatch(i) = *in_from.GetPatch(i);
        *io_to.GetTone(i) = *in_from.GetTone(i);
        io_to.GetView()->RefreshRow(i);
    }
}
