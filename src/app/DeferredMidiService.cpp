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
