#include <gtest/gtest.h>

#include <filesystem>
#include <random>
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
    // A library of that one bank, so no other file's names can win.
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("quorlin-ops-library-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(named, folder / "named.m80",
                               std::filesystem::copy_options::overwrite_existing);
    const CLibraryIndex index = CLibraryIndex::Build(folder.string());
    std::filesystem::remove_all(folder);

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
