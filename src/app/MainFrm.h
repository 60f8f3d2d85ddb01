#pragma once

#include <QMainWindow>
#include <QUndoGroup>
#include <map>
#include <vector>

#include "app/CommandTable.h"

class CChildFrame;
class CParametersPanel;
class CQuorlinApp;
class CQuorlinDoc;
class CQuorlinView;
class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

// The main frame: the area of bank windows, the menus (128 while no bank window is
// open, 129 while one is), the dockable toolbar and the status bar. Its commands are one
// table (CommandTable), from which the menus, the toolbar, the keys and the enabling are
// made; Undo and Redo are the actions of an undo group over the documents' histories.
class CMainFrame : public QMainWindow {
    Q_OBJECT

  public:
    explicit CMainFrame(CQuorlinApp& in_app);
    ~CMainFrame() override;

    // Creates the toolbar, the status bar and the menus. False when that failed.
    [[nodiscard]] bool LoadFrame();

    // The action of a command id (as on its QAction's data), or nullptr.
    QAction* Action(int in_id) const;
    const std::vector<CommandRow>& Commands() const { return m_Commands; }
    // 128 or 129: which menu the menu bar shows.
    int CurrentMenuId() const { return m_CurrentMenu; }
    QMdiArea* GetMdiArea() const { return m_ptrMdiArea; }
    QToolBar* GetToolBar() const { return m_ptrToolBar; }
    QLabel* GetMessagePane() const { return m_ptrMessagePane; }
    // View, Parameters: the selected entry of the active bank window.
    CParametersPanel* GetParametersPanel() const { return m_ptrParametersPanel; }
    QMenu* GetMenu(int in_menuId, const QString& in_title) const;

    // A new window on in_doc, 310 by 550, offset from the window made before it, made active.
    CChildFrame* AddBankWindow(CQuorlinDoc& in_doc);
    CChildFrame* ActiveChildFrame() const;
    CQuorlinView* ActiveView() const;
    std::vector<CChildFrame*> ChildFrames() const;

    // Enables and disables the commands by the rules of their rows; Undo and Redo act on
    // the active window's document, and on none while a fetch fills it.
    void UpdateCommandUI();
    void UpdateMenus();
    // Fills the menus again from the table and the program's state (recent files, panels).
    void RebuildMenus();
    void RefreshRecentFiles() { RebuildMenus(); }
    // The message pane's text while a transfer runs; empty shows "Ready".
    void SetTransferStatus(const QString& in_text);

    // The undo group's action for Undo (in_undo) or Redo, shown as in_idle while there is
    // no step to take and as in_step, the step's name in place of %1, while there is.
    QAction* MakeUndoAction(bool in_undo, const QString& in_idle, const QString& in_step);

    // Commands of the frame.
    // F6 / Shift+F6: the focus to the next or previous of the active bank window and the
    // docked panels.
    void MovePaneFocus(bool in_next);
    void OnWindowNew();
    void OnArrangeIcons();
    void OnCascade();

  protected:
    void closeEvent(QCloseEvent* in_event) override;

  private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void OnSubWindowActivated(QMdiSubWindow* in_window);
    void UpdateFrameTitle();
    // Where a window of in_size goes below and right of one at in_previous, as in a
    // cascade; back at the top left once half of it would lie outside the area.
    QPoint NextCascadePosition(const QPoint& in_previous, const QSize& in_size) const;

    CQuorlinApp& m_App;
    QMdiArea* m_ptrMdiArea = nullptr;
    QToolBar* m_ptrToolBar = nullptr;
    QLabel* m_ptrMessagePane = nullptr;
    std::vector<CommandRow> m_Commands;
    CParametersPanel* m_ptrParametersPanel = nullptr;
    std::map<int, QAction*> m_Actions;
    // The histories of the open documents; the active one is the active window's.
    QUndoGroup m_UndoGroup;
    // The menus of 128 and of 129, each with the kind of menu it is.
    std::vector<std::pair<QMenu*, FrameMenu>> m_Menus128;
    std::vector<std::pair<QMenu*, FrameMenu>> m_Menus129;
    // The bank window activated last: the active bank even while the area names none,
    // as when another program's window is the desktop's active one.
    // Cleared when that window goes; a QPointer could not be, as the area may activate a
    // window that is already being destroyed.
    CChildFrame* m_ptrLastActiveFrame = nullptr;
    int m_CurrentMenu = 0;
    int m_OpenWindows = 0;
    bool m_Destroying = false;
};
