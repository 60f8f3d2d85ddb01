#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace platform {

// The host's event loop as the MIDI link sees it: run a task on the loop's
// thread after a delay, cancel it, or hand a task over from any thread.
class EventLoop {
  public:
    using Task = std::function<void()>;
    using TimerId = uint64_t;

    virtual ~EventLoop() = default;
    // Loop thread only. Runs in_task on the loop thread after in_ms milliseconds.
    virtual TimerId RunAfter(int in_ms, Task in_task) = 0;
    // Loop thread only. A timer that already ran or was cancelled is ignored.
    virtual void Cancel(TimerId in_id) = 0;
    // Any thread. Runs in_task on the loop thread soon, in the order of posting.
    virtual void Post(Task in_task) = 0;
};

// Shared by the manual and plain loops: timers ordered by due time, then by creation.
// The unit of time is the loop's own.
class TimerQueue {
  public:
    EventLoop::TimerId Add(int64_t due, EventLoop::Task task);
    void Cancel(EventLoop::TimerId id);
    // The earliest timer due at or before now, removed from the queue.
    bool TakeDue(int64_t now, EventLoop::Task& out_task);
    bool NextDue(int64_t& out_due) const;
    bool Empty() const { return m_Timers.empty(); }

  private:
    std::map<std::pair<int64_t, EventLoop::TimerId>, EventLoop::Task> m_Timers;
    std::map<EventLoop::TimerId, int64_t> m_DueOf;
    EventLoop::TimerId m_NextId = 1;
};

// For tests: time stands still until Advance moves it on by hand.
class ManualEventLoop : public EventLoop {
  public:
    TimerId RunAfter(int in_ms, Task in_task) override;
    void Cancel(TimerId in_id) override;
    void Post(Task in_task) override;

    // Runs posted tasks and timers that are due now, until nothing more is due.
    void RunPending();
    // Moves time on by in_ms, running every task that falls due on the way in order.
    void Advance(int64_t in_ms);
    // Moves time on until nothing is left to run or in_limit_ms have passed.
    // Returns the time that passed.
    int64_t RunUntilIdle(int64_t in_limit_ms = 3600 * 1000);
    int64_t Now() const { return m_Now; }
    bool HasPendingTimers() const;

  private:
    bool TakePosted(Task& out_task);

    int64_t m_Now = 0;
    TimerQueue m_Timers;
    mutable std::mutex m_PostMutex;
    std::vector<Task> m_Posted;
};

// For the command-line tool and benchmarks: a real-time loop on the calling thread.
class PlainEventLoop : public EventLoop {
  public:
    TimerId RunAfter(int in_ms, Task in_task) override;
    void Cancel(TimerId in_id) override;
    void Post(Task in_task) override;

    // Runs tasks until Quit is called (from a task) or in_limit_ms have passed.
    // Returns false when the time limit ended it.
    bool Run(int64_t in_limit_ms);
    void Quit();

  private:
    // Timers of this loop are kept in microseconds of the steady clock.
    int64_t NowUs() const;

    std::mutex m_Mutex;
    std::condition_variable m_Wake;
    std::vector<Task> m_Posted;
    TimerQueue m_Timers;
    bool m_Quit = false;
};

}  // namespace platform
