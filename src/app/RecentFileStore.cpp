#include "app/RecentFileStore.h"

#include <QDir>
#include <QSettings>

QStringList QtRecentFileStore::Load() {
    QSettings settings(QStringLiteral("Local AppWizard-Generated Applications"),
                       QStringLiteral("Quorlin"));
    settings.beginGroup(QStringLiteral("Recent File List"));
    QStringList files;
    for (int i = 1; i <= kMaxFiles; ++i) {
        const QString path = settings.value(QStringLiteral("File%1").arg(i)).toString();
        if (!path.isEmpty()) {
            files.append(path);
        }
    }
    return files;
}

void QtRecentFileStore::Save(const QStringList& in_files) {
    QSettings settings(QStringLiteral("Local AppWizard-Generated Applications"),
                       QStringLiteral("Quorlin"));
    settings.beginGroup(QStringLiteral("Recent File List"));
    for (int i = 1; i <= kMaxFiles; ++i) {
        const QString key = QStringLiteral("File%1").arg(i);
        if (i <= in_files.size()) {
            settings.setValue(key, in_files.at(i - 1));
        } else {
            settings.remove(key);
        }
    }
}

QStringList AddRecentFile(QStringList in_files, const QString& in_path) {
    const QString path = QDir::cleanPath(in_path);
    in_files.removeAll(path);
    in_files.prepend(path);
    while (in_files.size() > RecentFileStore::kMaxFiles) {
        in_files.removeLast();
    }
    return in_files;
}
