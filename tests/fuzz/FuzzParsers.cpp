// libFuzzer entry point for the two parsers of outside data: the bank file and the
// recorded dump. The first input byte chooses the parser.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "bank/Archive.h"
#include "bank/BlockLayout.h"
#include "bank/SysExData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    CNullBankView view;
    CSysExData bank(&view);
    const uint8_t* body = data + 1;
    const size_t length = size - 1;
    if (data[0] & 1) {
        std::istringstream stream(std::string(reinterpret_cast<const char*>(body), length));
        CArchive archive(stream);
        (void)bank.LoadBank(archive);
    } else {
        bank.ImportSysEx(body, length);
        DecodeBlock(data[0] >> 4, body, length, AccessOf(bank));
    }
    return 0;
}
