#include "midi/SysExAssembler.h"

#include <algorithm>

#include "platform/Trace.h"

namespace {

constexpr uint8_t kSysEx = 0xF0;
constexpr uint8_t kEndOfSysEx = 0xF7;

bool IsRealTime(uint8_t in_byte) {
    return in_byte >= 0xF8;
}
bool IsStatus(uint8_t in_byte) {
    return in_byte >= 0x80;
}

}  // namespace

std::vector<std::vector<uint8_t>> SysExAssembler::Feed(const uint8_t* in_data, size_t in_size) {
    std::vector<std::vector<uint8_t>> messages;
    if (in_data != nullptr && in_size > 0) {
        FeedChunk(in_data, in_size, messages);
    }
    return messages;
}

void SysExAssembler::FeedChunk(const uint8_t* in_data, size_t in_size,
                               std::vector<std::vector<uint8_t>>& out_messages) {
    while (in_size > 0) {
        const uint8_t first = in_data[0];
        if (m_Assembling) {
            if (IsRealTime(first) && in_size == 1) {
                // Real-time bytes may come between the pieces of a message.
                out_messages.push_back({first});
                return;
            }
            if (IsStatus(first) && first != kEndOfSysEx) {
                // A new message begins: the unfinished one can never end.
                QUORLIN_TRACE("\nSysExAssembler: unfinished message of %zu bytes dropped",
                              m_Partial.size());
                m_Partial.clear();
                m_Assembling = false;
                ++m_Dropped;
                continue;
            }
            const size_t used = Append(in_data, in_size, out_messages);
            in_data += used;
            in_size -= used;
            continue;
        }
        if (first == kSysEx) {
            m_Assembling = true;
            m_Partial.clear();
            const size_t used = Append(in_data, in_size, out_messages);
            in_data += used;
            in_size -= used;
            continue;
        }
        if (IsStatus(first) && first != kEndOfSysEx) {
            out_messages.emplace_back(in_data, in_data + in_size);
            return;
        }
        // Data bytes with no message begun: the start of this message was lost.
        ++m_Dropped;
        return;
    }
}

size_t SysExAssembler::Append(const uint8_t* in_data, size_t in_size,
                              std::vector<std::vector<uint8_t>>& out_messages) {
    const uint8_t* end = std::find(in_data, in_data + in_size, kEndOfSysEx);
    const bool complete = end != in_data + in_size;
    const size_t used = static_cast<size_t>(end - in_data) + (complete ? 1 : 0);
    if (m_Partial.size() + used > kMaxMessage) {
        QUORLIN_TRACE("\nSysExAssembler: message longer than %zu bytes dropped", kMaxMessage);
        m_Partial.clear();
        m_Partial.shrink_to_fit();
        m_Assembling = false;
        ++m_Dropped;
        // The rest of an overlong message is dropped as stray data bytes.
        return used;
    }
    m_Partial.insert(m_Partial.end(), in_data, in_data + used);
    if (complete) {
        out_messages.push_back(std::move(m_Partial));
        m_Partial = {};
        m_Assembling = false;
    }
    return used;
}
