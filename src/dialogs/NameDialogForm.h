#pragma once

#include <QString>

class QDialog;
class QLineEdit;
class QPushButton;

// The controls the two rename dialogs share: OK, Cancel, the name field and its label,
// in that tab order, OK the default button with the focus.
struct NameDialogControls {
    QLineEdit* nameEdit = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
};

NameDialogControls BuildNameDialogForm(QDialog& in_dialog, const QString& in_title,
                                       const QString& in_label);

// The longest name the rename dialogs accept: the application's setting when there is
// an application object, else the length a clipboard record carries.
int MaxEntryNameLength();
