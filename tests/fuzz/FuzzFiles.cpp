// The real file entry: whatever bytes a file holds, reading it as a bank, dump or MIDI
// file neither crashes nor changes the bank unless it is taken.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bank/BankFiles.h"
#include "bank/SysExData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path =
        std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/quorlin-fuzz-" +
        std::to_string(getpid()) + ".bin";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::abort();
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    // The bank lives across runs: building one costs more than reading most inputs.
    static CNullBankView view;
    static CSysExData bank(&view);
    const std::string before = BankFileBytes(bank);
    const BankReadReport report = ReadBankOrDump(path, bank);
    if (report.result != ReadResult::Ok && BankFileBytes(bank) != before) {
        std::abort();  // a refused file changed the bank
    }
    (void)DescribeRead(report);
    (void)DescribeRefusal(report);
    return 0;
}
