// The MIDI link's loop in the program: timers and hand-overs on the UI thread.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <thread>
#include <vector>

#include "platform/qt/QtEventLoop.h"

namespace {

void RunFor(int in_ms, const std::function<bool()>& in_done) {
    QElapsedTimer timer;
    timer.start();
    while (!in_done() && timer.elapsed() < in_ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

TEST(QtEventLoopTest, TimersRunInOrderOfTheirDelayAndCancelledOnesNever) {
    platform::QtEventLoop loop;
    std::vector<int> order;
    loop.RunAfter(40, [&]() { order.push_back(40); });
    const auto cancelled = loop.RunAfter(10, [&]() { order.push_back(-1); });
    loop.RunAfter(5, [&]() { order.push_back(5); });
    loop.RunAfter(0, [&]() { order.push_back(0); });
    loop.Cancel(cancelled);
    loop.Cancel(cancelled);  // twice is harmless
    RunFor(2000, [&]() { return order.size() >= 3; });
    RunFor(60, [] { return false; });
    EXPECT_EQ(order, (std::vector<int>{0, 5, 40}));
}

TEST(QtEventLoopTest, TasksPostedFromAnotherThreadRunOnTheLoopThreadInOrder) {
    platform::QtEventLoop loop;
    std::vector<int> ran;
    std::atomic<bool> wrongThread{false};
    QThread* const uiThread = QThread::currentThread();
    std::thread sender([&]() {
        for (int i = 0; i < 50; ++i) {
            loop.Post([&, i]() {
                wrongThread = wrongThread || QThread::currentThread() != uiThread;
                ran.push_back(i);
            });
        }
    });
    sender.join();
    RunFor(2000, [&]() { return ran.size() == 50; });
    ASSERT_EQ(ran.size(), 50u);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(ran[size_t(i)], i);
    }
    EXPECT_FALSE(wrongThread);
}

TEST(QtEventLoopTest, NothingRunsAfterTheLoopIsGone) {
    bool ran = false;
    {
        platform::QtEventLoop loop;
        loop.RunAfter(0, [&]() { ran = true; });
        loop.Post([&]() { ran = true; });
    }
    RunFor(30, [] { return false; });
    EXPECT_FALSE(ran);
}

}  // namespace
