// What selecting an entry plays, against the built-in instrument's bank.
#include <gtest/gtest.h>

#include "bank/SysExData.h"
#include "midi/Mks80Engine.h"
#include "mks80/Messages.h"
#include "ops/LiveOps.h"

TEST(LiveOpsTest, APatchPlaysItsHalvesAndTheTonesItNamesAToneBothBuffers) {
    CNullBankView view;
    CSysExData bank(&view);
    Mks80Engine::FillDemonstrationBank(bank);
    int8_t* patch = bank.GetPatch(5)->GetData();
    patch[mks80::PATCH_UPPER_TONE_BYTE] = 7;
    patch[mks80::PATCH_LOWER_TONE_BYTE] = 90;  // damaged: plays the nearest tone, 88

    const auto messages = ops::AuditionMessages(bank, EntryKind::Patch, 5, 0x03);
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0], mks80::PatchApr(0x03, mks80::Half::Upper, patch));
    EXPECT_EQ(messages[1], mks80::PatchApr(0x03, mks80::Half::Lower, patch));
    EXPECT_EQ(messages[2], mks80::ToneApr(0x03, mks80::Half::Upper, bank.GetTone(7)->GetData()));
    EXPECT_EQ(messages[3], mks80::ToneApr(0x03, mks80::Half::Lower, bank.GetTone(63)->GetData()));
    EXPECT_EQ(messages[1][7 + mks80::PATCH_TONE_PARAMETER], 63);

    const auto tone = ops::AuditionMessages(bank, EntryKind::Tone, 63, 0x03);
    ASSERT_EQ(tone.size(), 2u);
    EXPECT_EQ(tone[1], mks80::ToneApr(0x03, mks80::Half::Lower, bank.GetTone(63)->GetData()));
    EXPECT_TRUE(ops::AuditionMessages(bank, EntryKind::Tone, 64, 0).empty());

    EXPECT_EQ(ops::TestNoteOn(16), (std::vector<uint8_t>{0x9F, 60, 100}));
    EXPECT_EQ(ops::TestNoteOff(1), (std::vector<uint8_t>{0x80, 60, 0}));
}
