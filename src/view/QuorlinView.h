#pragma once

#include <memory>

#include "view/Rowview.h"

class BankDocument;
class QMenu;

// The window in which the user sees one bank: 64 rows "11" to "88", each with the
// patch and the tone of that number. The bank belongs to the document and is shared
// by every window open on it. The commands of the Edit and Midi menus arrive here.
class CQuorlinView : public CRowView {
    Q_OBJECT

  public:
    explicit CQuorlinView(BankDocument& in_doc, QWidget* in_parent = nullptr);
    ~CQuorlinView() override;

    int m_SelectedRow = 1;
    int m_SelectedColumn = 0;

    BankDocument* GetDocument() const { return m_ptrDoc; }

    void GetRowMetrics(const QFontMetrics& in_metrics, int& out_width, int& out_height,
                       int& out_charWidth) override;
    int GetSelectedRow() const override { return m_SelectedRow; }
    int GetSelectedColumn() const override { return m_SelectedColumn; }
    int GetNumRows() const override { return BANK_SIZE; }
    // Also tells RowsChanged: the document passes every changed entry on here.
    void RefreshRow(int in_row) override;
    void DrawRow(QPainter& in_painter, int in_row, int in_y, bool in_selected) override;
    void MoveSelection(bool in_down) override;
    void SelectCell(int in_row, int in_column) override;
    std::unique_ptr<QMimeData> CreateDataSource() override;
    bool PasteData(const QMimeData* in_data) override;
    CSysExData* GetSysExData() override;

    void OnInitialUpdate() override;

    // Repaints rows without scrolling, for entries that changed behind the view's back.
    void RepaintRows(int in_first, int in_count);
    // Closes the window this view sits in, without asking to save.
    void CloseFrame();

    // Commands.
    void OnEditCopy();
    void OnEditPaste();
    void OnRename();
    void OnGetPatches();
    void OnSendPatches();
    void OnDisplaySelectionData();
    void OnSelectMidiPort();
    void OnSetMidiTransferSpeed();
    void OnOpenSysexData();
    // Writes the bank as the instrument's dump, a .syx or a .mid file.
    void OnExportToMidi();
    void OnHelpContents();
    void OnDisconnect();

  Q_SIGNALS:
    // Another entry (row or column) is selected.
    void SelectionChanged();
    // The entries of these rows may have changed: edits, undo and redo, loads and
    // transfers all repaint their rows through RefreshRow or RepaintRows.
    void RowsChanged(int in_first, int in_count);

  protected:
    void OnUpdate() override;
    void OnReturnKey() override;
    // Hovering an entry shows what it plays or what plays it.
    bool viewportEvent(QEvent* in_event) override;
    void mousePressEvent(QMouseEvent* in_event) override;
    // The view takes drops only to show that none is possible here: refused on entry,
    // a drag is never offered a move or a drop.
    void dragEnterEvent(QDragEnterEvent* in_event) override;

  private:
    BankDocument* m_ptrDoc;
    // Popup menu 134; its commands act on this view.
    QMenu* m_ptrPopup = nullptr;
};
