#include "midi/VirtualMks80.h"

#include <algorithm>
#include <chrono>
#include <utility>

VirtualMks80::VirtualMks80(Mks80Options in_options, std::string in_memoryPath)
    : m_Engine(in_options, std::move(in_memoryPath)) {
    if (Threaded()) {
        m_Thread = std::thread([this] { DeliveryThread(); });
    }
}

VirtualMks80::~VirtualMks80() {
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Stop = true;
        m_Callback = nullptr;
    }
    m_Wake.notify_all();
    if (m_Thread.joinable()) {
        m_Thread.join();
    }
}

bool VirtualMks80::Threaded() const {
    return m_Engine.Options().answerMs > 0 || m_Engine.Options().wireTime;
}

int64_t VirtualMks80::NowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

MMRESULT VirtualMks80::InGetDevCaps(unsigned in_id, std::string& out_name) {
    if (in_id != 0) {
        return MMSYSERR_BADDEVICEID;
    }
    out_name = kDeviceName;
    return MMSYSERR_NOERROR;
}

MMRESULT VirtualMks80::OutGetDevCaps(unsigned in_id, std::string& out_name) {
    return InGetDevCaps(in_id, out_name);
}

MMRESULT VirtualMks80::InOpen(MidiHandle& out_handle, unsigned in_id, MidiInCallback in_callback) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (in_id != 0) {
        return MMSYSERR_BADDEVICEID;
    }
    if (m_InHandle != kNoMidiHandle) {
        return MMSYSERR_ALLOCATED;
    }
    if (!in_callback) {
        return MMSYSERR_INVALPARAM;
    }
    m_InHandle = m_NextHandle++;
    m_Callback = std::move(in_callback);
    m_Started = false;
    m_Queued.clear();
    out_handle = m_InHandle;
    return MMSYSERR_NOERROR;
}

MMRESULT VirtualMks80::InStart(MidiHandle in_handle) {
    std::unique_lock<std::mutex> lock(m_Mutex);
    if (in_handle == kNoMidiHandle || in_handle != m_InHandle) {
        return MMSYSERR_INVALHANDLE;
    }
    m_Started = true;
    if (Threaded()) {
        m_Wake.notify_all();
    } else {
        DeliverReady(lock, 0);
    }
    return MMSYSERR_NOERROR;
}

MMRESULT VirtualMks80::InPrepareHeader(MidiHandle in_handle, MidiHdr& in_header) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (in_handle == kNoMidiHandle || in_handle != m_InHandle) {
        return MMSYSERR_INVALHANDLE;
    }
    if (in_header.data.empty()) {
        return MMSYSERR_INVALPARAM;
    }
    in_header.flags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT VirtualMks80::InAddBuffer(MidiHandle in_handle, MidiHdr& in_header) {
    std::unique_lock<std::mutex> lock(m_Mutex);
    if (in_handle == kNoMidiHandle || in_handle != m_InHandle) {
        return MMSYSERR_INVALHANDLE;
    }
    if ((in_header.flags & MHDR_PREPARED) == 0) {
        return MIDIERR_UNPREPARED;
    }
    if ((in_header.flags & MHDR_INQUEUE) != 0) {
        return MIDIERR_STILLPLAYING;
    }
    in_header.flags = (in_header.flags | MHDR_INQUEUE) & ~MHDR_DONE;
    in_header.bytesRecorded = 0;
    m_Queued.push_back(&in_header);
    if (Threaded()) {
        m_Wake.notify_all();
    } else {
        DeliverReady(lock, 0);
    }
    return MMSYSERR_NOERROR;
}

MMRESULT VirtualMks80::InUnprepareHeader(MidiHandle in_handle, MidiHdr& in_header) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (in_handle == kNoMidiHandle || in_handle != m_InHandle) {
        return MMSYSERR_INVALHANDLE;
    }
    if ((in_header.flags & MHDR_INQUEUE) != 0) {
        return MIDIERR_STILLPLAYING;
    }
    in_header.flags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT VirtualMks80::InClose(MidiHandle in_handle) {
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (in_handle == kNoMidiHandle || in_handle != m_InHandle) {
            return MMSYSERR_INVALHANDLE;
        }
        m_InHandle = kNoMidiHandle;
        m_Callback = nullptr;
        m_Started = false;
        // Buffers still queued go back to their owner unfilled.
        for (MidiHdr* header : m_Queued) {
            header->flags &= ~MHDR_INQUEUE;
        }
        m_Queued.clear();
        m_Pending.clear();
    }
    // Waits for a callback that is running on the delivery thread.
    std::lock_guard<std::mutex> wait(m_CallbackMutex);
    return MMSYSERR_NOERROR;
}

MMRESULT VirtualMks80::OutOpen(MidiHandle& out_handle, unsigned in_id) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (in_id != 0) {
        return MMSYSERR_BADDEVICEID;
    }
    if (m_OutHandle != kNoMidiHandle) {
        return MMSYSERR_ALLOCATED;
    }
    m_OutHandle = m_NextHandle++;
    out_handle = m_OutHandle;
    return MMSYSERR_NOERROR;
}

MMRESULT VirtualMks80::OutPrepareHeader(MidiHandle in_handle, MidiHdr& in_header) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (in_handle == kNoMidiHandle || in_handle != m_OutHandle) {
        return MMSYSERR_INVALHANDLE;
    }
    in_header.flags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT VirtualMks80::OutUnprepareHeader(MidiHandle in_handle, MidiHdr& in_header) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (in_handle == kNoMidiHandle || in_handle != m_OutHandle) {
        return MMSYSERR_INVALHANDLE;
    }
    in_header.flags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT VirtualMks80::OutLongMsg(MidiHandle in_handle, MidiHdr& in_header) {
    std::unique_lock<std::mutex> lock(m_Mutex);
    if (in_handle == kNoMidiHandle || in_handle != m_OutHandle) {
        return MMSYSERR_INVALHANDLE;
    }
    if ((in_header.flags & MHDR_PREPARED) == 0) {
        return MIDIERR_UNPREPARED;
    }
    if (in_header.bufferLength > in_header.data.size()) {
        return MMSYSERR_INVALPARAM;
    }
    const std::vector<uint8_t> message(in_header.data.begin(),
                                       in_header.data.begin() + in_header.bufferLength);
    std::vector<std::vector<uint8_t>> answers = m_Engine.Receive(message);
    if (!Threaded()) {
        for (std::vector<uint8_t>& answer : answers) {
            m_Pending.push_back({std::move(answer), 0});
        }
        DeliverReady(lock, 0);
        return MMSYSERR_NOERROR;
    }
    const Mks80Options& options = m_Engine.Options();
    const int64_t byteUs = options.wireTime ? kByteMicros : 0;
    const int64_t now = NowUs();
    // The message reaches the instrument once its last byte is through the wire.
    const int64_t arrived = std::max(now, m_InWireFreeUs) + byteUs * int64_t(message.size());
    m_InWireFreeUs = arrived;
    const int64_t start = arrived + int64_t(options.answerMs) * 1000;
    for (std::vector<uint8_t>& answer : answers) {
        const int64_t due = std::max(start, m_OutWireFreeUs) + byteUs * int64_t(answer.size());
        m_OutWireFreeUs = due;
        m_Pending.push_back({std::move(answer), due});
    }
    m_Wake.notify_all();
    return MMSYSERR_NOERROR;
}

MMRESULT VirtualMks80::OutClose(MidiHandle in_handle) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (in_handle == kNoMidiHandle || in_handle != m_OutHandle) {
        return MMSYSERR_INVALHANDLE;
    }
    m_OutHandle = kNoMidiHandle;
    return MMSYSERR_NOERROR;
}

void VirtualMks80::DeliverReady(std::unique_lock<std::mutex>& in_lock, int64_t in_nowUs) {
    while (!m_Pending.empty()) {
        if (m_InHandle == kNoMidiHandle) {
            m_Pending.clear();  // nobody listens: what the instrument says is lost
            return;
        }
        if (!m_Started || m_Pending.front().dueUs > in_nowUs) {
            return;
        }
        const bool isShort = m_Pending.front().bytes.size() == 1;
        if (!isShort && m_Queued.empty()) {
            return;  // waits in the service until a buffer is queued
        }
        Pending pending = std::move(m_Pending.front());
        m_Pending.pop_front();
        MidiHdr* header = nullptr;
        if (!isShort) {
            header = m_Queued.front();
            m_Queued.pop_front();
            const size_t count = std::min(pending.bytes.size(), header->data.size());
            std::copy(pending.bytes.begin(), pending.bytes.begin() + static_cast<long>(count),
                      header->data.begin());
            header->bytesRecorded = static_cast<uint32_t>(count);
            header->flags = (header->flags & ~MHDR_INQUEUE) | MHDR_DONE;
        }
        MidiInCallback callback = m_Callback;
        const MidiHandle handle = m_InHandle;
        // Taken before m_Mutex is let go, so that InClose cannot return in between.
        std::unique_lock<std::mutex> running(m_CallbackMutex);
        in_lock.unlock();
        if (callback) {
            if (isShort) {
                callback(handle, MidiInEvent::Data, nullptr, pending.bytes[0], 0);
            } else {
                callback(handle, MidiInEvent::LongData, header, 0, 0);
            }
        }
        running.unlock();
        in_lock.lock();
    }
}

void VirtualMks80::DeliveryThread() {
    std::unique_lock<std::mutex> lock(m_Mutex);
    while (!m_Stop) {
        const int64_t now = NowUs();
        DeliverReady(lock, now);
        if (m_Stop) {
            break;
        }
        if (!m_Pending.empty() && m_Started && m_Pending.front().dueUs > now) {
            // A timed wait overshoots by up to a few hundred microseconds, which would
            // stretch the simulated wire; the last stretch is spun away instead.
            constexpr int64_t kSpinUs = 300;
            const int64_t due = m_Pending.front().dueUs;
            if (due - now > kSpinUs) {
                m_Wake.wait_for(lock, std::chrono::microseconds(due - now - kSpinUs));
            } else {
                lock.unlock();
                const int64_t until = std::min(due, now + 50);
                while (NowUs() < until) {
                }
                lock.lock();
            }
        } else {
            m_Wake.wait(lock);
        }
    }
}
