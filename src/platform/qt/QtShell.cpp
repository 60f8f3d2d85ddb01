#include "platform/qt/QtShell.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace platform {

bool QtShell::OpenUrl(const std::string& url) {
    // False when the desktop's opener (xdg-open on Linux) cannot be started at all.
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

}  // namespace platform
