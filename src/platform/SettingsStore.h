#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace platform {

// A key of named 32-bit values, like the registry key the settings live in.
// Opening (or creating) the key can fail; a value can be missing.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // Opens the key, creating it when missing. False when that fails.
    [[nodiscard]] virtual bool Open() = 0;
    // The value, or nothing when it is missing or not a 32-bit value.
    virtual std::optional<uint32_t> Read(const std::string& name) = 0;
    virtual bool Write(const std::string& name, uint32_t value) = 0;
};

// In memory, for tests and the command-line tool; can be told to fail.
class MemorySettingsStore : public SettingsStore {
  public:
    bool Open() override;
    std::optional<uint32_t> Read(const std::string& name) override;
    bool Write(const std::string& name, uint32_t value) override;

    bool m_FailOpen = false;
    int m_OpenCount = 0;
    std::map<std::string, uint32_t> m_Values;
    // How often each value was written.
    std::map<std::string, int> m_WriteCounts;
};

}  // namespace platform
