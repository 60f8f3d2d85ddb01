#pragma once

#include <string>

#include "dialogs/OkCancelDialog.h"

class CSysExData;
class QLineEdit;

// Asks for a new name for one entry of a bank: "Edit Patch" and "Edit Tone" are this one
// dialog, each for its own kind of entry. The dialog only returns the name (m_Name once
// accepted); the document carries out the rename.
class CDialogEditName : public COkCancelDialog {
    Q_OBJECT

  public:
    QLineEdit* m_NameEdit = nullptr;
    // The name the user entered, valid once the dialog was accepted.
    std::string m_Name;

  protected:
    // in_SysExData is not owned and must outlive the dialog. in_tone: the entry is a tone.
    CDialogEditName(bool in_tone, const CSysExData* in_SysExData, int in_Index, QWidget* in_parent);

  private:
    void OnInitDialog();
    // Takes the name typed when it fits; otherwise says why and stays open.
    void OnOK() override;
    // "patch" or "tone", as the dialog's texts name the entry.
    const char* Noun() const { return m_Tone ? "tone" : "patch"; }

    const CSysExData* m_ptrSysExData;
    int m_Index;
    bool m_Tone;
};

// "Edit Patch": a new name for one patch of a bank.
class CDialogEditPatch : public CDialogEditName {
    Q_OBJECT

  public:
    // The dialog's template.
    static constexpr int IDD = 132;

    // in_SysExData is not owned and must outlive the dialog.
    CDialogEditPatch(const CSysExData* in_SysExData, int in_Index, QWidget* in_parent = nullptr);
};

// "Edit Tone": a new name for one tone of a bank.
class CDialogEditTone : public CDialogEditName {
    Q_OBJECT

  public:
    static constexpr int IDD = 133;

    CDialogEditTone(const CSysExData* in_SysExData, int in_Index, QWidget* in_parent = nullptr);
};
