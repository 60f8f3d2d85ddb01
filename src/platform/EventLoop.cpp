#include "platform/EventLoop.h"

#include <algorithm>
#include <chrono>

namespace platform {

EventLoop::TimerId TimerQueue::Add(int64_t due_ms, EventLoop::Task task) {
    EventLoop::TimerId id = m_NextId++;
    m_Timers.emplace(std::make_pair(due_ms, id), std::move(task));
    m_DueOf.emplace(id, due_ms);
    return id;
}

void TimerQueue::Cancel(EventLoop::TimerId id) {
    auto found = m_DueOf.find(id);
    if (found == m_DueOf.end()) {
        return;
    }
    m_Timers.erase(std::make_pair(found->second, id));
    m_DueOf.erase(found);
}

bool TimerQueue::TakeDue(int64_t now_ms, EventLoop::Task& out_task) {
    if (m_Timers.empty() || m_Timers.begin()->first.first > now_ms) {
        return false;
    }
    auto first = m_Timers.begin();
    out_task = std::move(first->second);
    m_DueOf.erase(first->first.second);
    m_Timers.erase(first);
    return true;
}

bool TimerQueue::NextDue(int64_t& out_due_ms) const {
    if (m_Timers.empty()) {
        return false;
    }
    out_due_ms = m_Timers.begin()->first.first;
    return true;
}

EventLoop::TimerId ManualEventLoop::RunAfter(int in_ms, Task in_task) {
    return m_Timers.Add(m_Now + (in_ms < 0 ? 0 : in_ms), std::move(in_task));
}

void ManualEventLoop::Cancel(TimerId in_id) {
    m_Timers.Cancel(in_id);
}

void ManualEventLoop::Post(Task in_task) {
    std::lock_guard<std::mutex> lock(m_PostMutex);
    m_Posted.push_back(std::move(in_task));
}

bool ManualEventLoop::TakePosted(Task& out_task) {
    std::lock_guard<std::mutex> lock(m_PostMutex);
    if (m_Posted.empty()) {
        return false;
    }
    out_task = std::move(m_Posted.front());
    m_Posted.erase(m_Posted.begin());
    return true;
}

void ManualEventLoop::RunPending() {
    Task task;
    for (;;) {
        if (TakePosted(task) || m_Timers.TakeDue(m_Now, task)) {
            task();
            continue;
        }
        return;
    }
}

void ManualEventLoop::Advance(int64_t in_ms) {
    const int64_t end = m_Now + in_ms;
    RunPending();
    int64_t due = 0;
    while (m_Timers.NextDue(due) && due <= end) {
        if (due > m_Now) {
            m_Now = due;
        }
        RunPending();
    }
    m_Now = end;
    RunPending();
}

int64_t ManualEventLoop::RunUntilIdle(int64_t in_limit_ms) {
    const int64_t start = m_Now;
    RunPending();
    int64_t due = 0;
    while (m_Timers.NextDue(due) && due - start <= in_limit_ms) {
        if (due > m_Now) {
            m_Now = due;
        }
        RunPending();
    }
    return m_Now - start;
}

bool ManualEventLoop::HasPendingTimers() const {
    return !m_Timers.Empty();
}

int64_t PlainEventLoop::NowUs() const {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

EventLoop::TimerId PlainEventLoop::RunAfter(int in_ms, Task in_task) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Timers.Add(NowUs() + int64_t(in_ms < 0 ? 0 : in_ms) * 1000, std::move(in_task));
}

void PlainEventLoop::Cancel(TimerId in_id) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Timers.Cancel(in_id);
}

void PlainEventLoop::Post(Task in_task) {
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Posted.push_back(std::move(in_task));
    }
    m_Wake.notify_one();
}

void PlainEventLoop::Quit() {
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Quit = true;
    }
    m_Wake.notify_one();
}

bool PlainEventLoop::Run(int64_t in_limit_ms) {
    const int64_t deadline = NowUs() + in_limit_ms * 1000;
    std::unique_lock<std::mutex> lock(m_Mutex);
    m_Quit = false;
    while (!m_Quit) {
        Task task;
        if (!m_Posted.empty()) {
            task = std::move(m_Posted.front());
            m_Posted.erase(m_Posted.begin());
        } else if (m_Timers.TakeDue(NowUs(), task)) {
        } else {
            const int64_t now = NowUs();
            if (now >= deadline) {
                return false;
            }
            int64_t wake = deadline;
            int64_t due = 0;
            if (m_Timers.NextDue(due) && due < wake) {
                wake = due;
            }
            // A timed wait of the OS overshoots by up to a few hundred microseconds,
            // which the transfer delays would add up; the last stretch before a timer
            // is due is spun away instead, letting go of the lock for posts meanwhile.
            constexpr int64_t kSpinUs = 300;
            if (wake - now > kSpinUs) {
                m_Wake.wait_for(lock, std::chrono::microseconds(wake - now - kSpinUs));
            } else {
                lock.unlock();
                const int64_t until = std::min(wake, now + 50);
                while (NowUs() < until) {
                }
                lock.lock();
            }
            continue;
        }
        lock.unlock();
        task();
        lock.lock();
    }
    return true;
}

}  // namespace platform
