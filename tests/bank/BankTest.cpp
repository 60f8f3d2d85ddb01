#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bank/SysExData.h"
#include "platform/Prompter.h"

namespace {

class RecordingView : public CBankView {
  public:
    void RefreshRow(int in_row) override { rows.push_back(in_row); }
    void IndexRefused(const std::string& in_text) override { refused.push_back(in_text); }
    std::vector<int> rows;
    std::vector<std::string> refused;
};

const int8_t kPatchDefaults[PATCH_PARAM_COUNT] = {3,  60, 50, 5, 3, 2, 5, 5, 0, 0, 0, 0,
                                                  55, 5,  3,  2, 5, 5, 0, 0, 0, 0, 55};
const int8_t kToneDefaults[TONE_PARAM_COUNT] = {11, 50, 0, 51, 5, 6,  32, 0,  0, 24, 37, 4,  46,
                                                32, 25, 0, 51, 0, 22, 82, 0,  0, 52, 24, 68, 0,
                                                68, 30, 0, 53, 0, 50, 35, 11, 7, 4,  15, 5,  5};

TEST(Bank, NewBankHoldsOnlyEmptyEntriesWithTheSteelDrumBytes) {
    RecordingView view;
    CSysExData bank(&view);
    for (int i = 0; i < BANK_SIZE; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(bank.GetPatch(i)->IsEmpty());
        EXPECT_TRUE(bank.GetTone(i)->IsEmpty());
        EXPECT_EQ(bank.GetPatch(i)->GetName(), "------Empty------");
        EXPECT_EQ(bank.GetTone(i)->GetName(), "------Empty------");
        EXPECT_EQ(0, std::memcmp(bank.GetPatch(i)->GetData(), kPatchDefaults, PATCH_PARAM_COUNT));
        EXPECT_EQ(0, std::memcmp(bank.GetTone(i)->GetData(), kToneDefaults, TONE_PARAM_COUNT));
    }
    EXPECT_TRUE(view.rows.empty()) << "a new bank tells its view nothing";
}

TEST(Bank, SetDataGivesPlaceholderNamesOnlyToEmptyEntries) {
    CPatchData patch;
    CToneData tone;
    int8_t bytes[TONE_PARAM_COUNT] = {1, 2, 3};
    patch.SetData(bytes);
    tone.SetData(bytes);
    EXPECT_EQ(patch.GetName(), "------Patch------");
    EXPECT_EQ(tone.GetName(), "------Tone-------");
    EXPECT_EQ(std::string(kTonePlaceholder).size(), 17u);

    patch.SetData(bytes);
    EXPECT_EQ(patch.GetName(), "------Patch------");

    patch.SetName("Brass");
    patch.SetData(bytes);
    EXPECT_EQ(patch.GetName(), "Brass");

    // Renamed to the empty name, the entry counts as empty again, whatever its bytes.
    tone.SetName("------Empty------");
    EXPECT_TRUE(tone.IsEmpty());
    tone.SetData(bytes);
    EXPECT_EQ(tone.GetName(), "------Tone-------");
    // Only the whole, case-sensitive name counts.
    tone.SetName("------empty------");
    EXPECT_FALSE(tone.IsEmpty());
}

TEST(Bank, UsesToneReadsBytesThreeAndThirteenOnly) {
    RecordingView view;
    CSysExData bank(&view);
    for (int t = 0; t < BANK_SIZE; ++t) {
        EXPECT_EQ(bank.GetPatch(0)->UsesTone(t), t == 5) << t;
    }
    CPatchData* patch = bank.GetPatch(9);
    patch->GetData()[3] = 12;
    patch->GetData()[13] = 40;
    patch->GetData()[0] = 7;  // byte 0 plays no part
    EXPECT_TRUE(patch->UsesTone(12));
    EXPECT_TRUE(patch->UsesTone(40));
    EXPECT_FALSE(patch->UsesTone(5));
    EXPECT_FALSE(patch->UsesTone(7));
}

TEST(Bank, IndexOutsideTheBankIsReportedToItsViewAndYieldsNoEntry) {
    platform::RecordingPrompter prompter;
    platform::ScopedPrompter scoped(prompter);
    RecordingView view;
    CSysExData bank(&view);
    EXPECT_EQ(bank.GetPatch(64), nullptr);
    EXPECT_EQ(bank.GetPatch(-1), nullptr);
    EXPECT_EQ(bank.GetTone(64), nullptr);
    EXPECT_NE(bank.GetTone(63), nullptr);
    EXPECT_EQ(view.refused,
              (std::vector<std::string>{"Invalid index passed to CSysExData::GetPatch",
                                        "Invalid index passed to CSysExData::GetPatch",
                                        "Invalid index passed to CSysExData::GetTone"}));
    EXPECT_TRUE(prompter.Texts().empty());  // the bank shows no box itself
}

TEST(Bank, BytesAboveSevenBitsAreKeptAndReadBackNegative) {
    CToneData tone;
    int8_t bytes[TONE_PARAM_COUNT] = {};
    bytes[0] = static_cast<int8_t>(200);
    bytes[38] = static_cast<int8_t>(128);
    tone.SetData(bytes);
    EXPECT_EQ(tone.GetData()[0], 200 - 256);
    EXPECT_EQ(tone.GetData()[38], -128);
}

TEST(Bank, EntryNumbersRunFromElevenToEightyEight) {
    EXPECT_EQ(EntryNumber(0), "11");
    EXPECT_EQ(EntryNumber(7), "18");
    EXPECT_EQ(EntryNumber(8), "21");
    EXPECT_EQ(EntryNumber(63), "88");
    for (int i = 0; i < BANK_SIZE; ++i) {
        EXPECT_EQ(EntryIndexFromNumber(EntryNumber(i)), i);
    }
    for (const char* bad : {"10", "19", "91", "8", "888", "", "1a", "09"}) {
        EXPECT_EQ(EntryIndexFromNumber(bad), -1) << bad;
    }
}

TEST(Bank, ClipboardPlaceCarriesAtMostThirtyCharactersAndTheBytes) {
    platform::RecordingPrompter prompter;
    platform::ScopedPrompter scoped(prompter);
    RecordingView view;
    CSysExData bank(&view);
    bank.GetPatch(2)->SetName(std::string(40, 'x'));
    uint8_t place[CLIPBOARD_PLACE_SIZE];
    std::memset(place, 0xAA, sizeof place);
    ASSERT_TRUE(bank.CopyEntryToRecord(false, 2, place));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(place)), std::string(30, 'x'));
    EXPECT_EQ(place[30], 0);
    EXPECT_EQ(0, std::memcmp(place + 31, kPatchDefaults, PATCH_PARAM_COUNT));
    EXPECT_EQ(place[31 + PATCH_PARAM_COUNT], 0xAA) << "bytes past the entry are not touched";

    ASSERT_TRUE(bank.CopyEntryToRecord(true, 0, place));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(place)), "------Empty------");
    EXPECT_EQ(0, std::memcmp(place + 31, kToneDefaults, TONE_PARAM_COUNT));

    std::memset(place, 0x55, sizeof place);
    EXPECT_FALSE(bank.CopyEntryToRecord(true, 64, place));
    EXPECT_EQ(place[0], 0x55);
}

}  // namespace
