#include "midi/MidiInputQueue.h"

#include <algorithm>
#include <cstring>

#include "platform/Trace.h"

namespace {

// Deliveries in progress on this thread, so that a Close from inside the
// callback does not wait for itself.
thread_local int t_DeliveryDepth = 0;

uint32_t PackShortMessage(const std::vector<uint8_t>& in_message) {
    uint32_t packed = 0;
    for (size_t i = 0; i < in_message.size() && i < 3; ++i) {
        packed |= static_cast<uint32_t>(in_message[i]) << (8 * i);
    }
    return packed;
}

}  // namespace

MidiInputQueue::MidiInputQueue(MidiHandle in_handle, MidiInCallback in_callback)
    : m_Handle(in_handle), m_Callback(std::move(in_callback)) {}

void MidiInputQueue::Start() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_Started) {
        m_Started = true;
        m_StartTime = std::chrono::steady_clock::now();
    }
}

MMRESULT MidiInputQueue::AddBuffer(MidiHdr& in_header) {
    std::unique_lock<std::mutex> lock(m_Mutex);
    if (m_Closed) {
        return MMSYSERR_INVALHANDLE;
    }
    if ((in_header.flags & MHDR_PREPARED) == 0) {
        return MIDIERR_UNPREPARED;
    }
    if ((in_header.flags & MHDR_INQUEUE) != 0 ||
        std::find(m_Buffers.begin(), m_Buffers.end(), &in_header) != m_Buffers.end()) {
        return MIDIERR_STILLPLAYING;
    }
    if (in_header.data.empty()) {
        return MMSYSERR_INVALPARAM;
    }
    in_header.flags &= ~MHDR_DONE;
    in_header.bytesRecorded = 0;
    if (!m_Waiting.empty()) {
        const std::vector<uint8_t> message = std::move(m_Waiting.front());
        m_Waiting.pop_front();
        Deliver(lock, Fill(in_header, message));
        return MMSYSERR_NOERROR;
    }
    in_header.flags |= MHDR_INQUEUE;
    m_Buffers.push_back(&in_header);
    return MMSYSERR_NOERROR;
}

bool MidiInputQueue::IsQueued(const MidiHdr& in_header) const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return std::find(m_Buffers.begin(), m_Buffers.end(), &in_header) != m_Buffers.end();
}

void MidiInputQueue::Close() {
    std::unique_lock<std::mutex> lock(m_Mutex);
    m_Closed = true;
    for (MidiHdr* header : m_Buffers) {
        header->flags = (header->flags | MHDR_DONE) & ~MHDR_INQUEUE;
    }
    m_Buffers.clear();
    m_Waiting.clear();
    // A callback running on another thread finishes before the device is gone.
    const int own = t_DeliveryDepth;
    m_Idle.wait(lock, [this, own] { return m_Delivering <= own; });
}

void MidiInputQueue::Receive(const uint8_t* in_data, size_t in_size) {
    // The assembler belongs to this thread; the lock guards what the link shares.
    std::vector<std::vector<uint8_t>> messages = m_Assembler.Feed(in_data, in_size);
    for (std::vector<uint8_t>& message : messages) {
        ReceiveMessage(std::move(message));
    }
}

bool MidiInputQueue::ReceiveMessage(std::vector<uint8_t> in_message) {
    if (in_message.empty()) {
        return false;
    }
    if (in_message[0] != 0xF0) {
        return ReceiveShort(PackShortMessage(in_message));
    }
    std::unique_lock<std::mutex> lock(m_Mutex);
    if (!m_Started || m_Closed) {
        return false;
    }
    return Take(lock, std::move(in_message));
}

bool MidiInputQueue::ReceiveShort(uint32_t in_packed) {
    std::unique_lock<std::mutex> lock(m_Mutex);
    if (!m_Started || m_Closed) {
        return false;
    }
    Delivery delivery;
    delivery.param1 = in_packed;
    Deliver(lock, delivery);
    return true;
}

bool MidiInputQueue::ReceiveBroken(const std::vector<uint8_t>& in_partial) {
    std::unique_lock<std::mutex> lock(m_Mutex);
    if (!m_Started || m_Closed || m_Buffers.empty() || !m_Waiting.empty()) {
        return false;
    }
    MidiHdr* header = m_Buffers.front();
    m_Buffers.pop_front();
    Deliver(lock, Fill(*header, in_partial, true));
    return true;
}

bool MidiInputQueue::Take(std::unique_lock<std::mutex>& in_lock, std::vector<uint8_t> in_message) {
    if (m_Buffers.empty() || !m_Waiting.empty()) {
        if (m_Waiting.size() >= kMaxWaiting) {
            ++m_Dropped;
            QUORLIN_TRACE("\nMidiInputQueue: no buffer queued, message dropped");
            return false;
        }
        m_Waiting.push_back(std::move(in_message));
        return false;
    }
    MidiHdr* header = m_Buffers.front();
    m_Buffers.pop_front();
    Deliver(in_lock, Fill(*header, in_message));
    return true;
}

MidiInputQueue::Delivery MidiInputQueue::Fill(MidiHdr& in_header,
                                              const std::vector<uint8_t>& in_message,
                                              bool in_broken) {
    const size_t size = std::min(in_message.size(), in_header.data.size());
    std::memcpy(in_header.data.data(), in_message.data(), size);
    in_header.bytesRecorded = static_cast<uint32_t>(size);
    in_header.flags = (in_header.flags | MHDR_DONE) & ~MHDR_INQUEUE;
    Delivery delivery;
    delivery.event =
        in_broken || size < in_message.size() ? MidiInEvent::LongError : MidiInEvent::LongData;
    delivery.header = &in_header;
    return delivery;
}

void MidiInputQueue::Deliver(std::unique_lock<std::mutex>& in_lock, const Delivery& in_delivery) {
    const uint32_t stamp = Timestamp();
    ++m_Delivering;
    ++t_DeliveryDepth;
    in_lock.unlock();
    try {
        if (m_Callback) {
            m_Callback(m_Handle, in_delivery.event, in_delivery.header, in_delivery.param1, stamp);
        }
    } catch (...) {
        // Nothing of the link's may escape into the MIDI library's thread.
        QUORLIN_TRACE("\nMidiInputQueue: the input callback threw; ignored");
    }
    in_lock.lock();
    --t_DeliveryDepth;
    --m_Delivering;
    m_Idle.notify_all();
}

uint32_t MidiInputQueue::Timestamp() const {
    const auto elapsed = std::chrono::steady_clock::now() - m_StartTime;
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

size_t MidiInputQueue::QueuedBuffers() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Buffers.size();
}

size_t MidiInputQueue::WaitingMessages() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Waiting.size();
}

size_t MidiInputQueue::DroppedMessages() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Dropped;
}
