#include <gtest/gtest.h>

#include <vector>

#include "midi/SysExAssembler.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Messages = std::vector<Bytes>;

Messages Feed(SysExAssembler& in_assembler, const Bytes& in_chunk) {
    return in_assembler.Feed(in_chunk.data(), in_chunk.size());
}

Bytes DataMessage() {
    Bytes message(255, 0x11);
    message[0] = 0xF0;
    message[1] = 0x41;
    message[2] = 0x42;
    message[254] = 0xF7;
    return message;
}

TEST(RtMidiSysExAssembler, PiecesOfOneMessageComeOutWholeOnlyAtItsEnd) {
    SysExAssembler assembler;
    const Bytes whole = DataMessage();
    EXPECT_TRUE(Feed(assembler, Bytes(whole.begin(), whole.begin() + 100)).empty());
    EXPECT_TRUE(assembler.Assembling());
    EXPECT_TRUE(Feed(assembler, Bytes(whole.begin() + 100, whole.begin() + 200)).empty());
    const Messages done = Feed(assembler, Bytes(whole.begin() + 200, whole.end()));
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0], whole);
    EXPECT_FALSE(assembler.Assembling());
    // The next message starts afresh, with nothing of the last one in front.
    const Messages next = Feed(assembler, {0xF0, 0x41, 0x43, 0x00, 0x20, 0xF7});
    ASSERT_EQ(next.size(), 1u);
    EXPECT_EQ(next[0], (Bytes{0xF0, 0x41, 0x43, 0x00, 0x20, 0xF7}));
}

TEST(RtMidiSysExAssembler, ShortMessagesPassAndRealTimeBytesMayComeBetweenPieces) {
    SysExAssembler assembler;
    EXPECT_EQ(Feed(assembler, {0x90, 0x40, 0x7F}), (Messages{{0x90, 0x40, 0x7F}}));
    EXPECT_TRUE(Feed(assembler, {0xF0, 0x41, 0x45}).empty());
    EXPECT_EQ(Feed(assembler, {0xFE}), (Messages{{0xFE}}));
    EXPECT_EQ(Feed(assembler, {0x00, 0x20, 0xF7}),
              (Messages{{0xF0, 0x41, 0x45, 0x00, 0x20, 0xF7}}));
}

TEST(RtMidiSysExAssembler, InterruptedOrHeadlessMessagesAreDroppedNotJoined) {
    SysExAssembler assembler;
    // A new message begins before the old one ended: only the new one comes out.
    EXPECT_TRUE(Feed(assembler, {0xF0, 0x41, 0x42, 0x01}).empty());
    EXPECT_EQ(Feed(assembler, {0xF0, 0x41, 0x43, 0xF7}), (Messages{{0xF0, 0x41, 0x43, 0xF7}}));
    // A channel message interrupts: it passes, the unfinished message is gone.
    EXPECT_TRUE(Feed(assembler, {0xF0, 0x41, 0x42, 0x01}).empty());
    EXPECT_EQ(Feed(assembler, {0xB0, 0x07, 0x64}), (Messages{{0xB0, 0x07, 0x64}}));
    EXPECT_FALSE(assembler.Assembling());
    // Continuation bytes whose start was lost are not a message.
    EXPECT_TRUE(Feed(assembler, {0x01, 0x02, 0xF7}).empty());
    EXPECT_EQ(assembler.Dropped(), 3u);
}

TEST(RtMidiSysExAssembler, TwoMessagesInOneChunkComeOutApart) {
    SysExAssembler assembler;
    const Messages done = Feed(assembler, {0xF0, 0x01, 0xF7, 0xF0, 0x02, 0xF7, 0xF0, 0x03});
    EXPECT_EQ(done, (Messages{{0xF0, 0x01, 0xF7}, {0xF0, 0x02, 0xF7}}));
    EXPECT_TRUE(assembler.Assembling());
    EXPECT_EQ(Feed(assembler, {0xF7}), (Messages{{0xF0, 0x03, 0xF7}}));
}

TEST(RtMidiSysExAssembler, AMessageThatNeverEndsIsBoundedAndTheNextOneStillArrives) {
    SysExAssembler assembler;
    Bytes start(1000, 0x10);
    start[0] = 0xF0;
    EXPECT_TRUE(Feed(assembler, start).empty());
    const Bytes more(1000, 0x10);
    for (size_t sent = 1000; sent <= SysExAssembler::kMaxMessage + 1000; sent += more.size()) {
        EXPECT_TRUE(Feed(assembler, more).empty());
    }
    EXPECT_FALSE(assembler.Assembling());
    EXPECT_TRUE(Feed(assembler, {0x10, 0xF7}).empty());
    EXPECT_EQ(Feed(assembler, {0xF0, 0x41, 0xF7}), (Messages{{0xF0, 0x41, 0xF7}}));
}

}  // namespace
