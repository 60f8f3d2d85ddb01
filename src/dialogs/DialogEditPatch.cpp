#include "dialogs/DialogEditPatch.h"

#include <QLineEdit>
#include <QPushButton>
#include <cassert>

#include "bank/SysExData.h"
#include "dialogs/EntryNameText.h"
#include "dialogs/NameDialogForm.h"
#include "platform/Prompter.h"

CDialogEditPatch::CDialogEditPatch(CBankView* in_ptrView, CSysExData* in_SysExData, int in_Index,
                                   QWidget* in_parent)
    : QDialog(in_parent), m_ptrView(in_ptrView), m_Index(in_Index), m_ptrSysExData(in_SysExData) {
    assert(in_ptrView && "in_ptrView");
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
    const CPatchData* patch = m_ptrSysExData->GetPatch(m_Index);
    if (patch) {
        m_NameEdit->setText(EntryNameToText(patch->GetName()));
    }
}

void CDialogEditPatch::OnOK() {
    const std::string name = EntryNameFromText(m_NameEdit->text());
    const int maxLength = MaxEntryNameLength();
    if (name.size() > static_cast<size_t>(maxLength)) {
        platform::GetPrompter().Message(
            "The patch name you entered is larger than the \n" + std::to_string(maxLength) +
            " character maximum size allowed.\n\nPlease enter a correct patch name.");
        return;
    }
    if (name.empty()) {
        platform::GetPrompter().Message("You must enter a patch name or press cancel.");
        return;
    }
    CPatchData* patch = m_ptrSysExData->GetPatch(m_Index);
    if (!patch) {
        // The bank has reported the bad index; there is no entry to rename.
        reject();
        return;
    }
    patch->SetName(name);
    m_ptrView->RefreshRow(m_Index);
    accept();
}
