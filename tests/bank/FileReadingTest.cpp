// The one reader of bank files, dumps and MIDI files: what it reports, and the MIDI
// files it writes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bank/BankFiles.h"
#include "bank/BlockLayout.h"
#include "bank/StandardMidiFile.h"
#include "bank/SysExData.h"
#include "midi/DumpFile.h"

namespace {

std::string Data(const std::string& in_name) {
    return std::string(QUORLIN_TEST_DATA) + "/" + in_name;
}

BankReadReport ReadBytes(const std::string& in_bytes, CSysExData& io_bank) {
    return ReadBankBytes(reinterpret_cast<const uint8_t*>(in_bytes.data()), in_bytes.size(), false,
                         io_bank);
}

TEST(FileReading, TheReportNamesWhatIsNotAWholeBank) {
    CNullBankView view;
    CSysExData bank(&view);
    BankReadReport report = ReadBankOrDump(Data("dumps/blocks3-then-eod.syx"), bank);
    EXPECT_FALSE(report.WholeBank());
    EXPECT_EQ(DescribeRead(report),
              "The file held 3 of the 16 data blocks: entries 11 to 24 were read, entries 25 to "
              "88 were left unchanged.\n");

    report = ReadBankOrDump(Data("dumps/blocks16-wrong-checksum-in-block-3.syx"), bank);
    EXPECT_EQ(report.badChecksums, std::vector<int>{2});
    EXPECT_NE(DescribeRead(report).find("block 3 (entries 21 to 24)"), std::string::npos);

    report = ReadBankOrDump(Data("banks/ok-high-bytes-in-12-and-88.m80"), bank);
    EXPECT_TRUE(report.WholeBank());
    EXPECT_EQ(report.highByteEntries, (std::vector<int>{1, 63}));
    EXPECT_EQ(EntriesWithHighBytes(bank), report.highByteEntries);
    EXPECT_NE(DescribeRead(report).find("Entries 12, 88 hold parameter bytes of 80H or more"),
              std::string::npos);

    report = ReadBankOrDump(Data("banks/ok-trailing-bytes.m80"), bank);
    EXPECT_TRUE(report.trailingBytes);
    report = ReadBankOrDump(Data("banks/ok-new-bank.m80"), bank);
    EXPECT_EQ(report.trailingBytes, false);
    EXPECT_EQ(report.emptyInFile.patches.size(), 64u);
    EXPECT_EQ(report.emptyInFile.tones.size(), 64u);
    EXPECT_FALSE(bank.GetTone(0)->IsEmpty()) << "loaded entries are not empty";
    EXPECT_TRUE(ReadBankOrDump(Data("banks/ok-named-entries.m80"), bank).emptyInFile.tones.empty());
}

TEST(FileReading, ABankWhoseFirstNameLooksLikeADataMessageIsABank) {
    CNullBankView view;
    CSysExData bank(&view);
    const BankReadReport report = ReadBankOrDump(Data("banks/ok-first-name-240.m80"), bank);
    EXPECT_EQ(report.kind, FileKind::BankFile);
    EXPECT_EQ(bank.GetPatch(0)->GetName().substr(0, 4), "ABC ");
    EXPECT_EQ(bank.GetTone(63)->GetName(), "Tone 63");
}

TEST(FileReading, AFolderOrAPipeIsRefusedWithoutWaiting) {
    CNullBankView view;
    CSysExData bank(&view);
    EXPECT_EQ(ReadBankOrDump(QUORLIN_TEST_DATA, bank).result, ReadResult::CannotOpen);
#ifndef _WIN32
    EXPECT_EQ(ReadBankOrDump("/dev/zero", bank).result, ReadResult::CannotOpen);
#endif
    EXPECT_TRUE(bank.GetPatch(0)->IsEmpty());
}

class MidiFiles : public testing::Test {
  protected:
    CNullBankView view;
    CSysExData source{&view};
    void SetUp() override {
        for (int i = 0; i < BANK_SIZE; ++i) {
            std::memset(source.GetTone(i)->GetData(), i, TONE_PARAM_COUNT);
            std::memset(source.GetPatch(i)->GetData(), 127 - i, PATCH_PARAM_COUNT);
        }
    }
};

TEST_F(MidiFiles, AnExportedFileReadsBackAsTheSameBank) {
    const std::string dump = RecordedDump(source, 5);
    const std::string file = MidiFileOf(dump);
    CSysExData bank(&view);
    const BankReadReport report = ReadBytes(file, bank);
    EXPECT_EQ(report.kind, FileKind::MidiFile);
    EXPECT_TRUE(report.WholeBank());
    EXPECT_EQ(RecordedDump(bank, 5), dump);

    const MidiFileSysEx read =
        ReadMidiFileSysEx(reinterpret_cast<const uint8_t*>(file.data()), file.size());
    ASSERT_TRUE(read.ok);
    ASSERT_EQ(read.messages.size(), 17u);
    EXPECT_EQ(read.messages[0].size(), 255u);
    EXPECT_EQ(read.messages[16].size(), 6u);
}

TEST_F(MidiFiles, MessagesAreSpacedAsTheCableNeeds) {
    const std::string file = MidiFileOf(RecordedDump(source, 1));
    // Walk the one track: every delta before a message is at least the time the
    // message before it takes at 31 250 baud (255 bytes: 81.6 ms; ticks are 1 ms).
    size_t p = 22 + 7;  // header, track header, the tempo event
    uint32_t previousLength = 0;
    int messages = 0;
    while (p < file.size() && static_cast<uint8_t>(file[p + 1]) == 0xF0) {
        uint32_t delta = 0;
        while (static_cast<uint8_t>(file[p]) & 0x80) {
            delta = (delta << 7) | (static_cast<uint8_t>(file[p++]) & 0x7F);
        }
        delta = (delta << 7) | static_cast<uint8_t>(file[p++]);
        EXPECT_GE(delta * 1000.0, previousLength * 10 * 1000000.0 / 31250) << messages;
        ++p;  // F0H
        uint32_t length = 0;
        while (static_cast<uint8_t>(file[p]) & 0x80) {
            length = (length << 7) | (static_cast<uint8_t>(file[p++]) & 0x7F);
        }
        length = (length << 7) | static_cast<uint8_t>(file[p++]);
        p += length;
        previousLength = length + 1;
        ++messages;
    }
    EXPECT_EQ(messages, 17);
    EXPECT_EQ(file.substr(8, 6), std::string("\0\0\0\1\1\xF4", 6));  // format 0, 1 track, 500 ticks
}

TEST_F(MidiFiles, ADamagedFileIsRefusedAndChangesNothing) {
    const std::string file = MidiFileOf(RecordedDump(source, 1));
    for (size_t cut : {size_t(14), size_t(30), file.size() / 2, file.size() - 1}) {
        CSysExData bank(&view);
        const BankReadReport report = ReadBytes(file.substr(0, cut), bank);
        EXPECT_EQ(report.result, ReadResult::NotABank) << cut;
        EXPECT_TRUE(bank.GetTone(0)->IsEmpty()) << cut;
    }
    std::string format2 = file;
    format2[9] = 2;
    CSysExData bank(&view);
    EXPECT_NE(DescribeRefusal(ReadBytes(format2, bank)).find("format 2"), std::string::npos);
}

}  // namespace
