#include "platform/qt/QtSettingsStore.h"

#include <QSettings>
#include <limits>

namespace platform {

QtSettingsStore::QtSettingsStore() = default;

QtSettingsStore::QtSettingsStore(const QString& in_iniPath) : m_IniPath(in_iniPath) {}

QtSettingsStore::~QtSettingsStore() = default;

bool QtSettingsStore::Open() {
    if (!m_Settings) {
        m_Settings = m_IniPath.isEmpty()
                         ? std::make_unique<QSettings>(QStringLiteral("Velmora"),
                                                       QStringLiteral("Version 1.0"))
                         : std::make_unique<QSettings>(m_IniPath, QSettings::IniFormat);
    } else {
        m_Settings->sync();
    }
    return m_Settings->status() != QSettings::AccessError && m_Settings->isWritable();
}

std::optional<uint32_t> QtSettingsStore::Read(const std::string& name) {
    if (!m_Settings) {
        return std::nullopt;
    }
    const QString key = QString::fromStdString(name);
    if (!m_Settings->contains(key)) {
        return std::nullopt;
    }
    bool ok = false;
    // A DWORD comes back as a number, an INI value as text; anything that is not a
    // whole number in the 32-bit range counts as missing.
    const qlonglong value = m_Settings->value(key).toLongLong(&ok);
    if (!ok || value < std::numeric_limits<int32_t>::min() ||
        value > static_cast<qlonglong>(std::numeric_limits<uint32_t>::max())) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

bool QtSettingsStore::Write(const std::string& name, uint32_t value) {
    if (!m_Settings) {
        return false;
    }
    // An unsigned int is what QSettings keeps as a DWORD in the registry.
    m_Settings->setValue(QString::fromStdString(name), static_cast<uint>(value));
    m_Settings->sync();
    return m_Settings->status() == QSettings::NoError;
}

}  // namespace platform
