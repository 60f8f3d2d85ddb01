#include "ScriptedMidiService.h"

#include <algorithm>
#include <thread>

ScriptedMidiService::ScriptedMidiService() = default;

MMRESULT ScriptedMidiService::Record(const std::string& in_call, const std::string& in_text) {
    m_Calls.push_back(in_text);
    auto found = m_Failures.find(in_call);
    if (found == m_Failures.end() || found->second.second == 0) {
        return MMSYSERR_NOERROR;
    }
    if (found->second.second > 0) {
        --found->second.second;
    }
    return found->second.first;
}

void ScriptedMidiService::Fail(const std::string& in_call, MMRESULT in_code, int in_times) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Failures[in_call] = {in_code, in_times};
}

unsigned ScriptedMidiService::InGetNumDevs() {
    return static_cast<unsigned>(m_InNames.size());
}

unsigned ScriptedMidiService::OutGetNumDevs() {
    return static_cast<unsigned>(m_OutNames.size());
}

MMRESULT ScriptedMidiService::InGetDevCaps(unsigned in_id, std::string& out_name) {
    if (in_id >= m_InNames.size()) {
        return MMSYSERR_BADDEVICEID;
    }
    out_name = m_InNames[in_id];
    return MMSYSERR_NOERROR;
}

MMRESULT ScriptedMidiService::OutGetDevCaps(unsigned in_id, std::string& out_name) {
    if (in_id >= m_OutNames.size()) {
        return MMSYSERR_BADDEVICEID;
    }
    out_name = m_OutNames[in_id];
    return MMSYSERR_NOERROR;
}

MMRESULT ScriptedMidiService::InOpen(MidiHandle& out_handle, unsigned in_id,
                                     MidiInCallback in_callback) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    MMRESULT result = Record("midiInOpen", "midiInOpen(" + std::to_string(in_id) + ")");
    if (result == MMSYSERR_NOERROR && m_RefuseSecondOpen) {
        for (const auto& open : m_OpenIn) {
            if (open.second == in_id) {
                result = MMSYSERR_ALLOCATED;
            }
        }
    }
    if (result != MMSYSERR_NOERROR) {
        return result;
    }
    out_handle = m_NextHandle++;
    m_OpenIn[out_handle] = in_id;
    m_InHandle = out_handle;
    m_Callback = std::move(in_callback);
    m_Queued.clear();
    return MMSYSERR_NOERROR;
}

MMRESULT ScriptedMidiService::InStart(MidiHandle) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return Record("midiInStart", "midiInStart");
}

MMRESULT ScriptedMidiService::InPrepareHeader(MidiHandle, MidiHdr& in_header) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    const MMRESULT result = Record("midiInPrepareHeader", "midiInPrepareHeader");
    if (result == MMSYSERR_NOERROR) {
        in_header.flags |= MHDR_PREPARED;
    }
    return result;
}

MMRESULT ScriptedMidiService::InAddBuffer(MidiHandle, MidiHdr& in_header) {
    std::unique_lock<std::mutex> lock(m_Mutex);
    const MMRESULT result = Record("midiInAddBuffer", "midiInAddBuffer");
    if (result != MMSYSERR_NOERROR) {
        return result;
    }
    in_header.flags |= MHDR_INQUEUE;
    in_header.flags &= ~MHDR_DONE;
    m_Queued.push_back(&in_header);
    DeliverWaiting(lock);
    return MMSYSERR_NOERROR;
}

MMRESULT ScriptedMidiService::InUnprepareHeader(MidiHandle, MidiHdr& in_header) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    const MMRESULT result = Record("midiInUnprepareHeader", "midiInUnprepareHeader");
    if (result == MMSYSERR_NOERROR) {
        in_header.flags &= ~MHDR_PREPARED;
    }
    return result;
}

MMRESULT ScriptedMidiService::InClose(MidiHandle in_handle) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    const MMRESULT result = Record("midiInClose", "midiInClose");
    if (result == MMSYSERR_NOERROR) {
        m_OpenIn.erase(in_handle);
        if (in_handle == m_InHandle) {
            m_Callback = nullptr;
            m_Queued.clear();
            m_InHandle = kNoMidiHandle;
        }
    }
    return result;
}

MMRESULT ScriptedMidiService::OutOpen(MidiHandle& out_handle, unsigned in_id) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    MMRESULT result = Record("midiOutOpen", "midiOutOpen(" + std::to_string(in_id) + ")");
    if (result == MMSYSERR_NOERROR && m_RefuseSecondOpen) {
        for (const auto& open : m_OpenOut) {
            if (open.second == in_id) {
                result = MMSYSERR_ALLOCATED;
            }
        }
    }
    if (result != MMSYSERR_NOERROR) {
        return result;
    }
    out_handle = m_NextHandle++;
    m_OpenOut[out_handle] = in_id;
    return MMSYSERR_NOERROR;
}

MMRESULT ScriptedMidiService::OutPrepareHeader(MidiHandle, MidiHdr&) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return Record("midiOutPrepareHeader", "midiOutPrepareHeader");
}

MMRESULT ScriptedMidiService::OutUnprepareHeader(MidiHandle, MidiHdr&) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return Record("midiOutUnprepareHeader", "midiOutUnprepareHeader");
}

MMRESULT ScriptedMidiService::OutLongMsg(MidiHandle, MidiHdr& in_header) {
    Bytes sent;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        const MMRESULT result = Record(
            "midiOutLongMsg", "midiOutLongMsg(" + std::to_string(in_header.bufferLength) + ")");
        if (result != MMSYSERR_NOERROR) {
            return result;
        }
        const size_t count = std::min<size_t>(in_header.bufferLength, in_header.data.size());
        sent.assign(in_header.data.begin(), in_header.data.begin() + static_cast<long>(count));
        m_Sent.push_back(sent);
    }
    if (m_OnSend) {
        m_OnSend(sent);
    }
    return MMSYSERR_NOERROR;
}

MMRESULT ScriptedMidiService::OutClose(MidiHandle in_handle) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    const MMRESULT result = Record("midiOutClose", "midiOutClose");
    if (result == MMSYSERR_NOERROR) {
        m_OpenOut.erase(in_handle);
    }
    return result;
}

std::vector<std::string> ScriptedMidiService::Calls() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Calls;
}

void ScriptedMidiService::ClearCalls() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Calls.clear();
}

std::vector<ScriptedMidiService::Bytes> ScriptedMidiService::Sent() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Sent;
}

int ScriptedMidiService::QueuedBuffers() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return static_cast<int>(m_Queued.size());
}

int ScriptedMidiService::OpenInputs() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return static_cast<int>(m_OpenIn.size());
}

int ScriptedMidiService::OpenOutputs() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return static_cast<int>(m_OpenOut.size());
}

void ScriptedMidiService::DeliverWaiting(std::unique_lock<std::mutex>& in_lock) {
    while (!m_Waiting.empty() && !m_Queued.empty() && m_Callback) {
        Waiting waiting = std::move(m_Waiting.front());
        m_Waiting.pop_front();
        MidiHdr* header = m_Queued.front();
        m_Queued.pop_front();
        const size_t count = std::min(waiting.bytes.size(), header->data.size());
        std::copy(waiting.bytes.begin(), waiting.bytes.begin() + static_cast<long>(count),
                  header->data.begin());
        header->bytesRecorded = static_cast<uint32_t>(count);
        header->flags = (header->flags & ~MHDR_INQUEUE) | MHDR_DONE;
        MidiInCallback callback = m_Callback;
        const MidiHandle handle = m_InHandle;
        in_lock.unlock();
        callback(handle, waiting.event, header, 0, 0);
        in_lock.lock();
    }
}

bool ScriptedMidiService::InjectLongData(const Bytes& in_message, bool in_ownThread) {
    bool delivered = false;
    auto deliver = [&] {
        std::unique_lock<std::mutex> lock(m_Mutex);
        m_Waiting.push_back({in_message, MidiInEvent::LongData});
        const size_t before = m_Waiting.size();
        DeliverWaiting(lock);
        delivered = m_Waiting.size() < before;
    };
    if (in_ownThread) {
        std::thread thread(deliver);
        thread.join();
    } else {
        deliver();
    }
    return delivered;
}

bool ScriptedMidiService::InjectLongError(const Bytes& in_partial) {
    std::unique_lock<std::mutex> lock(m_Mutex);
    if (!m_Waiting.empty() || m_Queued.empty()) {
        return false;
    }
    m_Waiting.push_back({in_partial, MidiInEvent::LongError});
    DeliverWaiting(lock);
    return true;
}

void ScriptedMidiService::InjectShort(uint32_t in_message) {
    std::unique_lock<std::mutex> lock(m_Mutex);
    MidiInCallback callback = m_Callback;
    const MidiHandle handle = m_InHandle;
    lock.unlock();
    if (callback) {
        callback(handle, MidiInEvent::Data, nullptr, in_message, 0);
    }
}
