#include "dialogs/NameDialogForm.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "bank/SysExData.h"
#include "dialogs/DialogHost.h"
#include "dialogs/DialogLayout.h"
#include "dialogs/EntryNameText.h"
#include "platform/Prompter.h"

NameDialogControls BuildNameDialogForm(QDialog& in_dialog, const QString& in_title,
                                       const QString& in_label) {
    in_dialog.setWindowTitle(in_title);
    in_dialog.setModal(true);

    NameDialogControls controls;
    controls.okButton = new QPushButton(QStringLiteral("OK"), &in_dialog);
    controls.cancelButton = new QPushButton(QStringLiteral("Cancel"), &in_dialog);
    controls.nameEdit = new QLineEdit(&in_dialog);
    auto* label = new QLabel(in_label, &in_dialog);

    const CDialogLayout layout(in_dialog);
    layout.Place(label, 10, 10, 55, 8);
    layout.Place(controls.nameEdit, 10, 20, 70, 10);
    layout.Place(controls.okButton, 95, 10, 50, 14);
    layout.Place(controls.cancelButton, 95, 27, 50, 14);
    layout.Finish(154, 50);

    controls.okButton->setDefault(true);
    QWidget::setTabOrder(controls.okButton, controls.cancelButton);
    QWidget::setTabOrder(controls.cancelButton, controls.nameEdit);

    QObject::connect(controls.cancelButton, &QPushButton::clicked, &in_dialog, &QDialog::reject);
    return controls;
}

void ShowNameForTyping(QLineEdit* in_edit, const QString& in_name) {
    in_edit->setText(in_name);
    in_edit->selectAll();
    in_edit->setFocus();
}

std::optional<std::string> CheckEnteredName(const QString& in_text, const char* in_kind) {
    const std::string name = EntryNameFromText(in_text);
    const int maxLength = MaxEntryNameLength();
    const std::string kind(in_kind);
    if (name.size() > static_cast<size_t>(maxLength)) {
        platform::GetPrompter().Message("The " + kind + " name you entered is larger than the \n" +
                                        std::to_string(maxLength) +
                                        " character maximum size allowed.\n\nPlease enter a "
                                        "correct " +
                                        kind + " name.");
        return std::nullopt;
    }
    if (name.empty()) {
        platform::GetPrompter().Message("You must enter a " + kind + " name or press cancel.");
        return std::nullopt;
    }
    return name;
}

int MaxEntryNameLength() {
    const DialogHost* host = GetDialogHost();
    return host ? host->GetMaxNameLength() : CLIPBOARD_MAX_NAME;
}
