#include <gtest/gtest.h>

#include <array>
#include <random>
#include <set>

#include "mks80/Parameters.h"

using namespace mks80;

namespace {

// Random bytes that hold only valid values, built through the table itself.
template <size_t N>
std::array<int8_t, N> RandomValid(Kind in_kind, std::mt19937& io_random) {
    std::array<int8_t, N> bytes{};
    for (Half half : {Half::Upper, Half::Lower}) {
        for (const Parameter& param : ParametersOf(in_kind)) {
            std::uniform_int_distribution<int> pick(0, param.steps - 1);
            SetStoredValue(param, pick(io_random), bytes.data(), half);
        }
    }
    return bytes;
}

}  // namespace

// The table's shape: numbers in order, each field inside its byte, no two
// parameters sharing a bit, and every byte of the entry owned by some parameter.
TEST(ParameterTable, FieldsCoverTheStoredBytesWithoutOverlap) {
    for (Kind kind : {Kind::Tone, Kind::Patch}) {
        const auto& params = ParametersOf(kind);
        const int size = kind == Kind::Tone ? TONE_BYTES : PATCH_BYTES;
        ASSERT_EQ(params.size(), kind == Kind::Tone ? 48u : 15u);
        std::vector<int> used(static_cast<size_t>(size), 0);
        for (size_t i = 0; i < params.size(); ++i) {
            const Parameter& param = params[i];
            EXPECT_EQ(param.number, static_cast<int>(i));
            ASSERT_LE(param.firstBit + std::min(param.bitCount, 8), 8) << param.name;
            const int mask =
                param.bitCount >= 8 ? 0xFF : ((1 << param.bitCount) - 1) << param.firstBit;
            EXPECT_LE(param.steps, param.bitCount >= 8 ? 128 : (1 << param.bitCount)) << param.name;
            EXPECT_TRUE(param.words.empty() || param.words.size() == size_t(param.steps));
            for (Half half : {Half::Upper, Half::Lower}) {
                if (half == Half::Lower && (kind == Kind::Tone || param.shared)) {
                    continue;
                }
                int& bits = used[static_cast<size_t>(param.ByteIn(half))];
                EXPECT_EQ(bits & mask, 0) << param.name;
                bits |= mask;
            }
        }
        for (int byte = 0; byte < size; ++byte) {
            EXPECT_NE(used[static_cast<size_t>(byte)], 0) << "byte " << byte;
        }
    }
}

// Bytes to values to bytes on generated sounds: every value read back is the one
// written, and writing one parameter touches no other bit.
TEST(ParameterTable, ValuesRoundTripAndEditsTouchOnlyTheirBits) {
    std::mt19937 random(80);
    for (int round = 0; round < 50; ++round) {
        for (Kind kind : {Kind::Tone, Kind::Patch}) {
            auto bytes =
                kind == Kind::Tone ? RandomValid<39>(kind, random) : std::array<int8_t, 39>{};
            if (kind == Kind::Patch) {
                const auto patch = RandomValid<23>(kind, random);
                std::copy(patch.begin(), patch.end(), bytes.begin());
            }
            for (Half half : {Half::Upper, Half::Lower}) {
                for (const Parameter& param : ParametersOf(kind)) {
                    const int stored = StoredValue(param, bytes.data(), half);
                    ASSERT_TRUE(IsValidStored(param, stored)) << param.name;
                    const int value = MessageValue(param, stored);
                    EXPECT_EQ(StoredFromMessage(param, value), stored) << param.name;
                    EXPECT_EQ(NearestStored(param, value), stored) << param.name;
                    auto changed = bytes;
                    const int other = (stored + 1) % param.steps;
                    SetStoredValue(param, other, changed.data(), half);
                    EXPECT_EQ(StoredValue(param, changed.data(), half), other);
                    SetStoredValue(param, stored, changed.data(), half);
                    EXPECT_EQ(changed, bytes) << param.name;
                }
            }
        }
    }
}

TEST(ParameterTable, ConvertedRangesAtTheirEdges) {
    const Parameter& vco1 = ToneParameters()[15];
    EXPECT_EQ(MessageValue(vco1, 0), 36);
    EXPECT_EQ(MessageValue(vco1, 48), 84);
    EXPECT_EQ(ValueText(vco1, 24), "C4");
    EXPECT_EQ(StoredFromMessage(vco1, 35), -1);

    const Parameter& vco2 = ToneParameters()[19];
    EXPECT_EQ(MessageValue(vco2, 0), 0);
    EXPECT_EQ(MessageValue(vco2, 1), 36);
    EXPECT_EQ(MessageValue(vco2, 49), 84);
    EXPECT_EQ(MessageValue(vco2, 50), 100);
    EXPECT_EQ(ValueText(vco2, 0), "Low");
    EXPECT_EQ(ValueText(vco2, 50), "High");
    EXPECT_EQ(StoredFromMessage(vco2, 35), -1);
    EXPECT_EQ(StoredFromMessage(vco2, 99), -1);
    EXPECT_EQ(NearestStored(vco2, 20), 1);
    EXPECT_EQ(NearestStored(vco2, 95), 50);

    const Parameter& split = PatchParameters()[1];
    EXPECT_EQ(MessageValue(split, 0), 21);
    EXPECT_EQ(MessageValue(split, 87), 108);
    EXPECT_EQ(ValueText(split, 0), "A0");
    EXPECT_EQ(ValueText(split, 87), "C8");
    EXPECT_EQ(StoredFromMessage(split, 109), -1);

    EXPECT_EQ(ValueText(PatchParameters()[4], 1), "-1 oct");
    EXPECT_EQ(ValueText(PatchParameters()[3], 63), "88");
    EXPECT_EQ(ValueText(ToneParameters()[2], 3), "Triangle");
}

// A value the instrument could not have sent is shown as stored and marked, and
// ValidStored gives the value a message may carry.
TEST(ParameterTable, DamagedValuesShowAsStored) {
    std::array<int8_t, 39> tone{};
    tone[14] = 120;                        // VCF cutoff
    tone[34] = static_cast<int8_t>(0x0C);  // VCO select 3
    tone[38] = static_cast<int8_t>(0x88);  // an unused bit and bit 7
    const Parameter& cutoff = ToneParameters()[24];
    const Parameter& select = ToneParameters()[10];
    const Parameter& sync = ToneParameters()[17];
    EXPECT_EQ(StoredText(Kind::Tone, cutoff, tone.data()), "120 (out of range)");
    EXPECT_EQ(ValidStored(cutoff, 120), 100);
    EXPECT_EQ(StoredText(Kind::Tone, select, tone.data()), "3 (out of range)");
    EXPECT_EQ(StoredText(Kind::Tone, sync, tone.data()), "VCO-1 \u2190 VCO-2 (unused bits set)");
    EXPECT_FALSE(HasUnusedBitsSet(Kind::Tone, cutoff, tone.data()));
    // An edit clears the byte's unused bits and keeps every bit a parameter owns.
    tone[38] = static_cast<int8_t>(0x8E);
    ClearUnusedBits(Kind::Tone, sync, tone.data());
    EXPECT_EQ(tone[38], 0x06);

    std::array<int8_t, 23> patch{};
    patch[17] = static_cast<int8_t>(0x10);  // lower half: a bit above the octave shift
    EXPECT_TRUE(HasUnusedBitsSet(Kind::Patch, PatchParameters()[4], patch.data(), Half::Lower));
    EXPECT_FALSE(HasUnusedBitsSet(Kind::Patch, PatchParameters()[4], patch.data(), Half::Upper));
    patch[17] = static_cast<int8_t>(0xF3);
    ClearUnusedBits(Kind::Patch, PatchParameters()[4], patch.data(), Half::Lower);
    EXPECT_EQ(patch[17], 0x03);
}

TEST(ParameterTable, NamesAreUniqueWithinAKind) {
    for (Kind kind : {Kind::Tone, Kind::Patch}) {
        std::set<std::string> names;
        for (const Parameter& param : ParametersOf(kind)) {
            EXPECT_TRUE(names.insert(param.name).second) << param.name;
        }
    }
}
