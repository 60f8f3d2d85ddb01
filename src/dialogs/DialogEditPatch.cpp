#include "dialogs/DialogEditPatch.h"

#include <QLineEdit>
#include <QPushButton>
#include <cassert>

#include "bank/SysExData.h"
#include "dialogs/EntryNameText.h"
#include "dialogs/NameDialogForm.h"

CDialogEditPatch::CDialogEditPatch(const CSysExData* in_SysExData, int in_Index, QWidget* in_parent)
    : QDialog(in_parent), m_ptrSysExData(in_SysExData), m_Index(in_Index) {
    assert(in_SysExData && "in_SysExData");
    const NameDialogControls controls =
        BuildNameDialogForm(*this, QStringLiteral("Edit Patch"), QStringLiteral("Patch Name"));
    m_NameEdit = controls.nameEdit;
    m_OkButton = controls.okButton;
    m_CancelButton = controls.cancelButton;
    connect(m_OkButton, &QPushButton::clicked, this, &CDialogEditPatch::OnOK);
    OnInitDialog();
}

void CDialogEditPatch::OnInitDialog() {
    if (const CPatchData* patch = m_ptrSysExData->GetPatch(m_Index)) {
        ShowNameForTyping(m_NameEdit, EntryNameToText(patch->GetName()));
    }
}

void CDialogEditPatch::OnOK() {
    const std::optional<std::string> name = CheckEnteredName(m_NameEdit->text(), "patch");
    if (!name) {
        return;
    }
    if (!m_ptrSysExData->GetPatch(m_Index)) {
        // The bank has reported the bad index; there is no entry to rename.
        reject();
        return;
    }
    m_Name = *name;
    accept();
}
