#include "app/MainFrm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <set>

#include "app/ChildFrm.h"
#include "app/Librarian.h"
#include "app/Quorlin.h"
#include "app/QuorlinDoc.h"
#include "app/SoundMaker.h"
#include "platform/Trace.h"
#include "view/CommandIds.h"
#include "view/ParametersPanel.h"
#include "view/QuorlinView.h"

namespace {

QIcon ResourceIcon(const QString& in_name) {
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/%1.png").arg(in_name), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/%1@2x.png").arg(in_name), QSize(32, 32));
    return icon;
}
}  // namespace

CMainFrame::CMainFrame(CQuorlinApp& in_app) : m_App(in_app) {
    setWindowTitle(QStringLiteral("Quorlin"));
    setWindowIcon(ResourceIcon(QStringLiteral("quorlin")));
    setObjectName(QStringLiteral("MainFrame"));
}

CMainFrame::~CMainFrame() {
    // The bank windows go first, while this frame is still whole; their going needs
    // no menu or title updates any more.
    m_Destroying = true;
    QMdiArea* area = m_ptrMdiArea;
    m_ptrMdiArea = nullptr;
    delete area;
}

bool CMainFrame::LoadFrame() {
    m_ptrMdiArea = new QMdiArea(this);
    m_ptrMdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_ptrMdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_ptrMdiArea);
    connect(m_ptrMdiArea, &QMdiArea::subWindowActivated, this,
            [this](QMdiSubWindow* in_window) { OnSubWindowActivated(in_window); });

    CreateActions();
    // Hidden until View, Parameters asks for it; docked left of the bank windows, with
    // the Library on the right.
    m_ptrParametersPanel = new CParametersPanel(this);
    addDockWidget(Qt::LeftDockWidgetArea, m_ptrParametersPanel);
    m_ptrParametersPanel->hide();
    connect(m_ptrParametersPanel->toggleViewAction(), &QAction::toggled, Action(ID_VIEW_PARAMETERS),
            &QAction::setChecked);
    CreateToolBar();
    if (!m_ptrToolBar) {
        QUORLIN_TRACE("Failed to create toolbar\n");
        return false;
    }
    CreateStatusBar();
    CreateMenus();
    UpdateMenus();
    UpdateCommandUI();

    // Room for a bank window of 310 by 550 below the menus and the toolbar.
    QSize size(820, 720);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        size = size.boundedTo(screen->availableSize());
    }
    resize(size);
    return true;
}

QAction* CMainFrame::MakeAction(int in_id, const QString& in_text, const QString& in_prompt) {
    auto* action = new QAction(in_text, this);
    action->setData(in_id);
    if (!in_prompt.isEmpty()) {
        action->setStatusTip(in_prompt);
    }
    action->setShortcutContext(Qt::WindowShortcut);
    m_Actions[in_id] = action;
    return action;
}

void CMainFrame::RegisterAction(int in_id, QAction* in_action) {
    in_action->setShortcutContext(Qt::WindowShortcut);
    m_Actions[in_id] = in_action;
    addAction(in_action);
}

QAction* CMainFrame::Action(int in_id) const {
    const auto found = m_Actions.find(in_id);
    return found == m_Actions.end() ? nullptr : found->second;
}

void CMainFrame::ViewCommand(void (CQuorlinView::*in_handler)()) {
    if (CQuorlinView* view = ActiveView()) {
        (view->*in_handler)();
    }
}

void CMainFrame::CreateActions() {
    const auto on = [this](int in_id, auto in_handler) {
        connect(Action(in_id), &QAction::triggered, this, in_handler);
    };

    MakeAction(ID_FILE_NEW, QStringLiteral("&New\tCtrl+N"), QStringLiteral("Create a new document"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    on(ID_FILE_NEW, [this]() { m_App.OnFileNew(); });
    MakeAction(ID_FILE_OPEN, QStringLiteral("&Open...\tCtrl+O"),
               QStringLiteral("Open an existing document"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    on(ID_FILE_OPEN, [this]() { m_App.OnFileOpen(); });
    MakeAction(ID_FILE_CLOSE, QStringLiteral("&Close"),
               QStringLiteral("Close the active document"));
    on(ID_FILE_CLOSE, [this]() {
        if (CQuorlinView* view = ActiveView()) {
            DocumentOf(view)->OnCloseDocument();
        }
    });
    MakeAction(ID_FILE_SAVE, QStringLiteral("&Save\tCtrl+S"),
               QStringLiteral("Save the active document"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    on(ID_FILE_SAVE, [this]() {
        if (CQuorlinView* view = ActiveView()) {
            m_App.SetActiveBankView(view);
            DocumentOf(view)->DoSave(false);
        }
    });
    MakeAction(ID_FILE_SAVE_AS, QStringLiteral("Save &As..."),
               QStringLiteral("Save the active document with a new name"));
    on(ID_FILE_SAVE_AS, [this]() {
        if (CQuorlinView* view = ActiveView()) {
            m_App.SetActiveBankView(view);
            DocumentOf(view)->DoSave(true);
        }
    });
    MakeAction(ID_OPEN_SYSEX_DATA, QStringLiteral("Open Sysex Data"),
               QStringLiteral("This opens a sysex data file for importing."));
    on(ID_OPEN_SYSEX_DATA, [this]() { ViewCommand(&CQuorlinView::OnOpenSysexData); });
    MakeAction(ID_EXPORT_TO_MIDI, QStringLiteral("Export to Midi"), QString());
    on(ID_EXPORT_TO_MIDI, [this]() { ViewCommand(&CQuorlinView::OnExportToMidi); });
    MakeAction(ID_APP_EXIT, QStringLiteral("E&xit"),
               QStringLiteral("Quit the application; prompts to save documents"));
    on(ID_APP_EXIT, [this]() { close(); });

    MakeAction(ID_EDIT_UNDO, QStringLiteral("&Undo\tCtrl+Z"),
               QStringLiteral("Undo the last action"))
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)});
    on(ID_EDIT_UNDO, [this]() { UndoRedo(true); });
    MakeAction(ID_EDIT_REDO, QStringLiteral("Redo\tCtrl+Y"),
               QStringLiteral("Redo the previously undone action"))
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    on(ID_EDIT_REDO, [this]() { UndoRedo(false); });
    MakeAction(ID_EDIT_CUT, QStringLiteral("Cu&t\tCtrl+X"),
               QStringLiteral("Cut the selection and put it on the Clipboard"))
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)});
    Action(ID_EDIT_CUT)->setToolTip(QStringLiteral("Cut"));
    MakeAction(ID_EDIT_COPY, QStringLiteral("&Copy\tCtrl+C"),
               QStringLiteral("Copy the selection and put it on the Clipboard"))
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    Action(ID_EDIT_COPY)->setToolTip(QStringLiteral("Copy"));
    on(ID_EDIT_COPY, [this]() { ViewCommand(&CQuorlinView::OnEditCopy); });
    MakeAction(ID_EDIT_PASTE, QStringLiteral("&Paste\tCtrl+V"),
               QStringLiteral("Insert Clipboard contents"))
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)});
    Action(ID_EDIT_PASTE)->setToolTip(QStringLiteral("Paste"));
    on(ID_EDIT_PASTE, [this]() { ViewCommand(&CQuorlinView::OnEditPaste); });
    MakeAction(ID_RENAME, QStringLiteral("Rename\tCtrl+R"),
               QStringLiteral("Rename the current tone/patch."))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    on(ID_RENAME, [this]() { ViewCommand(&CQuorlinView::OnRename); });

    QAction* toolbarToggle = MakeAction(ID_VIEW_TOOLBAR, QStringLiteral("&Toolbar"),
                                        QStringLiteral("Show or hide the toolbar"));
    toolbarToggle->setCheckable(true);
    toolbarToggle->setChecked(true);
    QAction* statusToggle = MakeAction(ID_VIEW_STATUS_BAR, QStringLiteral("&Status Bar"),
                                       QStringLiteral("Show or hide the status bar"));
    statusToggle->setCheckable(true);
    statusToggle->setChecked(true);

    MakeAction(ID_VIEW_PARAMETERS, QStringLiteral("&Parameters"),
               QStringLiteral("Show or hide the parameters of the selected patch or tone"))
        ->setCheckable(true);
    on(ID_VIEW_PARAMETERS, [this](bool in_shown) {
        if (in_shown) {
            m_ptrParametersPanel->Open();
        } else {
            m_ptrParametersPanel->hide();
        }
    });

    // F6 and Shift+F6 of the accelerator table carry the focus between the bank window
    // and the panels docked beside it, so the keyboard reaches every control.
    MakeAction(ID_NEXT_PANE, QStringLiteral("Next Pane"), QString())
        ->setShortcut(QKeySequence(Qt::Key_F6));
    on(ID_NEXT_PANE, [this]() { MovePaneFocus(true); });
    MakeAction(ID_PREV_PANE, QStringLiteral("Previous Pane"), QString())
        ->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));
    on(ID_PREV_PANE, [this]() { MovePaneFocus(false); });

    MakeAction(ID_GET_PATCHES, QStringLiteral("Get Patches"),
               QStringLiteral("Get Patch and Tone data from the MKS-80."));
    on(ID_GET_PATCHES, [this]() { ViewCommand(&CQuorlinView::OnGetPatches); });
    MakeAction(ID_SEND_PATCHES, QStringLiteral("Send Patches"),
               QStringLiteral("Send Patch and Tone data to the MKS-80."));
    on(ID_SEND_PATCHES, [this]() { ViewCommand(&CQuorlinView::OnSendPatches); });
    MakeAction(ID_LOAD_FROM_MKS80, QStringLiteral("Load patches from the MKS-80"),
               QStringLiteral("Load patches from the MKS-80 to this program."));
    on(ID_LOAD_FROM_MKS80, [this]() { ViewCommand(&CQuorlinView::OnGetPatches); });
    MakeAction(ID_SAVE_TO_MKS80, QStringLiteral("Save patches to the MKS-80"),
               QStringLiteral("Save patches from this program to the MKS-80."));
    on(ID_SAVE_TO_MKS80, [this]() { ViewCommand(&CQuorlinView::OnSendPatches); });
    MakeAction(ID_DISPLAY_SELECTION, QStringLiteral("Display Current Selection Data"), QString());
    on(ID_DISPLAY_SELECTION, [this]() { ViewCommand(&CQuorlinView::OnDisplaySelectionData); });
    // Two commands that no menu, button or key issues: the application's own selection
    // data display and the link's Disconnect. They stay reachable as actions by id.
    MakeAction(ID_APP_DISPLAY_SELECTION, QStringLiteral("Display Current Selection Data"),
               QString());
    on(ID_APP_DISPLAY_SELECTION, [this]() { m_App.DisplaySelectionData(); });
    MakeAction(ID_DISCONNECT, QStringLiteral("Disconnect"),
               QStringLiteral("Disconnects this program from the Midi port if it isn't already to "
                              "let other programs use the midi port."));
    on(ID_DISCONNECT, [this]() { ViewCommand(&CQuorlinView::OnDisconnect); });
    MakeAction(ID_SELECT_MIDI_PORT, QStringLiteral("Select MIDI Port"),
               QStringLiteral("Selects the MIDI port the MKS-80 is attached to."));
    on(ID_SELECT_MIDI_PORT, [this]() { ViewCommand(&CQuorlinView::OnSelectMidiPort); });
    MakeAction(
        ID_SET_TRANSFER_SPEED, QStringLiteral("Set Midi Transfer Speed"),
        QStringLiteral("Set the speed that the data is sent and recieved from the MKS0-80."));
    on(ID_SET_TRANSFER_SPEED, [this]() { ViewCommand(&CQuorlinView::OnSetMidiTransferSpeed); });

    MakeAction(ID_WINDOW_NEW, QStringLiteral("&New Window"),
               QStringLiteral("Open another window for the active document"));
    on(ID_WINDOW_NEW, [this]() { OnWindowNew(); });
    MakeAction(ID_WINDOW_CASCADE, QStringLiteral("&Cascade"),
               QStringLiteral("Arrange windows so they overlap"));
    on(ID_WINDOW_CASCADE, [this]() { OnCascade(); });
    MakeAction(ID_WINDOW_TILE_HORZ, QStringLiteral("&Tile"),
               QStringLiteral("Arrange windows as non-overlapping tiles"));
    on(ID_WINDOW_TILE_HORZ, [this]() { m_ptrMdiArea->tileSubWindows(); });
    MakeAction(ID_WINDOW_ARRANGE, QStringLiteral("&Arrange Icons"),
               QStringLiteral("Arrange icons at the bottom of the window"));
    on(ID_WINDOW_ARRANGE, [this]() { OnArrangeIcons(); });

    MakeAction(ID_HELP_CONTENTS, QStringLiteral("Contents"),
               QStringLiteral("Opens the help web pages for this program."));
    on(ID_HELP_CONTENTS, [this]() { ViewCommand(&CQuorlinView::OnHelpContents); });
    MakeAction(ID_CHECK_VERSION, QStringLiteral("Check for new version"),
               QStringLiteral("This will open a web page which will inform the user if there is a "
                              "more recent version of this program available."));
    on(ID_CHECK_VERSION, [this]() { m_App.OnCheckVersion(); });
    MakeAction(ID_APP_ABOUT, QStringLiteral("&About Quorlin..."),
               QStringLiteral("Display program information, version number and copyright"));
    on(ID_APP_ABOUT, [this]() { m_App.OnAppAbout(); });

    // Keys of the accelerator table work wherever the frame has the focus.
    for (const auto& entry : m_Actions) {
        addAction(entry.second);
    }

    Action(ID_FILE_NEW)->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    Action(ID_FILE_NEW)->setToolTip(QStringLiteral("New"));
    Action(ID_FILE_OPEN)->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    Action(ID_FILE_OPEN)->setToolTip(QStringLiteral("Open"));
    Action(ID_FILE_SAVE)->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    Action(ID_FILE_SAVE)->setToolTip(QStringLiteral("Save"));
    Action(ID_LOAD_FROM_MKS80)->setIcon(ResourceIcon(QStringLiteral("load-from-mks80")));
    Action(ID_SAVE_TO_MKS80)->setIcon(ResourceIcon(QStringLiteral("save-to-mks80")));
    Action(ID_EDIT_CUT)->setIcon(ResourceIcon(QStringLiteral("cut")));
    Action(ID_EDIT_COPY)->setIcon(ResourceIcon(QStringLiteral("copy")));
    Action(ID_EDIT_PASTE)->setIcon(ResourceIcon(QStringLiteral("paste")));
}

void CMainFrame::CreateToolBar() {
    m_ptrToolBar = new QToolBar(QStringLiteral("Toolbar"), this);
    m_ptrToolBar->setObjectName(QStringLiteral("ToolBar"));
    m_ptrToolBar->setMovable(true);
    m_ptrToolBar->setFloatable(true);
    m_ptrToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_ptrToolBar->setIconSize(QSize(16, 16));
    for (int id : std::initializer_list<int>{ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, 0,
                                             ID_LOAD_FROM_MKS80, ID_SAVE_TO_MKS80, 0, ID_EDIT_CUT,
                                             ID_EDIT_COPY, ID_EDIT_PASTE}) {
        if (id == 0) {
            m_ptrToolBar->addSeparator();
        } else {
            m_ptrToolBar->addAction(Action(id));
        }
    }
    // The program's own two buttons have no tooltip, only their status-bar prompt.
    for (int id : std::initializer_list<int>{ID_LOAD_FROM_MKS80, ID_SAVE_TO_MKS80}) {
        if (QWidget* button = m_ptrToolBar->widgetForAction(Action(id))) {
            button->installEventFilter(this);
        }
    }
    addToolBar(Qt::TopToolBarArea, m_ptrToolBar);

    QAction* toggle = Action(ID_VIEW_TOOLBAR);
    connect(toggle, &QAction::triggered, m_ptrToolBar, &QToolBar::setVisible);
    connect(m_ptrToolBar, &QToolBar::visibilityChanged, toggle,
            [this, toggle](bool) { toggle->setChecked(!m_ptrToolBar->isHidden()); });
}

bool CMainFrame::eventFilter(QObject* in_watched, QEvent* in_event) {
    if (in_event->type() == QEvent::ToolTip) {
        return true;
    }
    return QMainWindow::eventFilter(in_watched, in_event);
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    m_ptrMessagePane = new QLabel(QStringLiteral("Ready"), bar);
    m_ptrMessagePane->setObjectName(QStringLiteral("MessagePane"));
    bar->addWidget(m_ptrMessagePane, 1);
    // Qt cannot read the state of the lock keys on every platform, so the three
    // indicators stand grayed, as they look while their lock is off, rather than
    // claiming that Caps Lock, Num Lock and Scroll Lock are all on.
    for (const char* text : {"CAP", "NUM", "SCRL"}) {
        auto* indicator = new QLabel(QString::fromLatin1(text), bar);
        indicator->setObjectName(QString::fromLatin1(text));
        indicator->setFrameShape(QFrame::Panel);
        indicator->setFrameShadow(QFrame::Sunken);
        indicator->setAlignment(Qt::AlignCenter);
        indicator->setEnabled(false);
        indicator->setMinimumWidth(
            indicator->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 8);
        bar->addPermanentWidget(indicator);
    }
    QAction* toggle = Action(ID_VIEW_STATUS_BAR);
    connect(toggle, &QAction::triggered, bar, &QStatusBar::setVisible);
}

void CMainFrame::SetTransferStatus(const QString& in_text) {
    m_ptrMessagePane->setText(in_text.isEmpty() ? QStringLiteral("Ready") : in_text);
}

void CMainFrame::CreateMenus() {
    const auto menu = [this](const QString& in_title) {
        auto* created = new QMenu(in_title, this);
        return created;
    };
    const auto add = [this](QMenu* in_menu, std::initializer_list<int> in_ids) {
        for (int id : in_ids) {
            if (id == 0) {
                in_menu->addSeparator();
            } else {
                in_menu->addAction(Action(id));
            }
        }
    };

    m_ptrFileMenu128 = menu(QStringLiteral("&File"));
    QMenu* view128 = menu(QStringLiteral("&View"));
    add(view128, {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR});
    QMenu* help128 = menu(QStringLiteral("&Help"));
    add(help128, {ID_APP_ABOUT});
    m_Menus128 = {m_ptrFileMenu128, view128, help128};

    m_ptrFileMenu129 = menu(QStringLiteral("&File"));
    QMenu* edit = menu(QStringLiteral("&Edit"));
    add(edit,
        {ID_EDIT_UNDO, ID_EDIT_REDO, 0, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, 0, ID_RENAME});
    QMenu* view129 = menu(QStringLiteral("&View"));
    add(view129, {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_VIEW_PARAMETERS});
    QMenu* midi = menu(QStringLiteral("Midi"));
    add(midi, {ID_GET_PATCHES, ID_SEND_PATCHES, 0, ID_DISPLAY_SELECTION, 0, ID_SELECT_MIDI_PORT,
               ID_SET_TRANSFER_SPEED});
    m_ptrWindowMenu = menu(QStringLiteral("&Window"));
    QMenu* help129 = menu(QStringLiteral("&Help"));
    add(help129, {ID_HELP_CONTENTS, 0, ID_CHECK_VERSION, ID_APP_ABOUT});
    m_Menus129 = {m_ptrFileMenu129, edit, view129, midi, m_ptrWindowMenu, help129};

    FillFileMenu(m_ptrFileMenu128, false);
    FillFileMenu(m_ptrFileMenu129, true);
    FillWindowMenu();
    for (QMenu* each : m_Menus128) {
        connect(each, &QMenu::aboutToShow, this, [this]() { UpdateCommandUI(); });
    }
    for (QMenu* each : m_Menus129) {
        connect(each, &QMenu::aboutToShow, this, [this]() { UpdateCommandUI(); });
    }
    connect(m_ptrWindowMenu, &QMenu::aboutToShow, this, [this]() { FillWindowMenu(); });
}

QMenu* CMainFrame::GetMenu(int in_menuId, const QString& in_title) const {
    for (QMenu* each : in_menuId == 128 ? m_Menus128 : m_Menus129) {
        if (each->title() == in_title) {
            return each;
        }
    }
    return nullptr;
}

void CMainFrame::FillFileMenu(QMenu* in_menu, bool in_bankOpen) {
    in_menu->clear();
    const auto add = [&](int in_id) { in_menu->addAction(Action(in_id)); };
    add(ID_FILE_NEW);
    add(ID_FILE_OPEN);
    if (in_bankOpen) {
        add(ID_FILE_CLOSE);
        add(ID_FILE_SAVE);
        add(ID_FILE_SAVE_AS);
        in_menu->addSeparator();
        add(ID_OPEN_SYSEX_DATA);
        add(ID_EXPORT_TO_MIDI);
    }
    // The library's items, once the librarian has made them.
    if (Action(ID_OPEN_LIBRARY_FOLDER)) {
        in_menu->addSeparator();
        add(ID_OPEN_LIBRARY_FOLDER);
        add(ID_LIBRARY_SETTINGS);
    }
    in_menu->addSeparator();
    const QStringList files = m_App.GetRecentFileList();
    if (files.isEmpty()) {
        QAction* placeholder = in_menu->addAction(QStringLiteral("Recent File"));
        placeholder->setData(ID_FILE_MRU_FILE1);
        placeholder->setEnabled(false);
    }
    for (int i = 0; i < files.size(); ++i) {
        const QString& path = files.at(i);
        QString label = QDir::toNativeSeparators(path);
        label.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = in_menu->addAction(QStringLiteral("&%1 %2").arg(
            i + 1 == 10 ? QStringLiteral("1&0") : QString::number(i + 1), label));
        item->setData(ID_FILE_MRU_FILE1 + i);
        item->setStatusTip(QStringLiteral("Open this document"));
        connect(item, &QAction::triggered, this, [this, path]() { m_App.OpenDocumentFile(path); });
    }
    in_menu->addSeparator();
    add(ID_APP_EXIT);
}

void CMainFrame::RefreshRecentFiles() {
    FillFileMenu(m_ptrFileMenu128, false);
    FillFileMenu(m_ptrFileMenu129, true);
}

void CMainFrame::FillWindowMenu() {
    m_ptrWindowMenu->clear();
    for (int id : std::initializer_list<int>{ID_WINDOW_NEW, ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ,
                                             ID_WINDOW_ARRANGE}) {
        m_ptrWindowMenu->addAction(Action(id));
    }
    const std::vector<CChildFrame*> frames = ChildFrames();
    if (!frames.empty()) {
        m_ptrWindowMenu->addSeparator();
    }
    CChildFrame* active = ActiveChildFrame();
    for (size_t i = 0; i < frames.size(); ++i) {
        CChildFrame* frame = frames[i];
        QString title = frame->windowTitle();
        title.replace(QStringLiteral("[*]"),
                      frame->isWindowModified() ? QStringLiteral("*") : QString());
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = m_ptrWindowMenu->addAction(
            i < 9 ? QStringLiteral("&%1 %2").arg(i + 1).arg(title) : title);
        item->setCheckable(true);
        item->setChecked(frame == active);
        connect(item, &QAction::triggered, this, [this, frame]() {
            for (CChildFrame* each : ChildFrames()) {
                if (each == frame) {
                    m_ptrMdiArea->setActiveSubWindow(frame);
                }
            }
        });
    }
}

void CMainFrame::UpdateMenus() {
    const int wanted = m_OpenWindows > 0 ? 129 : 128;
    if (wanted == m_CurrentMenu) {
        return;
    }
    m_CurrentMenu = wanted;
    menuBar()->clear();
    for (QMenu* each : wanted == 129 ? m_Menus129 : m_Menus128) {
        menuBar()->addMenu(each);
    }
}

void CMainFrame::UpdateCommandUI() {
    const bool haveView = ActiveView() != nullptr;
    const bool canTransfer = haveView && !m_App.IsMidiBusy();
    for (int id : std::initializer_list<int>{
             ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_OPEN_SYSEX_DATA, ID_EXPORT_TO_MIDI,
             ID_EDIT_COPY, ID_EDIT_PASTE, ID_RENAME, ID_DISPLAY_SELECTION, ID_SELECT_MIDI_PORT,
             ID_SET_TRANSFER_SPEED, ID_WINDOW_NEW, ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ,
             ID_WINDOW_ARRANGE, ID_HELP_CONTENTS}) {
        Action(id)->setEnabled(haveView);
    }
    for (int id : std::initializer_list<int>{ID_GET_PATCHES, ID_SEND_PATCHES, ID_LOAD_FROM_MKS80,
                                             ID_SAVE_TO_MKS80}) {
        Action(id)->setEnabled(canTransfer);
    }
    if (CLibrarian* librarian = m_App.GetLibrarian()) {
        librarian->UpdateCommandUI();
    }
    if (CSoundMaker* maker = m_App.GetSoundMaker()) {
        maker->UpdateCommandUI();
    }
    // Cut never applies to a bank entry.
    for (int id : std::initializer_list<int>{ID_EDIT_CUT}) {
        Action(id)->setEnabled(false);
    }
    // Undo and Redo name the step they take back or do again, in the active window's
    // document.
    CQuorlinDoc* doc = DocumentOf(ActiveView());
    const auto offer = [](QAction* in_action, bool in_can, const QString& in_verb,
                          const QString& in_step, const QString& in_idle) {
        in_action->setEnabled(in_can);
        QString step = in_step;
        in_action->setText(
            in_can ? in_verb.arg(step.replace(QLatin1Char('&'), QStringLiteral("&&"))) : in_idle);
    };
    offer(Action(ID_EDIT_UNDO), doc && doc->CanUndo(), QStringLiteral("&Undo %1\tCtrl+Z"),
          doc ? doc->GetUndoStack().undoText() : QString(), QStringLiteral("&Undo\tCtrl+Z"));
    offer(Action(ID_EDIT_REDO), doc && doc->CanRedo(), QStringLiteral("&Redo %1\tCtrl+Y"),
          doc ? doc->GetUndoStack().redoText() : QString(), QStringLiteral("Redo\tCtrl+Y"));
}

void CMainFrame::MovePaneFocus(bool in_next) {
    std::vector<QWidget*> panes;
    if (CQuorlinView* view = ActiveView()) {
        panes.push_back(view);
    }
    // The bank window, the Parameters panel, then the other panels.
    std::vector<QDockWidget*> docks{m_ptrParametersPanel};
    for (QDockWidget* dock : findChildren<QDockWidget*>()) {
        if (dock != m_ptrParametersPanel) {
            docks.push_back(dock);
        }
    }
    for (QDockWidget* dock : docks) {
        if (dock->isVisible() && !dock->isFloating()) {
            panes.push_back(dock);
        }
    }
    if (panes.empty()) {
        return;
    }
    const QWidget* focus = QApplication::focusWidget();
    const auto current = std::find_if(panes.begin(), panes.end(), [focus](QWidget* in_pane) {
        return focus && (in_pane == focus || in_pane->isAncestorOf(focus));
    });
    const int count = static_cast<int>(panes.size());
    const int at = current == panes.end() ? -1 : static_cast<int>(current - panes.begin());
    QWidget* pane =
        panes[static_cast<size_t>(at < 0 ? 0 : (at + (in_next ? 1 : count - 1)) % count)];
    // A panel's first control that takes the focus from the keyboard.
    QWidget* target = pane;
    if (pane != ActiveView()) {
        for (QWidget* each = pane->nextInFocusChain(); each != pane;
             each = each->nextInFocusChain()) {
            if (pane->isAncestorOf(each) && each->isVisible() && each->isEnabled() &&
                (each->focusPolicy() & Qt::TabFocus)) {
                target = each;
                break;
            }
        }
    }
    target->setFocus(in_next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void CMainFrame::UndoRedo(bool in_undo) {
    CQuorlinDoc* doc = DocumentOf(ActiveView());
    // A key can arrive while the item is off (a fetch into this bank runs).
    if (!doc || !(in_undo ? doc->CanUndo() : doc->CanRedo())) {
        return;
    }
    if (in_undo) {
        doc->GetUndoStack().undo();
    } else {
        doc->GetUndoStack().redo();
    }
    UpdateCommandUI();
}

CChildFrame* CMainFrame::AddBankWindow(CQuorlinDoc& in_doc) {
    const std::vector<CChildFrame*> before = ChildFrames();
    auto* frame = new CChildFrame(in_doc);
    m_ptrMdiArea->addSubWindow(frame);
    ++m_OpenWindows;
    connect(frame, &QObject::destroyed, this, [this, frame]() {
        --m_OpenWindows;
        if (m_ptrLastActiveFrame == frame) {
            m_ptrLastActiveFrame = nullptr;
        }
        if (m_Destroying) {
            return;
        }
        UpdateMenus();
        UpdateCommandUI();
        UpdateFrameTitle();
    });
    connect(frame, &QMdiSubWindow::windowStateChanged, this, [this]() { UpdateFrameTitle(); });
    frame->show();
    frame->GetView()->OnInitialUpdate();
    // Below and right of the window made before, not on top of it; back to the top left
    // when that would leave the area.
    if (!before.empty() && !frame->isMaximized()) {
        frame->move(NextCascadePosition(before.back()->pos(), frame->size()));
    }
    m_ptrMdiArea->setActiveSubWindow(frame);
    frame->GetView()->setFocus();
    // Every window of the document shows its number now.
    Q_EMIT in_doc.TitleChanged();
    connect(&in_doc, &CQuorlinDoc::TitleChanged, this, &CMainFrame::UpdateFrameTitle,
            Qt::UniqueConnection);
    connect(&in_doc, &CQuorlinDoc::UndoStateChanged, this, &CMainFrame::UpdateCommandUI,
            Qt::UniqueConnection);
    UpdateMenus();
    UpdateCommandUI();
    UpdateFrameTitle();
    return frame;
}

CChildFrame* CMainFrame::ActiveChildFrame() const {
    if (!m_ptrMdiArea) {
        return nullptr;
    }
    if (auto* frame = qobject_cast<CChildFrame*>(m_ptrMdiArea->currentSubWindow())) {
        return frame;
    }
    const std::vector<CChildFrame*> frames = ChildFrames();
    if (m_ptrLastActiveFrame &&
        std::find(frames.begin(), frames.end(), m_ptrLastActiveFrame) != frames.end()) {
        return m_ptrLastActiveFrame;
    }
    return nullptr;
}

CQuorlinView* CMainFrame::ActiveView() const {
    CChildFrame* frame = ActiveChildFrame();
    return frame ? frame->GetView() : nullptr;
}

std::vector<CChildFrame*> CMainFrame::ChildFrames() const {
    std::vector<CChildFrame*> frames;
    if (!m_ptrMdiArea) {
        return frames;
    }
    for (QMdiSubWindow* each : m_ptrMdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (auto* frame = qobject_cast<CChildFrame*>(each)) {
            frames.push_back(frame);
        }
    }
    return frames;
}

void CMainFrame::OnSubWindowActivated(QMdiSubWindow* in_window) {
    if (auto* frame = qobject_cast<CChildFrame*>(in_window)) {
        QUORLIN_TRACE("\nNew view active");
        m_ptrLastActiveFrame = frame;
        m_App.SetActiveBankView(frame->GetView());
    }
    m_ptrParametersPanel->FollowView(ActiveView());
    UpdateMenus();
    UpdateCommandUI();
    UpdateFrameTitle();
}

void CMainFrame::UpdateFrameTitle() {
    if (m_Destroying) {
        return;
    }
    CChildFrame* frame = ActiveChildFrame();
    if (!frame || m_OpenWindows == 0) {
        setWindowTitle(QStringLiteral("Quorlin"));
        setWindowModified(false);
        return;
    }
    // A maximised bank window puts its own title in brackets behind the frame's, as
    // Qt does; otherwise the frame names the active bank itself.
    if (frame->isMaximized()) {
        setWindowTitle(QStringLiteral("Quorlin"));
    } else {
        setWindowTitle(QStringLiteral("Quorlin - %1[*]").arg(frame->GetDocument()->GetTitle()));
    }
    setWindowModified(frame->GetDocument()->IsModified());
}

void CMainFrame::OnWindowNew() {
    if (CQuorlinView* view = ActiveView()) {
        AddBankWindow(*DocumentOf(view));
    }
}

QPoint CMainFrame::NextCascadePosition(const QPoint& in_previous, const QSize& in_size) const {
    const int step = std::max(20, style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4);
    const QPoint next = in_previous + QPoint(step, step);
    // Before the frame is first shown (the banks named on the command line) the area
    // has no size of its own yet.
    if (!m_ptrMdiArea->isVisible()) {
        return next;
    }
    const QSize area = m_ptrMdiArea->viewport()->size();
    if (next.x() + in_size.width() / 2 > area.width() ||
        next.y() + in_size.height() / 2 > area.height()) {
        return QPoint(0, 0);
    }
    return next;
}

void CMainFrame::OnCascade() {
    // Qt's own cascade shrinks every window to fit the area, cutting the bank's rows and
    // names; here each keeps at least the size it opened with. The active window goes
    // last, on top.
    std::vector<CChildFrame*> frames;
    CChildFrame* active = ActiveChildFrame();
    for (CChildFrame* frame : ChildFrames()) {
        if (!frame->isMinimized() && frame != active) {
            frames.push_back(frame);
        }
    }
    if (active && !active->isMinimized()) {
        frames.push_back(active);
    }
    const QSize least(310, 550);
    bool first = true;
    QPoint position(0, 0);
    for (CChildFrame* frame : frames) {
        if (frame->isMaximized()) {
            frame->showNormal();
        }
        const QSize size = frame->size().expandedTo(least);
        position = first ? QPoint(0, 0) : NextCascadePosition(position, size);
        first = false;
        frame->setGeometry(QRect(position, size));
        frame->raise();
    }
    if (active) {
        m_ptrMdiArea->setActiveSubWindow(active);
    }
}

void CMainFrame::OnArrangeIcons() {
    // Minimised windows in a row along the bottom of the area.
    int x = 0;
    for (CChildFrame* frame : ChildFrames()) {
        if (frame->isMinimized()) {
            const QSize size = frame->size();
            frame->move(x, m_ptrMdiArea->viewport()->height() - size.height());
            x += size.width();
        }
    }
}

void CMainFrame::closeEvent(QCloseEvent* in_event) {
    std::set<CQuorlinDoc*> asked;
    for (CChildFrame* frame : ChildFrames()) {
        CQuorlinDoc* doc = frame->GetDocument();
        if (asked.insert(doc).second && !doc->SaveModified()) {
            in_event->ignore();
            return;
        }
    }
    in_event->accept();
}
