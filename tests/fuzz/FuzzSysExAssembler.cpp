// The assembler of system-exclusive messages handed over in pieces: the input is cut
// into chunks at lengths taken from its own bytes.
#include <cstddef>
#include <cstdint>

#include "midi/SysExAssembler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SysExAssembler assembler;
    size_t p = 0;
    while (p < size) {
        const size_t chunk = 1 + data[p] % 64;
        const size_t length = chunk < size - p ? chunk : size - p;
        for (const auto& message : assembler.Feed(data + p, length)) {
            if (message.empty() || message.size() > SysExAssembler::kMaxMessage) {
                __builtin_trap();
            }
        }
        p += length;
    }
    return 0;
}
