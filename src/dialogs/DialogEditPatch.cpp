#include "dialogs/DialogEditPatch.h"

CDialogEditPatch::CDialogEditPatch(const CSysExData* in_SysExData, int in_Index, QWidget* in_parent)
    : CDialogEditName(false, in_SysExData, in_Index, in_parent) {}
