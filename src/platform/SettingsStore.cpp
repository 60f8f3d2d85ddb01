#include "platform/SettingsStore.h"

namespace platform {

bool MemorySettingsStore::Open() {
    ++m_OpenCount;
    return !m_FailOpen;
}

std::optional<uint32_t> MemorySettingsStore::Read(const std::string& name) {
    auto found = m_Values.find(name);
    if (found == m_Values.end()) {
        return std::nullopt;
    }
    return found->second;
}

bool MemorySettingsStore::Write(const std::string& name, uint32_t value) {
    m_Values[name] = value;
    ++m_WriteCounts[name];
    return true;
}

}  // namespace platform
