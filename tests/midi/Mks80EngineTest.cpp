#include "midi/Mks80Engine.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bank/BlockLayout.h"
#include "midi/HandshakeMessages.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Short(uint8_t command, uint8_t device = 0) {
    return {0xF0, 0x41, command, device, 0x20, 0xF7};
}
Bytes Named(uint8_t command, uint8_t device = 0) {
    return {0xF0, 0x41, command, device, 0x20, 0x4D, 0x4B, 0x53, 0x2D, 0x38, 0x30, 0x00, 0xF7};
}
Bytes Block(CSysExData& bank, int block, uint8_t device = 0) {
    const uint8_t header[BLOCK_HEADER_SIZE] = {0xF0, 0x41, HS_DAT, device, 0x20};
    DataMessage m = EncodeBlock(block, AccessOf(bank), header);
    return Bytes(m.begin(), m.end());
}

class TempDir {
  public:
    TempDir() {
        path = std::filesystem::temp_directory_path() /
               ("quorlin-engine-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(path);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string File(const std::string& name) const { return (path / name).string(); }
    std::filesystem::path path;
};

bool SameBytes(const CSysExData& a, const CSysExData& b) {
    for (int i = 0; i < BANK_SIZE; ++i) {
        if (std::memcmp(a.GetTone(i)->GetData(), b.GetTone(i)->GetData(), TONE_PARAM_COUNT) ||
            std::memcmp(a.GetPatch(i)->GetData(), b.GetPatch(i)->GetData(), PATCH_PARAM_COUNT)) {
            return false;
        }
    }
    return true;
}

// Runs a whole fetch: RQD, then ACK after every answer; returns the messages in order.
std::vector<Bytes> FetchAll(Mks80Engine& engine, uint8_t device = 0) {
    std::vector<Bytes> got;
    std::vector<Bytes> answers = engine.Receive(Named(HS_RQD, device));
    for (int guard = 0; guard < 40 && !answers.empty(); ++guard) {
        for (const Bytes& a : answers) {
            got.push_back(a);
        }
        answers = engine.Receive(Short(HS_ACK, device));
    }
    return got;
}

}  // namespace

TEST(Mks80Engine, DumpsItsMemoryAsSixteenBlocksAndEodThenStopsAtTheLastAck) {
    Mks80Engine engine({}, "");
    std::vector<Bytes> got = FetchAll(engine);
    ASSERT_EQ(got.size(), 17u);
    CNullBankView view;
    CSysExData copy(&view);
    for (int k = 0; k < 16; ++k) {
        ASSERT_EQ(got[k].size(), 255u) << k;
        EXPECT_EQ(got[k][2], HS_DAT);
        EXPECT_EQ(CheckBlock(got[k].data(), got[k].size()), BlockCheck::Ok) << k;
        DecodeBlock(k, got[k].data(), got[k].size(), AccessOf(copy));
    }
    EXPECT_EQ(got[16], Short(HS_EOD));
    EXPECT_TRUE(SameBytes(copy, engine.Memory()));
    // The ACK of EOD ended the dump: a further ACK releases nothing.
    EXPECT_TRUE(engine.Receive(Short(HS_ACK)).empty());
}

TEST(Mks80Engine, AnswersOnlyItsOwnDeviceByte) {
    Mks80Options options;
    options.channel = 5;
    Mks80Engine engine(options, "");
    EXPECT_TRUE(engine.Receive(Named(HS_RQD, 0)).empty());
    std::vector<Bytes> got = FetchAll(engine, 4);
    ASSERT_EQ(got.size(), 17u);
    EXPECT_EQ(got[0][3], 4);
    EXPECT_EQ(got[16], Short(HS_EOD, 4));
}

TEST(Mks80Engine, LoadsADumpChecksEveryBlockAndSavesOnlyAWholeOne) {
    TempDir dir;
    const std::string file = dir.File("memory.m80");
    CNullBankView view;
    CSysExData bank(&view);  // every entry at its defaults: unlike the demonstration bank
    {
        Mks80Engine engine({}, file);
        EXPECT_TRUE(std::filesystem::exists(file));  // made on first use
        EXPECT_EQ(engine.Receive(Named(HS_WSD)), std::vector<Bytes>{Short(HS_ACK)});
        for (int k = 0; k < 16; ++k) {
            if (k == 3) {
                Bytes bad = Block(bank, k);
                bad[BLOCK_CHECKSUM_OFFSET] ^= 1;
                EXPECT_EQ(engine.Receive(bad), std::vector<Bytes>{Short(HS_ERR)});
                Bytes cut = Block(bank, k);
                cut.resize(100);
                cut.back() = 0xF7;
                EXPECT_EQ(engine.Receive(cut), std::vector<Bytes>{Short(HS_ERR)});
            }
            EXPECT_EQ(engine.Receive(Block(bank, k)), std::vector<Bytes>{Short(HS_ACK)}) << k;
        }
        EXPECT_EQ(engine.DumpsReceived(), 0);
        EXPECT_EQ(engine.Receive(Short(HS_EOD)), std::vector<Bytes>{Short(HS_ACK)});
        EXPECT_EQ(engine.DumpsReceived(), 1);
        EXPECT_TRUE(SameBytes(engine.Memory(), bank));
    }
    Mks80Engine reopened({}, file);
    EXPECT_TRUE(SameBytes(reopened.Memory(), bank));

    // A dump that ends early is acknowledged but not kept in the file.
    {
        Mks80Engine engine({}, file);
        engine.Receive(Named(HS_WSD));
        CSysExData other(&view);
        Mks80Engine::FillDemonstrationBank(other);
        engine.Receive(Block(other, 0));
        EXPECT_EQ(engine.Receive(Short(HS_EOD)), std::vector<Bytes>{Short(HS_ACK)});
        EXPECT_EQ(engine.DumpsReceived(), 0);
    }
    Mks80Engine again({}, file);
    EXPECT_TRUE(SameBytes(again.Memory(), bank));
}

TEST(Mks80Engine, DemonstrationBankIsNamedVariedAndSevenBit) {
    Mks80Engine engine({}, "");
    CSysExData& bank = engine.Memory();
    int distinct = 0;
    for (int i = 0; i < BANK_SIZE; ++i) {
        EXPECT_FALSE(bank.GetTone(i)->IsEmpty());
        EXPECT_FALSE(bank.GetPatch(i)->IsEmpty());
        EXPECT_NE(bank.GetPatch(i)->GetName(), kPatchPlaceholder);
        for (int j = 0; j < TONE_PARAM_COUNT; ++j) {
            EXPECT_GE(bank.GetTone(i)->GetData()[j], 0);
        }
        for (int j = 0; j < PATCH_PARAM_COUNT; ++j) {
            EXPECT_GE(bank.GetPatch(i)->GetData()[j], 0);
        }
        EXPECT_LT(bank.GetPatch(i)->GetData()[3], BANK_SIZE);
        EXPECT_LT(bank.GetPatch(i)->GetData()[13], BANK_SIZE);
        if (i > 0 && std::memcmp(bank.GetTone(i)->GetData(), bank.GetTone(i - 1)->GetData(),
                                 TONE_PARAM_COUNT) != 0) {
            ++distinct;
        }
    }
    EXPECT_EQ(distinct, BANK_SIZE - 1);
}

TEST(Mks80Engine, ADamagedMemoryFileIsKeptAndTheDemonstrationBankUsed) {
    TempDir dir;
    std::filesystem::create_directories(dir.path);
    const std::string file = dir.File("memory.m80");
    {
        std::ofstream out(file, std::ios::binary);
        out << "\x05hello";
    }
    Mks80Engine engine({}, file);
    EXPECT_EQ(std::filesystem::file_size(file), 6u);
    EXPECT_FALSE(engine.Memory().GetTone(0)->IsEmpty());
}

TEST(Mks80Engine, FaultSwitches) {
    {
        Mks80Options o;
        o.silent = true;
        Mks80Engine e(o, "");
        EXPECT_TRUE(e.Receive(Named(HS_RQD)).empty());
        EXPECT_TRUE(e.Receive(Named(HS_WSD)).empty());
    }
    {
        Mks80Options o;
        o.reject = true;
        Mks80Engine e(o, "");
        EXPECT_EQ(e.Receive(Named(HS_RQD)), std::vector<Bytes>{Short(HS_RJC)});
        EXPECT_EQ(e.Receive(Named(HS_WSD)), std::vector<Bytes>{Short(HS_RJC)});
    }
    {
        Mks80Options o;
        o.echo = true;
        Mks80Engine e(o, "");
        std::vector<Bytes> got = e.Receive(Named(HS_RQD));
        ASSERT_EQ(got.size(), 2u);
        EXPECT_EQ(got[0], Named(HS_RQD));
        EXPECT_EQ(got[1].size(), 255u);
        // Echoed even when it is for another device.
        EXPECT_EQ(e.Receive(Short(HS_ACK, 9)), std::vector<Bytes>{Short(HS_ACK, 9)});
    }
    {
        Mks80Options o;
        o.corruptBlock = 2;
        o.shortBlock = 5;
        Mks80Engine e(o, "");
        std::vector<Bytes> got = FetchAll(e);
        ASSERT_EQ(got.size(), 17u);
        for (int k = 0; k < 16; ++k) {
            const BlockCheck expected = k == 2   ? BlockCheck::BadChecksum
                                        : k == 5 ? BlockCheck::WrongLength
                                                 : BlockCheck::Ok;
            EXPECT_EQ(CheckBlock(got[k].data(), got[k].size()), expected) << k;
        }
        EXPECT_EQ(got[5].back(), 0xF7);
    }
    {
        Mks80Options o;
        o.activeSensing = true;
        Mks80Engine e(o, "");
        std::vector<Bytes> got = FetchAll(e);
        ASSERT_EQ(got.size(), 34u);
        for (size_t i = 0; i < got.size(); i += 2) {
            EXPECT_EQ(got[i], Bytes{0xFE});
        }
    }
}

TEST(Mks80Engine, RejectFromTheHostStopsADump) {
    Mks80Engine e({}, "");
    ASSERT_EQ(e.Receive(Named(HS_RQD)).size(), 1u);
    EXPECT_TRUE(e.Receive(Short(HS_RJC)).empty());
    EXPECT_TRUE(e.Receive(Short(HS_ACK)).empty());
}

TEST(Mks80Engine, DefaultMemoryPathFollowsTheEnvironment) {
    const char* oldMemory = std::getenv("QUORLIN_VIRTUAL_MEMORY");
    const std::string savedMemory = oldMemory ? oldMemory : "";
    const char* oldData = std::getenv("XDG_DATA_HOME");
    const std::string savedData = oldData ? oldData : "";

    setenv("QUORLIN_VIRTUAL_MEMORY", "/tmp/x/mem.m80", 1);
    EXPECT_EQ(Mks80Engine::DefaultMemoryPath(), "/tmp/x/mem.m80");
    unsetenv("QUORLIN_VIRTUAL_MEMORY");
    setenv("XDG_DATA_HOME", "/data", 1);
    EXPECT_EQ(Mks80Engine::DefaultMemoryPath(), "/data/Quorlin/virtual-mks80.m80");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", std::getenv("HOME") ? std::getenv("HOME") : "/home/u", 1);
    EXPECT_EQ(Mks80Engine::DefaultMemoryPath(),
              std::string(std::getenv("HOME")) + "/.local/share/Quorlin/virtual-mks80.m80");

    if (oldMemory) {
        setenv("QUORLIN_VIRTUAL_MEMORY", savedMemory.c_str(), 1);
    }
    if (oldData) {
        setenv("XDG_DATA_HOME", savedData.c_str(), 1);
    }
}
