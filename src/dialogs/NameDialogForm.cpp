#include "dialogs/NameDialogForm.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/Quorlin.h"
#include "bank/SysExData.h"
#include "dialogs/DialogLayout.h"

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
    controls.okButton->setFocus();

    QObject::connect(controls.cancelButton, &QPushButton::clicked, &in_dialog, &QDialog::reject);
    return controls;
}

int MaxEntryNameLength() {
    const CQuorlinApp* app = QuorlinApp();
    return app ? app->m_MaxNameLength : CLIPBOARD_MAX_NAME;
}
