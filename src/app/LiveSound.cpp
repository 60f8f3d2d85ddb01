#include "app/LiveSound.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QStatusBar>
#include <QTableView>
#include <algorithm>

#include "app/Librarian.h"
#include "app/MainFrm.h"
#include "app/Quorlin.h"
#include "app/QuorlinDoc.h"
#include "bank/BankFiles.h"
#include "bank/SysExData.h"
#include "midi/MidiManager.h"
#include "mks80/Messages.h"
#include "ops/LiveOps.h"
#include "platform/Trace.h"
#include "view/LibraryModel.h"
#include "view/LibraryPanel.h"
#include "view/QuorlinView.h"

namespace {

constexpr const char* kAuditionSetting = "Audition";
constexpr int kNoteMs = 1000;
constexpr int kFailureShownMs = 5000;
// The waiting slot of the whole sound; a parameter's slot is its level, group and number.
constexpr uint64_t kWholeSound = 0xFFFFFFu;
// Key mode, split point and balance: the same in both halves of a patch.
constexpr int kSharedPatchParameters = 3;

uint64_t ParameterKey(uint8_t in_level, uint8_t in_group, int in_number) {
    return (uint64_t(in_level) << 16) | (uint64_t(in_group) << 8) | uint64_t(in_number);
}

// The parameters whose message values differ between two sounds of one part.
std::vector<std::pair<int, int>> Changes(const std::vector<uint8_t>& in_before,
                                         const std::vector<uint8_t>& in_after) {
    std::vector<std::pair<int, int>> changes;
    for (size_t i = 0; i < in_after.size() && i < in_before.size(); ++i) {
        if (in_before[i] != in_after[i]) {
            changes.emplace_back(static_cast<int>(i), in_after[i]);
        }
    }
    return changes;
}

QString FailureText(LiveSendResult in_result) {
    switch (in_result) {
        case LiveSendResult::TransferRunning:
            return QStringLiteral("Not heard: a transfer is running");
        case LiveSendResult::NoPort:
            return QStringLiteral("Not heard: the MIDI output port could not be opened");
        case LiveSendResult::Refused:
            return QStringLiteral("Not heard: the MIDI output refused the message");
        case LiveSendResult::Sent:
            break;
    }
    return QString();
}

}  // namespace

CLiveSound::CLiveSound(CQuorlinApp& in_app, CMainFrame& in_frame)
    : QObject(&in_frame), m_App(in_app), m_Frame(in_frame) {
    m_ptrSender = std::make_unique<ops::LiveSender>(
        in_app.GetLoop(),
        [this](const ops::LiveSender::Messages& in_messages) { Send(in_messages); });
    platform::SettingsStore& settings = in_app.GetSettings();
    if (settings.Open()) {
        m_Audition = settings.Read(kAuditionSetting).value_or(1) != 0;
    }
    m_ptrStatusLabel = new QLabel(in_frame.statusBar());
    m_ptrStatusLabel->setObjectName(QStringLiteral("Mks80Now"));
    in_frame.statusBar()->addPermanentWidget(m_ptrStatusLabel);
    ConnectLibraryPanel();
}

CLiveSound::~CLiveSound() {
    m_ptrSender->Drop();
    if (m_NoteTimer != 0) {
        m_App.GetLoop().Cancel(m_NoteTimer);
    }
    if (CMidiManager* link = m_App.HasMidiManager() ? m_App.GetMidiManager() : nullptr) {
        link->SetInputListener(nullptr);
    }
}

uint8_t CLiveSound::Device() const {
    return mks80::DeviceByte(std::clamp(static_cast<int>(m_App.m_MidiChannel), 1, 16));
}

void CLiveSound::SetAudition(bool in_on) {
    m_Audition = in_on;
    platform::SettingsStore& settings = m_App.GetSettings();
    if (settings.Open()) {
        (void)settings.Write(kAuditionSetting, in_on ? 1 : 0);
    }
    if (in_on) {
        m_Played.known = false;
        OnSelectionChanged();
    } else {
        m_ptrSender->Drop();
    }
    m_Frame.UpdateCommandUI();
}

void CLiveSound::FollowView(CQuorlinView* in_view) {
    if (in_view == m_ptrView && in_view) {
        return;
    }
    for (const QMetaObject::Connection& connection : m_ViewConnections) {
        disconnect(connection);
    }
    m_ViewConnections.clear();
    m_ptrView = in_view;
    if (!in_view) {
        return;
    }
    m_ViewConnections.push_back(connect(in_view, &CQuorlinView::SelectionChanged, this,
                                        [this]() { OnSelectionChanged(); }));
    m_ViewConnections.push_back(
        connect(in_view, &CQuorlinView::RowsChanged, this, [this](int, int) { OnRowsChanged(); }));
    // Activating a window plays nothing by itself: only a selection the user makes does.
}

mks80::CurrentSound CLiveSound::SoundOf(const CSysExData& in_bank, EntryKind in_kind,
                                        int in_index) const {
    mks80::CurrentSound sound = m_Played.sound;
    if (in_kind == EntryKind::Tone) {
        const int8_t* tone = in_bank.GetTone(in_index)->GetData();
        std::copy(tone, tone + mks80::TONE_BYTES, sound.upperTone.begin());
        sound.lowerTone = sound.upperTone;
        return sound;
    }
    const int8_t* patch = in_bank.GetPatch(in_index)->GetData();
    std::copy(patch, patch + mks80::PATCH_BYTES, sound.patch.begin());
    const int8_t* upper = in_bank.GetTone(ops::PlayedTone(patch, mks80::Half::Upper))->GetData();
    const int8_t* lower = in_bank.GetTone(ops::PlayedTone(patch, mks80::Half::Lower))->GetData();
    std::copy(upper, upper + mks80::TONE_BYTES, sound.upperTone.begin());
    std::copy(lower, lower + mks80::TONE_BYTES, sound.lowerTone.begin());
    return sound;
}

void CLiveSound::OnSelectionChanged() {
    CQuorlinView* view = m_ptrView;
    const int row = view ? view->GetSelectedRow() : -1;
    if (!m_Audition || !view || row < 0 || row >= BANK_SIZE) {
        return;
    }
    const EntryKind kind = view->GetSelectedColumn() != 0 ? EntryKind::Tone : EntryKind::Patch;
    CQuorlinDoc* doc = DocumentOf(view);
    if (m_Played.known && m_Played.doc == doc && m_Played.kind == kind && m_Played.index == row) {
        OnRowsChanged();  // the same entry: only what changed, if anything
        return;
    }
    Audition(*view->GetSysExData(), doc, kind, row);
}

void CLiveSound::Audition(const CSysExData& in_bank, CQuorlinDoc* in_doc, EntryKind in_kind,
                          int in_index) {
    // What waits belongs to the sound played before.
    m_ptrSender->Drop();
    m_Played.sound = SoundOf(in_bank, in_kind, in_index);
    m_Played.doc = in_doc;
    m_Played.kind = in_kind;
    m_Played.index = in_index;
    m_Played.known = true;
    m_ptrSender->Change(kWholeSound, ops::AuditionMessages(in_bank, in_kind, in_index, Device()));
}

void CLiveSound::PlayEntry(const CSysExData& in_bank, EntryKind in_kind, int in_index) {
    if (m_Audition && in_index >= 0 && in_index < BANK_SIZE) {
        Audition(in_bank, nullptr, in_kind, in_index);
    }
}

void CLiveSound::OnRowsChanged() {
    CQuorlinDoc* doc = m_Played.doc;
    if (!m_Audition || !doc) {
        return;
    }
    const CSysExData& bank = *doc->GetSysExData();
    if (!m_Played.known || m_ptrSender->IsWaiting(kWholeSound)) {
        // Unknown to the instrument, or the whole sound is waiting anyway: all of it, anew.
        Audition(bank, doc, m_Played.kind, m_Played.index);
        return;
    }
    const mks80::CurrentSound now = SoundOf(bank, m_Played.kind, m_Played.index);
    const mks80::CurrentSound& before = m_Played.sound;
    const uint8_t device = Device();
    // The parameters that changed, each with the places that hold it: a shared patch
    // parameter goes with the upper half, a tone to each buffer that holds it.
    struct Change {
        mks80::Kind kind;
        mks80::Half half;
        int number;
        int value;
    };
    std::vector<Change> changes;
    std::vector<std::pair<mks80::Kind, int>> parameters;
    const auto note = [&](mks80::Kind in_kind, mks80::Half in_half,
                          const std::vector<std::pair<int, int>>& in_changes, int in_from) {
        for (const auto& change : in_changes) {
            if (change.first < in_from) {
                continue;
            }
            changes.push_back({in_kind, in_half, change.first, change.second});
            // A patch half's own parameter is not the other half's.
            const int id = in_kind == mks80::Kind::Patch && change.first >= kSharedPatchParameters
                               ? change.first + 100 * static_cast<int>(in_half)
                               : change.first;
            if (std::find(parameters.begin(), parameters.end(), std::make_pair(in_kind, id)) ==
                parameters.end()) {
                parameters.emplace_back(in_kind, id);
            }
        }
    };
    if (m_Played.kind == EntryKind::Patch) {
        for (const mks80::Half half : {mks80::Half::Upper, mks80::Half::Lower}) {
            note(mks80::Kind::Patch, half,
                 Changes(mks80::PatchHalfValues(half, before.patch.data()),
                         mks80::PatchHalfValues(half, now.patch.data())),
                 half == mks80::Half::Upper ? 0 : kSharedPatchParameters);
        }
    }
    note(mks80::Kind::Tone, mks80::Half::Upper,
         Changes(mks80::ToneValues(before.upperTone.data()),
                 mks80::ToneValues(now.upperTone.data())),
         0);
    note(mks80::Kind::Tone, mks80::Half::Lower,
         Changes(mks80::ToneValues(before.lowerTone.data()),
                 mks80::ToneValues(now.lowerTone.data())),
         0);
    if (changes.empty()) {
        return;
    }
    m_Played.sound = now;
    const bool oneParameter =
        parameters.size() == 1 && !(parameters.front().first == mks80::Kind::Patch &&
                                    parameters.front().second % 100 == mks80::PATCH_TONE_PARAMETER);
    if (!oneParameter) {
        // Not one parameter (a paste, a blend, an undo of several, another tone): the
        // whole sound again.
        Audition(bank, doc, m_Played.kind, m_Played.index);
        return;
    }
    for (const Change& change : changes) {
        const uint8_t level =
            change.kind == mks80::Kind::Tone ? mks80::LEVEL_TONE : mks80::LEVEL_PATCH;
        const uint8_t group =
            change.half == mks80::Half::Upper ? mks80::GROUP_UPPER : mks80::GROUP_LOWER;
        m_ptrSender->Change(
            ParameterKey(level, group, change.number),
            {mks80::Ipr(device, change.kind, change.half, {{change.number, change.value}})});
    }
}

void CLiveSound::Send(const ops::LiveSender::Messages& in_messages) {
    if (!m_App.HasMidiManager()) {
        return;
    }
    const LiveSendResult result = ops::SendAll(*m_App.GetMidiManager(), in_messages);
    if (result != LiveSendResult::Sent) {
        // The instrument did not get it: the next change sends the whole sound.
        m_Played.known = false;
    }
    Report(result);
}

void CLiveSound::Report(LiveSendResult in_result) {
    if (in_result == LiveSendResult::Sent) {
        m_LastFailure = -1;
        return;
    }
    if (m_LastFailure == static_cast<int>(in_result)) {
        return;
    }
    m_LastFailure = static_cast<int>(in_result);
    m_Frame.statusBar()->showMessage(FailureText(in_result), kFailureShownMs);
}

void CLiveSound::TransferStarting() {
    m_ptrSender->Drop();
}

void CLiveSound::OnPlayTestNote() {
    if (!m_App.HasMidiManager()) {
        return;
    }
    CMidiManager& link = *m_App.GetMidiManager();
    const int channel = std::clamp(static_cast<int>(m_App.m_MidiChannel), 1, 16);
    const LiveSendResult result = link.SendLiveMessage(ops::TestNoteOn(channel));
    Report(result);
    if (result != LiveSendResult::Sent) {
        return;
    }
    if (m_NoteTimer != 0) {
        m_App.GetLoop().Cancel(m_NoteTimer);
    }
    m_NoteTimer = m_App.GetLoop().RunAfter(kNoteMs, [this, channel]() {
        m_NoteTimer = 0;
        if (m_App.HasMidiManager()) {
            Report(m_App.GetMidiManager()->SendLiveMessage(ops::TestNoteOff(channel)));
        }
    });
}

void CLiveSound::Listen() {
    if (!m_App.HasMidiManager()) {
        return;
    }
    CMidiManager& link = *m_App.GetMidiManager();
    if (m_Tracker.Device() != Device()) {
        m_Tracker.SetDevice(Device());
    }
    link.SetInputListener([this](const MidiArrival& in_arrival) {
        if (in_arrival.IsLong()) {
            OnArrival(in_arrival.bytes);
        }
    });
    if (!link.ListenBetweenTransfers()) {
        QUORLIN_TRACE("Not following the MKS-80: its input port could not be opened\n");
    }
}

void CLiveSound::OnArrival(const std::vector<uint8_t>& in_bytes) {
    std::string why;
    const mks80::SoundTracker::Outcome outcome =
        m_Tracker.Take(in_bytes.data(), in_bytes.size(), &why);
    if (outcome == mks80::SoundTracker::Outcome::Ignored) {
        QUORLIN_TRACE("From the MKS-80, ignored: %s\n", why.c_str());
        return;
    }
    if (outcome != mks80::SoundTracker::Outcome::Held) {
        ShowTracked();
    }
}

void CLiveSound::ConnectLibraryPanel() {
    CLibrarian* librarian = m_App.GetLibrarian();
    CLibraryPanel* panel = librarian ? librarian->GetPanel() : nullptr;
    if (!panel) {
        return;
    }
    // A row of the Find Similar list plays that entry, its tones from its own bank.
    connect(panel->GetList()->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this, panel](const QModelIndex& in_current) {
                const CLibraryModel* model = panel->GetModel();
                const LibraryEntry* entry =
                    in_current.isValid() ? model->EntryAt(in_current.row()) : nullptr;
                const CLibraryIndex* index = model->ShownIndex();
                if (!m_Audition || panel->IsSelectingByItself() || !model->IsShowingSimilar() ||
                    !entry || !index || entry->file < 0 ||
                    size_t(entry->file) >= index->Files().size()) {
                    return;
                }
                CNullBankView nowhere;
                CSysExData bank(&nowhere);
                const BankReadReport report =
                    ReadBankOrDump(index->Files()[size_t(entry->file)].path, bank);
                if (report.result != ReadResult::Ok) {
                    m_Frame.statusBar()->showMessage(
                        QStringLiteral("Not heard: its bank file can no longer be read"),
                        kFailureShownMs);
                    return;
                }
                PlayEntry(bank, entry->kind, entry->index);
            });
}
