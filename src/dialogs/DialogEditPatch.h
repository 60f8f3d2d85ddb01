#pragma once

#include <QDialog>
#include <string>

class CSysExData;
class QLineEdit;
class QPushButton;

// "Edit Patch": asks for a new name for one patch of a bank. The dialog only returns
// the name (m_Name once accepted); the document carries out the rename.
class CDialogEditPatch : public QDialog {
    Q_OBJECT

  public:
    // in_SysExData is not owned and must outlive the dialog.
    CDialogEditPatch(const CSysExData* in_SysExData, int in_Index, QWidget* in_parent = nullptr);

    QLineEdit* m_NameEdit = nullptr;
    QPushButton* m_OkButton = nullptr;
    QPushButton* m_CancelButton = nullptr;
    // The name the user entered, valid once the dialog was accepted.
    std::string m_Name;

  private:
    void OnInitDialog();
    void OnOK();

    const CSysExData* m_ptrSysExData;
    int m_Index;
};
