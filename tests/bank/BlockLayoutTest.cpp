#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <vector>

#include "bank/BlockLayout.h"
#include "bank/SysExData.h"
#include "midi/HandshakeMessages.h"

namespace {

const uint8_t kHeader[BLOCK_HEADER_SIZE] = {0xF0, 0x41, 0x42, 0x00, 0x20};

TEST(Checksum, MakesPayloadAndChecksumSumToAMultipleOf128) {
    std::vector<uint8_t> payload(BLOCK_PAYLOAD_SIZE, 0);
    EXPECT_EQ(Checksum(payload.data()), 0);
    payload[0] = 1;
    EXPECT_EQ(Checksum(payload.data()), 0x7F);
    payload[0] = 127;
    payload[1] = 1;
    EXPECT_EQ(Checksum(payload.data()), 0) << "a sum of 128 gets 00H, never 80H";
    payload.assign(BLOCK_PAYLOAD_SIZE, 0xFF);  // bytes above 7 bits, summed as unsigned
    const uint32_t sum = 0xFFu * BLOCK_PAYLOAD_SIZE;
    EXPECT_EQ(Checksum(payload.data()), (128 - sum % 128) % 128);
    EXPECT_EQ((sum + Checksum(payload.data())) % 128, 0u);
}

TEST(Blocks, EveryBlockOfANewBankSumsTo4672WithChecksum40H) {
    CNullBankView view;
    CSysExData bank(&view);
    for (int k = 0; k < BLOCK_COUNT; ++k) {
        const DataMessage block = EncodeBlock(k, AccessOf(bank), kHeader);
        const int sum = std::accumulate(block.begin() + 5, block.begin() + 253, 0);
        EXPECT_EQ(sum, 4672);
        EXPECT_EQ(block[253], 0x40);
        EXPECT_EQ(block[254], 0xF7);
        EXPECT_EQ(0, std::memcmp(block.data(), kHeader, 5));
        EXPECT_EQ(CheckBlock(block.data(), block.size()), BlockCheck::Ok);
    }
}

TEST(Blocks, SlotsCarryToneThenPatchOfEntries4kTo4kPlus3) {
    CNullBankView view;
    CSysExData bank(&view);
    for (int i = 0; i < BANK_SIZE; ++i) {
        std::memset(bank.GetTone(i)->GetData(), i, TONE_PARAM_COUNT);
        std::memset(bank.GetPatch(i)->GetData(), 64 + i % 64, PATCH_PARAM_COUNT);
    }
    const DataMessage block15 = EncodeBlock(15, AccessOf(bank), kHeader);
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(block15[5 + 62 * j], 60 + j) << "tone of slot " << j;
        EXPECT_EQ(block15[5 + 62 * j + 38], 60 + j);
        EXPECT_EQ(block15[44 + 62 * j], 64 + 60 + j) << "patch of slot " << j;
        EXPECT_EQ(block15[44 + 62 * j + 22], 64 + 60 + j);
    }
    // Block 5, slot 2 is entry 22: tone at 129-167, patch at 168-190.
    const DataMessage block5 = EncodeBlock(5, AccessOf(bank), kHeader);
    EXPECT_EQ(block5[129], 22);
    EXPECT_EQ(block5[167], 22);
    EXPECT_EQ(block5[168], 64 + 22);
    EXPECT_EQ(block5[190], 64 + 22);
}

TEST(Blocks, DecodingARoundTripGivesAnotherBankTheSameBytes) {
    CNullBankView view;
    CSysExData source(&view);
    for (int i = 0; i < BANK_SIZE; ++i) {
        for (int b = 0; b < TONE_PARAM_COUNT; ++b) {
            source.GetTone(i)->GetData()[b] = static_cast<int8_t>((i * 7 + b) % 128);
        }
        for (int b = 0; b < PATCH_PARAM_COUNT; ++b) {
            source.GetPatch(i)->GetData()[b] = static_cast<int8_t>((i * 3 + b * 5) % 128);
        }
    }
    CSysExData target(&view);
    target.GetPatch(1)->SetName("Keep me");
    for (int k = 0; k < BLOCK_COUNT; ++k) {
        const DataMessage block = EncodeBlock(k, AccessOf(source), kHeader);
        EXPECT_EQ(DecodeBlock(k, block.data(), block.size(), AccessOf(target)), 4);
    }
    for (int i = 0; i < BANK_SIZE; ++i) {
        EXPECT_EQ(0, std::memcmp(source.GetTone(i)->GetData(), target.GetTone(i)->GetData(), 39));
        EXPECT_EQ(0, std::memcmp(source.GetPatch(i)->GetData(), target.GetPatch(i)->GetData(), 23));
    }
    EXPECT_EQ(target.GetPatch(1)->GetName(), "Keep me");
    EXPECT_EQ(target.GetPatch(0)->GetName(), "------Patch------");
    EXPECT_EQ(target.GetTone(0)->GetName(), "------Tone-------");
}

TEST(Blocks, DecodingOneBlockRenamesExactlyItsEightEntries) {
    CNullBankView view;
    CSysExData bank(&view);
    const DataMessage block = EncodeBlock(0, AccessOf(bank), kHeader);
    DecodeBlock(3, block.data(), block.size(), AccessOf(bank));
    for (int i = 0; i < BANK_SIZE; ++i) {
        const bool inBlock = i >= 12 && i < 16;
        EXPECT_EQ(bank.GetPatch(i)->IsEmpty(), !inBlock) << i;
        EXPECT_EQ(bank.GetTone(i)->IsEmpty(), !inBlock) << i;
    }
}

TEST(Blocks, AShortMessageStoresOnlyItsCompleteSlots) {
    CNullBankView view;
    CSysExData source(&view);
    for (int i = 0; i < 4; ++i) {
        std::memset(source.GetTone(i)->GetData(), 100 + i, TONE_PARAM_COUNT);
    }
    const DataMessage block = EncodeBlock(0, AccessOf(source), kHeader);
    struct Case {
        size_t length;
        int slots;
    };
    for (Case c : {Case{0, 0}, Case{5, 0}, Case{66, 0}, Case{67, 1}, Case{128, 1}, Case{129, 2},
                   Case{252, 3}, Case{253, 4}, Case{255, 4}}) {
        CSysExData target(&view);
        EXPECT_EQ(DecodeBlock(0, block.data(), c.length, AccessOf(target)), c.slots) << c.length;
        for (int j = 0; j < 4; ++j) {
            EXPECT_EQ(target.GetTone(j)->IsEmpty(), j >= c.slots) << c.length << " slot " << j;
        }
    }
    EXPECT_EQ(CheckBlock(block.data(), 254), BlockCheck::WrongLength);
    DataMessage damaged = block;
    damaged[100] ^= 1;
    EXPECT_EQ(CheckBlock(damaged.data(), damaged.size()), BlockCheck::BadChecksum);
}

TEST(Handshake, MessagesCarryTheDeviceByteOfTheChannel) {
    CHandshakeMessages messages;
    EXPECT_EQ(std::vector<uint8_t>(messages.Ack(), messages.Ack() + messages.AckLength()),
              (std::vector<uint8_t>{0xF0, 0x41, 0x43, 0x00, 0x20, 0xF7}));
    EXPECT_EQ(std::vector<uint8_t>(messages.Rqd(), messages.Rqd() + messages.RqdLength()),
              (std::vector<uint8_t>{0xF0, 0x41, 0x41, 0x00, 0x20, 0x4D, 0x4B, 0x53, 0x2D, 0x38,
                                    0x30, 0x00, 0xF7}));
    EXPECT_EQ(messages.Wsd()[2], 0x40);
    EXPECT_EQ(messages.WsdLength(), 13);
    EXPECT_EQ(std::vector<uint8_t>(messages.Eod(), messages.Eod() + messages.EodLength()),
              (std::vector<uint8_t>{0xF0, 0x41, 0x45, 0x00, 0x20, 0xF7}));

    ASSERT_TRUE(messages.SetMidiChannel(16));
    for (const uint8_t* message : {messages.Ack(), messages.Eod(), messages.Rqd(), messages.Wsd(),
                                   &messages.DatHeader()[0]}) {
        EXPECT_EQ(message[3], 0x0F);
    }
    CNullBankView view;
    CSysExData bank(&view);
    EXPECT_EQ(messages.BuildDataMessage(0, AccessOf(bank))[3], 0x0F);
    ASSERT_TRUE(messages.SetMidiChannel(1));
    EXPECT_EQ(messages.Rqd()[3], 0x00);
    EXPECT_EQ(messages.DeviceByte(), 0x00);
}

// The desktop program ends on it (its own test); the messages stay as they were.
TEST(Handshake, ChannelBelowOneIsRefusedAndChangesNothing) {
    CHandshakeMessages messages;
    ASSERT_TRUE(messages.SetMidiChannel(5));
    EXPECT_FALSE(messages.SetMidiChannel(0));
    EXPECT_EQ(messages.DeviceByte(), 4);
    EXPECT_EQ(messages.Ack()[3], 4);
}

}  // namespace
