#include "platform/qt/QtShell.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace platform {

void QtShell::OpenUrl(const std::string& url) {
    // Failures are not reported: the browser is the desktop's business.
    (void)QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

}  // namespace platform
