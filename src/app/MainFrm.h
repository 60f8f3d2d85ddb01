#pragma once

#include <QMainWindow>
#include <map>
#include <vector>

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
// open, 129 while one is), the dockable toolbar and the status bar.
class CMainFrame : public QMainWindow {
    Q_OBJECT

  public:
    explicit CMainFrame(CQuorlinApp& in_app);
    ~CMainFrame() override;

    // Creates the toolbar, the status bar and the menus. False when that failed.
    [[nodiscard]] bool LoadFrame();

    // The action of a command id (as on its QAction's data), or nullptr.
    QAction* Action(int in_id) const;
    // Adds an action made elsewhere under its command id, with the frame's keys.
    void RegisterAction(int in_id, QAction* in_action);
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

    // Enables and disables the commands by the rules of the program.
    void UpdateCommandUI();
    void UpdateMenus();
    void RefreshRecentFiles();
    // The message pane's text while a transfer runs; empty shows "Ready".
    void SetTransferStatus(const QString& in_text);

    // Commands of the frame.
    void OnWindowNew();
    void OnArrangeIcons();
    void OnCascade();

  protected:
    void closeEvent(QCloseEvent* in_event) override;
    bool eventFilter(QObject* in_watched, QEvent* in_event) override;

  private:
    // Edit, Undo (in_undo) or Redo on the active window's document.
    void UndoRedo(bool in_undo);
    // F6 / Shift+F6: the focus to the next or previous of the active bank window and the
    // docked panels.
    void MovePaneFocus(bool in_next);
    QAction* MakeAction(int in_id, const QString& in_text, const QString& in_prompt);
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void FillFileMenu(QMenu* in_menu, bool in_bankOpen);
    void FillWindowMenu();
    void OnSubWindowActivated(QMdiSubWindow* in_window);
    void UpdateFrameTitle();
    // Where a window of in_size goes below and right of one at in_previous, as in a
    // cascade; back at the top left once half of it would lie outside the area.
    QPoint NextCascadePosition(const QPoint& in_previous, const QSize& in_size) const;
    void ViewCommand(void (CQuorlinView::*in_handler)());

    CQuorlinApp& m_App;
    QMdiArea* m_ptrMdiArea = nullptr;
    QToolBar* m_ptrToolBar = nullptr;
    QLabel* m_ptrMessagePane = nullptr;
    CParametersPanel* m_ptrParametersPanel = nullptr;
    std::map<int, QAction*> m_Actions;
    std::vector<QAction*> m_RecentActions;
    QMenu* m_ptrFileMenu128 = nullptr;
    QMenu* m_ptrFileMenu129 = nullptr;
    QMenu* m_ptrWindowMenu = nullptr;
    std::vector<QMenu*> m_Menus128;
    std::vector<QMenu*> m_Menus129;
    // The bank window activated last: the active bank even while the area names none,
    // as when another program's window is the desktop's active one.
    // Cleared when that window goes; a QPointer could not be, as the area may activate a
    // window that is already being destroyed.
    CChildFrame* m_ptrLastActiveFrame = nullptr;
    int m_CurrentMenu = 0;
    int m_OpenWindows = 0;
    bool m_Destroying = false;
};
