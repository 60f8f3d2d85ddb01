#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

#include "midi/MidiArrival.h"
#include "midi/MidiArrivalHandler.h"
#include "midi/MidiService.h"
#include "platform/EventLoop.h"

class CMidiPorts;

// The input hand-over. The service's input thread only copies each message and
// posts it to the loop; on the loop thread each is sorted on arrival: real-time
// bytes are dropped, a long message the transfer does not wait for is let go and its
// buffer given back at once, and what the transfer takes waits for its delay and is
// handed to it in order, one at a time. So the bank, the busy flag and the transfer
// state have a single writer.
class CMidiInput {
  public:
    // Sees every message that is not for the running transfer, on arrival: all of
    // them while no transfer runs (the instrument's own announcements, for one).
    using Listener = std::function<void(const MidiArrival&)>;

    CMidiInput(platform::EventLoop& in_loop, CMidiPorts& in_ports, MidiArrivalHandler& in_handler);
    ~CMidiInput();
    CMidiInput(const CMidiInput&) = delete;
    CMidiInput& operator=(const CMidiInput&) = delete;

    // The callback for an input port about to open.
    MidiInCallback NewCallback();
    // The input port has closed: whatever it still had on its way is no longer wanted.
    void PortClosed();
    // Whether a long message the transfer took waits for its delay.
    bool AnswerWaiting() const;
    void SetListener(Listener in_listener) { m_Listener = std::move(in_listener); }

  private:
    void OnArrival(MidiArrival in_arrival);
    // The next kept message is handled one delay from now.
    void ScheduleNext();
    void HandleNext();

    platform::EventLoop& m_Loop;
    CMidiPorts& m_Ports;
    MidiArrivalHandler& m_Handler;
    Listener m_Listener;

    std::deque<MidiArrival> m_Arrivals;
    bool m_HandlingScheduled = false;
    platform::EventLoop::TimerId m_HandlingTimer = 0;
    // Which opening of the input port the current callback serves.
    uint64_t m_Generation = 0;
    // Tasks posted to the loop hold a weak reference so none runs after destruction.
    std::shared_ptr<CMidiInput*> m_ptrAlive;
};
