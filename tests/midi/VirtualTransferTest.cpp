// Whole transfers between the link and the virtual MKS-80, and the combined service
// that lists the virtual instrument after the real ports.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "LinkTestSupport.h"
#include "midi/CombinedMidiService.h"
#include "midi/VirtualMks80.h"

namespace {

using Outcome = std::pair<TransferKind, TransferOutcome>;

class VirtualTransfer : public ::testing::Test {
  protected:
    void Start(Mks80Options in_options, std::string in_memory = "") {
        instrument = std::make_unique<VirtualMks80>(in_options, std::move(in_memory));
        link = std::make_unique<CMidiManager>(*instrument, loop, host);
        link->SetCurrentSysExData(&bank);
    }
    void TearDown() override {
        link.reset();
        instrument.reset();
    }
    // Runs the loop until the transfer has ended; returns the time that took.
    int64_t RunToEnd() {
        const int64_t start = loop.Now();
        while (host.ended.empty() && loop.Now() - start < 600000) {
            loop.Advance(1);
        }
        return loop.Now() - start;
    }

    platform::ManualEventLoop loop;
    RecordingHost host;
    platform::RecordingPrompter prompter;
    platform::ScopedPrompter scopedPrompter{prompter};
    CNullBankView view;
    CSysExData bank{&view};
    std::unique_ptr<VirtualMks80> instrument;
    std::unique_ptr<CMidiManager> link;
};

}  // namespace

TEST_F(VirtualTransfer, FetchesTheWholeMemoryInSeventeenDelays) {
    Start({});
    host.pause = 20;
    link->GetPatches();
    EXPECT_EQ(RunToEnd(), 17 * 20);
    EXPECT_EQ(host.ended,
              (std::vector<Outcome>{{TransferKind::Receive, TransferOutcome::Completed}}));
    EXPECT_FALSE(host.busy);
    EXPECT_TRUE(SameEntries(bank, instrument->Engine().Memory()));
    EXPECT_TRUE(prompter.Texts().empty());
}

TEST_F(VirtualTransfer, SendsAWholeBankInEighteenDelaysAndTheInstrumentKeepsIt) {
    const auto dir = std::filesystem::temp_directory_path() / "quorlin-virtual-send";
    std::filesystem::remove_all(dir);
    const std::string memory = (dir / "memory.m80").string();
    Start({}, memory);
    host.pause = 20;
    // The bank to send: the defaults with a few entries changed.
    bank.GetTone(0)->GetData()[5] = 77;
    bank.GetPatch(63)->GetData()[22] = 11;
    link->SendPatches();
    EXPECT_EQ(RunToEnd(), 18 * 20);
    EXPECT_EQ(host.ended, (std::vector<Outcome>{{TransferKind::Send, TransferOutcome::Completed}}));
    EXPECT_TRUE(SameEntries(bank, instrument->Engine().Memory()));
    EXPECT_EQ(instrument->Engine().DumpsReceived(), 1);
    // Kept between runs.
    link.reset();
    instrument.reset();
    Mks80Engine reopened({}, memory);
    EXPECT_TRUE(SameEntries(bank, reopened.Memory()));
    std::filesystem::remove_all(dir);
}

TEST_F(VirtualTransfer, BankSentAndFetchedBackArrivesByteForByte) {
    Start({});
    CSysExData original(&view);
    for (int i = 0; i < BANK_SIZE; ++i) {
        for (int j = 0; j < TONE_PARAM_COUNT; ++j) {
            original.GetTone(i)->GetData()[j] = static_cast<int8_t>((i * 3 + j) % 128);
        }
        for (int j = 0; j < PATCH_PARAM_COUNT; ++j) {
            original.GetPatch(i)->GetData()[j] = static_cast<int8_t>((i * 7 + j * 5) % 128);
        }
    }
    link->SetCurrentSysExData(&original);
    link->SendPatches();
    RunToEnd();
    host.ended.clear();
    link->SetCurrentSysExData(&bank);
    link->GetPatches();
    RunToEnd();
    EXPECT_EQ(host.ended.back().second, TransferOutcome::Completed);
    EXPECT_TRUE(SameEntries(bank, original));
}

TEST_F(VirtualTransfer, InstrumentOnAnotherChannelGivesNoAnswer) {
    Mks80Options options;
    options.channel = 2;
    Start(options);
    link->GetPatches();
    EXPECT_EQ(RunToEnd(), 100 + CMidiManager::kAnswerTimeoutMs);
    EXPECT_EQ(host.ended.back().second, TransferOutcome::NoAnswer);
    host.ended.clear();
    ASSERT_TRUE(link->GetMessages().SetMidiChannel(2));
    link->GetPatches();
    RunToEnd();
    EXPECT_EQ(host.ended.back().second, TransferOutcome::Completed);
}

TEST_F(VirtualTransfer, SilentInstrument) {
    Mks80Options options;
    options.silent = true;
    Start(options);
    link->SendPatches();
    RunToEnd();
    EXPECT_EQ(host.ended.back().second, TransferOutcome::NoAnswer);
    EXPECT_FALSE(host.busy);
    ASSERT_EQ(prompter.Texts().size(), 1u);
}

TEST_F(VirtualTransfer, RejectingInstrument) {
    Mks80Options options;
    options.reject = true;
    Start(options);
    link->SendPatches();
    RunToEnd();
    EXPECT_EQ(host.ended.back().second, TransferOutcome::Refused);
    host.ended.clear();
    link->GetPatches();
    RunToEnd();
    EXPECT_EQ(host.ended.back().second, TransferOutcome::Refused);
    EXPECT_EQ(prompter.Texts().size(), 2u);
    EXPECT_EQ(bank.GetTone(0)->GetName(), kEmptyName);
}

TEST_F(VirtualTransfer, EchoingInstrumentStillTransfersEveryBlockInPlace) {
    Mks80Options options;
    options.echo = true;
    Start(options);
    link->GetPatches();
    RunToEnd();
    EXPECT_EQ(host.ended.back().second, TransferOutcome::Completed);
    EXPECT_TRUE(SameEntries(bank, instrument->Engine().Memory()));

    host.ended.clear();
    CSysExData sent(&view);
    link->SetCurrentSysExData(&sent);
    link->SendPatches();
    RunToEnd();
    EXPECT_EQ(host.ended.back().second, TransferOutcome::Completed);
    EXPECT_TRUE(SameEntries(sent, instrument->Engine().Memory()));
    EXPECT_TRUE(prompter.Texts().empty());
}

TEST_F(VirtualTransfer, CorruptAndShortBlocksAreNamedAndNotStored) {
    Mks80Options options;
    options.corruptBlock = 0;
    options.shortBlock = 15;
    Start(options);
    link->GetPatches();
    RunToEnd();
    EXPECT_EQ(host.ended.back().second, TransferOutcome::CompletedDamaged);
    EXPECT_EQ(prompter.Texts(),
              std::vector<std::string>{"Some data did not arrive intact from the MKS-80.\n\nThese "
                                       "entries were not received: 11 12 13 14 85 86 87 88"});
    CSysExData untouched(&view);
    EXPECT_TRUE(SameEntries(bank, untouched, 0, 4));
    EXPECT_TRUE(SameEntries(bank, untouched, 60, 4));
    EXPECT_TRUE(SameEntries(bank, instrument->Engine().Memory(), 4, 56));
}

TEST_F(VirtualTransfer, ActiveSensingCostsNothing) {
    Mks80Options options;
    options.activeSensing = true;
    Start(options);
    host.pause = 10;
    link->GetPatches();
    EXPECT_EQ(RunToEnd(), 17 * 10);
    EXPECT_EQ(host.ended.back().second, TransferOutcome::Completed);
    EXPECT_TRUE(SameEntries(bank, instrument->Engine().Memory()));
}

TEST_F(VirtualTransfer, BankWithAByteTheWireCannotCarryIsNeverSent) {
    Start({});
    bank.GetTone(1)->GetData()[0] = static_cast<int8_t>(0x80);
    bank.GetPatch(26)->GetData()[22] = static_cast<int8_t>(0xFF);
    link->SendPatches();
    EXPECT_EQ(host.ended.back().second, TransferOutcome::NotSendable);
    EXPECT_EQ(host.setCount, 0);
    EXPECT_EQ(prompter.Texts(),
              std::vector<std::string>{"These entries hold values the MKS-80 cannot take (128 or "
                                       "more): 12 43"});
    // One that turns up during the send stops it before its block goes out.
    bank.GetTone(1)->GetData()[0] = 0;
    bank.GetPatch(26)->GetData()[22] = 0;
    host.ended.clear();
    link->SendPatches();
    loop.Advance(100);
    bank.GetTone(4)->GetData()[0] = static_cast<int8_t>(0x80);
    RunToEnd();
    EXPECT_EQ(host.ended.back().second, TransferOutcome::NotSendable);
    EXPECT_NE(prompter.Texts().back().find("(128 or more): 15\n\nThe MKS-80 now holds a partly "
                                           "written memory: entries 11 to 14 may have changed"),
              std::string::npos)
        << prompter.Texts().back();
    EXPECT_EQ(instrument->Engine().DumpsReceived(), 0);
}

TEST_F(VirtualTransfer, ForeignMessagesAndAnEarlyEndShiftNoBlock) {
    Mks80Options options;
    options.strayBeforeBlock = 3;
    options.endAfterBlocks = 14;
    Start(options);
    host.pause = 10;
    link->GetPatches();
    RunToEnd();
    EXPECT_EQ(host.ended.back().second, TransferOutcome::CompletedDamaged);
    EXPECT_EQ(prompter.Texts(),
              std::vector<std::string>{"The MKS-80 ended its data after 14 of 16 blocks.\n\nThese "
                                       "entries were not received: 81 82 83 84 85 86 87 88"});
    EXPECT_TRUE(SameEntries(bank, instrument->Engine().Memory(), 0, 56));
    CSysExData untouched(&view);
    EXPECT_TRUE(SameEntries(bank, untouched, 56, 8));
}

TEST_F(VirtualTransfer, ErrorAnswerToABlockNamesItsEntriesAndTheChangedPart) {
    Mks80Options options;
    options.errorBlock = 2;
    Start(options);
    link->SendPatches();
    RunToEnd();
    EXPECT_EQ(host.ended.back().second, TransferOutcome::Refused);
    EXPECT_EQ(prompter.Texts(),
              std::vector<std::string>{
                  "The MKS-80 could not take entries 21 22 23 24: it answered them with an "
                  "error.\n\nThe MKS-80 now holds a partly written memory: entries 11 to 18 may "
                  "have changed, the others are as they were."});
}

TEST_F(VirtualTransfer, MemoryThatCannotBeWrittenFailsTheSend) {
    // A file where the memory's folder should be: no one can write there.
    const std::string blocker = testing::TempDir() + "/quorlin-memory-blocker";
    std::ofstream(blocker).put('x');
    Start({}, blocker + "/memory.m80");
    link->SendPatches();
    RunToEnd();
    std::filesystem::remove(blocker);
    EXPECT_EQ(host.ended.back().second, TransferOutcome::Refused);
    ASSERT_FALSE(prompter.Texts().empty());
    EXPECT_EQ(prompter.Texts().back().rfind("The MKS-80 could not store the bank it was sent.", 0),
              0u);
}

// With a thread of its own: real time passes, so the plain loop runs it.
class QuittingHost : public RecordingHost {
  public:
    explicit QuittingHost(platform::PlainEventLoop& in_loop) : loop(in_loop) {}
    void TransferEnded(const TransferReport& in_report) override {
        RecordingHost::TransferEnded(in_report);
        loop.Quit();
    }
    platform::PlainEventLoop& loop;
};

TEST(VirtualMks80Threaded, AnswersLaterAndOverTheWireOnItsOwnThread) {
    platform::RecordingPrompter prompter;
    platform::ScopedPrompter scoped(prompter);
    CNullBankView view;
    for (const bool wire : {false, true}) {
        Mks80Options options;
        options.answerMs = wire ? 0 : 2;
        options.wireTime = wire;
        VirtualMks80 instrument(options, "");
        platform::PlainEventLoop loop;
        QuittingHost host(loop);
        host.pause = 1;
        CSysExData bank(&view);
        CMidiManager link(instrument, loop, host);
        link.SetCurrentSysExData(&bank);
        const auto start = std::chrono::steady_clock::now();
        link.GetPatches();
        ASSERT_TRUE(loop.Run(20000));
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        EXPECT_EQ(host.ended.back().second, TransferOutcome::Completed) << wire;
        EXPECT_TRUE(SameEntries(bank, instrument.Engine().Memory()));
        // 17 delays and 17 answers of 2 ms, or the bytes of both directions on the wire.
        const double floor = wire ? 17 * 1 + (13 + 16 * 6 + 16 * 255 + 6) * 0.32 : 17 * 3;
        EXPECT_GE(ms, floor) << wire;
    }
    EXPECT_TRUE(prompter.Texts().empty());
}

TEST(VirtualMks80Service, ListsOneDeviceEachWayAndRefusesWhatTheHardwareWould) {
    VirtualMks80 instrument({}, "");
    std::string name;
    EXPECT_EQ(instrument.InGetNumDevs(), 1u);
    EXPECT_EQ(instrument.OutGetNumDevs(), 1u);
    EXPECT_EQ(instrument.InGetDevCaps(0, name), MMSYSERR_NOERROR);
    EXPECT_EQ(name, "Virtual MKS-80");
    EXPECT_EQ(instrument.OutGetDevCaps(0, name), MMSYSERR_NOERROR);
    EXPECT_EQ(name, "Virtual MKS-80");
    EXPECT_EQ(instrument.InGetDevCaps(1, name), MMSYSERR_BADDEVICEID);

    MidiHandle in = kNoMidiHandle;
    MidiHandle again = kNoMidiHandle;
    auto ignore = [](MidiHandle, MidiInEvent, MidiHdr*, uint32_t, uint32_t) {};
    ASSERT_EQ(instrument.InOpen(in, 0, ignore), MMSYSERR_NOERROR);
    EXPECT_EQ(instrument.InOpen(again, 0, ignore), MMSYSERR_ALLOCATED);
    MidiHdr header;
    EXPECT_EQ(instrument.InAddBuffer(in, header), MIDIERR_UNPREPARED);
    EXPECT_EQ(instrument.InPrepareHeader(in, header), MMSYSERR_INVALPARAM);  // no data area
    header.data.assign(1000, 0);
    EXPECT_EQ(instrument.InPrepareHeader(in, header), MMSYSERR_NOERROR);
    EXPECT_EQ(instrument.InAddBuffer(in, header), MMSYSERR_NOERROR);
    EXPECT_EQ(instrument.InUnprepareHeader(in, header), MIDIERR_STILLPLAYING);
    EXPECT_EQ(instrument.InClose(in), MMSYSERR_NOERROR);
    EXPECT_EQ(instrument.InUnprepareHeader(in, header), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(instrument.InOpen(again, 0, ignore), MMSYSERR_NOERROR);

    MidiHandle out = kNoMidiHandle;
    ASSERT_EQ(instrument.OutOpen(out, 0), MMSYSERR_NOERROR);
    MidiHdr message;
    message.data = NamedMessage(HS_RQD);
    message.bufferLength = 13;
    EXPECT_EQ(instrument.OutLongMsg(out, message), MIDIERR_UNPREPARED);
    EXPECT_EQ(instrument.OutClose(out), MMSYSERR_NOERROR);
    EXPECT_EQ(instrument.OutClose(out), MMSYSERR_INVALHANDLE);
}

TEST(VirtualMks80Service, NoCallbackRunsOnceTheInputIsClosed) {
    Mks80Options options;
    options.answerMs = 1;
    VirtualMks80 instrument(options, "");
    std::atomic<int> calls{0};
    std::atomic<bool> closed{false};
    std::atomic<bool> lateCall{false};
    std::atomic<bool> started{false};
    MidiHandle in = kNoMidiHandle;
    MidiHandle out = kNoMidiHandle;
    ASSERT_EQ(instrument.InOpen(in, 0,
                                [&](MidiHandle, MidiInEvent, MidiHdr*, uint32_t, uint32_t) {
                                    started = true;
                                    if (closed) {
                                        lateCall = true;
                                    }
                                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                                    ++calls;
                                }),
              MMSYSERR_NOERROR);
    instrument.InStart(in);
    MidiHdr header;
    header.data.assign(1000, 0);
    instrument.InPrepareHeader(in, header);
    instrument.InAddBuffer(in, header);
    instrument.OutOpen(out, 0);
    MidiHdr message;
    message.data = NamedMessage(HS_RQD);
    message.bufferLength = 13;
    instrument.OutPrepareHeader(out, message);
    ASSERT_EQ(instrument.OutLongMsg(out, message), MMSYSERR_NOERROR);
    // Close while the callback is running: wait until it has begun, however slow the
    // machine (a fixed sleep lost that race under the sanitizers).
    for (int i = 0; i < 30000 && !started; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(started);
    instrument.InClose(in);
    closed = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(lateCall);
    EXPECT_EQ(calls, 1);
}

TEST(CombinedService, ListsEachPartAfterThePreviousAndRoutesEveryCall) {
    ScriptedMidiService real;
    VirtualMks80 instrument({}, "");
    CombinedMidiService combined({&real, &instrument});
    ASSERT_EQ(combined.InGetNumDevs(), 3u);
    ASSERT_EQ(combined.OutGetNumDevs(), 3u);
    std::string name;
    EXPECT_EQ(combined.InGetDevCaps(1, name), MMSYSERR_NOERROR);
    EXPECT_EQ(name, "Scripted In B");
    EXPECT_EQ(combined.OutGetDevCaps(2, name), MMSYSERR_NOERROR);
    EXPECT_EQ(name, "Virtual MKS-80");
    EXPECT_EQ(combined.InGetDevCaps(3, name), MMSYSERR_BADDEVICEID);
    MidiHandle handle = kNoMidiHandle;
    EXPECT_EQ(combined.OutOpen(handle, 3), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(combined.InStart(12345), MMSYSERR_INVALHANDLE);

    // The link on the combined service fetches from the virtual instrument...
    platform::ManualEventLoop loop;
    RecordingHost host;
    platform::RecordingPrompter prompter;
    platform::ScopedPrompter scoped(prompter);
    CNullBankView view;
    CSysExData bank(&view);
    {
        CMidiManager link(combined, loop, host);
        link.SetCurrentSysExData(&bank);
        link.SetMidiInDevID(2);
        link.SetMidiOutDevID(2);
        link.GetPatches();
        loop.RunUntilIdle();
        EXPECT_EQ(host.ended.back().second, TransferOutcome::Completed);
        EXPECT_TRUE(SameEntries(bank, instrument.Engine().Memory()));
        EXPECT_TRUE(real.Calls().empty());

        // ...and from a real port, whose device numbers are its own.
        link.SetMidiInDevID(1);
        link.SetMidiOutDevID(0);
        host.ended.clear();
        link.GetPatches();
        EXPECT_EQ(real.Calls()[0], "midiInOpen(1)");
        EXPECT_EQ(real.Calls()[4], "midiOutOpen(0)");
        ASSERT_TRUE(real.InjectLongData(BlockOf(bank, 0)));
        loop.Advance(100);
        EXPECT_EQ(link.GetBlockCounter(), 1);
    }
    EXPECT_EQ(real.OpenInputs(), 0);
    EXPECT_EQ(real.OpenOutputs(), 0);
}
