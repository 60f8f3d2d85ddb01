#include "app/WebPages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace webpages {

QString HelpPageUrl() {
    const QDir programDir(QCoreApplication::applicationDirPath());
    QStringList candidates;
#ifdef QUORLIN_GUIDE_FROM_BINDIR
    candidates << programDir.filePath(QStringLiteral(QUORLIN_GUIDE_FROM_BINDIR));
#endif
    candidates << programDir.filePath(QStringLiteral("guide/index.html"));
#ifdef QUORLIN_SOURCE_GUIDE
    candidates << QStringLiteral(QUORLIN_SOURCE_GUIDE);
#endif
    for (const QString& candidate : candidates) {
        const QFileInfo info(candidate);
        if (info.isFile()) {
            return QUrl::fromLocalFile(info.canonicalFilePath()).toString();
        }
    }
    return QString();
}

}  // namespace webpages
