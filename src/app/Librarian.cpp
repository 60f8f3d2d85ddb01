#include "app/Librarian.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QStatusBar>
#include <QToolButton>
#include <QUrl>

#include "app/ChildFrm.h"
#include "app/LibraryService.h"
#include "app/MainFrm.h"
#include "app/Quorlin.h"
#include "app/QuorlinDoc.h"
#include "app/UserAsker.h"
#include "bank/BankFiles.h"
#include "bank/LibraryIndex.h"
#include "dialogs/DialogCompareWith.h"
#include "dialogs/DialogLibrary.h"
#include "midi/MidiManager.h"
#include "ops/FileOps.h"
#include "ops/LibraryOps.h"
#include "ops/TransferOps.h"
#include "platform/Prompter.h"
#include "view/CommandIds.h"
#include "view/CompareWindow.h"
#include "view/LibraryPanel.h"
#include "view/QuorlinView.h"

CLibrarian::CLibrarian(CQuorlinApp& in_app, CMainFrame& in_frame,
                       std::unique_ptr<CLibraryService> in_service)
    : QObject(&in_frame), m_App(in_app), m_Frame(in_frame), m_ptrService(std::move(in_service)) {
    if (m_ptrService) {
        m_ptrPanel = new CLibraryPanel(&m_Frame);
        m_Frame.addDockWidget(Qt::RightDockWidgetArea, m_ptrPanel);
        // Wide enough for a name and the start of its bank file.
        m_Frame.resizeDocks({m_ptrPanel}, {m_ptrPanel->fontMetrics().averageCharWidth() * 52},
                            Qt::Horizontal);
        connect(m_ptrService.get(), &CLibraryService::IndexChanged, m_ptrPanel,
                &CLibraryPanel::SetIndex);
        connect(m_ptrService.get(), &CLibraryService::ReadingChanged, m_ptrPanel,
                &CLibraryPanel::SetReading);
        connect(m_ptrPanel, &CLibraryPanel::OpenEntry, this, &CLibrarian::OpenEntry);
        m_ptrPanel->toggleViewAction()->setStatusTip(
            QStringLiteral("Show or hide the Library panel"));
        if (m_ptrService->GetFolder().isEmpty()) {
            m_ptrService->SetFolder(CLibraryService::StoredFolder());
        }
    }
    m_ptrOffer = new QToolButton(m_Frame.statusBar());
    m_ptrOffer->setObjectName(QStringLiteral("CompareOffer"));
    m_ptrOffer->setDefaultAction(m_Frame.Action(ID_COMPARE_WITH_MKS80));
    m_ptrOffer->setAutoRaise(true);
    m_Frame.statusBar()->addWidget(m_ptrOffer);
    m_ptrOffer->hide();
    connect(&m_App, &CQuorlinApp::MidiBusyChanged, this, [this](bool in_busy) {
        if (in_busy) {
            SetOffer(false);
        }
    });
}

CLibrarian::~CLibrarian() {
    // A fetch into the hidden bank must not outlive it.
    if (m_ptrCheckBank) {
        m_App.GetMidiManager()->ForgetSysExData(m_ptrCheckBank.get());
    }
}

CQuorlinDoc* CLibrarian::ActiveDocument() const {
    CQuorlinView* view = m_Frame.ActiveView();
    return DocumentOf(view);
}

void CLibrarian::ShowStatus(const QString& in_text) {
    m_Frame.SetTransferStatus(in_text);
}

void CLibrarian::SetOffer(bool in_shown) {
    m_ptrOffer->setVisible(in_shown);
}

CCompareWindow* CLibrarian::ShowComparison(CQuorlinDoc& in_doc, const QString& in_otherTitle,
                                           const BankComparison& in_comparison, bool in_bytesOnly) {
    auto* window =
        new CCompareWindow(in_doc.GetTitle(), in_otherTitle, in_comparison, in_bytesOnly, &m_Frame);
    QPointer<CQuorlinDoc> doc(&in_doc);
    connect(window, &CCompareWindow::EntryChosen, this,
            [this, doc](EntryKind in_kind, int in_index) {
                if (!doc) {
                    return;
                }
                for (CChildFrame* frame : m_Frame.ChildFrames()) {
                    if (frame->GetDocument() == doc) {
                        m_Frame.GetMdiArea()->setActiveSubWindow(frame);
                        frame->GetView()->SelectCell(in_index, in_kind == EntryKind::Tone);
                        m_Frame.raise();
                        m_Frame.activateWindow();
                        frame->GetView()->setFocus();
                        return;
                    }
                }
            });
    window->show();
    window->raise();
    return window;
}

CCompareWindow* CLibrarian::CompareWithFile(CQuorlinDoc& in_doc, const QString& in_path) {
    CSysExData other(&m_CheckView);
    const ops::FileReading reading =
        ops::ReadFile(ops::ReadFor::Compare, QFile::encodeName(in_path).toStdString(),
                      QDir::toNativeSeparators(in_path).toStdString(), other);
    if (!reading.Taken()) {
        (void)platform::GetPrompter().Message(reading.refusal);
        return nullptr;
    }
    // A partial or damaged file is compared all the same, but the user is told first.
    if (!reading.note.empty()) {
        (void)platform::GetPrompter().Message(reading.note);
    }
    return ShowComparison(in_doc, QFileInfo(in_path).fileName(),
                          CompareBanks(*in_doc.GetSysExData(), other), false);
}

void CLibrarian::OnCompareWith() {
    CQuorlinDoc* doc = ActiveDocument();
    if (!doc) {
        return;
    }
    std::vector<CQuorlinDoc*> others;
    QStringList titles;
    for (CChildFrame* frame : m_Frame.ChildFrames()) {
        CQuorlinDoc* other = frame->GetDocument();
        if (other != doc && std::find(others.begin(), others.end(), other) == others.end()) {
            others.push_back(other);
            titles << other->GetTitle();
        }
    }
    CDialogCompareWith dialog(doc->GetTitle(), titles, &m_Frame);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    if (dialog.GetChosenWindow() >= 0) {
        CQuorlinDoc* other = others[static_cast<size_t>(dialog.GetChosenWindow())];
        ShowComparison(*doc, other->GetTitle(),
                       CompareBanks(*doc->GetSysExData(), *other->GetSysExData()), false);
        return;
    }
    const QString path = m_App.AskOpenFileName(
        QStringLiteral("Compare With"),
        {QStringLiteral("MKS80 (*.m80)"), QStringLiteral("System exclusive (*.syx)"),
         QStringLiteral("MIDI file (*.mid *.midi)"), QStringLiteral("All Files (*)")});
    if (!path.isEmpty()) {
        CompareWithFile(*doc, path);
    }
}

void CLibrarian::OnCompareWithMks80() {
    CQuorlinDoc* doc = ActiveDocument();
    if (!doc || m_App.IsMidiBusy()) {
        return;
    }
    SetOffer(false);
    // The instrument's memory goes into a bank of its own; the link takes the active
    // view's bank back when the transfer ends.
    m_ptrCheckBank = std::make_unique<CSysExData>(&m_CheckView);
    m_CheckDoc = doc;
    CMidiManager* link = m_App.GetMidiManager();
    link->SetCurrentSysExData(m_ptrCheckBank.get());
    link->GetPatches();
}

void CLibrarian::TransferEnded(TransferKind in_kind, TransferOutcome in_outcome,
                               CSysExData* in_ptrBank) {
    const bool completed = in_outcome == TransferOutcome::Completed;
    if (m_ptrCheckBank && in_ptrBank == m_ptrCheckBank.get()) {
        const std::unique_ptr<CSysExData> fetched = std::move(m_ptrCheckBank);
        if (completed && m_CheckDoc) {
            ShowComparison(*m_CheckDoc, QStringLiteral("MKS-80"),
                           ops::InstrumentComparison(*m_CheckDoc->GetSysExData(), *fetched), true);
        }
        return;
    }
    if (in_kind == TransferKind::Send) {
        if (completed) {
            ShowStatus(QStringLiteral("Sent. Compare with MKS-80 to verify it."));
            SetOffer(true);
        }
        return;
    }
    if (completed && m_ptrService) {
        if (CQuorlinDoc* doc = m_App.FindDocument(in_ptrBank)) {
            ShowStatus(NameFromLibrary(*doc));
        }
    }
}

QString CLibrarian::NameFromLibrary(CQuorlinDoc& in_doc) {
    const std::shared_ptr<const CLibraryIndex> index =
        m_ptrService ? m_ptrService->GetIndex() : nullptr;
    if (!index) {
        return QStringLiteral(
            "The library is still being read; try Name From Library again in "
            "a moment");
    }
    const ops::LibraryNamingResult named = ops::NameFromLibrary(*in_doc.GetSysExData(), *index);
    if (!named.entries.empty()) {
        in_doc.ReplaceEntries(QStringLiteral("Name From Library"), named.entries);
    }
    return QString::fromStdString(named.summary);
}

void CLibrarian::OnNameFromLibrary() {
    if (CQuorlinDoc* doc = ActiveDocument()) {
        ShowStatus(NameFromLibrary(*doc));
    }
}

void CLibrarian::OnLibrarySettings() {
    if (!m_ptrService) {
        return;
    }
    CDialogLibrary dialog(m_ptrService->GetFolder(), &m_Frame);
    if (dialog.exec() == QDialog::Accepted && dialog.GetFolder() != m_ptrService->GetFolder()) {
        CLibraryService::StoreFolder(dialog.GetFolder());
        m_ptrService->SetFolder(dialog.GetFolder());
    }
}

void CLibrarian::OnOpenLibraryFolder() {
    if (!m_ptrService || !m_App.GetShell()) {
        return;
    }
    const QString folder = m_ptrService->GetFolder();
    // A folder that cannot be made cannot be shown either; the user is told where it is.
    if (!QDir().mkpath(folder) ||
        !m_App.GetShell()->OpenUrl(QUrl::fromLocalFile(folder).toString().toStdString())) {
        (void)platform::GetPrompter().Message(
            QStringLiteral("The library folder could not be shown:\n%1")
                .arg(QDir::toNativeSeparators(folder))
                .toStdString());
    }
}

void CLibrarian::OpenEntry(const QString& in_path, EntryKind in_kind, int in_index) {
    CQuorlinDoc* doc = m_App.OpenDocumentFile(in_path);
    if (!doc) {
        return;
    }
    if (CQuorlinView* view = m_Frame.ActiveView(); view && DocumentOf(view) == doc) {
        view->SelectCell(in_index, in_kind == EntryKind::Tone);
        view->setFocus();
    }
}
