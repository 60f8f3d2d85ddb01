#pragma once

#include "dialogs/DialogEditName.h"

// "Edit Tone": a new name for one tone of a bank.
class CDialogEditTone : public CDialogEditName {
    Q_OBJECT

  public:
    // The dialog's template.
    static constexpr int IDD = 133;

    // in_SysExData is not owned and must outlive the dialog.
    CDialogEditTone(const CSysExData* in_SysExData, int in_Index, QWidget* in_parent = nullptr);
};
