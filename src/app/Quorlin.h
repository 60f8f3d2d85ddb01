#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/LibraryService.h"
#include "app/RecentFileStore.h"
#include "app/WindowLayoutStore.h"
#include "midi/MidiHost.h"
#include "midi/MidiService.h"
#include "platform/EventLoop.h"
#include "platform/Prompter.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "view/ViewHost.h"

class CLibrarian;
class CLiveSound;
class CSoundMaker;
class CLibraryService;
class CMidiManager;
class CMainFrame;
class CQuorlinDoc;
class CQuorlinView;
class CSysExData;
class UserAsker;

// What the application object is built on; tests inject doubles.
struct AppServices {
    std::unique_ptr<platform::SettingsStore> settings;
    std::unique_ptr<MidiService>
        midi;  // e.g. CombinedMidiService over RtMidiService + VirtualMks80
    std::unique_ptr<platform::EventLoop>
        loop;                                // QtEventLoop in the program, ManualEventLoop in tests
    platform::Prompter* prompter = nullptr;  // not owned; nullptr: keep the installed one
    platform::Shell* shell = nullptr;        // not owned
    // The recent-file list; nullptr: QSettings under "Local AppWizard-Generated Applications".
    std::unique_ptr<RecentFileStore> recentFiles;
    // Save / Discard / Cancel and the file dialogs; not owned; nullptr: the desktop's own.
    UserAsker* asker = nullptr;
    // The library of bank files; nullptr: none (its commands stay off).
    std::unique_ptr<CLibraryService> library;
    // The bars and panels of the main frame between runs; nullptr: kept for this run only.
    std::unique_ptr<WindowLayoutStore> layout;
};

// The one application object: the MIDI link, the MIDI settings, the transfer delay,
// the busy flag and the active bank view. Lives for the whole run of the program.
class CQuorlinApp : public QObject, public MidiHost, public ViewHost {
    Q_OBJECT

  public:
    explicit CQuorlinApp(AppServices in_services);
    ~CQuorlinApp() override;
    CQuorlinApp(const CQuorlinApp&) = delete;
    CQuorlinApp& operator=(const CQuorlinApp&) = delete;

    int32_t m_MaxNameLength = 30;
    int32_t m_MidiChannel = 0;
    uint32_t m_MidiOutDevID = 0;
    uint32_t m_MidiInDevID = 0;
    uint32_t m_SaveSettingsOnExit = 0;
    int32_t m_PauseTime = 125;

    // Start-up: the main frame, the first bank window (or the bank files named in
    // in_files), the frame shown, then the settings read and the device ids handed on.
    [[nodiscard]] bool InitInstance(const QStringList& in_files = {});
    // Normal end: the MIDI setup saved when the user asked for it, the recent files and
    // the frame's bars and panels kept. Returns the exit code.
    int ExitInstance();
    void ReadGeneralOptions();
    void SaveMidiSetup();
    void SetupMidiDevIDs();

    CMidiManager* GetMidiManager() override;
    bool HasMidiManager() const { return m_ptrMidiManager != nullptr; }
    platform::EventLoop& GetLoop() { return *m_Services.loop; }
    platform::SettingsStore& GetSettings() { return *m_Services.settings; }
    CQuorlinView* GetActiveBankView();
    void SetActiveBankView(CQuorlinView* in_ptrActiveView) override;
    // A view is going away: the app and the link stop referring to it (and to its
    // bank when in_bankDies).
    void ForgetBankView(CQuorlinView* in_ptrView, CSysExData* in_ptrDyingBank);

    int GetPauseTime() override;
    void SetPauseTime(int32_t in_NewPauseTime) override;
    MidiSetupValues GetMidiSetup() const override;
    void SetMidiSetup(const MidiSetupValues& in_setup) override;
    int GetMaxNameLength() const override { return m_MaxNameLength; }
    void DeviceTestEnded() override;
    QString AskOpenFileName(const QString& in_caption, const QStringList& in_filters) override;
    QString AskSaveFileName(const QString& in_caption, const QString& in_proposed,
                            const QStringList& in_filters) override;
    void ShowHelpContents() override;
    void SetMidiChannel(int in_channel);
    void SetMidiBusy() override;
    void ClearMidiBusy() override;
    bool IsMidiBusy() const;
    void DisplaySelectionData() override;

    // Notifications of the MIDI link.
    void TransferProgress(TransferKind in_kind, int in_blocksDone) override;
    void EntriesReceived(CSysExData* in_bank, int in_firstEntry, int in_count) override;
    void TransferEnded(const TransferReport& in_report) override;
    // Shows the fault's texts; a fatal one ends the program with exit code 1.
    void LinkFault(const MidiFault& in_fault) override;

    // Commands routed to the application object.
    void OnFileNew();
    void OnFileOpen();
    CQuorlinDoc* OpenDocumentFile(const QString& in_path);
    void OnAppAbout();
    void OnCheckVersion();

    QStringList GetRecentFileList() const;
    void AddToRecentFileList(const QString& in_path);
    UserAsker& GetAsker() { return *m_Services.asker; }
    // The file dialogs (AskOpenFileName and AskSaveFileName above) start in
    // FileDialogFolder(); the chosen file's folder becomes the one used last. Empty when
    // the user cancelled. in_proposed: a file name, or the full path of a bank saved before.
    // The folder of the active bank's file, else the folder used last (at start-up that
    // of the most recent file), else the user's documents folder.
    QString FileDialogFolder() const;
    void RegisterDocument(CQuorlinDoc* in_doc);
    void UnregisterDocument(CQuorlinDoc* in_doc);
    // The document whose bank in_bank is, or nullptr.
    CQuorlinDoc* FindDocument(const CSysExData* in_bank) const;

    CMainFrame* GetMainFrame() const { return m_ptrMainFrame; }
    // The librarian's commands, made with the main frame; nullptr before.
    CLibrarian* GetLibrarian() const { return m_ptrLibrarian; }
    // Blend, mutate and find similar, made with the main frame; nullptr before.
    CSoundMaker* GetSoundMaker() const { return m_ptrSoundMaker; }
    // Audition, the test note and the instrument's own sound; nullptr before the frame.
    CLiveSound* GetLiveSound() const { return m_ptrLiveSound; }
    platform::Shell* GetShell() const { return m_Services.shell; }
    // Counts every new bank document since start-up, for the titles "MKS80v1", "MKS80v2", ...
    int NextUntitledNumber() { return ++m_UntitledCount; }

  Q_SIGNALS:
    void MidiBusyChanged(bool in_busy);
    // A transfer moved on: the text for the status bar ("Receiving block 5 of 16").
    void TransferStatus(const QString& in_text);

  private:
    AppServices m_Services;
    int32_t m_MidiBusy = 0;
    std::unique_ptr<CMidiManager> m_ptrMidiManager;
    CQuorlinView* m_ptrActiveView = nullptr;
    CMainFrame* m_ptrMainFrame = nullptr;    // owned by this object, deleted with it
    CLibrarian* m_ptrLibrarian = nullptr;    // a child of the main frame
    CSoundMaker* m_ptrSoundMaker = nullptr;  // a child of the main frame
    CLiveSound* m_ptrLiveSound = nullptr;    // a child of the main frame
    std::unique_ptr<platform::ScopedPrompter> m_ptrScopedPrompter;
    std::unique_ptr<UserAsker> m_OwnAsker;
    std::vector<CQuorlinDoc*> m_Docs;
    // The document a running transfer from the instrument fills.
    QPointer<CQuorlinDoc> m_ptrReceivingDoc;
    void EndReceive();
    QStringList m_RecentFiles;
    QString m_LastFolder;
    // Whether start-up got as far as reading the settings; only then are they saved.
    bool m_OptionsRead = false;
    int m_UntitledCount = 0;
};

// The one application object, or nullptr before it exists / after it is gone.
CQuorlinApp* QuorlinApp();
// The document a bank window of the program shows.
CQuorlinDoc* DocumentOf(const CQuorlinView* in_view);
