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
    CloseAll();
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Stop = true;
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

MMRESULT VirtualMks80::Claim(unsigned in_id, MidiHandle& io_slot, MidiHandle in_handle) {
    if (in_id != 0) {
        return MMSYSERR_BADDEVICEID;
    }
    if (io_slot != kNoMidiHandle) {
        return MMSYSERR_ALLOCATED;  // one device each way, as the hardware has
    }
    io_slot = in_handle;
    return MMSYSERR_NOERROR;
}

MMRESULT VirtualMks80::OpenInput(MidiHandle in_handle, unsigned in_id, const InputQueue& in_queue) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    const MMRESULT result = Claim(in_id, m_InHandle, in_handle);
    if (result == MMSYSERR_NOERROR) {
        m_Input = in_queue;
    }
    return result;
}

void VirtualMks80::CloseInput(MidiHandle in_handle) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (in_handle == m_InHandle) {
        m_InHandle = kNoMidiHandle;
        m_Input.reset();
        m_Pending.clear();  // nobody listens: what the instrument says is lost
    }
}

MMRESULT VirtualMks80::OpenOutput(MidiHandle in_handle, unsigned in_id) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return Claim(in_id, m_OutHandle, in_handle);
}

void VirtualMks80::CloseOutput(MidiHandle in_handle) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (in_handle == m_OutHandle) {
        m_OutHandle = kNoMidiHandle;
    }
}

MMRESULT VirtualMks80::SendLong(MidiHandle, const uint8_t* in_data, size_t in_size) {
    std::unique_lock<std::mutex> lock(m_Mutex);
    const std::vector<uint8_t> message(in_data, in_data + in_size);
    std::vector<std::vector<uint8_t>> answers = m_Engine.Receive(message);
    if (!Threaded()) {
        for (std::vector<uint8_t>& answer : answers) {
            m_Pending.push_back({std::move(answer), 0});
        }
        DeliverDue(lock, 0);
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

void VirtualMks80::DeliverDue(std::unique_lock<std::mutex>& in_lock, int64_t in_nowUs) {
    std::vector<std::vector<uint8_t>> due;
    while (!m_Pending.empty() && m_Pending.front().dueUs <= in_nowUs) {
        due.push_back(std::move(m_Pending.front().bytes));
        m_Pending.pop_front();
    }
    const InputQueue input = m_Input;
    // The input's queue keeps what finds no buffer; the callback runs without our lock.
    in_lock.unlock();
    if (input) {
        for (std::vector<uint8_t>& message : due) {
            input->ReceiveMessage(std::move(message));
        }
    }
}

void VirtualMks80::DeliveryThread() {
    std::unique_lock<std::mutex> lock(m_Mutex);
    while (!m_Stop) {
        const int64_t now = NowUs();
        DeliverDue(lock, now);
        lock.lock();
        if (m_Stop) {
            break;
        }
        if (!m_Pending.empty() && m_Pending.front().dueUs > now) {
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
        } else if (m_Pending.empty()) {
            m_Wake.wait(lock);
        }
    }
}
