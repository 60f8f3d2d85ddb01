#include "platform/qt/QtPrompter.h"

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>

namespace platform {

namespace {
// The window a box belongs over: the active one, or, while none is active yet (the
// start-up messages come right after the main window is shown, before the window
// system has activated it), the program's visible main window.
QWidget* OwnerWindow() {
    if (QWidget* active = QApplication::activeWindow()) {
        return active;
    }
    for (QWidget* each : QApplication::topLevelWidgets()) {
        if (each->isVisible() && qobject_cast<QMainWindow*>(each)) {
            return each;
        }
    }
    return nullptr;
}
}  // namespace

PromptAnswer QtPrompter::Message(const std::string& text, PromptButtons buttons) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Quorlin"), QString::fromStdString(text),
                    buttons == PromptButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                       : QMessageBox::Ok,
                    OwnerWindow());
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? PromptAnswer::Ok : PromptAnswer::Cancel;
}

void QtPrompter::Beep() {
    QApplication::beep();
}

}  // namespace platform
