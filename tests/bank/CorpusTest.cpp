// Walks the files under tests/data: a new case is a new file. Bank files named
// ok-* must load and bad-* must be refused; dumps named blocksN-* hold N blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
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
    const ReadResult result = ReadBankOrDump(GetParam(), bank);
    if (name.rfind("ok-", 0) == 0) {
        EXPECT_EQ(result, ReadResult::Ok);
    } else {
        ASSERT_EQ(name.rfind("bad-", 0), 0u) << "corpus files are named ok-* or bad-*";
        EXPECT_EQ(result, ReadResult::NotABank);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, BankCorpus, testing::ValuesIn(FilesIn("banks")), TestName);

class DumpCorpus : public testing::TestWithParam<std::string> {};

TEST_P(DumpCorpus, ImportTakesTheBlocksItsNameSays) {
    const std::string name = Stem(GetParam());
    ASSERT_EQ(name.rfind("blocks", 0), 0u);
    const int expected = std::stoi(name.substr(6));
    std::ifstream file(GetParam(), std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
    CNullBankView view;
    CSysExData bank(&view);
    EXPECT_EQ(bank.ImportSysEx(bytes.data(), bytes.size()), expected);
    for (int i = 0; i < BANK_SIZE; ++i) {
        EXPECT_EQ(bank.GetTone(i)->IsEmpty(), i >= 4 * expected) << i;
    }
    CSysExData viaFile(&view);
    EXPECT_EQ(ReadBankOrDump(GetParam(), viaFile),
              expected > 0 ? ReadResult::Ok : ReadResult::NotABank);
}

INSTANTIATE_TEST_SUITE_P(Files, DumpCorpus, testing::ValuesIn(FilesIn("dumps")), TestName);

TEST(BankFiles, AFailedWriteLeavesTheOldFileAndNoPartialFile) {
    const fs::path dir =
        fs::temp_directory_path() / ("quorlin-write-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    const std::string target = (dir / "bank.m80").string();
    ASSERT_TRUE(WriteFileAtomically(target, "old"));
    ASSERT_TRUE(WriteFileAtomically(target, "new contents"));
    std::ifstream in(target);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "new contents");
    EXPECT_FALSE(WriteFileAtomically((dir / "missing-folder" / "x.m80").string(), "x"));
    EXPECT_FALSE(fs::exists(dir / "missing-folder"));
    fs::remove_all(dir);
}

}  // namespace
