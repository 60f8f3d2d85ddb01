#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "bank/BankCompare.h"
#include "bank/BankFiles.h"
#include "bank/LibraryFilter.h"
#include "bank/LibraryIndex.h"
#include "bank/SysExData.h"
#include "mks80/NewSounds.h"

namespace fs = std::filesystem;

namespace {

// Gives patch in_index bytes of its own, all equal to in_value.
void SetPatchBytes(CSysExData& io_bank, int in_index, int8_t in_value) {
    int8_t bytes[PATCH_PARAM_COUNT];
    std::fill(std::begin(bytes), std::end(bytes), in_value);
    io_bank.GetPatch(in_index)->SetData(bytes);
}

class LibraryFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        m_Root = fs::temp_directory_path() /
                 ("quorlin-library-" +
                  std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        fs::remove_all(m_Root);
        fs::create_directories(m_Root / "old" / "deeper");
    }
    void TearDown() override { fs::remove_all(m_Root); }

    // Writes in_bank as in_name, last modified in_hoursAgo hours ago.
    void Write(const std::string& in_name, const CSysExData& in_bank, int in_hoursAgo) {
        WriteBytes(in_name, BankFileBytes(in_bank), in_hoursAgo);
    }
    void WriteBytes(const std::string& in_name, const std::string& in_bytes, int in_hoursAgo) {
        const fs::path path = m_Root / in_name;
        std::ofstream(path, std::ios::binary) << in_bytes;
        fs::last_write_time(path,
                            fs::file_time_type::clock::now() - std::chrono::hours(in_hoursAgo));
    }

    fs::path m_Root;
    CNullBankView m_View;
};

}  // namespace

TEST(BankCompare, ListsByteChangesAndRenamesApartAndSaysWhenEqual) {
    CNullBankView view;
    CSysExData first(&view);
    CSysExData second(&view);
    EXPECT_TRUE(CompareBanks(first, second).Equal());

    second.GetPatch(2)->GetData()[3] = 9;
    second.GetPatch(2)->GetData()[22] = -1;
    second.GetTone(63)->SetName("Glass\tBell");
    second.GetTone(8)->SetName("Moved");
    second.GetTone(8)->GetData()[0] = 12;

    const BankComparison result = CompareBanks(first, second);
    ASSERT_EQ(result.entries.size(), 3u);
    EXPECT_FALSE(result.SameBytes());
    EXPECT_EQ(result.RenamedCount(), 1);
    EXPECT_EQ(DifferenceLine(result.entries[0]),
              "differs\tpatch\t13\t------Empty------\t------Empty------\t3:5>9 22:55>-1");
    EXPECT_EQ(DifferenceLine(result.entries[1]),
              "differs\ttone\t21\t------Empty------\tMoved\t0:11>12");
    EXPECT_EQ(DifferenceLine(result.entries[2]),
              "renamed\ttone\t88\t------Empty------\tGlass\\tBell");

    second.GetPatch(2)->SetData(first.GetPatch(2)->GetData());
    second.GetTone(8)->SetData(first.GetTone(8)->GetData());
    EXPECT_TRUE(CompareBanks(first, second).SameBytes());
    EXPECT_FALSE(CompareBanks(first, second).Equal());
}

// Each side's value as the panel shows it, the patch's shared parameters once, and
// nothing for bits no parameter uses.
TEST(BankCompare, NamesTheParametersThatDiffer) {
    CNullBankView view;
    CSysExData first(&view);
    CSysExData second(&view);
    int8_t* tone = second.GetTone(5)->GetData();
    first.GetTone(5)->GetData()[14] = 40;
    tone[14] = 72;                                              // VCF cutoff
    tone[33] = static_cast<int8_t>((tone[33] & ~0x03) | 0x03);  // LFO-1 waveform
    first.GetTone(5)->GetData()[33] = static_cast<int8_t>((tone[33] & ~0x03) | 0x01);
    tone[38] = static_cast<int8_t>(tone[38] ^ 0x40);  // an unused bit
    int8_t* patch = second.GetPatch(1)->GetData();
    patch[1] = 87;   // split point
    patch[13] = 64;  // lower tone number: no such tone
    patch[19] = 20;  // lower glide

    const BankComparison result = CompareBanks(first, second);
    ASSERT_EQ(result.entries.size(), 2u);
    std::vector<std::string> texts;
    for (const EntryDifference& entry : result.entries) {
        for (const ParameterDifference& each : entry.parameters) {
            texts.push_back(ParameterDifferenceText(each));
        }
    }
    EXPECT_EQ(texts,
              (std::vector<std::string>{
                  "Split point A5 > C8", "Lower tone number 16 > 64 (out of range)",
                  "Lower glide 0 > 20", "LFO-1 waveform Square > Triangle", "VCF cutoff 40 > 72"}));
    EXPECT_EQ(result.entries[1].bytes.size(), 3u) << "the unused bit is still a byte difference";
}

TEST_F(LibraryFolder, NewestFileWinsTiesAndDamagedFilesAreSkippedWithANote) {
    CSysExData old(&m_View);
    SetPatchBytes(old, 0, 40);
    old.GetPatch(0)->SetName("Old Brass");
    SetPatchBytes(old, 1, 41);
    old.GetPatch(1)->SetName("Only Here");
    old.GetTone(5)->SetName("Default Tone");
    Write("old/deeper/a.m80", old, 48);

    CSysExData newer(&m_View);
    SetPatchBytes(newer, 7, 40);
    newer.GetPatch(7)->SetName("New Brass");
    Write("B.M80", newer, 1);

    const std::string whole = BankFileBytes(newer);
    WriteBytes("cut.m80", whole.substr(0, whole.size() / 2), 0);
    WriteBytes("text.m80", "this is not a bank", 0);
    WriteBytes("empty.m80", "", 0);
    WriteBytes("ignored.txt", whole, 0);

    const CLibraryIndex index = CLibraryIndex::Build(m_Root.u8string());
    EXPECT_TRUE(index.FolderRead());
    ASSERT_EQ(index.Files().size(), 2u);
    ASSERT_EQ(index.Notes().size(), 3u);
    EXPECT_NE(index.Notes()[0].find("cut.m80"), std::string::npos);
    EXPECT_EQ(index.Entries().size(), 4u);

    // A fetched bank: every entry a placeholder, except one the user named since.
    CSysExData fetched(&m_View);
    SetPatchBytes(fetched, 10, 40);
    SetPatchBytes(fetched, 11, 41);
    SetPatchBytes(fetched, 12, 41);
    fetched.GetPatch(12)->SetName("Mine");
    for (int i = 0; i < BANK_SIZE; ++i) {
        fetched.GetTone(i)->SetData(CSysExData(&m_View).GetTone(0)->GetData());
    }
    const LibraryNaming naming = NamesFromLibrary(fetched, index);
    EXPECT_EQ(naming.patches, 2);
    EXPECT_EQ(naming.tones, 64);
    EXPECT_EQ(naming.files, 2);
    ASSERT_EQ(naming.names.size(), 66u);
    EXPECT_EQ(naming.names[0].name, "New Brass");
    EXPECT_EQ(naming.names[1].name, "Only Here");
    EXPECT_EQ(naming.names[2].name, "Default Tone");
    EXPECT_EQ(NamingSummary(naming), "Named 2 patches and 64 tones from your library (2 files)");

    // The Library window's filter: any case, narrowing as the user types, and back.
    auto shared = std::make_shared<const CLibraryIndex>(index);
    CLibraryFilter filter(shared);
    const auto names = [&](const std::string& in_text) {
        std::string out;
        for (uint32_t row : filter.Filter(in_text)) {
            out += shared->Name(shared->Entries()[row]) + ";";
        }
        return out;
    };
    EXPECT_EQ(names("BRASS"), "New Brass;Old Brass;");
    EXPECT_EQ(names("w brass"), "New Brass;");
    EXPECT_EQ(names("e"), "New Brass;Only Here;Default Tone;");
    EXPECT_EQ(filter.Filter("").size(), 4u);

    // Touching the older file makes it the newest: its name wins from now on.
    fs::last_write_time(m_Root / "old/deeper/a.m80", fs::file_time_type::clock::now());
    const CLibraryIndex again = CLibraryIndex::Build(m_Root.u8string());
    EXPECT_EQ(again.Name(*again.Find(EntryKind::Patch, fetched.GetPatch(10)->GetData())),
              "Old Brass");
}

TEST_F(LibraryFolder, AMissingFolderIsReportedNotRead) {
    const CLibraryIndex index = CLibraryIndex::Build((m_Root / "nothing").u8string());
    EXPECT_FALSE(index.FolderRead());
    EXPECT_TRUE(index.Entries().empty());
    CSysExData bank(&m_View);
    EXPECT_EQ(NamingSummary(NamesFromLibrary(bank, index)),
              "No unnamed entry of this bank matches a named entry of your library");
}

TEST_F(LibraryFolder, SimilarEntriesComeNearestFirstWithCopiesAhead) {
    CSysExData old(&m_View);
    const std::vector<int8_t> sound(old.GetTone(0)->GetData(),
                                    old.GetTone(0)->GetData() + TONE_PARAM_COUNT);
    const auto tone = [](CSysExData& io_bank, int in_index, const char* in_name,
                         std::vector<int8_t> in_bytes) {
        io_bank.GetTone(in_index)->SetData(in_bytes.data());
        io_bank.GetTone(in_index)->SetName(in_name);
    };
    std::vector<int8_t> near = sound;
    near[14] = static_cast<int8_t>(near[14] > 50 ? near[14] - 5 : near[14] + 5);  // VCF cutoff
    std::vector<int8_t> unusedBits = sound;
    unusedBits[33] = static_cast<int8_t>(unusedBits[33] | 0x40);
    std::vector<int8_t> far = sound;
    far[37] = static_cast<int8_t>(far[37] ^ 0x03);  // the VCO-1 waveform
    tone(old, 0, "Copy Old", sound);
    tone(old, 1, "Near", near);
    tone(old, 2, "Far", far);
    tone(old, 3, "Unused Bits", unusedBits);
    SetPatchBytes(old, 0, 1);
    old.GetPatch(0)->SetName("A Patch");
    Write("old/a.m80", old, 48);
    CSysExData newer(&m_View);
    tone(newer, 9, "Copy New", sound);
    Write("b.m80", newer, 1);

    const CLibraryIndex index = CLibraryIndex::Build(m_Root.u8string());
    const auto names = [&](size_t in_count) {
        std::string out;
        for (const SimilarEntry& each :
             index.FindSimilar(EntryKind::Tone, sound.data(), in_count)) {
            EXPECT_EQ(each.distance,
                      mks80::Distance(mks80::Kind::Tone, sound.data(), index.Bytes(*each.entry)));
            out += index.Name(*each.entry) + (each.copy ? "=" : "") + ";";
        }
        return out;
    };
    EXPECT_EQ(names(3), "Copy New=;Copy Old=;Unused Bits;");
    EXPECT_EQ(names(50), "Copy New=;Copy Old=;Unused Bits;Near;Far;");
    EXPECT_TRUE(index.FindSimilar(EntryKind::Tone, sound.data(), 0).empty());
    EXPECT_EQ(index.FindSimilar(EntryKind::Patch, sound.data(), 50).size(), 1u);
}
