// Sending and verifying a bank whole or as far as its file held it, against the
// built-in instrument.
#include <gtest/gtest.h>

#include <string>

#include "bank/BankEntries.h"
#include "bank/BankFiles.h"
#include "bank/SysExData.h"
#include "midi/VirtualMks80.h"
#include "ops/MidiServices.h"
#include "ops/TransferOps.h"

namespace {

std::string Data(const std::string& in_name) {
    return std::string(QUORLIN_TEST_DATA) + "/" + in_name;
}

ops::LinkSetup Immediate(int in_channel = 1) {
    ops::LinkSetup setup;
    setup.channel = in_channel;
    setup.delayMs = 0;
    return setup;
}

TEST(TransferOpsTest, InstrumentComparisonCountsOnlyBytesOfTheEntriesTheFileHeldIntact) {
    CNullBankView view;
    CSysExData instrument(&view);
    CSysExData bank(&view);
    bank.GetPatch(0)->GetData()[1] = 9;   // block 1 of the file: held
    bank.GetTone(2)->SetName("Renamed");  // the instrument keeps no names
    bank.GetTone(5)->GetData()[0] = 9;    // block 2: a wrong checksum
    bank.GetTone(40)->GetData()[0] = 9;   // beyond the file's 3 blocks

    BankReadReport held;
    held.kind = FileKind::Dump;
    held.blocks = 3;
    held.badChecksums = {1};
    const BankComparison partial = ops::InstrumentComparison(bank, instrument, &held);
    ASSERT_EQ(partial.entries.size(), 1u);
    EXPECT_EQ(partial.entries[0].kind, EntryKind::Patch);
    EXPECT_EQ(partial.entries[0].index, 0);

    EXPECT_EQ(ops::InstrumentComparison(bank, instrument).entries.size(), 3u)
        << "a whole bank counts every entry but the renamed one";
}

TEST(TransferOpsTest, APartialSendChangesOnlyTheEntriesTheFileHeld) {
    VirtualMks80 instrument(Mks80Options{}, "");
    const BankEntries before = ReadWholeBank(instrument.Engine().Memory());
    CNullBankView view;
    CSysExData bank(&view);
    const BankReadReport report = ReadBankOrDump(Data("dumps/blocks3-then-eod.syx"), bank);
    ASSERT_EQ(report.blocks, 3);
    const BankEntries dump = ReadWholeBank(bank);

    ops::LinkSession session(instrument, Immediate());
    const ops::SendResult sent = ops::SendBank(session, bank, &report);
    ASSERT_TRUE(sent.fetched);
    ASSERT_TRUE(sent.send.Completed());

    const BankEntries after = ReadWholeBank(instrument.Engine().Memory());
    for (size_t i = 0; i < after.size(); ++i) {
        const bool held = after[i].index < 12;
        // The instrument names every entry it is sent as the data says; bytes are what count.
        EXPECT_EQ(after[i].data, held ? dump[i].data : before[i].data)
            << (after[i].tone ? "tone " : "patch ") << EntryNumber(after[i].index);
    }
    const ops::VerifyResult verified = ops::VerifyBank(session, bank, &report);
    ASSERT_TRUE(verified.fetch.Completed());
    EXPECT_TRUE(verified.differences.SameBytes());
}

TEST(TransferOpsTest, WhenThePartialSendsFetchFailsNothingIsSent) {
    Mks80Options refusing;
    refusing.reject = true;
    VirtualMks80 instrument(refusing, "");
    CNullBankView view;
    CSysExData bank(&view);
    const BankReadReport report = ReadBankOrDump(Data("dumps/blocks3-then-eod.syx"), bank);

    ops::LinkSession session(instrument, Immediate());
    const ops::SendResult sent = ops::SendBank(session, bank, &report);
    EXPECT_TRUE(sent.FetchFailed());
    EXPECT_EQ(sent.fetch.outcome, TransferOutcome::Refused);
    EXPECT_FALSE(sent.send.ended);
    EXPECT_EQ(instrument.Engine().DumpsReceived(), 0);
}

TEST(TransferOpsTest, TheProgramsServiceEndsWithTheBuiltInInstrumentOnItsChannel) {
    const auto service = ops::MakeMidiService({"", 5});
    ASSERT_GT(service->InGetNumDevs(), 0u);
    ASSERT_GT(service->OutGetNumDevs(), 0u);
    ops::LinkSetup setup = Immediate(5);
    setup.inDevice = service->InGetNumDevs() - 1;
    setup.outDevice = service->OutGetNumDevs() - 1;
    std::string name;
    ASSERT_EQ(service->InGetDevCaps(setup.inDevice, name), MMSYSERR_NOERROR);
    EXPECT_EQ(name, VirtualMks80::kDeviceName);

    CNullBankView view;
    CSysExData bank(&view);
    // The built-in instrument answers only its own channel, as a real one does.
    EXPECT_TRUE(ops::LinkSession(*service, setup).Fetch(bank).Completed());
}

}  // namespace
