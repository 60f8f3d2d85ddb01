#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "platform/EventLoop.h"

namespace ops {

// Paces what goes to the instrument while the user drags a control: the instrument
// stumbles over a dense stream of messages, so each kind of change (one parameter, or
// the whole sound) goes at most once per interval, and the newest value always goes.
//
// The first change of a key after a quiet interval goes out at once; later ones within
// the interval replace each other and the newest goes out when the interval is up.
class LiveSender {
  public:
    using Messages = std::vector<std::vector<uint8_t>>;
    using Send = std::function<void(const Messages& in_messages)>;
    // Milliseconds of a steady clock.
    using Clock = std::function<int64_t()>;

    static constexpr int kIntervalMs = 30;

    // in_clock: nullptr takes the steady clock.
    LiveSender(platform::EventLoop& in_loop, Send in_send, Clock in_clock = nullptr,
               int in_intervalMs = kIntervalMs);
    ~LiveSender();
    LiveSender(const LiveSender&) = delete;
    LiveSender& operator=(const LiveSender&) = delete;

    // A change of in_key: in_messages say it whole (they replace what is waiting).
    void Change(uint64_t in_key, Messages in_messages);
    bool IsWaiting(uint64_t in_key) const;
    bool IsWaiting() const;
    // Forgets everything waiting (the sound it was for is no longer played).
    void Drop();

  private:
    struct Slot {
        int64_t lastSent = 0;
        bool sentBefore = false;
        platform::EventLoop::TimerId timer = 0;
        Messages waiting;
    };
    void SendWaiting(uint64_t in_key);

    platform::EventLoop& m_Loop;
    Send m_Send;
    Clock m_Clock;
    int m_Interval;
    std::map<uint64_t, Slot> m_Slots;
};

}  // namespace ops
