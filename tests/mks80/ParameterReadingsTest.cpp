#include <gtest/gtest.h>

#include <array>
#include <sstream>

#include "mks80/ParameterReadings.h"

using namespace mks80;

namespace {
std::vector<std::string> Lines(const std::string& in_text) {
    std::vector<std::string> lines;
    std::istringstream stream(in_text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}
}  // namespace

// A patch reads as its upper half, then its lower half, each with the shared
// parameters; values are the messages' values, damaged ones as stored and marked.
TEST(ParameterReadings, PatchHalvesCarryTheSharedParametersAndMessageValues) {
    std::array<int8_t, PATCH_BYTES> patch{};
    patch[0] = 9;    // key mode: no such mode
    patch[1] = 87;   // split point C8
    patch[9] = 10;   // upper glide
    patch[19] = 20;  // lower glide
    const std::vector<std::string> lines = Lines(ParameterLines(Kind::Patch, patch.data()));
    ASSERT_EQ(lines.size(), 30u);
    EXPECT_EQ(lines[0], "upper\t0\tKey mode\t9\t9 (out of range)");
    EXPECT_EQ(lines[1], "upper\t1\tSplit point\t108\tC8");
    EXPECT_EQ(lines[8], "upper\t8\tGlide\t10\t10");
    EXPECT_EQ(lines[15], "lower\t0\tKey mode\t9\t9 (out of range)");
    EXPECT_EQ(lines[16], "lower\t1\tSplit point\t108\tC8");
    EXPECT_EQ(lines[23], "lower\t8\tGlide\t20\t20");
    EXPECT_EQ(lines[29].substr(0, 9), "lower\t14\t");
}

TEST(ParameterReadings, ToneReadingsFollowTheTable) {
    std::array<int8_t, TONE_BYTES> tone{};
    tone[9] = 24;                          // VCO-1 range C4
    tone[38] = static_cast<int8_t>(0x82);  // sync off, bit 7 set
    const std::vector<ParameterReading> readings = ReadParameters(Kind::Tone, tone.data());
    ASSERT_EQ(readings.size(), 48u);
    for (size_t i = 0; i < readings.size(); ++i) {
        EXPECT_EQ(readings[i].param->number, static_cast<int>(i));
    }
    EXPECT_EQ(readings[15].stored, 24);
    EXPECT_EQ(readings[15].value, 60);
    EXPECT_EQ(ParameterLine(Kind::Tone, readings[15]), "tone\t15\tVCO-1 range\t60\tC4");
    EXPECT_EQ(ParameterLine(Kind::Tone, readings[17]),
              "tone\t17\tSync\t2\tVCO-1 \u2192 VCO-2 (unused bits set)");
}
