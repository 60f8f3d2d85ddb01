#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "mks80/Messages.h"

class CPatchData;
class CToneData;
class CSysExData;

constexpr int BLOCK_COUNT = 16;
constexpr int BLOCK_SIZE = 255;
constexpr int BLOCK_HEADER_SIZE = static_cast<int>(mks80::HANDSHAKE_HEADER_SIZE);
constexpr int BLOCK_PAYLOAD_SIZE = 248;
// A slot: a tone's bytes, then a patch's.
constexpr int BLOCK_SLOT_SIZE = mks80::TONE_BYTES + mks80::PATCH_BYTES;
constexpr int BLOCK_SLOTS = 4;
constexpr int BLOCK_CHECKSUM_OFFSET = 253;

using DataMessage = std::array<uint8_t, BLOCK_SIZE>;

// How the block operations reach the entries of one bank by index.
struct EntryAccess {
    std::function<CToneData*(int)> tone;
    std::function<CPatchData*(int)> patch;
};
// The entries of a bank held directly.
EntryAccess AccessOf(CSysExData& in_bank);

// (128 - (sum mod 128)) mod 128 over in_count bytes.
uint8_t Checksum(const uint8_t* in_payload, size_t in_count = BLOCK_PAYLOAD_SIZE);

// Builds the 255-byte data message of block in_block (0 to 15) behind in_header.
DataMessage EncodeBlock(int in_block, const EntryAccess& in_entries,
                        const uint8_t (&in_header)[BLOCK_HEADER_SIZE]);

// Stores the slots of a received data message of in_length bytes into block
// in_block's entries. Only complete slots are stored: a slot is complete when all
// of its 62 bytes lie inside the message. Returns the number of slots stored.
int DecodeBlock(int in_block, const uint8_t* in_message, size_t in_length,
                const EntryAccess& in_entries);

enum class BlockCheck { Ok, WrongLength, BadChecksum };
// Whether a received data message is whole: 255 bytes and a matching checksum.
BlockCheck CheckBlock(const uint8_t* in_message, size_t in_length);

// The indices of the entries whose patch or tone holds a parameter byte of 80H or
// more, in order. Such a byte would end a system-exclusive message on the wire, so
// a bank that has any cannot be sent; a bank file may hold any byte.
std::vector<int> EntriesWithHighBytes(const CSysExData& in_bank);

// Entry numbers as the user sees them, separated by spaces ("12 34") or in_separator.
std::string EntryNumberList(const std::vector<int>& in_indices, const char* in_separator = " ");
