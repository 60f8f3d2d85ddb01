#include "midi/MidiServiceBase.h"

#include <utility>
#include <vector>

MidiServiceBase::~MidiServiceBase() {
    // A backend has closed its devices already; this only makes sure that no
    // callback can run once the service is gone.
    for (auto& input : m_Inputs) {
        input.second->Close();
    }
}

MidiServiceBase::InputQueue MidiServiceBase::FindInput(MidiHandle in_handle) const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    const auto found = m_Inputs.find(in_handle);
    return found == m_Inputs.end() ? nullptr : found->second;
}

bool MidiServiceBase::IsOutput(MidiHandle in_handle) const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Outputs.count(in_handle) != 0;
}

MMRESULT MidiServiceBase::InOpen(MidiHandle& out_handle, unsigned in_id,
                                 MidiInCallback in_callback) {
    return OpenInputWith(out_handle, std::move(in_callback),
                         [this, in_id](MidiHandle in_handle, const InputQueue& in_queue) {
                             return OpenInput(in_handle, in_id, in_queue);
                         });
}

MMRESULT MidiServiceBase::OpenInputWith(MidiHandle& out_handle, MidiInCallback in_callback,
                                        const InputOpener& in_open) {
    if (!in_callback) {
        return MMSYSERR_INVALPARAM;
    }
    MidiHandle handle = kNoMidiHandle;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        handle = m_NextHandle++;
    }
    auto queue = std::make_shared<MidiInputQueue>(handle, std::move(in_callback));
    const MMRESULT result = in_open(handle, queue);
    if (result != MMSYSERR_NOERROR) {
        queue->Close();
        return result;
    }
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Inputs.emplace(handle, std::move(queue));
    }
    out_handle = handle;
    return MMSYSERR_NOERROR;
}

MMRESULT MidiServiceBase::InStart(MidiHandle in_handle) {
    const InputQueue queue = FindInput(in_handle);
    if (!queue) {
        return MMSYSERR_INVALHANDLE;
    }
    queue->Start();
    return MMSYSERR_NOERROR;
}

namespace {
// Prepares a buffer of a device that is open (in_open): it needs a data area.
MMRESULT Prepare(bool in_open, MidiHdr& in_header) {
    if (!in_open) {
        return MMSYSERR_INVALHANDLE;
    }
    if (in_header.data.empty()) {
        return MMSYSERR_INVALPARAM;
    }
    in_header.flags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}
}  // namespace

MMRESULT MidiServiceBase::InPrepareHeader(MidiHandle in_handle, MidiHdr& in_header) {
    return Prepare(FindInput(in_handle) != nullptr, in_header);
}

MMRESULT MidiServiceBase::InAddBuffer(MidiHandle in_handle, MidiHdr& in_header) {
    const InputQueue queue = FindInput(in_handle);
    if (!queue) {
        return MMSYSERR_INVALHANDLE;
    }
    return queue->AddBuffer(in_header);
}

MMRESULT MidiServiceBase::InUnprepareHeader(MidiHandle in_handle, MidiHdr& in_header) {
    const InputQueue queue = FindInput(in_handle);
    if (!queue) {
        return MMSYSERR_INVALHANDLE;
    }
    // The service still holds a queued buffer: its owner may not take it back yet.
    if ((in_header.flags & MHDR_INQUEUE) != 0 || queue->IsQueued(in_header)) {
        return MIDIERR_STILLPLAYING;
    }
    in_header.flags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT MidiServiceBase::InClose(MidiHandle in_handle) {
    InputQueue queue;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        const auto found = m_Inputs.find(in_handle);
        if (found == m_Inputs.end()) {
            return MMSYSERR_INVALHANDLE;
        }
        queue = std::move(found->second);
        m_Inputs.erase(found);
    }
    // First no callback, then no device: what is still on its way goes nowhere.
    queue->Close();
    CloseInput(in_handle);
    return MMSYSERR_NOERROR;
}

MMRESULT MidiServiceBase::OutOpen(MidiHandle& out_handle, unsigned in_id) {
    return OpenOutputWith(
        out_handle, [this, in_id](MidiHandle in_handle) { return OpenOutput(in_handle, in_id); });
}

MMRESULT MidiServiceBase::OpenOutputWith(MidiHandle& out_handle, const OutputOpener& in_open) {
    MidiHandle handle = kNoMidiHandle;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        handle = m_NextHandle++;
    }
    const MMRESULT result = in_open(handle);
    if (result != MMSYSERR_NOERROR) {
        return result;
    }
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Outputs.insert(handle);
    }
    out_handle = handle;
    return MMSYSERR_NOERROR;
}

MMRESULT MidiServiceBase::OutPrepareHeader(MidiHandle in_handle, MidiHdr& in_header) {
    return Prepare(IsOutput(in_handle), in_header);
}

MMRESULT MidiServiceBase::OutUnprepareHeader(MidiHandle in_handle, MidiHdr& in_header) {
    if (!IsOutput(in_handle)) {
        return MMSYSERR_INVALHANDLE;
    }
    in_header.flags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT MidiServiceBase::OutLongMsg(MidiHandle in_handle, MidiHdr& in_header) {
    if (!IsOutput(in_handle)) {
        return MMSYSERR_INVALHANDLE;
    }
    if ((in_header.flags & MHDR_PREPARED) == 0) {
        return MIDIERR_UNPREPARED;
    }
    if (in_header.bufferLength == 0 || in_header.bufferLength > in_header.data.size()) {
        return MMSYSERR_INVALPARAM;
    }
    const MMRESULT result = SendLong(in_handle, in_header.data.data(), in_header.bufferLength);
    if (result == MMSYSERR_NOERROR) {
        in_header.flags |= MHDR_DONE;
    }
    return result;
}

MMRESULT MidiServiceBase::OutClose(MidiHandle in_handle) {
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (m_Outputs.erase(in_handle) == 0) {
            return MMSYSERR_INVALHANDLE;
        }
    }
    CloseOutput(in_handle);
    return MMSYSERR_NOERROR;
}

void MidiServiceBase::CloseAll() {
    std::vector<MidiHandle> inputs;
    std::vector<MidiHandle> outputs;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        for (const auto& input : m_Inputs) {
            inputs.push_back(input.first);
        }
        outputs.assign(m_Outputs.begin(), m_Outputs.end());
    }
    for (MidiHandle handle : inputs) {
        (void)InClose(handle);
    }
    for (MidiHandle handle : outputs) {
        (void)OutClose(handle);
    }
}
