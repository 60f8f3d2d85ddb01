#include "midi/CombinedMidiService.h"

#include <utility>

CombinedMidiService::CombinedMidiService(std::vector<MidiService*> in_parts)
    : m_PartsMade(true), m_Parts(std::move(in_parts)) {}

CombinedMidiService::CombinedMidiService(PartsMaker in_make) : m_MakeParts(std::move(in_make)) {}

CombinedMidiService::~CombinedMidiService() = default;

const std::vector<MidiService*>& CombinedMidiService::Parts() {
    if (m_MakeParts) {
        std::call_once(m_MakeOnce, [this]() {
            m_OwnParts = m_MakeParts();
            for (const auto& part : m_OwnParts) {
                m_Parts.push_back(part.get());
            }
            m_PartsMade = true;
        });
    }
    return m_Parts;
}

void CombinedMidiService::StartNewApis() {
    for (MidiService* part : Parts()) {
        part->StartNewApis();
    }
}

unsigned CombinedMidiService::InGetNumDevs() {
    unsigned count = 0;
    for (MidiService* part : Parts()) {
        count += part->InGetNumDevs();
    }
    return count;
}

unsigned CombinedMidiService::OutGetNumDevs() {
    unsigned count = 0;
    for (MidiService* part : Parts()) {
        count += part->OutGetNumDevs();
    }
    return count;
}

MidiService* CombinedMidiService::FindPart(bool in_input, unsigned in_id, unsigned& out_localId) {
    unsigned first = 0;
    for (MidiService* part : Parts()) {
        const unsigned count = in_input ? part->InGetNumDevs() : part->OutGetNumDevs();
        if (in_id < first + count) {
            out_localId = in_id - first;
            return part;
        }
        first += count;
    }
    return nullptr;
}

bool CombinedMidiService::FindRoute(MidiHandle in_handle, Route& out_route) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    auto found = m_Routes.find(in_handle);
    if (found == m_Routes.end()) {
        return false;
    }
    out_route = found->second;
    return true;
}

MMRESULT CombinedMidiService::InGetDevCaps(unsigned in_id, std::string& out_name) {
    unsigned local = 0;
    MidiService* part = FindPart(true, in_id, local);
    return part ? part->InGetDevCaps(local, out_name) : MMSYSERR_BADDEVICEID;
}

MMRESULT CombinedMidiService::OutGetDevCaps(unsigned in_id, std::string& out_name) {
    unsigned local = 0;
    MidiService* part = FindPart(false, in_id, local);
    return part ? part->OutGetDevCaps(local, out_name) : MMSYSERR_BADDEVICEID;
}

MMRESULT CombinedMidiService::InOpen(MidiHandle& out_handle, unsigned in_id,
                                     MidiInCallback in_callback) {
    unsigned local = 0;
    MidiService* part = FindPart(true, in_id, local);
    if (part == nullptr) {
        return MMSYSERR_BADDEVICEID;
    }
    MidiHandle combined = kNoMidiHandle;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        combined = m_NextHandle++;
    }
    // The part's callback names the part's handle; the link knows only ours.
    MidiInCallback translated = [combined, in_callback](MidiHandle, MidiInEvent in_event,
                                                        MidiHdr* in_header, uint32_t in_param1,
                                                        uint32_t in_param2) {
        in_callback(combined, in_event, in_header, in_param1, in_param2);
    };
    MidiHandle handle = kNoMidiHandle;
    const MMRESULT result = part->InOpen(handle, local, std::move(translated));
    if (result != MMSYSERR_NOERROR) {
        return result;
    }
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Routes[combined] = {part, handle};
    out_handle = combined;
    return MMSYSERR_NOERROR;
}

MMRESULT CombinedMidiService::OutOpen(MidiHandle& out_handle, unsigned in_id) {
    unsigned local = 0;
    MidiService* part = FindPart(false, in_id, local);
    if (part == nullptr) {
        return MMSYSERR_BADDEVICEID;
    }
    MidiHandle handle = kNoMidiHandle;
    const MMRESULT result = part->OutOpen(handle, local);
    if (result != MMSYSERR_NOERROR) {
        return result;
    }
    std::lock_guard<std::mutex> lock(m_Mutex);
    const MidiHandle combined = m_NextHandle++;
    m_Routes[combined] = {part, handle};
    out_handle = combined;
    return MMSYSERR_NOERROR;
}

MMRESULT CombinedMidiService::InStart(MidiHandle in_handle) {
    return Routed(in_handle,
                  [&](MidiService& part, MidiHandle handle) { return part.InStart(handle); });
}

MMRESULT CombinedMidiService::InPrepareHeader(MidiHandle in_handle, MidiHdr& in_header) {
    return Routed(in_handle, [&](MidiService& part, MidiHandle handle) {
        return part.InPrepareHeader(handle, in_header);
    });
}

MMRESULT CombinedMidiService::InAddBuffer(MidiHandle in_handle, MidiHdr& in_header) {
    return Routed(in_handle, [&](MidiService& part, MidiHandle handle) {
        return part.InAddBuffer(handle, in_header);
    });
}

MMRESULT CombinedMidiService::InUnprepareHeader(MidiHandle in_handle, MidiHdr& in_header) {
    return Routed(in_handle, [&](MidiService& part, MidiHandle handle) {
        return part.InUnprepareHeader(handle, in_header);
    });
}

MMRESULT CombinedMidiService::OutPrepareHeader(MidiHandle in_handle, MidiHdr& in_header) {
    return Routed(in_handle, [&](MidiService& part, MidiHandle handle) {
        return part.OutPrepareHeader(handle, in_header);
    });
}

MMRESULT CombinedMidiService::OutUnprepareHeader(MidiHandle in_handle, MidiHdr& in_header) {
    return Routed(in_handle, [&](MidiService& part, MidiHandle handle) {
        return part.OutUnprepareHeader(handle, in_header);
    });
}

MMRESULT CombinedMidiService::OutLongMsg(MidiHandle in_handle, MidiHdr& in_header) {
    return Routed(in_handle, [&](MidiService& part, MidiHandle handle) {
        return part.OutLongMsg(handle, in_header);
    });
}

MMRESULT CombinedMidiService::InClose(MidiHandle in_handle) {
    Route route;
    if (!FindRoute(in_handle, route)) {
        return MMSYSERR_INVALHANDLE;
    }
    const MMRESULT result = route.part->InClose(route.handle);
    if (result == MMSYSERR_NOERROR) {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Routes.erase(in_handle);
    }
    return result;
}

MMRESULT CombinedMidiService::OutClose(MidiHandle in_handle) {
    Route route;
    if (!FindRoute(in_handle, route)) {
        return MMSYSERR_INVALHANDLE;
    }
    const MMRESULT result = route.part->OutClose(route.handle);
    if (result == MMSYSERR_NOERROR) {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Routes.erase(in_handle);
    }
    return result;
}
