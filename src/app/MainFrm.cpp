#include "app/MainFrm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QTranslator>
#include <algorithm>
#include <set>

#include "app/ChildFrm.h"
#include "app/FrameCommands.h"
#include "app/LiveSound.h"
#include "app/Quorlin.h"
#include "app/QuorlinDoc.h"
#include "platform/Trace.h"
#include "view/CommandIds.h"
#include "view/ParametersPanel.h"
#include "view/QuorlinView.h"

namespace {

// The menu bar's menus, in their order; those without a bank window (menu 128) too
// when in_withoutBank.
struct MenuRow {
    FrameMenu kind;
    const char* title;
    bool withoutBank;
};
constexpr MenuRow kMenus[] = {
    {FrameMenu::File, "&File", true},      {FrameMenu::Edit, "&Edit", false},
    {FrameMenu::View, "&View", true},      {FrameMenu::Midi, "Midi", false},
    {FrameMenu::Window, "&Window", false}, {FrameMenu::Help, "&Help", true},
};

// Qt's undo group names its actions with texts of its own ("Undo %1" with the step's
// name, "Undo" without one), and those texts are translatable. While the group makes
// the frame's two actions, this supplies the program's own wording for them.
class UndoTexts : public QTranslator {
  public:
    UndoTexts(QString in_idle, QString in_step)
        : m_Idle(std::move(in_idle)), m_Step(std::move(in_step)) {}
    bool isEmpty() const override { return false; }
    QString translate(const char* in_context, const char* in_source, const char*,
                      int) const override {
        if (qstrcmp(in_context, "QUndoGroup") != 0) {
            return QString();
        }
        return QByteArray(in_source).contains("%1") ? m_Step : m_Idle;
    }

  private:
    QString m_Idle;
    QString m_Step;
};

}  // namespace

CMainFrame::CMainFrame(CQuorlinApp& in_app) : m_App(in_app) {
    setWindowTitle(QStringLiteral("Quorlin"));
    setWindowIcon(MakeIcon("quorlin", *this));
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

QAction* CMainFrame::MakeUndoAction(bool in_undo, const QString& in_idle, const QString& in_step) {
    // The key stands after a tab in both texts.
    const QString key = in_idle.section(QLatin1Char('\t'), 1);
    UndoTexts texts(in_idle, key.isEmpty() ? in_step : in_step + QLatin1Char('\t') + key);
    QCoreApplication::installTranslator(&texts);
    QAction* action =
        in_undo ? m_UndoGroup.createUndoAction(this) : m_UndoGroup.createRedoAction(this);
    QCoreApplication::removeTranslator(&texts);
    return action;
}

QAction* CMainFrame::Action(int in_id) const {
    const auto found = m_Actions.find(in_id);
    return found == m_Actions.end() ? nullptr : found->second;
}

void CMainFrame::CreateActions() {
    m_Commands = FrameCommands(*this, m_App);
    for (const CommandRow& row : m_Commands) {
        if (QAction* action = MakeCommandAction(row, *this)) {
            m_Actions[row.id] = action;
        }
    }
}

void CMainFrame::CreateToolBar() {
    m_ptrToolBar = new QToolBar(QStringLiteral("Toolbar"), this);
    m_ptrToolBar->setObjectName(QStringLiteral("ToolBar"));
    m_ptrToolBar->setMovable(true);
    m_ptrToolBar->setFloatable(true);
    m_ptrToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_ptrToolBar->setIconSize(QSize(16, 16));
    FillCommandToolBar(*m_ptrToolBar, m_Commands, [this](int in_id) { return Action(in_id); });
    addToolBar(Qt::TopToolBarArea, m_ptrToolBar);
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
}

void CMainFrame::SetTransferStatus(const QString& in_text) {
    m_ptrMessagePane->setText(in_text.isEmpty() ? QStringLiteral("Ready") : in_text);
}

void CMainFrame::CreateMenus() {
    for (const MenuRow& row : kMenus) {
        for (const bool bankOpen : {false, true}) {
            if (!bankOpen && !row.withoutBank) {
                continue;
            }
            auto* menu = new QMenu(QString::fromUtf8(row.title), this);
            (bankOpen ? m_Menus129 : m_Menus128).emplace_back(menu, row.kind);
            connect(menu, &QMenu::aboutToShow, this, [this, menu, kind = row.kind, bankOpen]() {
                // The list of windows changes with every window opened or closed.
                if (kind == FrameMenu::Window) {
                    FillCommandMenu(*menu, kind, bankOpen, m_Commands,
                                    [this](int in_id) { return Action(in_id); });
                }
                UpdateCommandUI();
            });
        }
    }
    RebuildMenus();
}

void CMainFrame::RebuildMenus() {
    for (const auto* menus : {&m_Menus128, &m_Menus129}) {
        for (const auto& [menu, kind] : *menus) {
            FillCommandMenu(*menu, kind, menus == &m_Menus129, m_Commands,
                            [this](int in_id) { return Action(in_id); });
        }
    }
}

QMenu* CMainFrame::GetMenu(int in_menuId, const QString& in_title) const {
    for (const auto& [menu, kind] : in_menuId == 128 ? m_Menus128 : m_Menus129) {
        if (menu->title() == in_title) {
            return menu;
        }
    }
    return nullptr;
}

void CMainFrame::UpdateMenus() {
    const int wanted = m_OpenWindows > 0 ? 129 : 128;
    if (wanted == m_CurrentMenu) {
        return;
    }
    m_CurrentMenu = wanted;
    menuBar()->clear();
    for (const auto& [menu, kind] : wanted == 129 ? m_Menus129 : m_Menus128) {
        menuBar()->addMenu(menu);
    }
}

void CMainFrame::UpdateCommandUI() {
    // Undo and Redo take back or do again the steps of the active window's document,
    // and none while a fetch fills that bank.
    CQuorlinDoc* doc = DocumentOf(ActiveView());
    m_UndoGroup.setActiveStack(doc && !doc->IsReceiving() ? &doc->GetUndoStack() : nullptr);
    UpdateCommandStates(m_Commands, [this](int in_id) { return Action(in_id); });
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

CChildFrame* CMainFrame::AddBankWindow(CQuorlinDoc& in_doc) {
    m_UndoGroup.addStack(&in_doc.GetUndoStack());
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
    CLiveSound* live = m_App.GetLiveSound();
    if (!live || !live->IsShowingMks80Now()) {
        m_ptrParametersPanel->FollowView(ActiveView());
    }
    if (live) {
        live->FollowView(ActiveView());
    }
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
