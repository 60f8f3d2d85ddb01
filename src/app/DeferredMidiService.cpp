#include "app/DeferredMidiService.h"

DeferredMidiService::DeferredMidiService(Factory in_factory) : m_Factory(std::move(in_factory)) {}

DeferredMidiService::~DeferredMidiService() = default;

MidiService& DeferredMidiService::Get() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_ptrService) {
        m_ptrService = m_Factory();
    }
    return *m_ptrService;
}

bool DeferredMidiService::IsBuilt() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_ptrService != nullptr;
}

void DeferredMidiService::StartNewApis() {
    Get().StartNewApis();
}
unsigned DeferredMidiService::InGetNumDevs() {
    return Get().InGetNumDevs();
}
unsigned DeferredMidiService::OutGetNumDevs() {
    return Get().OutGetNumDevs();
}
MMRESULT DeferredMidiService::InGetDevCaps(unsigned in_id, std::string& out_name) {
    return Get().InGetDevCaps(in_id, out_name);
}
MMRESULT DeferredMidiService::OutGetDevCaps(unsigned in_id, std::string& out_name) {
    return Get().OutGetDevCaps(in_id, out_name);
}
MMRESULT DeferredMidiService::InOpen(MidiHandle& out_handle, unsigned in_id,
                                     MidiInCallback in_callback) {
    return Get().InOpen(out_handle, in_id, std::move(in_callback));
}
MMRESULT DeferredMidiService::InStart(MidiHandle in_handle) {
    return Get().InStart(in_handle);
}
MMRESULT DeferredMidiService::InPrepareHeader(MidiHandle in_handle, MidiHdr& in_header) {
    return Get().InPrepareHeader(in_handle, in_header);
}
MMRESULT DeferredMidiService::InAddBuffer(MidiHandle in_handle, MidiHdr& in_header) {
    return Get().InAddBuffer(in_handle, in_header);
}
MMRESULT DeferredMidiService::InUnprepareHeader(MidiHandle in_handle, MidiHdr& in_header) {
    return Get().InUnprepareHeader(in_handle, in_header);
}
MMRESULT DeferredMidiService::InClose(MidiHandle in_handle) {
    return Get().InClose(in_handle);
}
MMRESULT DeferredMidiService::OutOpen(MidiHandle& out_handle, unsigned in_id) {
    return Get().OutOpen(out_handle, in_id);
}
MMRESULT DeferredMidiService::OutPrepareHeader(MidiHandle in_handle, MidiHdr& in_header) {
    return Get().OutPrepareHeader(in_handle, in_header);
}
MMRESULT DeferredMidiService::OutUnprepareHeader(MidiHandle in_handle, MidiHdr& in_header) {
    return Get().OutUnprepareHeader(in_handle, in_header);
}
MMRESULT DeferredMidiService::OutLongMsg(MidiHandle in_handle, MidiHdr& in_header) {
    return Get().OutLongMsg(in_handle, in_header);
}
MMRESULT DeferredMidiService::OutClose(MidiHandle in_handle) {
    return Get().OutClose(in_handle);
}
