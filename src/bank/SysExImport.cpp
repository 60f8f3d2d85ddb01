// Reading a bank from a recorded bulk dump: the handshake messages in file order.
#include <algorithm>
#include <iterator>
#include <vector>

#include "bank/BlockLayout.h"
#include "bank/SysExData.h"
#include "mks80/Messages.h"
#include "platform/Trace.h"

namespace {
// Real-time messages (clock, active sensing, ...) are one byte from F8H up; a
// recorder keeps them wherever they fell, even inside a system-exclusive message.
constexpr uint8_t kFirstRealTime = 0xF8;

#ifndef NDEBUG
void TraceMessageStart(const uint8_t* in_buffer, size_t in_size, size_t p) {
    QUORLIN_TRACE("\n");
    for (size_t i = p; i < std::min(p + 21, in_size); ++i) {
        QUORLIN_TRACE("%x  ",
                      static_cast<unsigned>(static_cast<int>(static_cast<int8_t>(in_buffer[i]))));
    }
}
#endif
}  // namespace

int CSysExData::ImportSysEx(const uint8_t* in_buffer, size_t in_size,
                            std::vector<int>* out_badChecksums) {
    std::vector<uint8_t> messages;
    messages.reserve(std::min(in_size, SYSEX_IMPORT_LIMIT));
    std::copy_if(in_buffer, in_buffer + std::min(in_size, SYSEX_IMPORT_LIMIT),
                 std::back_inserter(messages), [](uint8_t b) { return b < kFirstRealTime; });
    const uint8_t* buffer = messages.data();
    const size_t size = messages.size();
    size_t p = 0;
    int blocks = 0;
    int entry = 0;
    // Whatever the file holds, nothing past its last byte is read: a dump cut
    // short ends the walk with the entries filled so far.
    while (blocks < BLOCK_COUNT) {
#ifndef NDEBUG
        TraceMessageStart(buffer, size, p);
#endif
        if (p + 2 >= size) {
            break;
        }
        const uint8_t command = buffer[p + 2];
        if (command == mks80::HS_DAT) {
            QUORLIN_TRACE("\nFound real data");
            if (p + BLOCK_SIZE > size) {
                break;
            }
            // Recorded files have no other copy: a damaged block is still taken, but named.
            if (out_badChecksums && CheckBlock(buffer + p, BLOCK_SIZE) != BlockCheck::Ok) {
                out_badChecksums->push_back(blocks);
            }
            const uint8_t* slot = buffer + p + BLOCK_HEADER_SIZE;
            for (int j = 0; j < BLOCK_SLOTS; ++j, ++entry, slot += BLOCK_SLOT_SIZE) {
                m_Tones[static_cast<size_t>(entry)].SetData(reinterpret_cast<const int8_t*>(slot));
                m_Patches[static_cast<size_t>(entry)].SetData(
                    reinterpret_cast<const int8_t*>(slot + TONE_PARAM_COUNT));
                m_ptrView->RefreshRow(entry);
            }
            p += BLOCK_SIZE;
            ++blocks;
            continue;
        }
        QUORLIN_TRACE("\n%x",
                      static_cast<unsigned>(static_cast<int>(static_cast<int8_t>(buffer[p]))));
        QUORLIN_TRACE("\t%x",
                      static_cast<unsigned>(static_cast<int>(static_cast<int8_t>(buffer[p + 1]))));
        QUORLIN_TRACE("\t operation %x",
                      static_cast<unsigned>(static_cast<int>(static_cast<int8_t>(command))));
        // Our own handshake, recorded along with the instrument's answers, is skipped.
        if (command == mks80::HS_WSD || command == mks80::HS_RQD) {
            p += mks80::NAMED_HANDSHAKE_SIZE;
            continue;
        }
        if (command == mks80::HS_ACK) {
            p += mks80::SHORT_HANDSHAKE_SIZE;
            continue;
        }
        QUORLIN_TRACE("haven't implemented this operation code skipper");
        break;
    }
    return blocks;
}
