// Walks the files under tests/data: a new case is a new file. Bank files named
// ok-* must load and bad-* must be refused; dumps named blocksN-* hold N blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "bank/BankFiles.h"
#include "bank/SysExData.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> FilesIn(const std::string& in_folder) {
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(fs::path(QUORLIN_TEST_DATA) / in_folder)) {
        files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string Stem(const std::string& in_path) {
    return fs::path(in_path).stem().string();
}

// A test name from a file name: letters and digits kept, anything else an underscore.
std::string TestName(const testing::TestParamInfo<std::string>& in_info) {
    std::string name = Stem(in_info.param);
    for (char& c : name) {
        if (!isalnum(static_cast<unsigned char>(c))) {
            c = '_';
        }
    }
    return name;
}

class BankCorpus : public testing::TestWithParam<std::string> {};

TEST_P(BankCorpus, LoadsOrIsRefusedAsItsNameSays) {
    const std::string name = Stem(GetParam());
    CNullBankView view;
    CSysExData bank(&view);
    const BankReadReport report = ReadBankOrDump(GetParam(), bank);
    if (name.rfind("ok-", 0) == 0) {
        EXPECT_EQ(report.result, ReadResult::Ok);
        EXPECT_EQ(report.kind, FileKind::BankFile);
    } else {
        ASSERT_EQ(name.rfind("bad-", 0), 0u) << "corpus files are named ok-* or bad-*";
        EXPECT_EQ(report.result, ReadResult::NotABank);
        // A refused file changes nothing.
        EXPECT_TRUE(bank.GetPatch(0)->IsEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Files, BankCorpus, testing::ValuesIn(FilesIn("banks")), TestName);

class DumpCorpus : public testing::TestWithParam<std::string> {};

TEST_P(DumpCorpus, ReadingTakesTheBlocksItsNameSays) {
    const std::string name = Stem(GetParam());
    ASSERT_EQ(name.rfind("blocks", 0), 0u);
    const int expected = std::stoi(name.substr(6));
    CNullBankView view;
    CSysExData bank(&view);
    const BankReadReport report = ReadBankOrDump(GetParam(), bank);
    EXPECT_EQ(report.result, expected > 0 ? ReadResult::Ok : ReadResult::NoData);
    EXPECT_EQ(report.blocks, expected);
    for (int i = 0; i < BANK_SIZE; ++i) {
        EXPECT_EQ(bank.GetTone(i)->IsEmpty(), i >= 4 * expected) << i;
    }
    EXPECT_EQ(report.WholeBank(),
              expected == 16 && name.find("wrong-checksum") == std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Files, DumpCorpus, testing::ValuesIn(FilesIn("dumps")), TestName);

}  // namespace
