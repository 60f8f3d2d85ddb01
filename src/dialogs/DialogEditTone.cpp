#include "dialogs/DialogEditTone.h"

CDialogEditTone::CDialogEditTone(const CSysExData* in_SysExData, int in_Index, QWidget* in_parent)
    : CDialogEditName(true, in_SysExData, in_Index, in_parent) {}
