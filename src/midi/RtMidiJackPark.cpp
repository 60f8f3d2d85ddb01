#include "midi/RtMidiJackPark.h"

RtMidiJackPark& RtMidiJackPark::Get() {
    // Never destroyed: its thread may still be inside a release that hangs.
    static RtMidiJackPark* park = new RtMidiJackPark();
    return *park;
}

void RtMidiJackPark::DestroyParked(const std::string& in_client, std::function<void()> in_then) {
    const bool inTime = RunBounded([this, in_client, then = std::move(in_then)] {
        std::vector<Held<RtMidiIn>> ins = TakeAll(m_Ins, in_client);
        std::vector<Held<RtMidiOut>> outs = TakeAll(m_Outs, in_client);
        Destroy(ins);
        Destroy(outs);
        if (then) {
            then();
        }
    });
    if (!inTime) {
        QUORLIN_TRACE("\nRtMidiService: a JACK client is still closing; going on without it");
    }
}

bool RtMidiJackPark::RunBounded(std::function<void()> in_job) {
    auto done = std::make_shared<bool>(false);
    std::unique_lock<std::mutex> lock(m_Mutex);
    if (!m_Worker) {
        m_Worker = true;
        std::thread([this] { Work(); }).detach();
    }
    m_Jobs.push_back([this, done, job = std::move(in_job)] {
        job();
        std::lock_guard<std::mutex> doneLock(m_Mutex);
        *done = true;
        m_Changed.notify_all();
    });
    m_Changed.notify_all();
    if (m_Stuck) {
        return false;  // behind a release that hangs: waiting would only add up
    }
    if (!m_Changed.wait_for(lock, kJackReleaseTime, [&done] { return *done; })) {
        m_Stuck = true;
        return false;
    }
    return true;
}

void RtMidiJackPark::Work() {
    std::unique_lock<std::mutex> lock(m_Mutex);
    for (;;) {
        m_Changed.wait(lock, [this] { return !m_Jobs.empty(); });
        std::function<void()> job = std::move(m_Jobs.front());
        m_Jobs.pop_front();
        lock.unlock();
        job();
        lock.lock();
        m_Stuck = false;
    }
}
