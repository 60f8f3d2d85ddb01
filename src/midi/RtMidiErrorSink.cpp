#include "midi/RtMidiErrorSink.h"

void RtMidiErrorSink::OnError(RtMidiError::Type in_type, const std::string& in_text,
                              void* in_user) {
    if (in_type == RtMidiError::DEBUG_WARNING) {
        return;
    }
    auto* sink = static_cast<RtMidiErrorSink*>(in_user);
    std::lock_guard<std::mutex> lock(sink->m_Mutex);
    if (!sink->m_Type) {
        sink->m_Type = in_type;
        sink->m_Text = in_text;
    }
}

void RtMidiErrorSink::Clear() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Type.reset();
    m_Text.clear();
}

std::optional<RtMidiError::Type> RtMidiErrorSink::Take(std::string& out_text) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    std::optional<RtMidiError::Type> type = m_Type;
    out_text = m_Text;
    m_Type.reset();
    return type;
}

MMRESULT RtMidiCode(RtMidiError::Type in_type, MMRESULT in_generic, MMRESULT in_invalid) {
    switch (in_type) {
        case RtMidiError::INVALID_DEVICE:
        case RtMidiError::INVALID_PARAMETER:
            return in_invalid;
        case RtMidiError::NO_DEVICES_FOUND:
            return MIDIERR_NODEVICE;
        case RtMidiError::MEMORY_ERROR:
            return MMSYSERR_NOMEM;
        default:
            return in_generic;
    }
}
