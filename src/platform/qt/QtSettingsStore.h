#pragma once

#include <QString>
#include <memory>

#include "platform/SettingsStore.h"

class QSettings;

namespace platform {

// The settings key on QSettings: the registry on Windows (DWORD values), the usual
// settings file elsewhere.
class QtSettingsStore : public SettingsStore {
  public:
    // The program's own key: organization "Velmora", application "Version 1.0".
    QtSettingsStore();
    // A settings file of the INI format at in_path, for tests.
    explicit QtSettingsStore(const QString& in_iniPath);
    ~QtSettingsStore() override;

    bool Open() override;
    std::optional<uint32_t> Read(const std::string& name) override;
    bool Write(const std::string& name, uint32_t value) override;

  private:
    QString m_IniPath;
    std::unique_ptr<QSettings> m_Settings;
};

}  // namespace platform
