// The pacing of what a drag sends, on a loop whose time moves only by hand.
#include <gtest/gtest.h>

#include <vector>

#include "ops/LiveSender.h"
#include "platform/EventLoop.h"

namespace {

using Messages = ops::LiveSender::Messages;

struct Sent {
    int64_t at;
    Messages messages;
};

class LiveSenderTest : public ::testing::Test {
  protected:
    platform::ManualEventLoop m_Loop;
    std::vector<Sent> m_Sent;
    ops::LiveSender m_Sender{m_Loop,
                             [this](const Messages& in_messages) {
                                 m_Sent.push_back({m_Loop.Now(), in_messages});
                             },
                             [this]() { return m_Loop.Now(); }};

    static Messages Value(uint8_t in_value) { return {{0xF0, in_value, 0xF7}}; }
};

TEST_F(LiveSenderTest, FirstChangeGoesAtOnceAndADragIsCoalescedToItsNewestValue) {
    m_Sender.Change(1, Value(10));
    ASSERT_EQ(m_Sent.size(), 1u) << "a change after a quiet interval is not held back";
    EXPECT_EQ(m_Sent[0].at, 0);

    // A drag: a change every 2 ms for one second, the value rising by one each time.
    uint8_t value = 10;
    for (int step = 1; step <= 500; ++step) {
        m_Loop.Advance(2);
        m_Sender.Change(1, Value(++value % 128));
    }
    m_Loop.RunUntilIdle();
    EXPECT_LE(m_Sent.size(), 40u);
    EXPECT_GE(m_Sent.size(), 30u) << "the drag is heard as it goes, not only at its end";
    EXPECT_EQ(m_Sent.back().messages, Value(value % 128)) << "the last value always goes";
    for (size_t i = 1; i < m_Sent.size(); ++i) {
        EXPECT_GE(m_Sent[i].at - m_Sent[i - 1].at, ops::LiveSender::kIntervalMs) << i;
    }
    EXPECT_FALSE(m_Sender.IsWaiting());

    // Quiet again: the next change goes at once.
    m_Loop.Advance(100);
    const size_t before = m_Sent.size();
    m_Sender.Change(1, Value(1));
    EXPECT_EQ(m_Sent.size(), before + 1);
}

TEST_F(LiveSenderTest, KeysArePacedApartAndDropForgetsWhatWaits) {
    m_Sender.Change(1, Value(1));
    m_Sender.Change(2, Value(2));
    EXPECT_EQ(m_Sent.size(), 2u) << "another parameter is not held back by the first";

    m_Loop.Advance(5);
    m_Sender.Change(1, Value(3));
    m_Sender.Change(2, Value(4));
    EXPECT_TRUE(m_Sender.IsWaiting(1));
    EXPECT_TRUE(m_Sender.IsWaiting(2));
    m_Sender.Change(2, Value(5));
    m_Loop.RunUntilIdle();
    ASSERT_EQ(m_Sent.size(), 4u);
    EXPECT_EQ(m_Sent[2].at, 30);
    EXPECT_EQ(m_Sent[2].messages, Value(3));
    EXPECT_EQ(m_Sent[3].messages, Value(5));

    m_Sender.Change(1, Value(6));  // within the interval of the last send: waits
    ASSERT_TRUE(m_Sender.IsWaiting(1));
    m_Sender.Drop();
    m_Loop.RunUntilIdle();
    EXPECT_EQ(m_Sent.size(), 4u);
    EXPECT_FALSE(m_Sender.IsWaiting());
}

}  // namespace
