#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "mks80/Messages.h"

using namespace mks80;
using Bytes = std::vector<uint8_t>;

TEST(Messages, HandshakeMessagesCarryTheDeviceByte) {
    const auto ack = ShortHandshake(HS_ACK, DeviceByte(3));
    EXPECT_EQ(Bytes(ack.begin(), ack.end()), (Bytes{0xF0, 0x41, 0x43, 0x02, 0x20, 0xF7}));
    const auto rqd = NamedHandshake(HS_RQD, DeviceByte(16));
    EXPECT_EQ(Bytes(rqd.begin(), rqd.end()),
              (Bytes{0xF0, 0x41, 0x41, 0x0F, 0x20, 'M', 'K', 'S', '-', '8', '0', 0x00, 0xF7}));
    EXPECT_TRUE(IsHandshakeMessage(rqd.data(), rqd.size()));
    EXPECT_FALSE(IsHandshakeMessage(rqd.data(), 5));
}

// The current-sound messages carry message values, never a value out of range,
// and parse back to what was sent.
TEST(Messages, AprCarriesConvertedValidValuesAndParsesBack) {
    std::array<int8_t, 39> tone{};
    tone[9] = 24;     // VCO-1 range C4
    tone[10] = 50;    // VCO-2 range high
    tone[14] = 120;   // damaged cutoff
    tone[37] = 0x0F;  // waveforms: triangle, triangle
    const Bytes apr = ToneApr(0x05, Half::Lower, tone.data());
    ASSERT_EQ(apr.size(), TONE_APR_SIZE);
    EXPECT_EQ(Bytes(apr.begin(), apr.begin() + 7),
              (Bytes{0xF0, 0x41, 0x35, 0x05, 0x20, 0x20, 0x02}));
    EXPECT_EQ(apr[7 + 15], 60);
    EXPECT_EQ(apr[7 + 19], 100);
    EXPECT_EQ(apr[7 + 24], 100);
    EXPECT_EQ(apr[7 + 16], 3);
    EXPECT_EQ(apr.back(), 0xF7);

    const auto parsed = ParseLiveMessage(apr.data(), apr.size());
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->type, LiveMessage::Type::Apr);
    EXPECT_EQ(parsed->kind, Kind::Tone);
    EXPECT_EQ(parsed->half, Half::Lower);
    std::array<int8_t, 39> back{};
    ApplyToneValues(parsed->values, back.data());
    tone[14] = 100;
    EXPECT_EQ(back, tone);
}

TEST(Messages, PatchSoundIsFourAprsWithSharedBytesInBoth) {
    std::array<int8_t, 23> patch{};
    patch[0] = 1;
    patch[1] = 87;
    patch[3] = 7;
    patch[13] = 9;
    const std::array<int8_t, 39> tone{};
    const auto sound = PatchSound(0, patch.data(), tone.data(), tone.data());
    ASSERT_EQ(sound.size(), 4u);
    EXPECT_EQ(sound[0][6], GROUP_UPPER);
    EXPECT_EQ(sound[1][6], GROUP_LOWER);
    for (int half = 0; half < 2; ++half) {
        ASSERT_EQ(sound[half].size(), PATCH_APR_SIZE);
        EXPECT_EQ(sound[half][5], LEVEL_PATCH);
        EXPECT_EQ(sound[half][7], 1);
        EXPECT_EQ(sound[half][8], 108);
    }
    EXPECT_EQ(sound[0][10], 7);
    EXPECT_EQ(sound[1][10], 9);
    EXPECT_EQ(sound[2][5], LEVEL_TONE);
}

TEST(Messages, IprAndPgrRoundTrip) {
    const Bytes ipr = Ipr(1, Kind::Tone, Half::Upper, {{24, 72}, {25, 10}});
    EXPECT_EQ(ipr, (Bytes{0xF0, 0x41, 0x36, 0x01, 0x20, 0x20, 0x01, 24, 72, 25, 10, 0xF7}));
    const auto parsedIpr = ParseLiveMessage(ipr.data(), ipr.size());
    ASSERT_TRUE(parsedIpr);
    EXPECT_EQ(parsedIpr->values, (std::vector<std::pair<int, int>>{{24, 72}, {25, 10}}));

    const Bytes pgr = Pgr(2, 33);
    EXPECT_EQ(pgr, (Bytes{0xF0, 0x41, 0x34, 0x02, 0x20, 0x30, 0x00, 0x00, 33, 0x00, 0xF7}));
    const auto parsedPgr = ParseLiveMessage(pgr.data(), pgr.size());
    ASSERT_TRUE(parsedPgr);
    EXPECT_EQ(parsedPgr->program, 33);
    EXPECT_EQ(parsedPgr->device, 2);
}

// Anything that is not a whole, well-formed current-sound message is refused.
TEST(Messages, MalformedMessagesAreRefused) {
    std::array<int8_t, 39> tone{};
    const Bytes good = ToneApr(0, Half::Upper, tone.data());
    const Bytes ipr = Ipr(0, Kind::Patch, Half::Upper, {{3, 5}});
    std::vector<Bytes> bad = {
        Bytes(good.begin(), good.end() - 2),                              // cut short
        Bytes{0xF0, 0x41, 0x36, 0x00, 0x20, 0x20, 0x01, 24, 0xF7, 0, 0},  // odd pairs
        Bytes{0xF0, 0x43, 0x36, 0x00, 0x20, 0x20, 0x01, 24, 1, 0xF7, 0},
        Bytes{0xF0, 0x41, 0x36, 0x00, 0x20, 0x20, 0x01, 48, 1, 0, 0xF7},  // no parameter 48
    };
    Bytes level = good;
    level[5] = 0x40;
    bad.push_back(level);
    Bytes group = ipr;
    group[6] = 0x03;
    bad.push_back(group);
    Bytes high = good;
    high[20] = 0x90;
    bad.push_back(high);
    Bytes patchNumber = ipr;
    patchNumber[7] = 15;
    bad.push_back(patchNumber);
    for (const Bytes& message : bad) {
        EXPECT_FALSE(ParseLiveMessage(message.data(), message.size()));
    }
    EXPECT_TRUE(ParseLiveMessage(ipr.data(), ipr.size()));
}
