#include "ScriptedMidiService.h"

#include <algorithm>
#include <thread>

ScriptedMidiService::ScriptedMidiService() = default;

ScriptedMidiService::~ScriptedMidiService() {
    m_Failures.clear();
    CloseAll();
}

MMRESULT ScriptedMidiService::Record(const std::string& in_call, const std::string& in_text) {
    std::lock_guard<std::mutex> lock(m_Mutex);
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

// Every call is recorded and may fail on script before the base's rules apply.
MMRESULT ScriptedMidiService::InOpen(MidiHandle& out_handle, unsigned in_id,
                                     MidiInCallback in_callback) {
    if (MMRESULT result = Record("midiInOpen", "midiInOpen(" + std::to_string(in_id) + ")")) {
        return result;
    }
    return MidiServiceBase::InOpen(out_handle, in_id, std::move(in_callback));
}

MMRESULT ScriptedMidiService::InStart(MidiHandle in_handle) {
    if (MMRESULT result = Record("midiInStart", "midiInStart")) {
        return result;
    }
    return MidiServiceBase::InStart(in_handle);
}

MMRESULT ScriptedMidiService::InPrepareHeader(MidiHandle in_handle, MidiHdr& in_header) {
    if (MMRESULT result = Record("midiInPrepareHeader", "midiInPrepareHeader")) {
        return result;
    }
    return MidiServiceBase::InPrepareHeader(in_handle, in_header);
}

MMRESULT ScriptedMidiService::InAddBuffer(MidiHandle in_handle, MidiHdr& in_header) {
    if (MMRESULT result = Record("midiInAddBuffer", "midiInAddBuffer")) {
        return result;
    }
    return MidiServiceBase::InAddBuffer(in_handle, in_header);
}

MMRESULT ScriptedMidiService::InUnprepareHeader(MidiHandle in_handle, MidiHdr& in_header) {
    if (MMRESULT result = Record("midiInUnprepareHeader", "midiInUnprepareHeader")) {
        return result;
    }
    return MidiServiceBase::InUnprepareHeader(in_handle, in_header);
}

MMRESULT ScriptedMidiService::InClose(MidiHandle in_handle) {
    if (MMRESULT result = Record("midiInClose", "midiInClose")) {
        return result;
    }
    return MidiServiceBase::InClose(in_handle);
}

MMRESULT ScriptedMidiService::OutOpen(MidiHandle& out_handle, unsigned in_id) {
    if (MMRESULT result = Record("midiOutOpen", "midiOutOpen(" + std::to_string(in_id) + ")")) {
        return result;
    }
    return MidiServiceBase::OutOpen(out_handle, in_id);
}

MMRESULT ScriptedMidiService::OutPrepareHeader(MidiHandle in_handle, MidiHdr& in_header) {
    if (MMRESULT result = Record("midiOutPrepareHeader", "midiOutPrepareHeader")) {
        return result;
    }
    return MidiServiceBase::OutPrepareHeader(in_handle, in_header);
}

MMRESULT ScriptedMidiService::OutUnprepareHeader(MidiHandle in_handle, MidiHdr& in_header) {
    if (MMRESULT result = Record("midiOutUnprepareHeader", "midiOutUnprepareHeader")) {
        return result;
    }
    return MidiServiceBase::OutUnprepareHeader(in_handle, in_header);
}

MMRESULT ScriptedMidiService::OutLongMsg(MidiHandle in_handle, MidiHdr& in_header) {
    if (MMRESULT result = Record(
            "midiOutLongMsg", "midiOutLongMsg(" + std::to_string(in_header.bufferLength) + ")")) {
        return result;
    }
    const MMRESULT result = MidiServiceBase::OutLongMsg(in_handle, in_header);
    if (result == MMSYSERR_NOERROR && m_OnSend) {
        m_OnSend(Sent().back());
    }
    return result;
}

MMRESULT ScriptedMidiService::OutClose(MidiHandle in_handle) {
    if (MMRESULT result = Record("midiOutClose", "midiOutClose")) {
        return result;
    }
    return MidiServiceBase::OutClose(in_handle);
}

// ---- The transport: devices that are only recorded ----------------------------------

MMRESULT ScriptedMidiService::OpenInput(MidiHandle in_handle, unsigned in_id,
                                        const InputQueue& in_queue) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_RefuseSecondOpen) {
        for (const auto& open : m_OpenIn) {
            if (open.second == in_id) {
                return MMSYSERR_ALLOCATED;
            }
        }
    }
    m_OpenIn[in_handle] = in_id;
    m_InHandle = in_handle;
    m_Input = in_queue;
    return MMSYSERR_NOERROR;
}

void ScriptedMidiService::CloseInput(MidiHandle in_handle) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_OpenIn.erase(in_handle);
    if (in_handle == m_InHandle) {
        m_Input.reset();
        m_InHandle = kNoMidiHandle;
    }
}

MMRESULT ScriptedMidiService::OpenOutput(MidiHandle in_handle, unsigned in_id) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_RefuseSecondOpen) {
        for (const auto& open : m_OpenOut) {
            if (open.second == in_id) {
                return MMSYSERR_ALLOCATED;
            }
        }
    }
    m_OpenOut[in_handle] = in_id;
    return MMSYSERR_NOERROR;
}

MMRESULT ScriptedMidiService::SendLong(MidiHandle, const uint8_t* in_data, size_t in_size) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Sent.emplace_back(in_data, in_data + in_size);
    return MMSYSERR_NOERROR;
}

void ScriptedMidiService::CloseOutput(MidiHandle in_handle) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_OpenOut.erase(in_handle);
}

// ---- What the test looks at and injects ---------------------------------------------

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

ScriptedMidiService::InputQueue ScriptedMidiService::Input() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Input;
}

int ScriptedMidiService::QueuedBuffers() const {
    const InputQueue input = Input();
    return input ? static_cast<int>(input->QueuedBuffers()) : 0;
}

int ScriptedMidiService::OpenInputs() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return static_cast<int>(m_OpenIn.size());
}

int ScriptedMidiService::OpenOutputs() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return static_cast<int>(m_OpenOut.size());
}

bool ScriptedMidiService::InjectLongData(const Bytes& in_message, bool in_ownThread) {
    const InputQueue input = Input();
    if (!input) {
        return false;
    }
    bool delivered = false;
    auto deliver = [&] { delivered = input->ReceiveMessage(in_message); };
    if (in_ownThread) {
        std::thread thread(deliver);
        thread.join();
    } else {
        deliver();
    }
    return delivered;
}

bool ScriptedMidiService::InjectLongError(const Bytes& in_partial) {
    const InputQueue input = Input();
    return input && input->ReceiveBroken(in_partial);
}

void ScriptedMidiService::InjectShort(uint32_t in_message) {
    if (const InputQueue input = Input()) {
        input->ReceiveShort(in_message);
    }
}
