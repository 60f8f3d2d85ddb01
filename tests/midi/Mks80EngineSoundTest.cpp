#include <gtest/gtest.h>

#include <unistd.h>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "midi/Mks80Engine.h"
#include "mks80/Messages.h"
#include "mks80/Parameters.h"

namespace {

using Bytes = std::vector<uint8_t>;
using mks80::Half;
using mks80::Kind;

std::string FileBytes(const std::string& in_path) {
    std::ifstream in(in_path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The memory's bytes, every entry one after another.
std::string MemoryBytes(CSysExData& in_bank) {
    std::string bytes;
    for (int i = 0; i < BANK_SIZE; ++i) {
        bytes.append(reinterpret_cast<const char*>(in_bank.GetTone(i)->GetData()),
                     TONE_PARAM_COUNT);
        bytes.append(reinterpret_cast<const char*>(in_bank.GetPatch(i)->GetData()),
                     PATCH_PARAM_COUNT);
    }
    return bytes;
}

}  // namespace

TEST(Mks80EngineSound, AprAndIprChangeTheSoundItPlaysNeverItsMemory) {
    const std::string file = (std::filesystem::temp_directory_path() /
                              ("quorlin-sound-" + std::to_string(::getpid()) + ".m80"))
                                 .string();
    std::filesystem::remove(file);
    Mks80Options options;
    options.channel = 3;
    Mks80Engine engine(options, file);
    CSysExData& memory = engine.Memory();
    const std::string savedBefore = FileBytes(file);
    const std::string memoryBefore = MemoryBytes(memory);
    ASSERT_FALSE(savedBefore.empty());

    // Switched on, it plays patch 11 with the tones the patch names.
    const int8_t* first = memory.GetPatch(0)->GetData();
    EXPECT_EQ(std::memcmp(engine.Sound().patch.data(), first, mks80::PATCH_BYTES), 0);
    const int8_t* lowerTone = memory.GetTone(first[mks80::PATCH_LOWER_TONE_BYTE])->GetData();
    EXPECT_EQ(std::memcmp(engine.Sound().lowerTone.data(), lowerTone, mks80::TONE_BYTES), 0);

    // Tone 38 as the lower tone, on its device byte (channel 3): taken, not answered.
    const int8_t* tone = memory.GetTone(37)->GetData();
    EXPECT_TRUE(engine.Receive(mks80::ToneApr(2, Half::Lower, tone)).empty());
    EXPECT_EQ(mks80::ToneValues(engine.Sound().lowerTone.data()), mks80::ToneValues(tone));
    // Upper glide (patch parameter 8) to 77, VCF cutoff of the upper tone to 12.
    EXPECT_TRUE(engine.Receive({0xF0, 0x41, 0x36, 0x02, 0x20, 0x30, 0x01, 0x08, 77, 0xF7}).empty());
    EXPECT_TRUE(engine.Receive({0xF0, 0x41, 0x36, 0x02, 0x20, 0x20, 0x01, 24, 12, 0xF7}).empty());
    EXPECT_EQ(mks80::PatchHalfValues(Half::Upper, engine.Sound().patch.data())[8], 77);
    EXPECT_EQ(engine.Sound().upperTone[14], 12);
    // For another device: nothing changes.
    EXPECT_TRUE(engine.Receive({0xF0, 0x41, 0x36, 0x00, 0x20, 0x20, 0x01, 24, 99, 0xF7}).empty());
    EXPECT_EQ(engine.Sound().upperTone[14], 12);

    EXPECT_EQ(MemoryBytes(memory), memoryBefore);
    ASSERT_TRUE(engine.SaveMemory());
    EXPECT_EQ(FileBytes(file), savedBefore);
    std::filesystem::remove(file);
}

TEST(Mks80EngineSound, ItsPanelAnnouncesAPatchAndEachEdit) {
    Mks80Engine engine({}, "");
    CSysExData& memory = engine.Memory();
    const std::string memoryBefore = MemoryBytes(memory);

    // Patch 34 is index 19.
    const std::vector<Bytes> sent = engine.SelectPatch(19);
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_EQ(sent[0], (Bytes{0xF0, 0x41, 0x34, 0x00, 0x20, 0x30, 0x00, 0x00, 19, 0x00, 0xF7}));
    const int8_t* patch = memory.GetPatch(19)->GetData();
    const int8_t* upper = memory.GetTone(patch[mks80::PATCH_UPPER_TONE_BYTE])->GetData();
    const int8_t* lower = memory.GetTone(patch[mks80::PATCH_LOWER_TONE_BYTE])->GetData();
    EXPECT_EQ(sent[1], mks80::PatchApr(0, Half::Upper, patch));
    EXPECT_EQ(sent[2], mks80::PatchApr(0, Half::Lower, patch));
    EXPECT_EQ(sent[3], mks80::ToneApr(0, Half::Upper, upper));
    EXPECT_EQ(sent[4], mks80::ToneApr(0, Half::Lower, lower));
    EXPECT_EQ(std::memcmp(engine.Sound().upperTone.data(), upper, mks80::TONE_BYTES), 0);

    // VCF cutoff (tone parameter 24, byte 14) of the upper tone, and the lower half's
    // octave shift (patch parameter 4, byte 17 bits 1 to 3).
    EXPECT_EQ(engine.EditSound(Kind::Tone, Half::Upper, 24, 80),
              (Bytes{0xF0, 0x41, 0x36, 0x00, 0x20, 0x20, 0x01, 24, 80, 0xF7}));
    EXPECT_EQ(engine.Sound().upperTone[14], 80);
    EXPECT_EQ(engine.EditSound(Kind::Patch, Half::Lower, 4, 3),
              (Bytes{0xF0, 0x41, 0x36, 0x00, 0x20, 0x30, 0x02, 4, 3, 0xF7}));
    EXPECT_EQ((engine.Sound().patch[17] >> 1) & 7, 3);

    // No such parameter, or a value it cannot have (VCO-1 range starts at 36): nothing.
    const mks80::CurrentSound before = engine.Sound();
    EXPECT_FALSE(engine.EditSound(Kind::Tone, Half::Upper, 48, 10));
    EXPECT_FALSE(engine.EditSound(Kind::Tone, Half::Upper, 15, 20));
    EXPECT_FALSE(engine.EditSound(Kind::Patch, Half::Upper, 0, 4));
    EXPECT_EQ(engine.Sound().upperTone, before.upperTone);
    EXPECT_EQ(engine.Sound().patch, before.patch);
    EXPECT_EQ(MemoryBytes(memory), memoryBefore);
}
