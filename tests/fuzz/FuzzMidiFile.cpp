// The Standard MIDI File reader; a file it accepts, written again from its messages,
// must read back to the same messages.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bank/StandardMidiFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const MidiFileSysEx read = ReadMidiFileSysEx(data, size);
    if (!read.ok) {
        return 0;
    }
    // Only whole messages (F0H ... F7H, no F7H inside) survive being written as events.
    std::string messages;
    std::vector<std::vector<uint8_t>> whole;
    for (const std::vector<uint8_t>& message : read.messages) {
        if (message.size() >= 2 && message.front() == 0xF0 && message.back() == 0xF7 &&
            std::find(message.begin(), message.end() - 1, 0xF7) == message.end() - 1) {
            messages.append(message.begin(), message.end());
            whole.push_back(message);
        }
    }
    const std::string file = MidiFileOf(messages);
    const MidiFileSysEx again =
        ReadMidiFileSysEx(reinterpret_cast<const uint8_t*>(file.data()), file.size());
    if (!again.ok || again.messages != whole) {
        __builtin_trap();
    }
    return 0;
}
