#include "app/WebPages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "platform/Prompter.h"
#include "platform/Shell.h"

namespace webpages {
namespace {

QString PageUrl(const QString& in_name) {
    const QDir programDir(QCoreApplication::applicationDirPath());
    QStringList folders;
#ifdef QUORLIN_GUIDE_FROM_BINDIR
    folders << programDir.filePath(QStringLiteral(QUORLIN_GUIDE_FROM_BINDIR));
#endif
    folders << programDir.filePath(QStringLiteral("guide"));
#ifdef QUORLIN_BUILD_GUIDE
    folders << QStringLiteral(QUORLIN_BUILD_GUIDE);
#endif
    for (const QString& folder : folders) {
        const QFileInfo info(QDir(folder).filePath(in_name));
        if (info.isFile()) {
            return QUrl::fromLocalFile(info.canonicalFilePath()).toString();
        }
    }
    return QString();
}

}  // namespace

QString HelpPageUrl() {
    return PageUrl(QStringLiteral("index.html"));
}

QString VersionPageUrl() {
    return PageUrl(QStringLiteral("version.html"));
}

void Open(platform::Shell& in_shell, const QString& in_url) {
    if (in_url.isEmpty()) {
        (void)platform::GetPrompter().Message(
            "The pages of the user guide were not found beside the program; they may not have "
            "been installed.");
        return;
    }
    if (!in_shell.OpenUrl(in_url.toStdString())) {
        (void)platform::GetPrompter().Message(
            QStringLiteral("No web browser could be started to show the page\n%1\n\nOpen it in "
                           "a browser of your choice.")
                .arg(QDir::toNativeSeparators(QUrl(in_url).toLocalFile()))
                .toStdString());
    }
}

}  // namespace webpages
