#include "dialogs/DialogEditTone.h"

#include <QLineEdit>
#include <QPushButton>
#include <cassert>

#include "bank/SysExData.h"
#include "dialogs/EntryNameText.h"
#include "dialogs/NameDialogForm.h"

CDialogEditTone::CDialogEditTone(const CSysExData* in_SysExData, int in_Index, QWidget* in_parent)
    : QDialog(in_parent), m_ptrSysExData(in_SysExData), m_Index(in_Index) {
    assert(in_SysExData && "in_SysExData");
    const NameDialogControls controls =
        BuildNameDialogForm(*this, QStringLiteral("Edit Tone"), QStringLiteral("Tone Name"));
    m_NameEdit = controls.nameEdit;
    m_OkButton = controls.okButton;
    m_CancelButton = controls.cancelButton;
    connect(m_OkButton, &QPushButton::clicked, this, &CDialogEditTone::OnOK);
    OnInitDialog();
}

void CDialogEditTone::OnInitDialog() {
    if (const CToneData* tone = m_ptrSysExData->GetTone(m_Index)) {
        ShowNameForTyping(m_NameEdit, EntryNameToText(tone->GetName()));
    }
}

void CDialogEditTone::OnOK() {
    const std::optional<std::string> name = CheckEnteredName(m_NameEdit->text(), "tone");
    if (!name) {
        return;
    }
    if (!m_ptrSysExData->GetTone(m_Index)) {
        // The bank has reported the bad index; there is no entry to rename.
        reject();
        return;
    }
    m_Name = *name;
    accept();
}
