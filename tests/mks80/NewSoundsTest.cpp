#include <gtest/gtest.h>

#include <random>

#include "mks80/NewSounds.h"

using namespace mks80;

namespace {

using Bytes = std::vector<int8_t>;

// An entry of valid values only, with no unused bit set.
Bytes RandomValid(Kind in_kind, std::mt19937& io_random) {
    Bytes bytes(static_cast<size_t>(ByteCount(in_kind)), 0);
    for (Half half : {Half::Upper, Half::Lower}) {
        for (const Parameter& param : ParametersOf(in_kind)) {
            SetStoredValue(param, int(DrawBelow(io_random, uint32_t(param.steps))), bytes.data(),
                           half);
        }
    }
    return bytes;
}

// Any bytes at all, as a damaged file may hold them.
Bytes RandomBytes(Kind in_kind, std::mt19937& io_random) {
    Bytes bytes(static_cast<size_t>(ByteCount(in_kind)));
    for (int8_t& byte : bytes) {
        byte = static_cast<int8_t>(DrawBelow(io_random, 256));
    }
    return bytes;
}

// Every parameter valid and no bit set that no parameter uses.
::testing::AssertionResult AllValid(Kind in_kind, const Bytes& in_bytes) {
    for (Half half : {Half::Upper, Half::Lower}) {
        for (const Parameter& param : ParametersOf(in_kind)) {
            const int stored = StoredValue(param, in_bytes.data(), half);
            if (!IsValidStored(param, stored) ||
                HasUnusedBitsSet(in_kind, param, in_bytes.data(), half)) {
                return ::testing::AssertionFailure() << param.name << " holds " << stored;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

const Parameter& Tone(int in_number) {
    return ToneParameters()[size_t(in_number)];
}

}  // namespace

TEST(Blend, EndsAreTheTwoEntriesAndAPatchKeepsItsTones) {
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        for (Kind kind : {Kind::Tone, Kind::Patch}) {
            const Bytes first = RandomValid(kind, random);
            const Bytes other = RandomValid(kind, random);
            EXPECT_EQ(Blend(kind, first.data(), other.data(), 0), first);
            Bytes expected = other;
            if (kind == Kind::Patch) {
                expected[PATCH_UPPER_TONE_BYTE] = first[PATCH_UPPER_TONE_BYTE];
                expected[PATCH_LOWER_TONE_BYTE] = first[PATCH_LOWER_TONE_BYTE];
            }
            EXPECT_EQ(Blend(kind, first.data(), other.data(), 100), expected);
        }
    }
}

TEST(Blend, LevelsMixAndRoundWhileSwitchesTurnAtHalfWay) {
    Bytes first(TONE_BYTES, 0);
    Bytes other(TONE_BYTES, 0);
    const Parameter& cutoff = Tone(24);
    const Parameter& vco1Range = Tone(15);  // 49 steps
    const Parameter& waveform = Tone(16);
    SetStoredValue(cutoff, 10, first.data());
    SetStoredValue(cutoff, 80, other.data());
    SetStoredValue(vco1Range, 0, first.data());
    SetStoredValue(vco1Range, 1, other.data());
    SetStoredValue(waveform, 3, other.data());
    const Bytes at30 = Blend(Kind::Tone, first.data(), other.data(), 30);
    EXPECT_EQ(StoredValue(cutoff, at30.data()), 31);
    EXPECT_EQ(StoredValue(waveform, at30.data()), 0);
    // 0.5 of a step rounds up, 0.49 down.
    EXPECT_EQ(StoredValue(vco1Range, Blend(Kind::Tone, first.data(), other.data(), 50).data()), 1);
    EXPECT_EQ(StoredValue(vco1Range, Blend(Kind::Tone, first.data(), other.data(), 49).data()), 0);
    EXPECT_EQ(StoredValue(waveform, Blend(Kind::Tone, first.data(), other.data(), 49).data()), 0);
    EXPECT_EQ(StoredValue(waveform, Blend(Kind::Tone, first.data(), other.data(), 50).data()), 3);
    // A mix beyond the ends is the end.
    EXPECT_EQ(Blend(Kind::Tone, first.data(), other.data(), 250),
              Blend(Kind::Tone, first.data(), other.data(), 100));
}

TEST(NewSounds, OnlyValidValuesComeOutOfDamagedEntries) {
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        for (Kind kind : {Kind::Tone, Kind::Patch}) {
            const Bytes first = RandomBytes(kind, random);
            const Bytes other = RandomBytes(kind, random);
            const int percent = int(DrawBelow(random, 101));
            EXPECT_TRUE(AllValid(kind, Blend(kind, first.data(), other.data(), percent)));
            EXPECT_TRUE(AllValid(kind, Mutate(kind, first.data(), percent, random)));
        }
    }
    // A value out of range is taken as the nearest valid one.
    Bytes damaged(TONE_BYTES, 0);
    damaged[size_t(Tone(24).byte)] = 120;
    EXPECT_EQ(StoredValue(Tone(24), Blend(Kind::Tone, damaged.data(), damaged.data(), 0).data()),
              100);
}

TEST(Mutate, MovesAtMostItsShareOfTheRangeAndKeepsTones) {
    std::mt19937 random(3);
    for (int round = 0; round < 200; ++round) {
        for (Kind kind : {Kind::Tone, Kind::Patch}) {
            const Bytes before = RandomValid(kind, random);
            const int percent = int(DrawBelow(random, 101));
            const Bytes after = Mutate(kind, before.data(), percent, random);
            for (Half half : {Half::Upper, Half::Lower}) {
                for (const Parameter& param : ParametersOf(kind)) {
                    const int was = StoredValue(param, before.data(), half);
                    const int now = StoredValue(param, after.data(), half);
                    if (kind == Kind::Patch && param.number == PATCH_TONE_PARAMETER) {
                        EXPECT_EQ(now, was);
                    } else if (param.IsContinuous()) {
                        EXPECT_LE(std::abs(now - was), ((param.steps - 1) * percent + 50) / 100)
                            << param.name << " at " << percent << " %";
                    }
                }
            }
        }
    }
    const Bytes before = RandomValid(Kind::Tone, random);
    EXPECT_EQ(Mutate(Kind::Tone, before.data(), 0, random), before);
}

TEST(Mutate, SwitchesChangeWithHalfTheStrength) {
    std::mt19937 random(5);
    const Bytes before(TONE_BYTES, 0);
    int switches = 0;
    int changed = 0;
    for (int round = 0; round < 400; ++round) {
        const Bytes after = Mutate(Kind::Tone, before.data(), 60, random);
        for (const Parameter& param : ToneParameters()) {
            if (!param.IsContinuous()) {
                ++switches;
                changed += StoredValue(param, after.data()) != 0;
            }
        }
    }
    EXPECT_NEAR(double(changed) / switches, 0.30, 0.03);
}

// The same seed gives the same sound on every platform: these bytes were drawn once and
// must come out again wherever the tests run.
TEST(Mutate, SameSeedSameSound) {
    Bytes tone(TONE_BYTES, 0);
    for (int i = 0; i < 33; ++i) {
        tone[size_t(i)] = static_cast<int8_t>(40);
    }
    std::mt19937 first(20240611);
    std::mt19937 second(20240611);
    const Bytes a = Mutate(Kind::Tone, tone.data(), 40, first);
    EXPECT_EQ(a, Mutate(Kind::Tone, tone.data(), 40, second));
    EXPECT_EQ(DrawBelow(first, 1000), DrawBelow(second, 1000));
    // Levels, the VCO-1 range (49 steps) and two switches that changed.
    const std::vector<int> pinned = {a[0], a[9], a[14], a[32], a[34], a[35]};
    EXPECT_EQ(pinned, (std::vector<int>{46, 35, 44, 67, 4, 4}));
}

TEST(Distance, CopiesAreAtZeroAndAWaveformCountsMoreThanALittleLevel) {
    std::mt19937 random(9);
    for (Kind kind : {Kind::Tone, Kind::Patch}) {
        const Bytes a = RandomBytes(kind, random);
        const Bytes b = RandomBytes(kind, random);
        EXPECT_EQ(Distance(kind, a.data(), a.data()), 0.0f);
        EXPECT_EQ(Distance(kind, a.data(), b.data()), Distance(kind, b.data(), a.data()));
        EXPECT_GT(Distance(kind, a.data(), b.data()), 0.0f);
    }
    Bytes base(TONE_BYTES, 0);
    SetStoredValue(Tone(24), 50, base.data());
    Bytes level = base;
    SetStoredValue(Tone(24), 60, level.data());
    Bytes waveform = base;
    SetStoredValue(Tone(16), 2, waveform.data());
    EXPECT_FLOAT_EQ(Distance(Kind::Tone, base.data(), level.data()), 0.1f);
    EXPECT_FLOAT_EQ(Distance(Kind::Tone, base.data(), waveform.data()), 1.0f);
    // A switch counts the same however far its value moved; unused bits count nothing.
    SetStoredValue(Tone(16), 3, waveform.data());
    EXPECT_FLOAT_EQ(Distance(Kind::Tone, base.data(), waveform.data()), 1.0f);
    Bytes unused = base;
    unused[33] = static_cast<int8_t>(0x70);
    EXPECT_EQ(Distance(Kind::Tone, base.data(), unused.data()), 0.0f);
    // Each half of a patch counts on its own.
    Bytes patch(PATCH_BYTES, 0);
    Bytes lower = patch;
    lower[PATCH_LOWER_TONE_BYTE] = 5;
    lower[PATCH_LOWER_OFFSET + 8] = 50;
    EXPECT_FLOAT_EQ(Distance(Kind::Patch, patch.data(), lower.data()), 1.5f);
}
