#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bank/Archive.h"
#include "bank/BlockLayout.h"
#include "bank/SysExData.h"
#include "midi/HandshakeMessages.h"

namespace {

using Bytes = std::vector<uint8_t>;

class RecordingView : public CBankView {
  public:
    void RefreshRow(int in_row) override { rows.push_back(in_row); }
    std::vector<int> rows;
};

// A source bank whose entry i carries the byte i in every tone byte and 64 + i in every patch byte.
struct Source {
    CNullBankView view;
    CSysExData bank{&view};
    CHandshakeMessages messages;
    Source() {
        for (int i = 0; i < BANK_SIZE; ++i) {
            std::memset(bank.GetTone(i)->GetData(), i, TONE_PARAM_COUNT);
            std::memset(bank.GetPatch(i)->GetData(), 64 + i, PATCH_PARAM_COUNT);
        }
    }
    void Dat(Bytes& out, int k) {
        const DataMessage block = messages.BuildDataMessage(k, AccessOf(bank));
        out.insert(out.end(), block.begin(), block.end());
    }
    void Wsd(Bytes& out) { out.insert(out.end(), messages.Wsd(), messages.Wsd() + 13); }
    void Eod(Bytes& out) { out.insert(out.end(), messages.Eod(), messages.Eod() + 6); }
    void Ack(Bytes& out) { out.insert(out.end(), messages.Ack(), messages.Ack() + 6); }
};

// How many leading entries of in_bank hold the source's bytes for their own index.
int FilledFromSource(CSysExData& in_bank) {
    int n = 0;
    while (n < BANK_SIZE && in_bank.GetTone(n)->GetData()[0] == n &&
           in_bank.GetPatch(n)->GetData()[22] == 64 + n) {
        ++n;
    }
    return n;
}

TEST(SysExImport, AWholeDumpFillsEveryEntryAndRefreshesEachRow) {
    Source source;
    Bytes dump;
    source.Wsd(dump);
    for (int k = 0; k < 16; ++k) {
        source.Dat(dump, k);
    }
    source.Eod(dump);
    ASSERT_EQ(dump.size(), 13u + 16 * 255 + 6);

    RecordingView view;
    CSysExData bank(&view);
    bank.GetPatch(5)->SetName("Strings");
    EXPECT_EQ(bank.ImportSysEx(dump.data(), dump.size()), 16);
    EXPECT_EQ(FilledFromSource(bank), 64);
    EXPECT_EQ(view.rows.size(), 64u);
    EXPECT_EQ(view.rows.back(), 63);
    EXPECT_EQ(bank.GetPatch(5)->GetName(), "Strings");
    EXPECT_EQ(bank.GetPatch(0)->GetName(), "------Patch------");
    EXPECT_EQ(bank.GetTone(63)->GetName(), "------Tone-------");
}

TEST(SysExImport, WantToSendMessagesAnywhereAreSkipped) {
    Source source;
    Bytes dump;
    source.Dat(dump, 0);  // starts directly with data
    source.Wsd(dump);
    source.Wsd(dump);
    for (int k = 1; k < 16; ++k) {
        source.Dat(dump, k);
        if (k % 5 == 0) {
            source.Wsd(dump);
        }
    }
    source.Wsd(dump);
    CNullBankView view;
    CSysExData bank(&view);
    EXPECT_EQ(bank.ImportSysEx(dump.data(), dump.size()), 16);
    EXPECT_EQ(FilledFromSource(bank), 64);
}

TEST(SysExImport, BlocksFillEntriesInFileOrderAndAnUnknownMessageStops) {
    Source source;
    Bytes dump;
    source.Dat(dump, 0);
    source.Dat(dump, 1);
    source.Dat(dump, 2);
    source.Eod(dump);
    source.Dat(dump, 3);  // never reached
    CNullBankView view;
    CSysExData bank(&view);
    EXPECT_EQ(bank.ImportSysEx(dump.data(), dump.size()), 3);
    EXPECT_EQ(FilledFromSource(bank), 12);
    EXPECT_TRUE(bank.GetTone(12)->IsEmpty());

    // A block from the middle of a dump lands at entry 0: the place in the file counts.
    Bytes later;
    source.Dat(later, 9);
    CSysExData other(&view);
    EXPECT_EQ(other.ImportSysEx(later.data(), later.size()), 1);
    EXPECT_EQ(other.GetTone(0)->GetData()[0], 36);
}

TEST(SysExImport, OurOwnHandshakeAndRealTimeBytesAreSkippedAnUnknownMessageStops) {
    Source source;
    // A receive recorded from both sides: RQD, then each block with our ACK after it,
    // and active sensing (FEH) and clock (F8H) bytes wherever they fell.
    Bytes recorded;
    source.Wsd(recorded);
    recorded[2] = HS_RQD;
    for (int k = 0; k < 16; ++k) {
        source.Dat(recorded, k);
        source.Ack(recorded);
    }
    Bytes sprinkled;
    for (size_t i = 0; i < recorded.size(); ++i) {
        if (i % 100 == 0) {
            sprinkled.push_back(i % 200 ? 0xFE : 0xF8);
        }
        sprinkled.push_back(recorded[i]);
    }
    CNullBankView view;
    CSysExData bank(&view);
    std::vector<int> damaged;
    EXPECT_EQ(bank.ImportSysEx(sprinkled.data(), sprinkled.size(), &damaged), 16);
    EXPECT_EQ(FilledFromSource(bank), BANK_SIZE);
    EXPECT_TRUE(damaged.empty());

    // A damaged block is still taken, and named.
    Bytes dump;
    source.Dat(dump, 0);
    source.Dat(dump, 1);
    dump[255 + 10] ^= 1;
    CSysExData other(&view);
    EXPECT_EQ(other.ImportSysEx(dump.data(), dump.size(), &damaged), 2);
    EXPECT_EQ(damaged, std::vector<int>{1});

    // End-of-data first: nothing is taken.
    Bytes eodFirst;
    source.Eod(eodFirst);
    source.Dat(eodFirst, 0);
    CSysExData third(&view);
    EXPECT_EQ(third.ImportSysEx(eodFirst.data(), eodFirst.size()), 0);
    EXPECT_TRUE(third.GetTone(0)->IsEmpty());
}

TEST(SysExImport, ADumpCutShortKeepsTheWholeBlocksAndReadsNothingPastTheEnd) {
    Source source;
    Bytes dump;
    source.Wsd(dump);
    for (int k = 0; k < 16; ++k) {
        source.Dat(dump, k);
    }
    for (size_t length = 0; length <= dump.size(); ++length) {
        // An exact-size heap copy, so the sanitizer build catches any read past the end.
        std::unique_ptr<uint8_t[]> copy(new uint8_t[length ? length : 1]);
        std::memcpy(copy.get(), dump.data(), length);
        CNullBankView view;
        CSysExData bank(&view);
        const int blocks = bank.ImportSysEx(copy.get(), length);
        const int expected = length < 13 ? 0 : int((length - 13) / 255);
        ASSERT_EQ(blocks, expected) << length;
        ASSERT_EQ(FilledFromSource(bank), 4 * expected) << length;
    }
    // A run of want-to-send messages reaching the end of the data.
    Bytes wsds;
    for (int i = 0; i < 5; ++i) {
        source.Wsd(wsds);
    }
    wsds.resize(wsds.size() - 4);
    CNullBankView view;
    CSysExData bank(&view);
    EXPECT_EQ(bank.ImportSysEx(wsds.data(), wsds.size()), 0);
}

TEST(SysExImport, NothingPastTheFirst10000BytesIsRead) {
    Source source;
    Bytes dump;
    for (int i = 0; i < 600; ++i) {  // 7800 bytes of want-to-send messages
        source.Wsd(dump);
    }
    for (int k = 0; k < 16; ++k) {
        source.Dat(dump, k);
    }
    CNullBankView view;
    CSysExData bank(&view);
    // 2200 bytes are left after the messages: 8 whole blocks fit, the ninth is cut by the limit.
    EXPECT_EQ(bank.ImportSysEx(dump.data(), dump.size()), 8);
}

// Random and cut buffers through every parser; the sanitizer build turns any read
// out of bounds into a failure.
TEST(ParserRobustness, RandomBuffersNeverReadOutOfBounds) {
    std::mt19937 random(20261209);
    Source source;
    Bytes realDump;
    for (int k = 0; k < 16; ++k) {
        source.Dat(realDump, k);
    }
    std::string realFile;
    {
        std::ostringstream out;
        CArchive archive(out);
        ASSERT_TRUE(source.bank.StoreBank(archive));
        realFile = out.str();
    }
    for (int round = 0; round < 400; ++round) {
        const size_t length = random() % 700;
        std::unique_ptr<uint8_t[]> buffer(new uint8_t[length ? length : 1]);
        for (size_t i = 0; i < length; ++i) {
            buffer[i] = static_cast<uint8_t>(random());
        }
        if (round % 3 == 0 && length > 3) {
            buffer[0] = 0xF0;
            buffer[2] = round % 2 ? HS_DAT : HS_WSD;
        }
        CNullBankView view;
        CSysExData bank(&view);
        bank.ImportSysEx(buffer.get(), length);
        DecodeBlock(int(random() % 16), buffer.get(), length, AccessOf(bank));
        CheckBlock(buffer.get(), length);
        std::istringstream in(std::string(reinterpret_cast<char*>(buffer.get()), length));
        CArchive archive(in);
        (void)bank.LoadBank(archive);

        // Damaged copies of real files and dumps.
        std::string file = realFile.substr(0, random() % (realFile.size() + 1));
        for (int flips = 0; flips < 3 && !file.empty(); ++flips) {
            file[random() % file.size()] = static_cast<char>(random());
        }
        std::istringstream damaged(file);
        CArchive damagedArchive(damaged);
        (void)bank.LoadBank(damagedArchive);
        Bytes dump(realDump.begin(), realDump.begin() + long(random() % (realDump.size() + 1)));
        for (int flips = 0; flips < 3 && !dump.empty(); ++flips) {
            dump[random() % dump.size()] = static_cast<uint8_t>(random());
        }
        std::unique_ptr<uint8_t[]> exact(new uint8_t[dump.size() + 1]);
        std::memcpy(exact.get(), dump.data(), dump.size());
        bank.ImportSysEx(exact.get(), dump.size());
    }
}

}  // namespace
