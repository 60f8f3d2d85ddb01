#include "ops/LiveSender.h"

#include <chrono>
#include <utility>

namespace ops {

LiveSender::LiveSender(platform::EventLoop& in_loop, Send in_send, Clock in_clock,
                       int in_intervalMs)
    : m_Loop(in_loop),
      m_Send(std::move(in_send)),
      m_Clock(std::move(in_clock)),
      m_Interval(in_intervalMs) {
    if (!m_Clock) {
        m_Clock = []() {
            return std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
        };
    }
}

LiveSender::~LiveSender() {
    Drop();
}

void LiveSender::Change(uint64_t in_key, Messages in_messages) {
    Slot& slot = m_Slots[in_key];
    slot.waiting = std::move(in_messages);
    if (slot.timer != 0) {
        return;  // the newest goes when the interval is up
    }
    const int64_t since = m_Clock() - slot.lastSent;
    if (!slot.sentBefore || since >= m_Interval) {
        SendWaiting(in_key);
        return;
    }
    slot.timer = m_Loop.RunAfter(static_cast<int>(m_Interval - since), [this, in_key]() {
        m_Slots[in_key].timer = 0;
        SendWaiting(in_key);
    });
}

void LiveSender::SendWaiting(uint64_t in_key) {
    Slot& slot = m_Slots[in_key];
    Messages messages = std::move(slot.waiting);
    slot.waiting.clear();
    slot.lastSent = m_Clock();
    slot.sentBefore = true;
    // The send may call back into this object; it works on its own copy.
    m_Send(messages);
}

bool LiveSender::IsWaiting(uint64_t in_key) const {
    const auto found = m_Slots.find(in_key);
    return found != m_Slots.end() && found->second.timer != 0;
}

bool LiveSender::IsWaiting() const {
    for (const auto& slot : m_Slots) {
        if (slot.second.timer != 0) {
            return true;
        }
    }
    return false;
}

void LiveSender::Drop() {
    for (auto& slot : m_Slots) {
        if (slot.second.timer != 0) {
            m_Loop.Cancel(slot.second.timer);
            slot.second.timer = 0;
        }
        slot.second.waiting.clear();
    }
}

}  // namespace ops
