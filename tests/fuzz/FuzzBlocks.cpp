// A data message as the link receives it and a recorded dump as it is walked: the
// check, the decoding of a message of any length, and the import.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "bank/BlockLayout.h"
#include "bank/SysExData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Banks live across runs: building one costs more than what is tried on it.
    static CNullBankView view;
    static CSysExData bank(&view);
    static CSysExData imported(&view);
    (void)CheckBlock(data, size);
    if (size > 0) {
        DecodeBlock(data[0] & 15, data + 1, size - 1, AccessOf(bank));
    }
    std::vector<int> damaged;
    const int blocks = imported.ImportSysEx(data, size, &damaged);
    if (blocks < 0 || blocks > BLOCK_COUNT || damaged.size() > size_t(blocks)) {
        __builtin_trap();
    }
    return 0;
}
