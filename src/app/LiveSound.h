#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <vector>

#include "bank/LibraryIndex.h"
#include "mks80/SoundTracker.h"
#include "ops/LiveSender.h"

class CMainFrame;
class CQuorlinApp;
class CQuorlinDoc;
class CQuorlinView;
class CSysExData;
class QLabel;
enum class LiveSendResult;

// Hearing the bank on the instrument and following what it plays: Audition (the selected
// entry sent as the instrument's current sound, and every edit of it after), the test
// note, the instrument's own announcements (the status bar's "MKS-80: patch 34", the
// Parameters panel's "MKS-80 now") and Take Current Sound. Made with the main frame.
//
// Only current-sound messages go out: the instrument's memory is never written from here,
// and nothing goes while a transfer runs.
class CLiveSound : public QObject {
    Q_OBJECT

  public:
    CLiveSound(CQuorlinApp& in_app, CMainFrame& in_frame);
    ~CLiveSound() override;

    // Audition, kept between runs; on unless the user turned it off.
    bool IsAuditionOn() const { return m_Audition; }
    void SetAudition(bool in_on);
    void OnPlayTestNote();
    // Stores the instrument's sound into the selected patch and its tones into tones the
    // user chooses, one step.
    void OnTakeCurrentSound();
    bool CanTake() const;
    // The Parameters panel shows the instrument's sound (read-only) instead of the bank.
    void ShowMks80Now(bool in_show);
    bool IsShowingMks80Now() const { return m_ShowingNow; }

    // The active bank window changed.
    void FollowView(CQuorlinView* in_view);
    // The MIDI setup changed, or a transfer ended: listen to the instrument again.
    void Listen();
    // Plays the active window's selected entry, unless it plays already: a dialog that
    // previews its results in the entry is heard from the start.
    void PlaySelected() { OnSelectionChanged(); }
    // A transfer starts: nothing waiting may follow it.
    void TransferStarting();
    // Plays entry in_index of in_bank (a bank no window shows) as selecting it would.
    void PlayEntry(const CSysExData& in_bank, EntryKind in_kind, int in_index);

    const mks80::SoundTracker& Tracker() const { return m_Tracker; }
    QLabel* GetStatusLabel() const { return m_ptrStatusLabel; }

  private:
    // What the instrument plays now from us: the entry it came from and its bytes as sent.
    struct Played {
        bool known = false;
        QPointer<CQuorlinDoc> doc;  // null for an entry of a bank no window shows
        EntryKind kind = EntryKind::Patch;
        int index = 0;
        mks80::CurrentSound sound;
    };

    void OnSelectionChanged();
    // The played entry's bytes changed: the parameter that changed, or all of it again.
    void OnRowsChanged();
    // The sound entry (kind, index) of in_bank plays, with its tones from in_bank.
    mks80::CurrentSound SoundOf(const CSysExData& in_bank, EntryKind in_kind, int in_index) const;
    void Audition(const CSysExData& in_bank, CQuorlinDoc* in_doc, EntryKind in_kind, int in_index);
    void Send(const ops::LiveSender::Messages& in_messages);
    void Report(LiveSendResult in_result);
    void OnArrival(const std::vector<uint8_t>& in_bytes);
    void ShowTracked();
    void ConnectLibraryPanel();
    uint8_t Device() const;

    CQuorlinApp& m_App;
    CMainFrame& m_Frame;
    std::unique_ptr<ops::LiveSender> m_ptrSender;
    mks80::SoundTracker m_Tracker;
    Played m_Played;
    QPointer<CQuorlinView> m_ptrView;
    std::vector<QMetaObject::Connection> m_ViewConnections;
    QLabel* m_ptrStatusLabel = nullptr;
    bool m_Audition = true;
    bool m_ShowingNow = false;
    // The last failure said in the status bar, so a drag says it once.
    int m_LastFailure = -1;
    uint64_t m_NoteTimer = 0;
};
