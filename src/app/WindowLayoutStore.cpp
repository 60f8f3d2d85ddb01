#include "app/WindowLayoutStore.h"

#include <QSettings>

namespace {
const char* const kKey = "WindowLayout";
}  // namespace

QByteArray QtWindowLayoutStore::Load() {
    QSettings settings(QStringLiteral("Velmora"), QStringLiteral("Version 1.0"));
    return settings.value(QLatin1String(kKey)).toByteArray();
}

void QtWindowLayoutStore::Save(const QByteArray& in_state) {
    QSettings settings(QStringLiteral("Velmora"), QStringLiteral("Version 1.0"));
    settings.setValue(QLatin1String(kKey), in_state);
}
