#include "ScriptedPortService.h"

namespace {
MMRESULT Query(const std::vector<std::string>& in_names, const std::set<unsigned>& in_failing,
               unsigned in_id, std::string& out_name) {
    if (in_failing.count(in_id) != 0) {
        return MMSYSERR_ERROR;
    }
    out_name = in_id < in_names.size() ? in_names[in_id] : "Extra " + std::to_string(in_id);
    return MMSYSERR_NOERROR;
}
}  // namespace

unsigned ScriptedPortService::InGetNumDevs() {
    return static_cast<unsigned>(m_InNames.size()) + m_ExtraDevices;
}

unsigned ScriptedPortService::OutGetNumDevs() {
    return static_cast<unsigned>(m_OutNames.size()) + m_ExtraDevices;
}

MMRESULT ScriptedPortService::InGetDevCaps(unsigned in_id, std::string& out_name) {
    return Query(m_InNames, m_FailingInQueries, in_id, out_name);
}

MMRESULT ScriptedPortService::OutGetDevCaps(unsigned in_id, std::string& out_name) {
    return Query(m_OutNames, m_FailingOutQueries, in_id, out_name);
}

MMRESULT ScriptedPortService::OpenInput(MidiHandle, unsigned in_id, const InputQueue&) {
    if (in_id >= InGetNumDevs()) {
        return MMSYSERR_BADDEVICEID;
    }
    if (m_FailingInOpens.count(in_id) != 0) {
        return MMSYSERR_ALLOCATED;
    }
    m_OpenedIn.push_back(in_id);
    ++m_Open;
    return MMSYSERR_NOERROR;
}

MMRESULT ScriptedPortService::OpenOutput(MidiHandle, unsigned in_id) {
    if (in_id >= OutGetNumDevs()) {
        return MMSYSERR_BADDEVICEID;
    }
    if (m_FailingOutOpens.count(in_id) != 0) {
        return MMSYSERR_ALLOCATED;
    }
    m_OpenedOut.push_back(in_id);
    ++m_Open;
    return MMSYSERR_NOERROR;
}
