#pragma once

#include "dialogs/DialogEditName.h"

// "Edit Patch": a new name for one patch of a bank.
class CDialogEditPatch : public CDialogEditName {
    Q_OBJECT

  public:
    // The dialog's template.
    static constexpr int IDD = 132;

    // in_SysExData is not owned and must outlive the dialog.
    CDialogEditPatch(const CSysExData* in_SysExData, int in_Index, QWidget* in_parent = nullptr);
};
