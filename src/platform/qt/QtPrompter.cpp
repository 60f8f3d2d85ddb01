#include "platform/qt/QtPrompter.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {

PromptAnswer QtPrompter::Message(const std::string& text, PromptButtons buttons) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Quorlin"), QString::fromStdString(text),
                    buttons == PromptButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                       : QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? PromptAnswer::Ok : PromptAnswer::Cancel;
}

void QtPrompter::Beep() {
    QApplication::beep();
}

}  // namespace platform
