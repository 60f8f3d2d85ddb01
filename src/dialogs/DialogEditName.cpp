#include "dialogs/DialogEditName.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cassert>
#include <optional>

#include "bank/SysExData.h"
#include "dialogs/DialogHost.h"
#include "dialogs/DialogLayout.h"
#include "dialogs/EntryNameText.h"
#include "platform/Prompter.h"

namespace {
// The longest name accepted: the application's setting when there is an application
// object, else the length a clipboard record carries.
int MaxNameLength() {
    const DialogHost* host = GetDialogHost();
    return host ? host->GetMaxNameLength() : CLIPBOARD_MAX_NAME;
}

// The entry's name, or nothing when the bank refused the index (it has said so).
std::optional<std::string> EntryName(const CSysExData& in_bank, bool in_tone, int in_index) {
    if (in_tone) {
        const CToneData* tone = in_bank.GetTone(in_index);
        return tone ? std::optional<std::string>(tone->GetName()) : std::nullopt;
    }
    const CPatchData* patch = in_bank.GetPatch(in_index);
    return patch ? std::optional<std::string>(patch->GetName()) : std::nullopt;
}
}  // namespace

CDialogEditName::CDialogEditName(bool in_tone, const CSysExData* in_SysExData, int in_Index,
                                 QWidget* in_parent)
    : COkCancelDialog(in_tone ? QStringLiteral("Edit Tone") : QStringLiteral("Edit Patch"),
                      in_parent),
      m_ptrSysExData(in_SysExData),
      m_Index(in_Index),
      m_Tone(in_tone) {
    assert(in_SysExData && "in_SysExData");
    m_NameEdit = new QLineEdit(this);
    auto* label =
        new QLabel(in_tone ? QStringLiteral("Tone Name") : QStringLiteral("Patch Name"), this);

    const CDialogLayout layout(*this);
    layout.Place(label, 10, 10, 55, 8);
    layout.Place(m_NameEdit, 10, 20, 70, 10);
    PlaceButtons(layout, 95, 10);
    layout.Finish(154, 50);
    SetTabOrder({m_NameEdit});
    OnInitDialog();
}

void CDialogEditName::OnInitDialog() {
    if (const std::optional<std::string> name = EntryName(*m_ptrSysExData, m_Tone, m_Index)) {
        // Selected and with the keyboard focus, so that typing replaces it at once.
        m_NameEdit->setText(EntryNameToText(*name));
        m_NameEdit->selectAll();
        m_NameEdit->setFocus();
    }
}

void CDialogEditName::OnOK() {
    const std::string name = EntryNameFromText(m_NameEdit->text());
    const int maxLength = MaxNameLength();
    const std::string noun = Noun();
    platform::Prompter& prompter = platform::GetPrompter();
    if (name.size() > static_cast<size_t>(maxLength)) {
        (void)prompter.Message(
            "The " + noun + " name you entered is larger than the \n" + std::to_string(maxLength) +
            " character maximum size allowed.\n\nPlease enter a correct " + noun + " name.");
        return;
    }
    if (name.empty()) {
        (void)prompter.Message("You must enter a " + noun + " name or press cancel.");
        return;
    }
    if (!EntryName(*m_ptrSysExData, m_Tone, m_Index)) {
        // The bank has reported the bad index; there is no entry to rename.
        reject();
        return;
    }
    m_Name = name;
    accept();
}

CDialogEditPatch::CDialogEditPatch(const CSysExData* in_SysExData, int in_Index, QWidget* in_parent)
    : CDialogEditName(false, in_SysExData, in_Index, in_parent) {}

CDialogEditTone::CDialogEditTone(const CSysExData* in_SysExData, int in_Index, QWidget* in_parent)
    : CDialogEditName(true, in_SysExData, in_Index, in_parent) {}
