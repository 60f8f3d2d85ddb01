#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "bank/BankFiles.h"
#include "bank/SysExData.h"
#include "ops/LibraryOps.h"

namespace {

TEST(LibraryOpsTest, NamedEntriesKeepTheirBytesAndLeaveTheBankAsItWas) {
    const std::string named = std::string(QUORLIN_TEST_DATA) + "/banks/ok-named-entries.m80";
    CNullBankView view;
    CSysExData library(&view);
    ASSERT_EQ(ReadBankOrDump(named, library).result, ReadResult::Ok);
    const CLibraryIndex index = CLibraryIndex::Build(std::string(QUORLIN_TEST_DATA) + "/banks");

    // The library's bytes under placeholder names, patch 18 given other bytes.
    CSysExData bank(&view);
    CopyEntries(library, bank, 0, BANK_SIZE);
    for (int i = 0; i < BANK_SIZE; ++i) {
        bank.GetPatch(i)->SetName(kPatchPlaceholder);
        bank.GetTone(i)->SetName(kTonePlaceholder);
    }
    bank.GetPatch(7)->GetData()[0] = 99;
    const BankEntries before = ReadWholeBank(bank);

    const ops::LibraryNamingResult result = ops::NameFromLibrary(bank, index);
    EXPECT_EQ(ReadWholeBank(bank), before);
    ASSERT_EQ(result.entries.size(), 127u) << "all but patch 18";
    for (const BankEntry& entry : result.entries) {
        EXPECT_EQ(entry.data, ReadEntry(bank, entry.tone, entry.index).data);
        EXPECT_EQ(entry.name, ReadEntry(library, entry.tone, entry.index).name);
    }
}

}  // namespace
