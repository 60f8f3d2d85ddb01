#pragma once

#include <QDialog>

class CBankView;
class CSysExData;
class QLineEdit;
class QPushButton;

// "Edit Tone": renames one tone of a bank and has its view repaint the row.
class CDialogEditTone : public QDialog {
    Q_OBJECT

  public:
    // in_ptrView and in_SysExData are not owned and must outlive the dialog.
    CDialogEditTone(CBankView* in_ptrView, CSysExData* in_SysExData, int in_Index,
                    QWidget* in_parent = nullptr);

    QLineEdit* m_NameEdit = nullptr;
    QPushButton* m_OkButton = nullptr;
    QPushButton* m_CancelButton = nullptr;

  private:
    void OnInitDialog();
    void OnOK();

    CBankView* m_ptrView;
    CSysExData* m_ptrSysExData;
    int m_Index;
};
