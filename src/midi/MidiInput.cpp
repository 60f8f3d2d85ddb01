#include "midi/MidiInput.h"

#include <algorithm>
#include <utility>

#include "midi/MidiPorts.h"
#include "platform/Trace.h"

namespace {

// In the order of MidiInEvent; an open is not traced.
[[maybe_unused]] const char* const kEventTraces[] = {"",
                                                     "\nMIM_CLOSE",
                                                     "\nMIM_Data",
                                                     "\nMIM_LongData",
                                                     "\nMIM_ERROR",
                                                     "\nMIM_LongError",
                                                     "\nMIM_MoreData"};

}  // namespace

CMidiInput::CMidiInput(platform::EventLoop& in_loop, CMidiPorts& in_ports,
                       MidiArrivalHandler& in_handler)
    : m_Loop(in_loop),
      m_Ports(in_ports),
      m_Handler(in_handler),
      m_ptrAlive(std::make_shared<CMidiInput*>(this)) {}

CMidiInput::~CMidiInput() {
    m_ptrAlive.reset();
    if (m_HandlingScheduled) {
        m_Loop.Cancel(m_HandlingTimer);
    }
}

MidiInCallback CMidiInput::NewCallback() {
    std::weak_ptr<CMidiInput*> alive = m_ptrAlive;
    platform::EventLoop* loop = &m_Loop;
    const uint64_t generation = ++m_Generation;
    return [alive, loop, generation](MidiHandle, MidiInEvent in_event, MidiHdr* in_header,
                                     uint32_t in_param1, uint32_t) {
        if (in_event == MidiInEvent::Open) {
            return;
        }
        try {
            MidiArrival arrival = MidiArrival::From(in_event, in_header, in_param1, generation);
            loop->Post([alive, arrival = std::move(arrival)]() mutable {
                if (auto self = alive.lock()) {
                    (*self)->OnArrival(std::move(arrival));
                }
            });
        } catch (...) {
            // Out of memory on the input thread: the message is lost and the
            // transfer's time-out ends it.
        }
    };
}

void CMidiInput::PortClosed() {
    ++m_Generation;
    m_Arrivals.clear();
    if (m_HandlingScheduled) {
        m_Loop.Cancel(m_HandlingTimer);
        m_HandlingScheduled = false;
    }
}

bool CMidiInput::AnswerWaiting() const {
    return std::any_of(m_Arrivals.begin(), m_Arrivals.end(), [](const MidiArrival& in_arrival) {
        return in_arrival.event == MidiInEvent::LongData;
    });
}

void CMidiInput::OnArrival(MidiArrival in_arrival) {
    if (in_arrival.generation != m_Generation) {
        return;  // from a port that has been closed since
    }
    QUORLIN_TRACE("%s", kEventTraces[static_cast<int>(in_arrival.event)]);
    if (in_arrival.IsRealTime()) {
        // Clock and active sensing come all the time from many instruments: they
        // are no part of any exchange and must not hold one up.
        return;
    }
    const bool running = m_Handler.IsTransferRunning();
    if (!in_arrival.IsLong()) {
        if (m_Listener) {
            m_Listener(in_arrival);
        }
        if (!running) {
            // The ports stay open between transfers: short messages that come faster
            // than the delay would pile up here for as long as the program runs.
            return;
        }
    } else if (in_arrival.event == MidiInEvent::LongError || !m_Handler.TakeArrival(in_arrival)) {
        // Another device's message, our own echoed back, a damaged one: not counted,
        // not stored, not answered. The buffer it used goes back at once so that the
        // next message is not held up behind it.
        if ((running || m_Listener) && m_Ports.IsInPortOpen()) {
            m_Ports.ReArmInput();
        }
        if (m_Listener && in_arrival.event == MidiInEvent::LongData) {
            m_Listener(in_arrival);
        }
        return;
    }
    m_Arrivals.push_back(std::move(in_arrival));
    if (!m_HandlingScheduled) {
        ScheduleNext();
    }
}

void CMidiInput::ScheduleNext() {
    std::weak_ptr<CMidiInput*> alive = m_ptrAlive;
    m_HandlingScheduled = true;
    m_HandlingTimer = m_Loop.RunAfter(m_Ports.GetCallbackData().m_Delay, [alive]() {
        if (auto self = alive.lock()) {
            (*self)->HandleNext();
        }
    });
}

void CMidiInput::HandleNext() {
    m_HandlingScheduled = false;
    if (m_Arrivals.empty()) {
        return;
    }
    const MidiArrival arrival = std::move(m_Arrivals.front());
    m_Arrivals.pop_front();
    m_Handler.HandleArrival(arrival);
    // The next message's delay starts once this one has been handled.
    if (!m_Arrivals.empty() && !m_HandlingScheduled) {
        ScheduleNext();
    }
}
