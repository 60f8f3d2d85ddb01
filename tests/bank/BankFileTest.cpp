#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "bank/Archive.h"
#include "bank/SysExData.h"

namespace {

class RecordingView : public CBankView {
  public:
    void RefreshRow(int in_row) override { rows.push_back(in_row); }
    std::vector<int> rows;
};

std::string Store(const CSysExData& in_bank) {
    std::ostringstream out;
    CArchive archive(out);
    EXPECT_TRUE(in_bank.StoreBank(archive));
    return out.str();
}

bool Load(const std::string& in_bytes, CSysExData& out_bank) {
    std::istringstream in(in_bytes);
    CArchive archive(in);
    return out_bank.LoadBank(archive);
}

std::string StringBytes(const std::string& in_text) {
    std::ostringstream out;
    CArchive archive(out);
    archive.WriteString(in_text);
    return out.str();
}

std::string ReadBack(const std::string& in_bytes) {
    std::istringstream in(in_bytes);
    CArchive archive(in);
    return archive.ReadString();
}

TEST(BankFile, NewBankIsStoredAsSixtyFourEntriesOf98Bytes) {
    CNullBankView view;
    CSysExData bank(&view);
    const std::string file = Store(bank);
    ASSERT_EQ(file.size(), 6272u);

    std::string entry;
    entry += '\x11';
    entry += "------Empty------";
    entry.append(reinterpret_cast<const char*>(bank.GetPatch(0)->GetData()), PATCH_PARAM_COUNT);
    entry += '\x11';
    entry += "------Empty------";
    entry.append(reinterpret_cast<const char*>(bank.GetTone(0)->GetData()), TONE_PARAM_COUNT);
    ASSERT_EQ(entry.size(), 98u);
    for (int i = 0; i < BANK_SIZE; ++i) {
        EXPECT_EQ(file.substr(size_t(i) * 98, 98), entry) << "entry " << i;
    }
    EXPECT_EQ(static_cast<uint8_t>(file[1 + 17]), 3) << "patch byte 0 follows the name";
}

TEST(BankFile, LengthPrefixesSwitchAt255And65534Characters) {
    EXPECT_EQ(StringBytes(""), std::string(1, '\0'));
    EXPECT_EQ(StringBytes(std::string(254, 'a')).substr(0, 1), "\xFE");
    EXPECT_EQ(StringBytes(std::string(255, 'a')).substr(0, 3), std::string("\xFF\xFF\x00", 3));
    EXPECT_EQ(StringBytes(std::string(65533, 'a')).substr(0, 3), std::string("\xFF\xFD\xFF", 3));
    EXPECT_EQ(StringBytes(std::string(65534, 'a')).substr(0, 7),
              std::string("\xFF\xFF\xFF\xFE\xFF\x00\x00", 7));
    for (size_t n : {0u, 1u, 254u, 255u, 256u, 65533u, 65534u, 70000u}) {
        const std::string text(n, 'q');
        EXPECT_EQ(ReadBack(StringBytes(text)), text) << n;
    }
}

TEST(BankFile, SixteenBitCharactersAreReadAsSingleBytes) {
    // FFH FEH FFH, then a count of 3, then "Hi" and a character beyond one byte.
    const std::string wide("\xFF\xFE\xFF\x03H\x00i\x00\x3A\x26", 10);
    EXPECT_EQ(ReadBack(wide), "Hi?");
    const std::string latin("\xFF\xFE\xFF\x01\xE9\x00", 6);
    EXPECT_EQ(ReadBack(latin), "\xE9");
    // The count after the marker may itself take the 16-bit form.
    std::string longer("\xFF\xFE\xFF\xFF\x2C\x01", 6);
    for (int i = 0; i < 300; ++i) {
        longer += "z";
        longer += '\0';
    }
    EXPECT_EQ(ReadBack(longer), std::string(300, 'z'));
    EXPECT_THROW(ReadBack(std::string("\xFF\xFE\xFF\x02H\x00i", 7)), CArchiveEndOfFile);
}

TEST(BankFile, LoadAfterStoreKeepsNamesAndBytesAndRefreshesEachRowInOrder) {
    CNullBankView nullView;
    CSysExData original(&nullView);
    original.GetPatch(0)->SetName("Lead");
    original.GetPatch(0)->GetData()[3] = 17;
    original.GetTone(63)->SetName(std::string(300, 'T'));
    original.GetTone(63)->GetData()[38] = static_cast<int8_t>(0x90);
    original.GetPatch(10)->SetName("");
    const std::string file = Store(original);

    RecordingView view;
    CSysExData loaded(&view);
    ASSERT_TRUE(Load(file, loaded));
    EXPECT_EQ(loaded.GetPatch(0)->GetName(), "Lead");
    EXPECT_EQ(loaded.GetPatch(0)->GetData()[3], 17);
    EXPECT_EQ(loaded.GetTone(63)->GetName(), std::string(300, 'T'));
    EXPECT_EQ(loaded.GetTone(63)->GetData()[38], static_cast<int8_t>(0x90));
    EXPECT_EQ(loaded.GetPatch(10)->GetName(), "");
    // Saved empty entries come back under the placeholder names.
    EXPECT_EQ(loaded.GetPatch(1)->GetName(), "------Patch------");
    EXPECT_EQ(loaded.GetTone(1)->GetName(), "------Tone-------");
    std::vector<int> expected;
    for (int i = 0; i < BANK_SIZE; ++i) {
        expected.push_back(i);
    }
    EXPECT_EQ(view.rows, expected);
    EXPECT_EQ(Store(loaded).size(), file.size());

    // Bytes after the 64th entry are never read.
    CSysExData withTail(&nullView);
    ASSERT_TRUE(Load(file + "trailing garbage", withTail));
    EXPECT_EQ(Store(withTail), Store(loaded));
}

TEST(BankFile, EveryCutShortFileIsRefusedAndUsesNoUnreadByte) {
    CNullBankView view;
    CSysExData original(&view);
    for (int i = 0; i < BANK_SIZE; ++i) {
        original.GetPatch(i)->SetName("P" + std::to_string(i));
        original.GetTone(i)->SetName("T" + std::to_string(i));
        original.GetTone(i)->GetData()[38] = static_cast<int8_t>(i);
    }
    const std::string file = Store(original);
    for (size_t length = 0; length < file.size(); ++length) {
        RecordingView rows;
        CSysExData bank(&rows);
        ASSERT_FALSE(Load(file.substr(0, length), bank)) << "length " << length;
        // Rows refreshed are exactly the entries read whole.
        for (size_t r = 0; r < rows.rows.size(); ++r) {
            ASSERT_EQ(rows.rows[r], int(r));
        }
        const size_t whole = rows.rows.size();
        if (whole < BANK_SIZE) {
            // The entry being read when the file ended never takes bytes that were not there:
            // its tone keeps the default last byte.
            EXPECT_EQ(bank.GetTone(int(whole))->GetData()[38], 5) << "length " << length;
        }
    }
}

TEST(BankFile, AStringPrefixClaimingMoreThanTheFileEndsTheLoad) {
    CNullBankView view;
    CSysExData bank(&view);
    EXPECT_FALSE(Load(std::string("\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 7), bank));
    EXPECT_FALSE(Load(std::string("\xFF\x10", 2), bank));
}

}  // namespace
