#pragma once

#include <QString>
#include <optional>
#include <string>

class QDialog;
class QLineEdit;
class QPushButton;

// The controls the two rename dialogs share: OK, Cancel, the name field and its label,
// in that tab order, OK the default button.
struct NameDialogControls {
    QLineEdit* nameEdit = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
};

NameDialogControls BuildNameDialogForm(QDialog& in_dialog, const QString& in_title,
                                       const QString& in_label);

// Puts the current name in the field, selected and with the keyboard focus, so that
// typing replaces it at once.
void ShowNameForTyping(QLineEdit* in_edit, const QString& in_name);

// The name typed, as the bank stores it; nothing after telling the user why it cannot
// be taken (too long, or empty). in_kind is "patch" or "tone".
std::optional<std::string> CheckEnteredName(const QString& in_text, const char* in_kind);

// The longest name the rename dialogs accept: the application's setting when there is
// an application object, else the length a clipboard record carries.
int MaxEntryNameLength();
