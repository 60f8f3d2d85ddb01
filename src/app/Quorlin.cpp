#include "app/Quorlin.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMdiArea>
#include <QStandardPaths>
#include <QWindow>
#include <algorithm>

#include "app/ChildFrm.h"
#include "app/DialogAbout.h"
#include "app/Librarian.h"
#include "app/LiveSound.h"
#include "app/MainFrm.h"
#include "app/QuorlinDoc.h"
#include "app/RecentFileStore.h"
#include "app/SoundMaker.h"
#include "app/UserAsker.h"
#include "app/WebPages.h"
#include "bank/SelectionData.h"
#include "midi/LinkTexts.h"
#include "midi/MidiManager.h"
#include "platform/Fatal.h"
#include "view/QuorlinView.h"

namespace {
CQuorlinApp* g_ptrApp = nullptr;
// Raised when the frame's bars or panels change so much that an older layout no longer fits.
constexpr int kWindowLayoutVersion = 1;
}  // namespace

CQuorlinApp* QuorlinApp() {
    return g_ptrApp;
}

CQuorlinApp::CQuorlinApp(AppServices in_services) : m_Services(std::move(in_services)) {
    if (!m_Services.settings) {
        m_Services.settings = std::make_unique<platform::MemorySettingsStore>();
    }
    if (!m_Services.loop) {
        m_Services.loop = std::make_unique<platform::ManualEventLoop>();
    }
    if (!m_Services.recentFiles) {
        m_Services.recentFiles = std::make_unique<QtRecentFileStore>();
    }
    if (!m_Services.layout) {
        m_Services.layout = std::make_unique<MemoryWindowLayoutStore>();
    }
    if (!m_Services.asker) {
        m_OwnAsker = std::make_unique<QtUserAsker>();
        m_Services.asker = m_OwnAsker.get();
    }
    if (m_Services.prompter) {
        m_ptrScopedPrompter = std::make_unique<platform::ScopedPrompter>(*m_Services.prompter);
    }
    if (m_Services.midi) {
        m_ptrMidiManager =
            std::make_unique<CMidiManager>(*m_Services.midi, *m_Services.loop, *this);
    }
    g_ptrApp = this;
    SetDialogHost(this);
}

CQuorlinApp::~CQuorlinApp() {
    // The windows go first, while the link can still be told that their banks die. A
    // transfer that ends with them finds no frame left to update.
    CMainFrame* frame = m_ptrMainFrame;
    m_ptrMainFrame = nullptr;
    m_ptrLibrarian = nullptr;
    m_ptrSoundMaker = nullptr;
    m_ptrLiveSound = nullptr;
    delete frame;
    const std::vector<CQuorlinDoc*> docs = m_Docs;
    for (CQuorlinDoc* doc : docs) {
        delete doc;
    }
    m_ptrMidiManager.reset();
    // The devices go before the loop their input is handed to.
    m_Services.midi.reset();
    SetDialogHost(nullptr);
    g_ptrApp = nullptr;
}

CQuorlinDoc* DocumentOf(const CQuorlinView* in_view) {
    return in_view ? dynamic_cast<CQuorlinDoc*>(in_view->GetDocument()) : nullptr;
}

bool CQuorlinApp::InitInstance(const QStringList& in_files) {
    // The framework's own settings: the recent-file list of 10.
    m_RecentFiles = m_Services.recentFiles->Load();
    while (m_RecentFiles.size() > RecentFileStore::kMaxFiles) {
        m_RecentFiles.removeLast();
    }

    m_ptrMainFrame = new CMainFrame(*this);
    if (!m_ptrMainFrame->LoadFrame()) {
        return false;
    }
    m_ptrLibrarian = new CLibrarian(*this, *m_ptrMainFrame, std::move(m_Services.library));
    m_ptrSoundMaker = new CSoundMaker(*this, *m_ptrMainFrame);
    // The View menus take the Library panel's toggle.
    m_ptrMainFrame->RebuildMenus();

    // The panels as the user left them, once every panel exists.
    (void)m_ptrMainFrame->restoreState(m_Services.layout->Load(), kWindowLayoutVersion);

    if (in_files.isEmpty()) {
        OnFileNew();
    } else {
        for (const QString& file : in_files) {
            if (!OpenDocumentFile(file)) {
                return false;
            }
        }
    }

    // The frame on the screen and painted before the settings are read, so their
    // messages appear over it.
    m_ptrMainFrame->show();
    QElapsedTimer waited;
    waited.start();
    while (m_ptrMainFrame->windowHandle() && !m_ptrMainFrame->windowHandle()->isExposed() &&
           waited.elapsed() < 1000) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    }
    m_ptrMainFrame->repaint();

    ReadGeneralOptions();
    SetupMidiDevIDs();
    // Audition and listening to the instrument start once the ports are known.
    if (m_ptrMidiManager) {
        m_ptrLiveSound = new CLiveSound(*this, *m_ptrMainFrame);
        m_ptrLiveSound->FollowView(m_ptrMainFrame->ActiveView());
        m_ptrLiveSound->Listen();
        m_ptrMainFrame->UpdateCommandUI();
    }
    return true;
}

int CQuorlinApp::ExitInstance() {
    SaveMidiSetup();
    m_Services.recentFiles->Save(m_RecentFiles);
    if (m_ptrMainFrame) {
        m_Services.layout->Save(m_ptrMainFrame->saveState(kWindowLayoutVersion));
    }
    return 0;
}

void CQuorlinApp::ReadGeneralOptions() {
    m_OptionsRead = true;
    platform::SettingsStore& settings = *m_Services.settings;
    if (!settings.Open()) {
        (void)platform::GetPrompter().Message(
            "Could not read general option information from registry.");
        m_SaveSettingsOnExit = 0;
        return;
    }
    m_SaveSettingsOnExit = settings.Read("SaveSettingsOnExit").value_or(0);
    // A stored negative delay would end the program at every start; it counts as missing.
    const int32_t pause =
        static_cast<int32_t>(settings.Read("MidiSendRecieveDelayTime").value_or(300));
    m_MidiInDevID = settings.Read("MidiInDevID").value_or(0);
    m_MidiOutDevID = settings.Read("MidiOutDevID").value_or(0);
    m_MidiChannel = static_cast<int32_t>(settings.Read("MidiChannel").value_or(1));
    SetPauseTime(pause < 0 ? 300 : pause);
    // The link talks on the stored channel from the start, as the setup dialog shows it.
    if (m_MidiChannel >= 1 && m_MidiChannel <= 16) {
        SetMidiChannel(m_MidiChannel);
    }
}

void CQuorlinApp::SaveMidiSetup() {
    // Settings never read must not overwrite the stored ones.
    if (!m_OptionsRead) {
        return;
    }
    platform::SettingsStore& settings = *m_Services.settings;
    if (!settings.Open()) {
        (void)platform::GetPrompter().Message("Couldn't save the Midi setup data on exit.");
        return;
    }
    (void)settings.Write("SaveSettingsOnExit", m_SaveSettingsOnExit);
    if (m_SaveSettingsOnExit != 0) {
        (void)settings.Write("MidiInDevID", m_MidiInDevID);
        (void)settings.Write("MidiOutDevID", m_MidiOutDevID);
        (void)settings.Write("MidiChannel", static_cast<uint32_t>(m_MidiChannel));
    }
}

void CQuorlinApp::SetPauseTime(int32_t in_NewPauseTime) {
    if (in_NewPauseTime < 0) {
        platform::InternalError(
            "Internal Program Error: in_NewPauseTime is negative when it really shouldn't be :(");
    }
    m_PauseTime = in_NewPauseTime;
    platform::SettingsStore& settings = *m_Services.settings;
    if (!settings.Open()) {
        (void)platform::GetPrompter().Message("Couldn't save Midi Speed settings.");
        return;
    }
    (void)settings.Write("MidiSendRecieveDelayTime", static_cast<uint32_t>(in_NewPauseTime));
}

void CQuorlinApp::SetupMidiDevIDs() {
    CMidiManager* manager = GetMidiManager();
    MidiService& service = manager->GetService();
    std::string name;
    if (service.InGetDevCaps(m_MidiInDevID, name) != MMSYSERR_NOERROR) {
        (void)platform::GetPrompter().Message(
            "Internal Program Error: Inside CQuorlinApp::SetupMidiDevIDs(), midiInGetDevCaps "
            "failed.");
    }
    if (service.OutGetDevCaps(m_MidiOutDevID, name) != MMSYSERR_NOERROR) {
        (void)platform::GetPrompter().Message(
            "Internal Program Error: Inside CQuorlinApp::SetupMidiDevIDs(), midiOutGetDevCaps "
            "failed.");
    }
    manager->SetMidiInDevID(m_MidiInDevID);
    manager->SetMidiOutDevID(m_MidiOutDevID);
}

CMidiManager* CQuorlinApp::GetMidiManager() {
    if (!m_ptrMidiManager) {
        platform::InternalError(
            "Internal Program Error: Inside CQuorlinApp::GetMidiManager - m_ptrMidiManager is 0.");
    }
    return m_ptrMidiManager.get();
}

CQuorlinView* CQuorlinApp::GetActiveBankView() {
    return m_ptrActiveView;
}

void CQuorlinApp::SetActiveBankView(CQuorlinView* in_ptrActiveView) {
    if (!in_ptrActiveView) {
        return;
    }
    // A running transfer stays with the bank it started on: the link reads or writes
    // its current bank block by block, so handing it another bank halfway would split
    // the dump between two banks (and overwrite entries of the one activated). The
    // link takes the active view's bank when the transfer ends.
    CMidiManager* manager = GetMidiManager();
    if (!manager->IsTransferRunning()) {
        manager->SetCurrentSysExData(in_ptrActiveView->GetSysExData());
    }
    m_ptrActiveView = in_ptrActiveView;
}

void CQuorlinApp::ForgetBankView(CQuorlinView* in_ptrView, CSysExData* in_ptrDyingBank) {
    if (m_ptrActiveView == in_ptrView) {
        m_ptrActiveView = nullptr;
    }
    if (in_ptrDyingBank && m_ptrMidiManager) {
        m_ptrMidiManager->ForgetSysExData(in_ptrDyingBank);
    }
}

int CQuorlinApp::GetPauseTime() {
    return m_PauseTime;
}

MidiSetupValues CQuorlinApp::GetMidiSetup() const {
    MidiSetupValues setup;
    setup.inDevID = m_MidiInDevID;
    setup.outDevID = m_MidiOutDevID;
    setup.channel = m_MidiChannel;
    setup.saveSettingsOnExit = m_SaveSettingsOnExit;
    return setup;
}

void CQuorlinApp::SetMidiSetup(const MidiSetupValues& in_setup) {
    m_MidiInDevID = in_setup.inDevID;
    m_MidiOutDevID = in_setup.outDevID;
    m_SaveSettingsOnExit = in_setup.saveSettingsOnExit;
    // Channel 0 (none chosen) would end the program once the link is handed it.
    if (in_setup.channel >= 1 && in_setup.channel <= 16) {
        m_MidiChannel = in_setup.channel;
        SetMidiChannel(in_setup.channel);
    }
    if (m_ptrLiveSound) {
        m_ptrLiveSound->Listen();
    }
}

void CQuorlinApp::DeviceTestEnded() {
    if (m_ptrLiveSound) {
        m_ptrLiveSound->Listen();
    }
}

void CQuorlinApp::ShowHelpContents() {
    if (m_Services.shell) {
        webpages::Open(*m_Services.shell, webpages::HelpPageUrl());
    }
}

void CQuorlinApp::SetMidiChannel(int in_channel) {
    if (!GetMidiManager()->GetMessages().SetMidiChannel(in_channel)) {
        LinkFault(MidiFault{MidiFault::Where::Channel});
    }
}

void CQuorlinApp::SetMidiBusy() {
    m_MidiBusy = 1;
    if (m_ptrLiveSound) {
        m_ptrLiveSound->TransferStarting();
    }
    if (m_ptrMainFrame) {
        m_ptrMainFrame->UpdateCommandUI();
    }
    Q_EMIT MidiBusyChanged(true);
    // A fetch is one step of its bank's history, from the bank as it is now.
    if (m_ptrMidiManager && m_ptrMidiManager->GetMode() == 1) {
        m_ptrReceivingDoc = FindDocument(m_ptrMidiManager->GetCurrentSysExData());
        if (m_ptrReceivingDoc) {
            m_ptrReceivingDoc->BeginReceive();
        }
    }
    // The status bar says so from the first message on, not only once a block is in.
    if (m_ptrMidiManager) {
        TransferProgress(
            m_ptrMidiManager->GetMode() == 1 ? TransferKind::Receive : TransferKind::Send, 0);
    }
}

void CQuorlinApp::EndReceive() {
    if (CQuorlinDoc* doc = m_ptrReceivingDoc) {
        m_ptrReceivingDoc = nullptr;
        doc->EndReceive();
    }
}

void CQuorlinApp::ClearMidiBusy() {
    m_MidiBusy = 0;
    EndReceive();
    if (m_ptrMainFrame) {
        m_ptrMainFrame->UpdateCommandUI();
    }
    Q_EMIT MidiBusyChanged(false);
}

bool CQuorlinApp::IsMidiBusy() const {
    return m_MidiBusy != 0;
}

void CQuorlinApp::DisplaySelectionData() {
    CQuorlinView* view = m_ptrActiveView;
    if (!view) {
        return;
    }
    const int row = view->GetSelectedRow();
    // The active view's own bank: while a transfer runs, the link's current bank may
    // still be the one the transfer started on.
    CSysExData* bank = view->GetSysExData();
    std::string text;
    if (view->GetSelectedColumn() == 0) {
        const CPatchData* patch = bank->GetPatch(row);
        if (!patch) {
            return;
        }
        text = PatchSelectionText(*patch);
    } else {
        const CToneData* tone = bank->GetTone(row);
        if (!tone) {
            return;
        }
        text = ToneSelectionText(*tone);
    }
    (void)platform::GetPrompter().Message(text);
}

void CQuorlinApp::TransferProgress(TransferKind in_kind, int in_blocksDone) {
    const int block = std::min(in_blocksDone + 1, 16);
    const QString text =
        (in_kind == TransferKind::Receive ? QStringLiteral("Receiving block %1 of 16")
                                          : QStringLiteral("Sending block %1 of 16"))
            .arg(block);
    if (m_ptrMainFrame) {
        m_ptrMainFrame->SetTransferStatus(text);
    }
    Q_EMIT TransferStatus(text);
}

void CQuorlinApp::EntriesReceived(CSysExData* in_bank, int in_firstEntry, int in_count) {
    CQuorlinDoc* doc = FindDocument(in_bank);
    if (!doc) {
        return;
    }
    doc->EntriesReceived();
    for (CQuorlinView* view : doc->GetViews()) {
        view->RepaintRows(in_firstEntry, in_count);
    }
}

void CQuorlinApp::LinkFault(const MidiFault& in_fault) {
    const std::vector<std::string> texts = LinkTexts(in_fault);
    if (in_fault.IsFatal()) {
        platform::InternalError(texts.front());
    }
    for (const std::string& text : texts) {
        (void)platform::GetPrompter().Message(text);
    }
}

void CQuorlinApp::TransferEnded(const TransferReport& in_report) {
    for (const std::string& text : LinkTexts(in_report)) {
        (void)platform::GetPrompter().Message(text);
    }
    CSysExData* transferred = m_ptrMidiManager ? m_ptrMidiManager->GetCurrentSysExData() : nullptr;
    EndReceive();
    // The bank activated while the transfer ran becomes the link's current bank now.
    if (m_ptrActiveView && m_ptrMidiManager && !m_ptrMidiManager->IsTransferRunning()) {
        m_ptrMidiManager->SetCurrentSysExData(m_ptrActiveView->GetSysExData());
    }
    if (m_ptrMainFrame) {
        m_ptrMainFrame->SetTransferStatus(QString());
        m_ptrMainFrame->UpdateCommandUI();
    }
    Q_EMIT TransferStatus(QString());
    if (m_ptrLibrarian) {
        m_ptrLibrarian->TransferEnded(in_report.kind, in_report.outcome, transferred);
    }
    if (m_ptrLiveSound) {
        m_ptrLiveSound->Listen();
    }
}

void CQuorlinApp::OnFileNew() {
    auto* doc = new CQuorlinDoc(*this);
    doc->OnNewDocument();
    m_ptrMainFrame->AddBankWindow(*doc);
}

void CQuorlinApp::OnFileOpen() {
    const QString path = AskOpenFileName(
        QStringLiteral("Open"), {QStringLiteral("MKS80 (*.m80)"), QStringLiteral("All Files (*)")});
    if (!path.isEmpty()) {
        OpenDocumentFile(path);
    }
}

CQuorlinDoc* CQuorlinApp::OpenDocumentFile(const QString& in_path) {
    const QString absolute = QFileInfo(in_path).absoluteFilePath();
    // A bank already open comes to the front instead of opening twice.
    for (CQuorlinDoc* doc : m_Docs) {
        if (!doc->GetPathName().isEmpty() && doc->GetPathName() == absolute &&
            !doc->GetViews().empty()) {
            for (CChildFrame* frame : m_ptrMainFrame->ChildFrames()) {
                if (frame->GetDocument() == doc) {
                    m_ptrMainFrame->GetMdiArea()->setActiveSubWindow(frame);
                    break;
                }
            }
            return doc;
        }
    }
    auto* doc = new CQuorlinDoc(*this);
    if (!doc->OnOpenDocument(in_path)) {
        delete doc;
        // A file that cannot be opened leaves the recent-file list.
        if (m_RecentFiles.removeAll(QFileInfo(in_path).absoluteFilePath()) > 0) {
            m_Services.recentFiles->Save(m_RecentFiles);
            m_ptrMainFrame->RefreshRecentFiles();
        }
        return nullptr;
    }
    m_ptrMainFrame->AddBankWindow(*doc);
    return doc;
}

void CQuorlinApp::OnAppAbout() {
    CDialogAbout dialog(m_ptrMainFrame);
    dialog.exec();
}

void CQuorlinApp::OnCheckVersion() {
    if (m_Services.shell) {
        webpages::Open(*m_Services.shell, webpages::VersionPageUrl());
    }
}

QString CQuorlinApp::FileDialogFolder() const {
    if (const CQuorlinDoc* doc =
            m_ptrActiveView ? FindDocument(m_ptrActiveView->GetSysExData()) : nullptr) {
        if (!doc->GetPathName().isEmpty()) {
            return QFileInfo(doc->GetPathName()).absolutePath();
        }
    }
    if (!m_LastFolder.isEmpty()) {
        return m_LastFolder;
    }
    if (!m_RecentFiles.isEmpty()) {
        return QFileInfo(m_RecentFiles.constFirst()).absolutePath();
    }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}

QString CQuorlinApp::AskOpenFileName(const QString& in_caption, const QStringList& in_filters) {
    const QString path = GetAsker().OpenFileName(in_caption, in_filters, FileDialogFolder());
    if (!path.isEmpty()) {
        m_LastFolder = QFileInfo(path).absolutePath();
    }
    return path;
}

QString CQuorlinApp::AskSaveFileName(const QString& in_caption, const QString& in_proposed,
                                     const QStringList& in_filters) {
    // A bank saved before is offered under its own path.
    const QString proposed = QFileInfo(in_proposed).isAbsolute()
                                 ? in_proposed
                                 : QDir(FileDialogFolder()).filePath(in_proposed);
    const QString path = GetAsker().SaveFileName(in_caption, proposed, in_filters);
    if (!path.isEmpty()) {
        m_LastFolder = QFileInfo(path).absolutePath();
    }
    return path;
}

QStringList CQuorlinApp::GetRecentFileList() const {
    return m_RecentFiles;
}

void CQuorlinApp::AddToRecentFileList(const QString& in_path) {
    m_RecentFiles = AddRecentFile(m_RecentFiles, in_path);
    m_Services.recentFiles->Save(m_RecentFiles);
    if (m_ptrMainFrame) {
        m_ptrMainFrame->RefreshRecentFiles();
    }
}

void CQuorlinApp::RegisterDocument(CQuorlinDoc* in_doc) {
    m_Docs.push_back(in_doc);
}

void CQuorlinApp::UnregisterDocument(CQuorlinDoc* in_doc) {
    m_Docs.erase(std::remove(m_Docs.begin(), m_Docs.end(), in_doc), m_Docs.end());
}

CQuorlinDoc* CQuorlinApp::FindDocument(const CSysExData* in_bank) const {
    for (CQuorlinDoc* doc : m_Docs) {
        if (doc->GetSysExData() == in_bank) {
            return doc;
        }
    }
    return nullptr;
}
