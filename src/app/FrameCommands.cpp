#include "app/FrameCommands.h"

#include <QAction>
#include <QDir>
#include <QMdiArea>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>

#include "app/ChildFrm.h"
#include "app/Librarian.h"
#include "app/LiveSound.h"
#include "app/MainFrm.h"
#include "app/Quorlin.h"
#include "app/QuorlinDoc.h"
#include "app/SoundMaker.h"
#include "view/CommandIds.h"
#include "view/LibraryPanel.h"
#include "view/ParametersPanel.h"
#include "view/QuorlinView.h"

namespace {

// A command that the active bank window carries out.
CommandRow::Handler ViewCommand(CMainFrame& in_frame, void (CQuorlinView::*in_handler)()) {
    return [&in_frame, in_handler]() {
        if (CQuorlinView* view = in_frame.ActiveView()) {
            (view->*in_handler)();
        }
    };
}

// File Save (Save As with in_saveAs) of the active bank window's document; the file
// dialog starts in that bank's folder.
void SaveActive(CMainFrame& in_frame, CQuorlinApp& in_app, bool in_saveAs) {
    if (CQuorlinView* view = in_frame.ActiveView()) {
        in_app.SetActiveBankView(view);
        DocumentOf(view)->DoSave(in_saveAs);
    }
}

CommandRow::Handler LibrarianCommand(CQuorlinApp& in_app, void (CLibrarian::*in_handler)()) {
    return [&in_app, in_handler]() {
        if (CLibrarian* librarian = in_app.GetLibrarian()) {
            (librarian->*in_handler)();
        }
    };
}

// The recent files, or a placeholder when there are none.
void AddRecentFiles(QMenu& in_menu, CQuorlinApp& in_app) {
    const QStringList files = in_app.GetRecentFileList();
    if (files.isEmpty()) {
        QAction* placeholder = in_menu.addAction(QStringLiteral("Recent File"));
        placeholder->setData(ID_FILE_MRU_FILE1);
        placeholder->setEnabled(false);
    }
    for (int i = 0; i < files.size(); ++i) {
        const QString& path = files.at(i);
        QString label = QDir::toNativeSeparators(path);
        label.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = in_menu.addAction(QStringLiteral("&%1 %2").arg(
            i + 1 == 10 ? QStringLiteral("1&0") : QString::number(i + 1), label));
        item->setData(ID_FILE_MRU_FILE1 + i);
        item->setStatusTip(QStringLiteral("Open this document"));
        QObject::connect(item, &QAction::triggered, &in_app,
                         [&in_app, path]() { in_app.OpenDocumentFile(path); });
    }
}

// The open bank windows, the active one checked.
void AddWindows(QMenu& in_menu, CMainFrame& in_frame) {
    CChildFrame* active = in_frame.ActiveChildFrame();
    const std::vector<CChildFrame*> frames = in_frame.ChildFrames();
    for (size_t i = 0; i < frames.size(); ++i) {
        CChildFrame* frame = frames[i];
        QString title = frame->windowTitle();
        title.replace(QStringLiteral("[*]"),
                      frame->isWindowModified() ? QStringLiteral("*") : QString());
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item =
            in_menu.addAction(i < 9 ? QStringLiteral("&%1 %2").arg(i + 1).arg(title) : title);
        item->setCheckable(true);
        item->setChecked(frame == active);
        QObject::connect(item, &QAction::triggered, &in_frame, [&in_frame, frame]() {
            for (CChildFrame* each : in_frame.ChildFrames()) {
                if (each == frame) {
                    in_frame.GetMdiArea()->setActiveSubWindow(frame);
                }
            }
        });
    }
}

// The toggles of the dockable panels.
void AddPanels(QMenu& in_menu, CQuorlinApp& in_app) {
    if (CLibrarian* librarian = in_app.GetLibrarian(); librarian && librarian->GetPanel()) {
        in_menu.addAction(librarian->GetPanel()->toggleViewAction());
    }
}

CommandRow::Handler LiveCommand(CQuorlinApp& in_app, void (CLiveSound::*in_handler)()) {
    return [&in_app, in_handler]() {
        if (CLiveSound* live = in_app.GetLiveSound()) {
            (live->*in_handler)();
        }
    };
}

CommandRow::Handler SoundMakerCommand(CQuorlinApp& in_app, void (CSoundMaker::*in_handler)()) {
    return [&in_app, in_handler]() {
        if (CSoundMaker* maker = in_app.GetSoundMaker()) {
            (maker->*in_handler)();
        }
    };
}

}  // namespace

std::vector<CommandRow> FrameCommands(CMainFrame& in_frame, CQuorlinApp& in_app) {
    using M = FrameMenu;
    const auto bank = [&in_frame]() { return in_frame.ActiveView() != nullptr; };
    const auto transfer = [&in_frame, &in_app]() {
        return in_frame.ActiveView() && !in_app.IsMidiBusy();
    };
    const auto library = [&in_app]() {
        return in_app.GetLibrarian() && in_app.GetLibrarian()->GetService();
    };
    // The sound dialogs write into the bank while they are open: not while a transfer
    // reads or fills it.
    const auto changeable = [&in_frame, &in_app]() {
        const CQuorlinDoc* doc = DocumentOf(in_frame.ActiveView());
        return doc && !in_app.IsMidiBusy() && !doc->IsReceiving();
    };
    const auto never = []() { return false; };
    const auto live = [&in_app]() { return in_app.GetLiveSound() != nullptr; };
    const auto ctrl = [](Qt::Key in_key) { return QKeySequence(Qt::CTRL | in_key); };
    return {
        CommandRow(ID_FILE_NEW, "&New", "Create a new document")
            .Keys({ctrl(Qt::Key_N)})
            .In(M::File, 1, true)
            .Button(1, "New", QStyle::SP_FileIcon)
            .Does([&in_app]() { in_app.OnFileNew(); }),
        CommandRow(ID_FILE_OPEN, "&Open...", "Open an existing document")
            .Keys({ctrl(Qt::Key_O)})
            .In(M::File, 1, true)
            .Button(1, "Open", QStyle::SP_DialogOpenButton)
            .Does([&in_app]() { in_app.OnFileOpen(); }),
        CommandRow(ID_FILE_CLOSE, "&Close", "Close the active document")
            .In(M::File, 1)
            .Does([&in_frame]() {
                if (CQuorlinDoc* doc = DocumentOf(in_frame.ActiveView())) {
                    doc->OnCloseDocument();
                }
            })
            .EnabledWhen(bank),
        CommandRow(ID_FILE_SAVE, "&Save", "Save the active document")
            .Keys({ctrl(Qt::Key_S)})
            .In(M::File, 1)
            .Button(1, "Save", QStyle::SP_DialogSaveButton)
            .Does([&in_frame, &in_app]() { SaveActive(in_frame, in_app, false); })
            .EnabledWhen(bank),
        CommandRow(ID_FILE_SAVE_AS, "Save &As...", "Save the active document with a new name")
            .In(M::File, 1)
            .Does([&in_frame, &in_app]() { SaveActive(in_frame, in_app, true); })
            .EnabledWhen(bank),
        CommandRow(ID_OPEN_SYSEX_DATA, "Open Sysex Data",
                   "This opens a sysex data file for importing.")
            .In(M::File, 2)
            .Does(ViewCommand(in_frame, &CQuorlinView::OnOpenSysexData))
            .EnabledWhen(bank),
        CommandRow(ID_EXPORT_TO_MIDI, "Export to Midi")
            .In(M::File, 2)
            .Does(ViewCommand(in_frame, &CQuorlinView::OnExportToMidi))
            .EnabledWhen(bank),
        CommandRow(ID_OPEN_LIBRARY_FOLDER, "Open Library Folder",
                   "Open the folder of your library.")
            .In(M::File, 3, true)
            .Does(LibrarianCommand(in_app, &CLibrarian::OnOpenLibraryFolder))
            .EnabledWhen(library),
        CommandRow(ID_LIBRARY_SETTINGS, "Library Settings...", "Choose the folder of your library.")
            .In(M::File, 3, true)
            .Does(LibrarianCommand(in_app, &CLibrarian::OnLibrarySettings))
            .EnabledWhen(library),
        CommandRow::Items(M::File, 4, true,
                          [&in_app](QMenu& in_menu) { AddRecentFiles(in_menu, in_app); }),
        CommandRow(ID_APP_EXIT, "E&xit", "Quit the application; prompts to save documents")
            .In(M::File, 5, true)
            .Does([&in_frame]() { in_frame.close(); }),

        CommandRow(ID_EDIT_UNDO, "&Undo", "Undo the last action")
            .Keys({ctrl(Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)})
            .In(M::Edit, 1)
            .MadeBy([&in_frame](const QString& in_text) {
                return in_frame.MakeUndoAction(true, in_text, QStringLiteral("&Undo %1"));
            }),
        CommandRow(ID_EDIT_REDO, "Redo", "Redo the previously undone action")
            .Keys({ctrl(Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)})
            .In(M::Edit, 1)
            .MadeBy([&in_frame](const QString& in_text) {
                return in_frame.MakeUndoAction(false, in_text, QStringLiteral("&Redo %1"));
            }),
        // Cut never applies to a bank entry.
        CommandRow(ID_EDIT_CUT, "Cu&t", "Cut the selection and put it on the Clipboard")
            .Keys({ctrl(Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)})
            .In(M::Edit, 2)
            .Button(3, "Cut", "cut")
            .EnabledWhen(never),
        CommandRow(ID_EDIT_COPY, "&Copy", "Copy the selection and put it on the Clipboard")
            .Keys({ctrl(Qt::Key_C), ctrl(Qt::Key_Insert)})
            .In(M::Edit, 2)
            .Button(3, "Copy", "copy")
            .Does(ViewCommand(in_frame, &CQuorlinView::OnEditCopy))
            .EnabledWhen(bank),
        CommandRow(ID_EDIT_PASTE, "&Paste", "Insert Clipboard contents")
            .Keys({ctrl(Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)})
            .In(M::Edit, 2)
            .Button(3, "Paste", "paste")
            .Does(ViewCommand(in_frame, &CQuorlinView::OnEditPaste))
            .EnabledWhen(bank),
        CommandRow(ID_RENAME, "Rename", "Rename the current tone/patch.")
            .Keys({ctrl(Qt::Key_R)})
            .In(M::Edit, 3)
            .Does(ViewCommand(in_frame, &CQuorlinView::OnRename))
            .EnabledWhen(bank),
        CommandRow(ID_COMPARE_WITH, "Compare With...",
                   "Compare this bank with another open bank or a bank file.")
            .In(M::Edit, 4)
            .Does(LibrarianCommand(in_app, &CLibrarian::OnCompareWith))
            .EnabledWhen(bank),
        CommandRow(ID_NAME_FROM_LIBRARY, "Name From Library",
                   "Give unnamed entries the names of entries with the same bytes in your library.")
            .In(M::Edit, 4)
            .Does(LibrarianCommand(in_app, &CLibrarian::OnNameFromLibrary))
            .EnabledWhen([bank, library]() { return bank() && library(); }),
        CommandRow(ID_BLEND_WITH, "Blend With...",
                   "Mix the selected tone or patch with another one of an open bank or the "
                   "library.")
            .In(M::Edit, 5)
            .Does(SoundMakerCommand(in_app, &CSoundMaker::OnBlendWith))
            .EnabledWhen(changeable),
        CommandRow(ID_MUTATE, "Mutate...",
                   "Vary the selected tone or patch at random, by a strength you choose.")
            .In(M::Edit, 5)
            .Does(SoundMakerCommand(in_app, &CSoundMaker::OnMutate))
            .EnabledWhen(changeable),
        CommandRow(ID_FIND_SIMILAR, "Find Similar",
                   "List the library's sounds nearest to the selected tone or patch.")
            .In(M::Edit, 5)
            .Does(SoundMakerCommand(in_app, &CSoundMaker::OnFindSimilar))
            .EnabledWhen([bank, library, &in_app]() {
                return bank() && library() && in_app.GetLibrarian()->GetPanel();
            }),

        CommandRow(ID_VIEW_TOOLBAR, "&Toolbar", "Show or hide the toolbar")
            .In(M::View, 1, true)
            .Does([&in_frame]() {
                in_frame.GetToolBar()->setVisible(in_frame.Action(ID_VIEW_TOOLBAR)->isChecked());
            })
            .CheckedWhen([&in_frame]() { return !in_frame.GetToolBar()->isHidden(); }),
        CommandRow(ID_VIEW_STATUS_BAR, "&Status Bar", "Show or hide the status bar")
            .In(M::View, 1, true)
            .Does([&in_frame]() {
                in_frame.statusBar()->setVisible(in_frame.Action(ID_VIEW_STATUS_BAR)->isChecked());
            })
            .CheckedWhen([&in_frame]() { return !in_frame.statusBar()->isHidden(); }),
        CommandRow(ID_VIEW_PARAMETERS, "&Parameters",
                   "Show or hide the parameters of the selected patch or tone")
            .In(M::View, 1)
            .Does([&in_frame]() {
                if (in_frame.Action(ID_VIEW_PARAMETERS)->isChecked()) {
                    in_frame.GetParametersPanel()->Open();
                } else {
                    in_frame.GetParametersPanel()->hide();
                }
            })
            .CheckedWhen([&in_frame]() {
                return in_frame.GetParametersPanel() && !in_frame.GetParametersPanel()->isHidden();
            }),
        CommandRow(
            ID_VIEW_MKS80_NOW, "MKS-80 now",
            "Show in the Parameters panel the sound the MKS-80 plays now, as it announced it")
            .In(M::View, 1)
            .Does([&in_frame, &in_app]() {
                if (CLiveSound* sound = in_app.GetLiveSound()) {
                    sound->ShowMks80Now(in_frame.Action(ID_VIEW_MKS80_NOW)->isChecked());
                }
            })
            .EnabledWhen(live)
            .CheckedWhen([&in_app]() {
                return in_app.GetLiveSound() && in_app.GetLiveSound()->IsShowingMks80Now();
            }),
        CommandRow::Items(M::View, 1, true,
                          [&in_app](QMenu& in_menu) { AddPanels(in_menu, in_app); }),
        // F6 and Shift+F6 carry the focus between the bank window and the panels docked
        // beside it, so the keyboard reaches every control.
        CommandRow(ID_NEXT_PANE, "Next Pane").Keys({QKeySequence(Qt::Key_F6)}).Does([&in_frame]() {
            in_frame.MovePaneFocus(true);
        }),
        CommandRow(ID_PREV_PANE, "Previous Pane")
            .Keys({QKeySequence(Qt::SHIFT | Qt::Key_F6)})
            .Does([&in_frame]() { in_frame.MovePaneFocus(false); }),

        CommandRow(ID_GET_PATCHES, "Get Patches", "Get Patch and Tone data from the MKS-80.")
            .In(M::Midi, 1)
            .Does(ViewCommand(in_frame, &CQuorlinView::OnGetPatches))
            .EnabledWhen(transfer),
        CommandRow(ID_SEND_PATCHES, "Send Patches", "Send Patch and Tone data to the MKS-80.")
            .In(M::Midi, 1)
            .Does(ViewCommand(in_frame, &CQuorlinView::OnSendPatches))
            .EnabledWhen(transfer),
        CommandRow(ID_COMPARE_WITH_MKS80, "Compare with MKS-80",
                   "Fetch the MKS-80's memory and compare it with this bank, which stays as it is.")
            .In(M::Midi, 1)
            .Does(LibrarianCommand(in_app, &CLibrarian::OnCompareWithMks80))
            .EnabledWhen(transfer),
        CommandRow(ID_LOAD_FROM_MKS80, "Load patches from the MKS-80",
                   "Load patches from the MKS-80 to this program.")
            .Button(2, "", "load-from-mks80")
            .Does(ViewCommand(in_frame, &CQuorlinView::OnGetPatches))
            .EnabledWhen(transfer),
        CommandRow(ID_SAVE_TO_MKS80, "Save patches to the MKS-80",
                   "Save patches from this program to the MKS-80.")
            .Button(2, "", "save-to-mks80")
            .Does(ViewCommand(in_frame, &CQuorlinView::OnSendPatches))
            .EnabledWhen(transfer),
        CommandRow(ID_AUDITION, "Audition",
                   "Play the selected patch or tone on the MKS-80, and every change made to it.")
            .In(M::Midi, 2)
            .Button(4, "Audition", QStyle::SP_MediaVolume)
            .Does([&in_frame, &in_app]() {
                if (CLiveSound* sound = in_app.GetLiveSound()) {
                    sound->SetAudition(in_frame.Action(ID_AUDITION)->isChecked());
                }
            })
            .EnabledWhen(live)
            .CheckedWhen([&in_app]() {
                return in_app.GetLiveSound() && in_app.GetLiveSound()->IsAuditionOn();
            }),
        CommandRow(ID_PLAY_TEST_NOTE, "Play Test Note",
                   "Play middle C on the MKS-80 for one second.")
            .In(M::Midi, 2)
            .Button(4, "Play Test Note", QStyle::SP_MediaPlay)
            .Does(LiveCommand(in_app, &CLiveSound::OnPlayTestNote))
            .EnabledWhen([&in_app]() { return in_app.GetLiveSound() && !in_app.IsMidiBusy(); }),
        CommandRow(ID_TAKE_CURRENT_SOUND, "Take Current Sound",
                   "Store the sound the MKS-80 plays now into the selected patch and its tones; "
                   "on once the MKS-80 has announced a patch chosen on it.")
            .In(M::Midi, 2)
            .Does(LiveCommand(in_app, &CLiveSound::OnTakeCurrentSound))
            .EnabledWhen(
                [&in_app]() { return in_app.GetLiveSound() && in_app.GetLiveSound()->CanTake(); }),
        CommandRow(ID_DISPLAY_SELECTION, "Display Current Selection Data")
            .In(M::Midi, 3)
            .Does(ViewCommand(in_frame, &CQuorlinView::OnDisplaySelectionData))
            .EnabledWhen(bank),
        CommandRow(ID_SELECT_MIDI_PORT, "Select MIDI Port",
                   "Selects the MIDI port the MKS-80 is attached to.")
            .In(M::Midi, 4)
            .Does(ViewCommand(in_frame, &CQuorlinView::OnSelectMidiPort))
            .EnabledWhen(bank),
        CommandRow(ID_SET_TRANSFER_SPEED, "Set Midi Transfer Speed",
                   "Set the speed that the data is sent and recieved from the MKS0-80.")
            .In(M::Midi, 4)
            .Does(ViewCommand(in_frame, &CQuorlinView::OnSetMidiTransferSpeed))
            .EnabledWhen(bank),
        // Two commands that no menu, button or key issues: the application's own
        // selection data display and the link's Disconnect, reachable as actions by id.
        CommandRow(ID_APP_DISPLAY_SELECTION, "Display Current Selection Data").Does([&in_app]() {
            in_app.DisplaySelectionData();
        }),
        CommandRow(ID_DISCONNECT, "Disconnect",
                   "Disconnects this program from the Midi port if it isn't already to let "
                   "other programs use the midi port.")
            .Does(ViewCommand(in_frame, &CQuorlinView::OnDisconnect)),

        CommandRow(ID_WINDOW_NEW, "&New Window", "Open another window for the active document")
            .In(M::Window, 1)
            .Does([&in_frame]() { in_frame.OnWindowNew(); })
            .EnabledWhen(bank),
        CommandRow(ID_WINDOW_CASCADE, "&Cascade", "Arrange windows so they overlap")
            .In(M::Window, 1)
            .Does([&in_frame]() { in_frame.OnCascade(); })
            .EnabledWhen(bank),
        CommandRow(ID_WINDOW_TILE_HORZ, "&Tile", "Arrange windows as non-overlapping tiles")
            .In(M::Window, 1)
            .Does([&in_frame]() { in_frame.GetMdiArea()->tileSubWindows(); })
            .EnabledWhen(bank),
        CommandRow(ID_WINDOW_ARRANGE, "&Arrange Icons", "Arrange icons at the bottom of the window")
            .In(M::Window, 1)
            .Does([&in_frame]() { in_frame.OnArrangeIcons(); })
            .EnabledWhen(bank),
        CommandRow::Items(M::Window, 2, false,
                          [&in_frame](QMenu& in_menu) { AddWindows(in_menu, in_frame); }),

        CommandRow(ID_HELP_CONTENTS, "Contents", "Opens the help web pages for this program.")
            .In(M::Help, 1)
            .Does(ViewCommand(in_frame, &CQuorlinView::OnHelpContents))
            .EnabledWhen(bank),
        CommandRow(ID_CHECK_VERSION, "Check for new version",
                   "This will open a web page which will inform the user if there is a more "
                   "recent version of this program available.")
            .In(M::Help, 2)
            .Does([&in_app]() { in_app.OnCheckVersion(); }),
        CommandRow(ID_APP_ABOUT, "&About Quorlin...",
                   "Display program information, version number and copyright")
            .In(M::Help, 2, true)
            .Does([&in_app]() { in_app.OnAppAbout(); }),
    };
}
