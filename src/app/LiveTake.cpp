// The instrument's own sound in the program: the status bar's label, the Parameters
// panel's "MKS-80 now" and Take Current Sound.
#include <QLabel>
#include <QMimeData>
#include <algorithm>

#include "app/Librarian.h"
#include "app/LibraryService.h"
#include "app/LiveSound.h"
#include "app/MainFrm.h"
#include "app/Quorlin.h"
#include "app/QuorlinDoc.h"
#include "bank/SysExData.h"
#include "ops/LibraryOps.h"
#include "view/BankClipboard.h"
#include "view/ParametersPanel.h"
#include "view/QuorlinView.h"

namespace {

constexpr const char* kTakeStep = "Take Current Sound";

enum class Part { Patch, UpperTone, LowerTone };

// The sound the instrument plays now, one part of it, for the panel to show; never written.
class CurrentSoundSource : public ParameterSource {
  public:
    using Switch = std::function<void(Part)>;
    CurrentSoundSource(const mks80::SoundTracker& in_tracker, Part in_part, Switch in_switch)
        : m_Tracker(in_tracker), m_Part(in_part), m_Switch(std::move(in_switch)) {}

    mks80::Kind GetKind() const override {
        return m_Part == Part::Patch ? mks80::Kind::Patch : mks80::Kind::Tone;
    }
    std::vector<int8_t> GetBytes() const override {
        if (!m_Tracker.IsKnown()) {
            return {};
        }
        const mks80::CurrentSound& sound = m_Tracker.Sound();
        switch (m_Part) {
            case Part::Patch:
                return {sound.patch.begin(), sound.patch.end()};
            case Part::UpperTone:
                return {sound.upperTone.begin(), sound.upperTone.end()};
            case Part::LowerTone:
                break;
        }
        return {sound.lowerTone.begin(), sound.lowerTone.end()};
    }
    QString GetTitle() const override {
        const QString what = m_Part == Part::Patch       ? QStringLiteral("patch")
                             : m_Part == Part::UpperTone ? QStringLiteral("upper tone")
                                                         : QStringLiteral("lower tone");
        return QStringLiteral("MKS-80 now, %1 (read-only)").arg(what);
    }
    QString EmptyText() const override {
        return QStringLiteral(
            "The MKS-80 has announced no sound yet. Choose a patch on it (in its "
            "MIDI function III) and its sound shows here.");
    }
    void Write(const mks80::Parameter&, mks80::Half, int, int) override {}
    bool IsReadOnly() const override { return true; }
    QString ToneName(int in_index) const override {
        if (!m_Tracker.IsKnown()) {
            return QString();
        }
        const int8_t* patch = m_Tracker.Sound().patch.data();
        if (in_index == patch[mks80::PATCH_UPPER_TONE_BYTE]) {
            return QStringLiteral("(upper tone now)");
        }
        return in_index == patch[mks80::PATCH_LOWER_TONE_BYTE] ? QStringLiteral("(lower tone now)")
                                                               : QString();
    }
    bool CanSelectTone() const override { return m_Part == Part::Patch; }
    // The button beside a half's tone shows what that half's buffer holds.
    void SelectTone(int in_index) override {
        const int8_t* patch = m_Tracker.Sound().patch.data();
        m_Switch(in_index == patch[mks80::PATCH_UPPER_TONE_BYTE] ? Part::UpperTone
                                                                 : Part::LowerTone);
    }

  private:
    const mks80::SoundTracker& m_Tracker;
    Part m_Part;
    Switch m_Switch;
};

std::unique_ptr<ParameterSource> MakeNowSource(const mks80::SoundTracker& in_tracker,
                                               CParametersPanel* in_panel, Part in_part) {
    QPointer<CParametersPanel> panel(in_panel);
    return std::make_unique<CurrentSoundSource>(
        in_tracker, in_part, [&in_tracker, panel](Part in_next) {
            if (panel) {
                panel->SetSource(MakeNowSource(in_tracker, panel, in_next));
            }
        });
}

// A tone of in_bank with exactly these bytes, or -1.
int SameTone(const CSysExData& in_bank, const std::array<int8_t, mks80::TONE_BYTES>& in_bytes) {
    for (int i = 0; i < BANK_SIZE; ++i) {
        const int8_t* tone = in_bank.GetTone(i)->GetData();
        if (std::equal(in_bytes.begin(), in_bytes.end(), tone)) {
            return i;
        }
    }
    return -1;
}

}  // namespace

void CLiveSound::ShowTracked() {
    m_ptrStatusLabel->setText(QString::fromStdString(m_Tracker.StatusText()));
    if (m_ShowingNow) {
        m_Frame.GetParametersPanel()->Refresh();
    }
    m_Frame.UpdateCommandUI();
}

void CLiveSound::ShowMks80Now(bool in_show) {
    m_ShowingNow = in_show;
    CParametersPanel* panel = m_Frame.GetParametersPanel();
    if (in_show) {
        panel->SetSource(MakeNowSource(m_Tracker, panel, Part::Patch));
        panel->Open();
    } else {
        panel->FollowView(m_Frame.ActiveView());
    }
    m_Frame.UpdateCommandUI();
}

bool CLiveSound::CanTake() const {
    const CQuorlinView* view = m_Frame.ActiveView();
    const CQuorlinDoc* doc = DocumentOf(view);
    return m_Tracker.IsKnown() && doc && !doc->IsReceiving() && !m_App.IsMidiBusy() &&
           view->GetSelectedColumn() == 0 && view->GetSelectedRow() >= 0 &&
           view->GetSelectedRow() < BANK_SIZE;
}

void CLiveSound::OnTakeCurrentSound() {
    if (!CanTake()) {
        return;
    }
    CQuorlinView* view = m_Frame.ActiveView();
    CQuorlinDoc* doc = DocumentOf(view);
    const int row = view->GetSelectedRow();
    const mks80::CurrentSound sound = m_Tracker.Sound();

    // The sound as a patch with its two tones, in a bank of its own, so that it goes in
    // as a pasted patch does: the user says where its tones go.
    CNullBankView nowhere;
    CSysExData held(&nowhere);
    std::array<int8_t, mks80::PATCH_BYTES> patch = sound.patch;
    const int upper = std::clamp(static_cast<int>(patch[mks80::PATCH_UPPER_TONE_BYTE]), 0, 63);
    int lower = std::clamp(static_cast<int>(patch[mks80::PATCH_LOWER_TONE_BYTE]), 0, 63);
    // Two different tones under one number (the instrument's buffers were edited): the
    // lower one needs a place of its own in the held bank.
    if (lower == upper && sound.lowerTone != sound.upperTone) {
        lower = (upper + 1) % BANK_SIZE;
    }
    patch[mks80::PATCH_UPPER_TONE_BYTE] = static_cast<int8_t>(upper);
    patch[mks80::PATCH_LOWER_TONE_BYTE] = static_cast<int8_t>(lower);
    // A pasted patch that plays its upper tone alone brings only that tone, but the
    // instrument's patch names both and both are taken: the record says dual, and the
    // key mode is put back below.
    const int8_t keyMode = patch[mks80::PATCH_KEY_MODE_BYTE];
    if (keyMode == mks80::KEY_MODE_WHOLE) {
        patch[mks80::PATCH_KEY_MODE_BYTE] = 0;
    }
    held.GetPatch(row)->SetData(patch.data());
    held.GetTone(upper)->SetData(sound.upperTone.data());
    held.GetTone(lower)->SetData(sound.lowerTone.data());
    const std::unique_ptr<QMimeData> record = CreateBankMimeData(held, row, 0);

    // Each tone is offered first where the bank holds the same bytes already.
    const ToneChooser dialog = DialogToneChooser(&m_Frame);
    int asked = 0;
    const ToneChooser chooser = [&](int in_proposed, CSysExData& in_bank) {
        const int same = SameTone(in_bank, asked++ == 0 ? sound.upperTone : sound.lowerTone);
        return dialog(same >= 0 ? same : in_proposed, in_bank);
    };
    std::optional<BankEntries> entries =
        PastedEntries(record.get(), *doc->GetSysExData(), row, 0, chooser);
    if (!entries || !DocumentOf(m_Frame.ActiveView())) {
        return;
    }
    for (BankEntry& entry : *entries) {
        if (!entry.tone) {
            entry.data[mks80::PATCH_KEY_MODE_BYTE] = keyMode;
        }
    }
    // An entry that holds these bytes already keeps its name.
    for (BankEntry& entry : *entries) {
        const BankEntry present = ReadEntry(*doc->GetSysExData(), entry.tone, entry.index);
        if (present.data == entry.data && !IsPlaceholderName(present.name)) {
            entry.name = present.name;
        }
    }
    // What the library knows by these bytes gets its name.
    CLibrarian* librarian = m_App.GetLibrarian();
    CLibraryService* service = librarian ? librarian->GetService() : nullptr;
    if (const std::shared_ptr<const CLibraryIndex> index =
            service ? service->GetIndex() : nullptr) {
        CSysExData named(&nowhere);
        WriteEntries(named, *entries);
        const ops::LibraryNamingResult naming = ops::NameFromLibrary(named, *index);
        for (BankEntry& entry : *entries) {
            for (const BankEntry& found : naming.entries) {
                if (found.tone == entry.tone && found.index == entry.index) {
                    entry.name = found.name;
                }
            }
        }
    }
    (void)doc->ReplaceEntries(QString::fromLatin1(kTakeStep), *entries);
}
