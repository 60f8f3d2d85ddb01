#pragma once

#include <RtMidi.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "midi/MidiInputQueue.h"
#include "midi/RtMidiErrorSink.h"
#include "platform/Trace.h"

// How long releasing one device may hold the caller.
constexpr std::chrono::milliseconds kJackReleaseTime(2000);
// How long a JACK object's port stays closed before the object is destroyed.
constexpr std::chrono::milliseconds kJackSettleTime(300);

// RtMidi's JACK objects are not destroyed as soon as they are released. Destroying
// an output releases the ring buffer and semaphores that its JACK process callback
// uses while that callback can still run: the close waits only a bounded time for
// the callback to drain the buffer, and the client that runs it is closed last. On
// a loaded machine at a short period a callback that had begun before the port was
// closed ran on into freed memory, and the process crashed after the last message.
// Closing a JACK client also waits for the server, which a peer that hangs holds
// for tens of seconds. So a released JACK object only closes its port (which makes
// every later callback return at once) and is parked for the next open. Parked
// objects are destroyed when their service ends, each at least kJackSettleTime after
// its port closed, so no callback of the old port is still running. All of this
// runs on a thread of its own that a caller waits for at most kJackReleaseTime. They
// are destroyed rather than left to the end of the process: a client that goes
// without closing makes the JACK server fail at its own end.
class RtMidiJackPark {
  public:
    static RtMidiJackPark& Get();

    template <typename Midi>
    std::unique_ptr<Midi> Take(const std::string& in_client) {
        std::lock_guard<std::mutex> lock(m_Mutex);
        auto& parked = Parked<Midi>();
        for (auto it = parked.begin(); it != parked.end(); ++it) {
            if (it->client == in_client) {
                std::unique_ptr<Midi> midi = std::move(it->midi);
                parked.erase(it);
                return midi;
            }
        }
        return nullptr;
    }

    // Closes the port of in_midi and parks it; in_queue, the input it called into,
    // stays with it, as a callback of RtMidi's may still be on its way.
    template <typename Midi>
    void Release(std::unique_ptr<Midi> in_midi, const std::string& in_client,
                 std::shared_ptr<MidiInputQueue> in_queue = nullptr) {
        auto held = std::make_shared<Held<Midi>>();
        held->midi = std::move(in_midi);
        held->queue = std::move(in_queue);
        held->client = in_client;
        // Now, not on the release thread: the caller's sink goes with its port.
        held->midi->setErrorCallback(&RtMidiErrorSink::OnError, &m_ParkedSink);
        const bool inTime = RunBounded([this, held] {
            try {
                held->midi->closePort();
                if constexpr (std::is_same_v<Midi, RtMidiIn>) {
                    if (held->queue) {
                        held->midi->cancelCallback();
                    }
                }
            } catch (...) {
            }
            held->closed = std::chrono::steady_clock::now();
            std::lock_guard<std::mutex> lock(m_Mutex);
            Parked<Midi>().push_back(std::move(*held));
        });
        if (!inTime) {
            QUORLIN_TRACE("\nRtMidiService: a JACK port is still closing; going on without it");
        }
    }

    // Destroys the objects parked for in_client once they have settled, then runs
    // in_then; waits for that at most kJackReleaseTime.
    void DestroyParked(const std::string& in_client, std::function<void()> in_then);

  private:
    template <typename Midi>
    struct Held {
        std::unique_ptr<Midi> midi;
        std::shared_ptr<MidiInputQueue> queue;
        std::string client;
        std::chrono::steady_clock::time_point closed;
    };
    template <typename Midi>
    std::vector<Held<Midi>> TakeAll(std::vector<Held<Midi>>& in_parked,
                                    const std::string& in_client) {
        std::lock_guard<std::mutex> lock(m_Mutex);
        std::vector<Held<Midi>> taken;
        for (auto it = in_parked.begin(); it != in_parked.end();) {
            if (it->client == in_client) {
                taken.push_back(std::move(*it));
                it = in_parked.erase(it);
            } else {
                ++it;
            }
        }
        return taken;
    }
    template <typename Midi>
    static void Destroy(std::vector<Held<Midi>>& in_held) {
        for (Held<Midi>& held : in_held) {
            std::this_thread::sleep_until(held.closed + kJackSettleTime);
            try {
                held.midi.reset();
            } catch (...) {
            }
        }
    }
    template <typename Midi>
    std::vector<Held<Midi>>& Parked() {
        if constexpr (std::is_same_v<Midi, RtMidiIn>) {
            return m_Ins;
        } else {
            return m_Outs;
        }
    }

    // Runs in_job on the release thread; true when it ended within kJackReleaseTime.
    bool RunBounded(std::function<void()> in_job);
    void Work();

    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::deque<std::function<void()>> m_Jobs;
    bool m_Worker = false;
    bool m_Stuck = false;  // a release outlasted kJackReleaseTime and still runs
    RtMidiErrorSink m_ParkedSink;
    std::vector<Held<RtMidiIn>> m_Ins;
    std::vector<Held<RtMidiOut>> m_Outs;
};
