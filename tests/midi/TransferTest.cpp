// The two transfers against the scripted service: sequences, pacing and the faults
// the link guards against.
#include "LinkTestSupport.h"

namespace {

using Calls = std::vector<std::string>;

const Calls kReArmAndSend = {"midiInUnprepareHeader", "midiOutUnprepareHeader",
                             "midiInPrepareHeader", "midiInAddBuffer", "midiOutPrepareHeader"};

int CountPrefix(const Calls& in_calls, const std::string& in_prefix) {
    int count = 0;
    for (const std::string& call : in_calls) {
        if (call.rfind(in_prefix, 0) == 0) {
            ++count;
        }
    }
    return count;
}

}  // namespace

TEST_F(LinkTest, FetchStoresSixteenBlocksAcknowledgesEachAndEndsOnTheSeventeenth) {
    host.pause = 100;
    link->GetPatches();
    EXPECT_TRUE(host.busy);
    EXPECT_EQ(link->GetMode(), 1);
    for (int k = 0; k < 16; ++k) {
        service.ClearCalls();
        ASSERT_TRUE(service.InjectLongData(BlockOf(source, k)));
        Wait(99);
        EXPECT_TRUE(service.Calls().empty()) << "answered before the delay, block " << k;
        Wait(1);
        Calls expected = kReArmAndSend;
        expected.push_back("midiOutLongMsg(6)");
        EXPECT_EQ(service.Calls(), expected) << k;
        EXPECT_EQ(link->GetBlockCounter(), k + 1);
        EXPECT_TRUE(host.busy);
    }
    EXPECT_TRUE(SameEntries(bank, source));
    EXPECT_EQ(bank.GetPatch(0)->GetName(), kPatchPlaceholder);
    EXPECT_EQ(bank.GetTone(63)->GetName(), kTonePlaceholder);

    ASSERT_TRUE(service.InjectLongData(ShortMessage(HS_EOD)));
    Wait(100);
    EXPECT_FALSE(host.busy);
    EXPECT_EQ(link->GetBlockCounter(), 16);
    const std::vector<Bytes> sent = service.Sent();
    ASSERT_EQ(sent.size(), 18u);  // RQD and 17 ACKs
    for (size_t i = 1; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i], ShortMessage(HS_ACK));
    }
    EXPECT_EQ(host.ended, (std::vector<std::pair<TransferKind, TransferOutcome>>{
                              {TransferKind::Receive, TransferOutcome::Completed}}));
    EXPECT_EQ(host.progress.size(), 16u);
    EXPECT_EQ(host.progress.back(), 16);
    ASSERT_EQ(host.received.size(), 16u);
    EXPECT_EQ(host.received[5], (std::pair<int, int>{20, 4}));
    EXPECT_EQ(host.lastBank, &bank);
    EXPECT_TRUE(prompter.Texts().empty());
    // An input buffer stays queued; a late message is acknowledged and changes nothing.
    EXPECT_EQ(service.QueuedBuffers(), 1);
    ASSERT_TRUE(service.InjectLongData(BlockOf(bank, 3)));
    Wait(100);
    EXPECT_EQ(service.Sent().size(), 19u);
    EXPECT_TRUE(SameEntries(bank, source));
    EXPECT_EQ(host.ended.size(), 1u);
    // No time-out message comes later.
    Wait(10000);
    EXPECT_TRUE(prompter.Texts().empty());
}

TEST_F(LinkTest, BlocksGoToTheBankCurrentWhenEachArrives) {
    CSysExData other(&view);
    link->GetPatches();
    service.InjectLongData(BlockOf(source, 0));
    Wait(100);
    link->SetCurrentSysExData(&other);
    service.InjectLongData(BlockOf(source, 1));
    Wait(100);
    EXPECT_TRUE(SameEntries(bank, source, 0, 4));
    EXPECT_FALSE(SameEntries(bank, source, 4, 4));
    EXPECT_TRUE(SameEntries(other, source, 4, 4));
}

TEST_F(LinkTest, ShortMessageCostsOneDelayAndRealTimeBytesNone) {
    host.pause = 50;
    link->GetPatches();
    service.ClearCalls();
    service.InjectShort(0xFE);        // active sensing
    service.InjectShort(0x00403C90);  // a note on
    service.InjectShort(0xF8);        // clock
    service.InjectLongData(BlockOf(source, 0));
    Wait(99);
    EXPECT_TRUE(service.Calls().empty());
    EXPECT_EQ(link->GetBlockCounter(), 0);
    Wait(1);
    EXPECT_EQ(link->GetBlockCounter(), 1);
    EXPECT_EQ(service.Sent().back(), ShortMessage(HS_ACK));
}

TEST_F(LinkTest, MessagesArrivingTogetherAreHandledOneDelayApartInOrder) {
    host.pause = 30;
    link->GetPatches();
    // The first fills the queued buffer; the second waits in the service for the re-arm.
    service.InjectLongData(BlockOf(source, 0));
    EXPECT_FALSE(service.InjectLongData(BlockOf(source, 1)));
    Wait(30);
    EXPECT_EQ(link->GetBlockCounter(), 1);
    Wait(29);
    EXPECT_EQ(link->GetBlockCounter(), 1);
    Wait(1);
    EXPECT_EQ(link->GetBlockCounter(), 2);
    EXPECT_TRUE(SameEntries(bank, source, 0, 8));
}

TEST_F(LinkTest, InputFromTheServiceThreadIsHandedOverToTheLoop) {
    link->GetPatches();
    for (int k = 0; k < 16; ++k) {
        service.InjectLongData(BlockOf(source, k), true);
        Wait(100);
    }
    service.InjectLongData(ShortMessage(HS_EOD), true);
    Wait(100);
    EXPECT_FALSE(host.busy);
    EXPECT_TRUE(SameEntries(bank, source));
}

TEST_F(LinkTest, SendAnnouncesThenSendsEachBlockOnEachAnswerAndEndsOnTheEighteenth) {
    Mks80Engine::FillDemonstrationBank(bank);
    link->SendPatches();
    EXPECT_TRUE(host.busy);
    EXPECT_EQ(link->GetMode(), 0);
    ASSERT_EQ(service.Sent().size(), 1u);
    EXPECT_EQ(service.Sent()[0], NamedMessage(HS_WSD));
    for (int k = 0; k <= 16; ++k) {
        service.ClearCalls();
        ASSERT_TRUE(service.InjectLongData(ShortMessage(HS_ACK)));
        Wait(100);
        Calls expected = kReArmAndSend;
        expected.push_back(k < 16 ? "midiOutLongMsg(255)" : "midiOutLongMsg(6)");
        EXPECT_EQ(service.Calls(), expected) << k;
        EXPECT_EQ(service.Sent().back(), k < 16 ? BlockOf(bank, k) : ShortMessage(HS_EOD));
        EXPECT_TRUE(host.busy);
    }
    EXPECT_EQ(link->GetBlockCounter(), 17);
    service.ClearCalls();
    ASSERT_TRUE(service.InjectLongData(ShortMessage(HS_ACK)));
    Wait(100);
    EXPECT_FALSE(host.busy);
    EXPECT_EQ(service.Calls(), (Calls{"midiInUnprepareHeader", "midiOutUnprepareHeader"}));
    EXPECT_EQ(host.ended, (std::vector<std::pair<TransferKind, TransferOutcome>>{
                              {TransferKind::Send, TransferOutcome::Completed}}));
    EXPECT_EQ(host.reports.back().blocks, 17);
    EXPECT_EQ(host.reports.back().entries.size(), 64u);
    EXPECT_EQ(host.progress,
              (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    // No input buffer is left queued: a further message is not delivered.
    EXPECT_EQ(service.QueuedBuffers(), 0);
    EXPECT_FALSE(service.InjectLongData(ShortMessage(HS_ACK)));
    Wait(10000);
    EXPECT_EQ(service.Sent().size(), 18u);
    EXPECT_TRUE(prompter.Texts().empty());
}

TEST_F(LinkTest, EachBlockIsBuiltFromTheBankWhenItsTurnComes) {
    link->SendPatches();
    service.InjectLongData(ShortMessage(HS_ACK));
    Wait(100);
    EXPECT_EQ(service.Sent().back(), BlockOf(bank, 0));
    bank.GetTone(4)->GetData()[0] = 99;  // an edit made during the transfer
    service.InjectLongData(ShortMessage(HS_ACK));
    Wait(100);
    EXPECT_EQ(service.Sent().back()[5], 99);
}

// ---- A failed first message ends the transfer ------------------------------------

TEST_F(LinkTest, FailedRequestEndsTheFetchAndFreesTheCommands) {
    service.Fail("midiOutLongMsg", MIDIERR_NOTREADY);
    link->GetPatches();
    EXPECT_EQ(host.setCount, 1);
    EXPECT_FALSE(host.busy);
    EXPECT_FALSE(link->IsTransferRunning());
    EXPECT_EQ(
        prompter.Texts(),
        (std::vector<std::string>{
            "Error", "MidiOut Error - MIDIERR_NOTREADY:\nThe hardware is busy with other data."}));
    EXPECT_EQ(host.ended, (std::vector<std::pair<TransferKind, TransferOutcome>>{
                              {TransferKind::Receive, TransferOutcome::SendFailed}}));
    EXPECT_EQ(host.reports.back().code, MIDIERR_NOTREADY);
    EXPECT_TRUE(host.reports.back().entries.empty());
    Wait(10000);
    EXPECT_EQ(prompter.Texts().size(), 2u);  // no time-out box on top
    // Whatever still arrives is let go.
    service.InjectLongData(BlockOf(source, 0));
    Wait(100);
    EXPECT_EQ(link->GetBlockCounter(), 0);
}

TEST_F(LinkTest, FailedWantToSendEndsTheSend) {
    service.Fail("midiOutLongMsg", MMSYSERR_INVALHANDLE);
    link->SendPatches();
    EXPECT_FALSE(host.busy);
    EXPECT_EQ(host.ended.back().second, TransferOutcome::SendFailed);
    // A new transfer can start.
    link->SendPatches();
    EXPECT_TRUE(host.busy);
    EXPECT_TRUE(link->IsTransferRunning());
}

TEST_F(LinkTest, FailedAcknowledgementLeavesTheTransferWaiting) {
    link->GetPatches();
    service.Fail("midiOutLongMsg", MIDIERR_NOTREADY);
    service.InjectLongData(BlockOf(source, 0));
    Wait(100);
    EXPECT_EQ(prompter.Texts().size(), 2u);
    EXPECT_TRUE(host.busy);
    EXPECT_EQ(link->GetBlockCounter(), 1);
    EXPECT_TRUE(link->IsTransferRunning());
}

// ---- The time-out ---------------------------------------------------------------------

TEST_F(LinkTest, SilentInstrumentEndsTheTransferAfterThreeSecondsBeyondTheDelay) {
    host.pause = 100;
    link->GetPatches();
    Wait(3099);
    EXPECT_TRUE(host.busy);
    EXPECT_TRUE(prompter.Texts().empty());
    Wait(1);
    EXPECT_FALSE(host.busy);
    ASSERT_EQ(prompter.Texts().size(), 1u);
    EXPECT_NE(prompter.Texts()[0].find("did not answer"), std::string::npos);
    EXPECT_EQ(host.ended.back(), (std::pair<TransferKind, TransferOutcome>{
                                     TransferKind::Receive, TransferOutcome::NoAnswer}));
}

TEST_F(LinkTest, EveryAnswerRestartsTheTimeOut) {
    host.pause = 100;
    link->SendPatches();
    for (int k = 0; k < 5; ++k) {
        Wait(3000);
        service.InjectLongData(ShortMessage(HS_ACK));
    }
    EXPECT_TRUE(host.busy);
    EXPECT_TRUE(prompter.Texts().empty());
    Wait(100 + 3100);
    EXPECT_FALSE(host.busy);
    EXPECT_EQ(host.ended.back().second, TransferOutcome::NoAnswer);
}

TEST_F(LinkTest, StreamOfShortMessagesDoesNotKeepADeadTransferAlive) {
    host.pause = 100;
    link->GetPatches();
    for (int t = 0; t < 40; ++t) {
        service.InjectShort(0xFE);
        Wait(300);
    }
    EXPECT_FALSE(host.busy);
    EXPECT_EQ(host.ended.back().second, TransferOutcome::NoAnswer);
}

TEST_F(LinkTest, ShortMessagesFasterThanTheDelayDoNotKeepADeadTransferAlive) {
    // Active sensing every 250 ms with a delay of 300 ms: short messages always wait
    // for their turn, but none of them is an answer.
    host.pause = 300;
    link->GetPatches();
    for (int t = 0; t < 40 && host.busy; ++t) {
        service.InjectShort(0xFE);
        Wait(250);
    }
    EXPECT_FALSE(host.busy);
    ASSERT_FALSE(host.ended.empty());
    EXPECT_EQ(host.ended.back().second, TransferOutcome::NoAnswer);
    EXPECT_LE(loop.Now(), 300 + CMidiManager::kAnswerTimeoutMs + 250);
}

TEST_F(LinkTest, AnswerWaitingBehindShortMessagesIsNotTimedOut) {
    host.pause = 300;
    link->GetPatches();
    for (int t = 0; t < 12; ++t) {
        service.InjectShort(0x00403C90);
    }
    service.InjectLongData(BlockOf(source, 0));  // handled only after 13 delays, 3.9 s
    Wait(13 * 300);
    EXPECT_TRUE(host.busy);
    EXPECT_EQ(link->GetBlockCounter(), 1);
    EXPECT_TRUE(prompter.Texts().empty());
}

TEST_F(LinkTest, ShortMessagesBetweenTransfersDoNotPileUp) {
    host.pause = 300;
    link->GetPatches();
    for (int k = 0; k < 16; ++k) {
        service.InjectLongData(BlockOf(source, k));
        Wait(300);
    }
    service.InjectLongData(ShortMessage(HS_EOD));
    Wait(300);
    ASSERT_FALSE(host.busy);
    for (int t = 0; t < 20; ++t) {
        service.InjectShort(0xFE);
    }
    // A late message is answered after its own delay, not after twenty more.
    const size_t sent = service.Sent().size();
    service.InjectLongData(ShortMessage(HS_EOD));
    Wait(300);
    EXPECT_EQ(service.Sent().size(), sent + 1);
}

TEST_F(LinkTest, LongErrorThatStopsTheQueueEndsInTheTimeOut) {
    link->GetPatches();
    service.InjectLongData(BlockOf(source, 0));
    Wait(100);
    ASSERT_TRUE(service.InjectLongError(Bytes{0xF0, 0x41, 0x42}));
    Wait(100);
    EXPECT_EQ(link->GetBlockCounter(), 1);
    EXPECT_TRUE(host.busy);
    Wait(3100);
    EXPECT_FALSE(host.busy);
    EXPECT_EQ(host.ended.back().second, TransferOutcome::NoAnswer);
}

TEST_F(LinkTest, FetchWithAllBlocksButNoEndIsCompleteWithoutAMessage) {
    link->GetPatches();
    for (int k = 0; k < 16; ++k) {
        service.InjectLongData(BlockOf(source, k));
        Wait(100);
    }
    EXPECT_TRUE(host.busy);
    Wait(3100);
    EXPECT_FALSE(host.busy);
    EXPECT_TRUE(prompter.Texts().empty());
    EXPECT_EQ(host.ended.back().second, TransferOutcome::Completed);
    EXPECT_TRUE(SameEntries(bank, source));
}

// ---- Reject and error from the instrument ------------------------------------------

TEST_F(LinkTest, RejectOfWantToSendIsAFailureNotAnAcknowledgement) {
    link->SendPatches();
    service.InjectLongData(ShortMessage(HS_RJC));
    Wait(100);
    EXPECT_FALSE(host.busy);
    EXPECT_EQ(service.Sent().size(), 1u);  // no block went out
    ASSERT_EQ(prompter.Texts().size(), 1u);
    EXPECT_NE(prompter.Texts()[0].find("refused"), std::string::npos);
    EXPECT_NE(prompter.Texts()[0].find("memory protect"), std::string::npos);
    EXPECT_EQ(host.ended.back().second, TransferOutcome::Refused);
}

TEST_F(LinkTest, ErrorAnswerToABlockEndsTheSend) {
    link->SendPatches();
    service.InjectLongData(ShortMessage(HS_ACK));
    Wait(100);
    service.InjectLongData(ShortMessage(HS_ERR, 0));
    Wait(100);
    EXPECT_FALSE(host.busy);
    EXPECT_EQ(service.Sent().size(), 2u);
    EXPECT_EQ(host.ended.back().second, TransferOutcome::Refused);
    Wait(5000);
    EXPECT_EQ(prompter.Texts().size(), 1u);
}

TEST_F(LinkTest, RejectOfARequestIsNotStoredAsBlockZero) {
    link->GetPatches();
    service.InjectLongData(ShortMessage(HS_RJC));
    Wait(100);
    EXPECT_EQ(link->GetBlockCounter(), 0);
    EXPECT_FALSE(host.busy);
    EXPECT_EQ(host.ended.back().second, TransferOutcome::Refused);
    EXPECT_EQ(service.Sent().size(), 1u);
}

// ---- Echoes of our own messages ------------------------------------------------------

TEST_F(LinkTest, EchoesOfOurOwnMessagesAreNotCounted) {
    link->GetPatches();
    service.ClearCalls();
    service.InjectLongData(NamedMessage(HS_RQD));  // the request comes back
    Wait(100);
    EXPECT_EQ(link->GetBlockCounter(), 0);
    // Only the input buffer was re-armed; nothing was answered.
    EXPECT_EQ(service.Calls(),
              (Calls{"midiInUnprepareHeader", "midiInPrepareHeader", "midiInAddBuffer"}));
    for (int k = 0; k < 16; ++k) {
        service.InjectLongData(BlockOf(source, k));
        Wait(100);
        service.InjectLongData(ShortMessage(HS_ACK));  // our acknowledgement echoed
        Wait(100);
    }
    service.InjectLongData(ShortMessage(HS_EOD));
    Wait(100);
    EXPECT_FALSE(host.busy);
    EXPECT_TRUE(SameEntries(bank, source));
    EXPECT_EQ(host.ended.back().second, TransferOutcome::Completed);
    EXPECT_EQ(CountPrefix(service.Calls(), "midiOutLongMsg"), 17);
}

TEST_F(LinkTest, EchoOfASentBlockIsNotAnAcknowledgement) {
    link->SendPatches();
    service.InjectLongData(ShortMessage(HS_ACK));
    Wait(100);
    const Bytes block0 = service.Sent().back();
    service.InjectLongData(block0);
    Wait(100);
    EXPECT_EQ(link->GetBlockCounter(), 1);
    EXPECT_EQ(service.Sent().size(), 2u);
    service.InjectLongData(ShortMessage(HS_ACK));
    Wait(100);
    EXPECT_EQ(service.Sent().back(), BlockOf(bank, 1));
}

// ---- Damaged blocks ----------------------------------------------------------------

TEST_F(LinkTest, DamagedBlocksAreNotStoredAndAreNamedWhenTheFetchEnds) {
    CSysExData before(&view);
    link->GetPatches();
    for (int k = 0; k < 16; ++k) {
        Bytes block = BlockOf(source, k);
        if (k == 2) {
            block[BLOCK_CHECKSUM_OFFSET] ^= 0x01;
        }
        if (k == 9) {
            block.resize(200);
            block.back() = 0xF7;
        }
        service.InjectLongData(block);
        Wait(100);
        EXPECT_EQ(service.Sent().back(), ShortMessage(HS_ACK)) << k;
    }
    EXPECT_TRUE(prompter.Texts().empty());
    service.InjectLongData(ShortMessage(HS_EOD));
    Wait(100);
    EXPECT_FALSE(host.busy);
    EXPECT_TRUE(SameEntries(bank, before, 8, 4));
    EXPECT_TRUE(SameEntries(bank, before, 36, 4));
    EXPECT_TRUE(SameEntries(bank, source, 0, 8));
    EXPECT_TRUE(SameEntries(bank, source, 12, 24));
    EXPECT_TRUE(SameEntries(bank, source, 40, 24));
    EXPECT_EQ(bank.GetTone(8)->GetName(), kEmptyName);
    EXPECT_EQ(prompter.Texts(),
              std::vector<std::string>{"Some data did not arrive intact from the MKS-80.\n\nThese "
                                       "entries were not received: 21 22 23 24 55 56 57 58"});
    EXPECT_EQ(host.ended.back().second, TransferOutcome::CompletedDamaged);
    EXPECT_EQ(host.received.size(), 14u);
    // The report lists what arrived: all but the entries of blocks 2 and 9.
    const TransferReport& report = host.reports.back();
    EXPECT_EQ(report.blocks, 16);
    ASSERT_EQ(report.entries.size(), 56u);
    EXPECT_EQ(report.entries[8], 12);
    EXPECT_EQ(report.entries[32], 40);
}

TEST_F(LinkTest, ForeignLongMessagesAreLetGoAtOnceAndShiftNoBlock) {
    link->GetPatches();
    Bytes otherDevice = BlockOf(source, 0, 1);
    for (const Bytes& foreign : {Bytes{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}, otherDevice,
                                 Bytes{0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7}}) {
        service.ClearCalls();
        ASSERT_TRUE(service.InjectLongData(foreign));
        Wait(0);
        // Not answered: only the buffer went back, before any delay.
        EXPECT_EQ(service.Calls(),
                  (Calls{"midiInUnprepareHeader", "midiInPrepareHeader", "midiInAddBuffer"}));
    }
    EXPECT_EQ(link->GetBlockCounter(), 0);
    service.InjectLongData(BlockOf(source, 0));
    Wait(100);
    EXPECT_EQ(link->GetBlockCounter(), 1);
    EXPECT_TRUE(SameEntries(bank, source, 0, 4));
    EXPECT_EQ(service.Sent().size(), 2u);  // RQD and one ACK
}

TEST_F(LinkTest, FetchMessagesNameWhatIsMissingAndNeverBlameTheMemoryProtect) {
    link->GetPatches();
    Bytes damaged = BlockOf(source, 0);
    damaged[BLOCK_CHECKSUM_OFFSET] ^= 0x01;
    service.InjectLongData(damaged);
    Wait(100);
    service.InjectLongData(BlockOf(source, 1));
    Wait(100 + 3100);
    ASSERT_EQ(host.ended.back().second, TransferOutcome::NoAnswer);
    EXPECT_NE(prompter.Texts().back().find("These entries did not arrive intact: 11 12 13 14"),
              std::string::npos);

    link->GetPatches();
    service.InjectLongData(BlockOf(source, 0));
    Wait(100);
    service.InjectLongData(ShortMessage(HS_RJC));
    Wait(100);
    EXPECT_EQ(host.ended.back().second, TransferOutcome::Refused);
    EXPECT_EQ(prompter.Texts().back().find("memory protect"), std::string::npos);
    EXPECT_NE(prompter.Texts().back().find("after 1 of 16 blocks"), std::string::npos);
}

// ---- The bank goes away --------------------------------------------------------------

TEST_F(LinkTest, DestroyedBankEndsTheTransferQuietlyAndIsNeverTouchedAgain) {
    auto doomed = std::make_unique<CSysExData>(&view);
    link->SetCurrentSysExData(doomed.get());
    link->GetPatches();
    service.InjectLongData(BlockOf(source, 0));
    Wait(100);
    service.InjectLongData(BlockOf(source, 1));
    link->ForgetSysExData(doomed.get());
    doomed.reset();  // ASan would catch any later touch
    EXPECT_EQ(link->GetCurrentSysExData(), nullptr);
    EXPECT_FALSE(host.busy);
    EXPECT_FALSE(link->IsTransferRunning());
    EXPECT_EQ(host.ended.back().second, TransferOutcome::Abandoned);
    const size_t sent = service.Sent().size();
    Wait(10000);
    EXPECT_EQ(service.Sent().size(), sent);
    EXPECT_TRUE(prompter.Texts().empty());
}

TEST_F(LinkTest, DestroyedBankEndsASendQuietly) {
    link->SendPatches();
    service.InjectLongData(ShortMessage(HS_ACK));
    Wait(100);
    service.InjectLongData(ShortMessage(HS_ACK));
    link->ForgetSysExData(&bank);
    Wait(10000);
    EXPECT_EQ(service.Sent().size(), 2u);
    EXPECT_FALSE(host.busy);
    EXPECT_TRUE(prompter.Texts().empty());
}

// ---- Closing and starting again ----------------------------------------------------------

TEST_F(LinkTest, MessagesOfAClosedPortAreDropped) {
    link->GetPatches();
    service.InjectLongData(BlockOf(source, 0));  // waits for its delay
    link->CloseMidiPorts();
    Wait(100);
    EXPECT_EQ(link->GetBlockCounter(), 0);
    EXPECT_EQ(service.Sent().size(), 1u);
}

TEST_F(LinkTest, NewFetchStartsFromBlockZeroAfterAFinishedOne) {
    for (int round = 0; round < 2; ++round) {
        link->GetPatches();
        EXPECT_EQ(link->GetBlockCounter(), 0);
        for (int k = 0; k < 16; ++k) {
            service.InjectLongData(BlockOf(source, k));
            Wait(100);
        }
        service.InjectLongData(ShortMessage(HS_EOD));
        Wait(100);
        EXPECT_FALSE(host.busy);
    }
    EXPECT_EQ(host.ended.size(), 2u);
    EXPECT_TRUE(SameEntries(bank, source));
}

TEST_F(LinkTest, NoTransferStartsWithoutACurrentBank) {
    link->ForgetSysExData(&bank);
    link->GetPatches();
    link->SendPatches();
    EXPECT_TRUE(service.Calls().empty());
    EXPECT_EQ(host.setCount, 0);
    EXPECT_FALSE(link->IsTransferRunning());
}

TEST_F(LinkTest, TransferStartIsIgnoredWhileOneRuns) {
    link->GetPatches();
    link->SendPatches();
    EXPECT_EQ(link->GetMode(), 1);
    EXPECT_EQ(service.Sent().size(), 1u);
    EXPECT_EQ(host.setCount, 1);
}

// ---- What no transfer waits for ------------------------------------------------------

TEST_F(LinkTest, ListenerSeesWhatNoTransferTakesAndTheInputStaysArmedForIt) {
    std::vector<Bytes> heard;
    std::vector<uint32_t> shorts;
    link->SetInputListener([&](const MidiArrival& in_arrival) {
        if (in_arrival.IsLong()) {
            heard.push_back(in_arrival.bytes);
        } else {
            shorts.push_back(in_arrival.param1);
        }
    });
    const Bytes announcement = {0xF0, 0x41, 0x35, 0x00, 0x20, 0x30, 0x01, 0x00, 0xF7};
    link->GetPatches();
    service.InjectLongData(BlockOf(source, 0));
    service.InjectShort(0xFE);  // real-time: no one hears it
    Wait(100);
    ASSERT_TRUE(service.InjectLongData(announcement));
    service.InjectShort(0x000000C0);  // a program change
    Wait(0);
    EXPECT_EQ(heard, std::vector<Bytes>{announcement});
    EXPECT_EQ(shorts, std::vector<uint32_t>{0xC0});
    EXPECT_EQ(link->GetBlockCounter(), 1);

    link->ForgetSysExData(&bank);  // no transfer runs any more
    heard.clear();
    for (int k = 0; k < 2; ++k) {
        ASSERT_TRUE(service.InjectLongData(announcement)) << k;
        Wait(0);
    }
    EXPECT_EQ(heard.size(), 2u);
    EXPECT_EQ(service.Sent().size(), 2u);  // RQD and one ACK: nothing answered them
}

// ---- The setup dialog's test ------------------------------------------------------------

TEST_F(LinkTest, ProbeAsksTheInstrumentStopsItsDumpAndReleasesBothDevices) {
    link->OpenMidiPorts();
    service.m_OnSend = [&](const Bytes& in_sent) {
        if (in_sent == NamedMessage(HS_RQD, 4)) {
            service.InjectLongData(in_sent);  // a MIDI thru sends it back first
            service.InjectLongData(BlockOf(source, 0, 4));
        }
    };
    std::vector<bool> results;
    link->ProbeDevices(1, 1, 5, 500, [&](bool ok) { results.push_back(ok); });
    EXPECT_FALSE(link->IsInPortOpen());  // the link let go of its own ports
    loop.RunPending();
    ASSERT_EQ(results, std::vector<bool>{true});
    // Had the echo been taken for the answer, no reject would have gone out.
    const std::vector<Bytes> sent = service.Sent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1], ShortMessage(HS_RJC, 4));
    EXPECT_EQ(service.OpenInputs(), 0);
    EXPECT_EQ(service.OpenOutputs(), 0);
    EXPECT_EQ(CountPrefix(service.Calls(), "midiInOpen(1)"), 1);
    EXPECT_TRUE(prompter.Texts().empty());
}

TEST_F(LinkTest, ProbeFailsWithoutAnAnswerOrADeviceAndRefusesDuringATransfer) {
    std::vector<bool> results;
    link->ProbeDevices(0, 0, 1, 500, [&](bool ok) { results.push_back(ok); });
    Wait(499);
    EXPECT_TRUE(results.empty());
    Wait(1);
    EXPECT_EQ(results, std::vector<bool>{false});
    EXPECT_EQ(service.OpenInputs(), 0);
    EXPECT_EQ(service.OpenOutputs(), 0);

    service.Fail("midiOutOpen", MMSYSERR_ALLOCATED);
    link->ProbeDevices(0, 0, 1, 500, [&](bool ok) { results.push_back(ok); });
    EXPECT_EQ(results, (std::vector<bool>{false, false}));
    EXPECT_EQ(service.OpenInputs(), 0);

    link->GetPatches();
    link->ProbeDevices(0, 0, 1, 500, [&](bool ok) { results.push_back(ok); });
    EXPECT_EQ(results, (std::vector<bool>{false, false, false}));
    EXPECT_TRUE(link->IsInPortOpen());
}

TEST_F(LinkTest, TransferStartedWhileAProbeRunsEndsTheProbeFirst) {
    // The setup dialog has closed, its test still waits for an answer.
    service.m_RefuseSecondOpen = true;
    std::vector<bool> results;
    link->ProbeDevices(0, 0, 1, 3000, [&](bool ok) { results.push_back(ok); });
    link->GetPatches();
    EXPECT_EQ(results, std::vector<bool>{false});
    EXPECT_TRUE(prompter.Texts().empty());
    EXPECT_TRUE(link->IsInPortOpen());
    EXPECT_TRUE(link->IsOutPortOpen());
    EXPECT_EQ(service.OpenInputs(), 1);
    EXPECT_EQ(service.OpenOutputs(), 1);
    // The probe's time-out, when it comes, changes nothing.
    Wait(3000);
    EXPECT_EQ(results.size(), 1u);
}
