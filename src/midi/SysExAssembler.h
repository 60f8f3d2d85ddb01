#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Puts system-exclusive messages back together when the MIDI library hands them
// over in pieces (WinMM does: a chunk that starts with F0H and lacks F7H, then
// continuation chunks of data bytes, the last ending in F7H). Each chunk that is
// not part of a system-exclusive message is one short message and passes through.
class SysExAssembler {
  public:
    // A system-exclusive message that grows beyond this without ending is dropped.
    static constexpr size_t kMaxMessage = 65536;

    // Takes one chunk as the library delivered it; returns the messages it
    // completes, in order (possibly none).
    std::vector<std::vector<uint8_t>> Feed(const uint8_t* in_data, size_t in_size);

    // True while a system-exclusive message has begun but not ended.
    bool Assembling() const { return m_Assembling; }
    // Chunks dropped so far: unfinished messages that a new status byte
    // interrupted, stray continuation bytes, and overlong messages.
    size_t Dropped() const { return m_Dropped; }

  private:
    void FeedChunk(const uint8_t* in_data, size_t in_size,
                   std::vector<std::vector<uint8_t>>& out_messages);
    // Appends in_data up to and including the first F7H; returns the bytes used.
    size_t Append(const uint8_t* in_data, size_t in_size,
                  std::vector<std::vector<uint8_t>>& out_messages);

    std::vector<uint8_t> m_Partial;
    bool m_Assembling = false;
    size_t m_Dropped = 0;
};
