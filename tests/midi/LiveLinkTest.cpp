// The messages between transfers: the sound the instrument plays now goes out and
// its announcements come in, quietly, and never in the middle of a transfer.
#include "LinkTestSupport.h"
#include "mks80/Messages.h"

using Calls = std::vector<std::string>;

TEST_F(LinkTest, LiveMessagesOpenThePortsQuietlyAndWaitForNoTransfer) {
    const Bytes ipr = mks80::Ipr(0, mks80::Kind::Tone, mks80::Half::Upper, {{24, 72}});
    EXPECT_EQ(link->SendLiveMessage(ipr), LiveSendResult::Sent);
    EXPECT_EQ(link->SendLiveMessage({0x90, 60, 100}), LiveSendResult::Sent);
    EXPECT_EQ(service.Sent(), (std::vector<Bytes>{ipr, {0x90, 60, 100}}));

    link->GetPatches();
    const size_t sentByTheTransfer = service.Sent().size();
    EXPECT_EQ(link->SendLiveMessage(ipr), LiveSendResult::TransferRunning);
    EXPECT_FALSE(link->ListenBetweenTransfers());
    EXPECT_EQ(service.Sent().size(), sentByTheTransfer);
    EXPECT_TRUE(prompter.Texts().empty());
}

TEST_F(LinkTest, RefusedLivePortsAreLetGoWithoutABoxAndTriedAgain) {
    service.Fail("midiOutOpen", MIDIERR_NODEVICE);
    service.Fail("midiInStart", MMSYSERR_ERROR);
    EXPECT_EQ(link->SendLiveMessage({0x90, 60, 100}), LiveSendResult::NoPort);
    EXPECT_TRUE(prompter.Texts().empty());
    EXPECT_TRUE(host.faults.empty());
    EXPECT_EQ(service.OpenInputs(), 0) << "an input that opened but would not start is let go";
    EXPECT_EQ(service.OpenOutputs(), 0);

    service.Fail("midiOutLongMsg", MMSYSERR_INVALPARAM);
    EXPECT_EQ(link->SendLiveMessage({0x90, 60, 100}), LiveSendResult::Refused);
    EXPECT_EQ(link->SendLiveMessage({0x80, 60, 0}), LiveSendResult::Sent);
    EXPECT_TRUE(link->IsInPortOpen());
    EXPECT_TRUE(prompter.Texts().empty());
}

TEST_F(LinkTest, AnnouncementsReachTheListenerBetweenTransfers) {
    std::vector<Bytes> heard;
    link->SetInputListener([&](const MidiArrival& in_arrival) {
        if (in_arrival.event == MidiInEvent::LongData) {
            heard.push_back(in_arrival.bytes);
        }
    });
    ASSERT_TRUE(link->ListenBetweenTransfers());
    const Bytes pgr = mks80::Pgr(0, 19);
    const Bytes ipr = mks80::Ipr(0, mks80::Kind::Patch, mks80::Half::Lower, {{8, 40}});
    for (const Bytes& message : {pgr, ipr}) {
        ASSERT_TRUE(service.InjectLongData(message)) << "each buffer goes back at once";
        Wait(0);
    }
    EXPECT_EQ(heard, (std::vector<Bytes>{pgr, ipr}));
    EXPECT_EQ(service.QueuedBuffers(), 1);
}
