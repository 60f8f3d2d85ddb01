#include "dialogs/DialogEditTone.h"

#include <QLineEdit>
#include <QPushButton>
#include <cassert>

#include "bank/SysExData.h"
#include "dialogs/EntryNameText.h"
#include "dialogs/NameDialogForm.h"
#include "platform/Prompter.h"

CDialogEditTone::CDialogEditTone(CBankView* in_ptrView, CSysExData* in_SysExData, int in_Index,
                                 QWidget* in_parent)
    : QDialog(in_parent), m_ptrView(in_ptrView), m_ptrSysExData(in_SysExData), m_Index(in_Index) {
    assert(in_ptrView && "in_ptrView");
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
    const CToneData* tone = m_ptrSysExData->GetTone(m_Index);
    if (tone) {
        m_NameEdit->setText(EntryNameToText(tone->GetName()));
    }
}

void CDialogEditTone::OnOK() {
    const std::string name = EntryNameFromText(m_NameEdit->text());
    const int maxLength = MaxEntryNameLength();
    if (name.size() > static_cast<size_t>(maxLength)) {
        platform::GetPrompter().Message(
            "The tone name you entered is larger than the \n" + std::to_string(maxLength) +
            " character maximum size allowed.\n\nPlease enter a correct tone name.");
        return;
    }
    if (name.empty()) {
        platform::GetPrompter().Message("You must enter a tone name or press cancel.");
        return;
    }
    CToneData* tone = m_ptrSysExData->GetTone(m_Index);
    if (!tone) {
        // The bank has reported the bad index; there is no entry to rename.
        reject();
        return;
    }
    tone->SetName(name);
    m_ptrView->RefreshRow(m_Index);
    accept();
}
