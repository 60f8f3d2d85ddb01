#include "view/BankEntrySource.h"

#include "bank/SysExData.h"
#include "dialogs/EntryNameText.h"
#include "view/BankDocument.h"
#include "view/QuorlinView.h"

CBankEntrySource::CBankEntrySource(CQuorlinView& in_view, mks80::Kind in_kind, int in_index)
    : m_ptrView(&in_view), m_Kind(in_kind), m_Index(in_index) {}

std::vector<int8_t> CBankEntrySource::GetBytes() const {
    if (!m_ptrView) {
        return {};
    }
    const CSysExData& bank = *m_ptrView->GetSysExData();
    if (m_Kind == mks80::Kind::Tone) {
        const int8_t* bytes = bank.GetTone(m_Index)->GetData();
        return std::vector<int8_t>(bytes, bytes + TONE_PARAM_COUNT);
    }
    const int8_t* bytes = bank.GetPatch(m_Index)->GetData();
    return std::vector<int8_t>(bytes, bytes + PATCH_PARAM_COUNT);
}

QString CBankEntrySource::GetTitle() const {
    if (!m_ptrView) {
        return QString();
    }
    const CSysExData& bank = *m_ptrView->GetSysExData();
    const bool tone = m_Kind == mks80::Kind::Tone;
    return QStringLiteral("%1 %2 %3")
        .arg(tone ? QStringLiteral("Tone") : QStringLiteral("Patch"),
             QString::fromStdString(EntryNumber(m_Index)),
             EntryNameToText(tone ? bank.GetTone(m_Index)->GetName()
                                  : bank.GetPatch(m_Index)->GetName()));
}

void CBankEntrySource::Write(const mks80::Parameter& in_param, mks80::Half in_half, int in_stored,
                             int in_gesture) {
    if (m_ptrView) {
        (void)m_ptrView->GetDocument()->SetParameter({m_Kind, m_Index, in_half, in_param.number},
                                                     in_stored, in_gesture);
    }
}

QString CBankEntrySource::ToneName(int in_index) const {
    if (!m_ptrView || in_index < 0 || in_index >= BANK_SIZE) {
        return QString();
    }
    return EntryNameToText(m_ptrView->GetSysExData()->GetTone(in_index)->GetName());
}

void CBankEntrySource::SelectTone(int in_index) {
    if (m_ptrView && in_index >= 0 && in_index < BANK_SIZE) {
        m_ptrView->SelectCell(in_index, 1);
    }
}
