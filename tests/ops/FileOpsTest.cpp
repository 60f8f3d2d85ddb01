// What each command tells the user about a file it read.
#include <gtest/gtest.h>

#include <string>

#include "bank/SysExData.h"
#include "ops/FileOps.h"

namespace {

std::string Data(const std::string& in_name) {
    return std::string(QUORLIN_TEST_DATA) + "/" + in_name;
}

ops::FileReading Read(ops::ReadFor in_for, const std::string& in_file) {
    CNullBankView view;
    CSysExData bank(&view);
    return ops::ReadFile(in_for, Data(in_file), "F", bank);
}

TEST(ReadMessagesTest, EachCommandSaysInItsOwnWordsWhyAFileIsRefused) {
    using ops::ReadFor;
    const std::string missing = "no-such-file.m80";
    const std::string foreign = "banks/bad-text-file.m80";
    const std::string noBlocks = "dumps/blocks0-other-maker.syx";
    const std::string noData = "holds no data block of the MKS-80; nothing was changed";

    EXPECT_EQ(Read(ReadFor::Open, missing).refusal,
              "Cannot open the file \"F\":\nNo such file or directory.");
    EXPECT_EQ(Read(ReadFor::Open, foreign).refusal, "Unexpected file format.");
    EXPECT_EQ(Read(ReadFor::Open, noBlocks).refusal, "The file \"F\" " + noData + ".");

    EXPECT_EQ(Read(ReadFor::Import, missing).refusal,
              "The file \"F\" cannot be opened for reading: No such file or directory.");
    EXPECT_EQ(Read(ReadFor::Import, foreign)
                  .refusal.rfind("The file \"F\" is not a bank file, "
                                 "nor a recorded dump or MIDI file",
                                 0),
              0u);
    EXPECT_EQ(Read(ReadFor::Import, noBlocks).refusal, "The file \"F\" " + noData + ".");

    EXPECT_EQ(Read(ReadFor::Compare, missing).refusal,
              "The file \"F\" cannot be opened: No such file or directory.");
    EXPECT_EQ(Read(ReadFor::Compare, foreign).refusal,
              "The file \"F\" is not a bank file or a recorded dump.");
    EXPECT_EQ(Read(ReadFor::Compare, noBlocks).refusal, "The file \"F\" " + noData + ".");

    EXPECT_EQ(Read(ReadFor::CommandLine, missing).refusal,
              "F: cannot be opened for reading: No such file or directory");
    EXPECT_EQ(Read(ReadFor::CommandLine, noBlocks).refusal, "F: " + noData);

    // An empty file opens as a bank at the defaults, but gives an import nothing.
    EXPECT_TRUE(Read(ReadFor::Open, "banks/ok-empty-file.m80").Taken());
    EXPECT_EQ(Read(ReadFor::Import, "banks/ok-empty-file.m80").refusal,
              "The file \"F\" " + noData + ".");
}

TEST(ReadMessagesTest, AFileThatIsNotAWholeBankIsTakenWithANoteOfWhatItHeld) {
    const std::string partial = "dumps/blocks16-wrong-checksum-in-block-3.syx";
    const ops::FileReading opened = Read(ops::ReadFor::Open, partial);
    ASSERT_TRUE(opened.Taken());
    EXPECT_EQ(opened.note,
              "F:\nBlocks with a wrong checksum, taken as the file holds them: block 3 (entries "
              "21 to 24).");
    EXPECT_EQ(Read(ops::ReadFor::Import, partial).note, opened.note);

    // The command line names the file on every line, so each can be found by itself.
    EXPECT_EQ(Read(ops::ReadFor::CommandLine, "banks/ok-high-bytes-in-12-and-88.m80").note,
              "F: Entries 12, 88 hold parameter bytes of 80H or more, which no MKS-80 sends; "
              "repair them before sending the bank.");
    const std::string lines = Read(ops::ReadFor::CommandLine, "dumps/blocks3-then-eod.syx").note;
    EXPECT_EQ(lines.rfind("F: The file held 3 of the 16 data blocks", 0), 0u) << lines;
    EXPECT_EQ(lines.find('\n'), std::string::npos) << lines;

    EXPECT_TRUE(Read(ops::ReadFor::Open, "banks/ok-named-entries.m80").note.empty());
}

TEST(FileFormatTest, TheNameSaysHowABankIsWritten) {
    EXPECT_EQ(ops::FormatOfName("a.m80"), ops::FileFormat::BankFile);
    EXPECT_EQ(ops::FormatOfName("b.SYX"), ops::FileFormat::Dump);
    EXPECT_EQ(ops::FormatOfName("c.Mid"), ops::FileFormat::MidiFile);
    EXPECT_EQ(ops::FormatOfName("d.midi"), ops::FileFormat::MidiFile);
    EXPECT_EQ(ops::FormatOfName("banks.m80/e"), ops::FileFormat::Unknown);
    EXPECT_EQ(ops::FormatOfName("f.txt"), ops::FileFormat::Unknown);
}

}  // namespace
