#include "bank/BlockLayout.h"

#include <algorithm>
#include <cstring>

#include "bank/SysExData.h"

EntryAccess AccessOf(CSysExData& in_bank) {
    return {[&in_bank](int i) { return in_bank.GetTone(i); },
            [&in_bank](int i) { return in_bank.GetPatch(i); }};
}

uint8_t Checksum(const uint8_t* in_payload, size_t in_count) {
    uint32_t sum = 0;
    for (size_t i = 0; i < in_count; ++i) {
        sum += in_payload[i];
    }
    return static_cast<uint8_t>((128 - (sum % 128)) % 128);
}

DataMessage EncodeBlock(int in_block, const EntryAccess& in_entries,
                        const uint8_t (&in_header)[BLOCK_HEADER_SIZE]) {
    DataMessage message{};
    std::memcpy(message.data(), in_header, BLOCK_HEADER_SIZE);
    for (int j = 0; j < BLOCK_SLOTS; ++j) {
        const int entry = 4 * in_block + j;
        uint8_t* slot = message.data() + BLOCK_HEADER_SIZE + BLOCK_SLOT_SIZE * j;
        if (const CToneData* tone = in_entries.tone(entry)) {
            std::memcpy(slot, tone->GetData(), TONE_PARAM_COUNT);
        }
        if (const CPatchData* patch = in_entries.patch(entry)) {
            std::memcpy(slot + TONE_PARAM_COUNT, patch->GetData(), PATCH_PARAM_COUNT);
        }
    }
    message[BLOCK_CHECKSUM_OFFSET] = Checksum(message.data() + BLOCK_HEADER_SIZE);
    message[BLOCK_SIZE - 1] = mks80::SYSEX_END;
    return message;
}

int DecodeBlock(int in_block, const uint8_t* in_message, size_t in_length,
                const EntryAccess& in_entries) {
    int stored = 0;
    for (int j = 0; j < BLOCK_SLOTS; ++j) {
        const size_t start = BLOCK_HEADER_SIZE + size_t(BLOCK_SLOT_SIZE) * j;
        if (start + BLOCK_SLOT_SIZE > in_length) {
            break;
        }
        const int entry = 4 * in_block + j;
        const auto* slot = reinterpret_cast<const int8_t*>(in_message + start);
        if (CToneData* tone = in_entries.tone(entry)) {
            tone->SetData(slot);
        }
        if (CPatchData* patch = in_entries.patch(entry)) {
            patch->SetData(slot + TONE_PARAM_COUNT);
        }
        ++stored;
    }
    return stored;
}

BlockCheck CheckBlock(const uint8_t* in_message, size_t in_length) {
    if (in_length != BLOCK_SIZE) {
        return BlockCheck::WrongLength;
    }
    if (Checksum(in_message + BLOCK_HEADER_SIZE) != in_message[BLOCK_CHECKSUM_OFFSET]) {
        return BlockCheck::BadChecksum;
    }
    return BlockCheck::Ok;
}

std::vector<int> EntriesWithHighBytes(const CSysExData& in_bank) {
    auto high = [](const int8_t* in_data, int in_count) {
        return std::any_of(in_data, in_data + in_count, [](int8_t b) { return b < 0; });
    };
    std::vector<int> indices;
    for (int i = 0; i < BANK_SIZE; ++i) {
        if (high(in_bank.GetPatch(i)->GetData(), PATCH_PARAM_COUNT) ||
            high(in_bank.GetTone(i)->GetData(), TONE_PARAM_COUNT)) {
            indices.push_back(i);
        }
    }
    return indices;
}

std::string EntryNumberList(const std::vector<int>& in_indices, const char* in_separator) {
    std::string text;
    for (int index : in_indices) {
        text += (text.empty() ? "" : in_separator) + EntryNumber(index);
    }
    return text;
}
