#pragma once

#include <QAbstractScrollArea>
#include <QRect>
#include <memory>

#include "bank/SysExData.h"

class QMimeData;
class QPainter;
class QFontMetrics;

// A scrolling view of equal rows, one of which is selected in one of two columns.
// It owns the geometry (which rows a rectangle touches, scrolling, repainting) and the
// keyboard and mouse; the derived class says what the rows hold and paints them.
// Logical coordinates are viewport pixels moved by the scroll position.
class CRowView : public QAbstractScrollArea, public CBankView {
    Q_OBJECT

  public:
    explicit CRowView(QWidget* in_parent = nullptr);
    ~CRowView() override;

    // Brings the row into sight, repaints it and the previously selected row.
    void RefreshRow(int in_row) override;
    // Measures the rows with the viewport's current font.
    virtual void MeasureRows();
    virtual void ResetScrollSizes();
    // The row's rectangle in viewport coordinates.
    virtual QRect GetRowRect(int in_row) const;
    virtual int GetRowTop(int in_row) const;
    // The rows that a logical rectangle covers: touched ones when in_partial, else
    // only those wholly inside it.
    virtual void GetRowRange(const QRect& in_rect, int& out_first, int& out_last,
                             bool in_partial) const;
    virtual int GetMaxRows() const;

    virtual void GetRowMetrics(const QFontMetrics& in_metrics, int& out_width, int& out_height,
                               int& out_charWidth) = 0;
    virtual int GetSelectedRow() const = 0;
    virtual int GetSelectedColumn() const = 0;
    virtual int GetNumRows() const = 0;
    // Paints one row whose top is at viewport y in_y.
    virtual void DrawRow(QPainter& in_painter, int in_row, int in_y, bool in_selected) = 0;
    virtual void MoveSelection(bool in_down) = 0;
    virtual void SelectCell(int in_row, int in_column) = 0;
    // The clipboard record of the selected entry, or nullptr when there is none.
    virtual std::unique_ptr<QMimeData> CreateDataSource() = 0;
    // Stores a clipboard record into the selected entry; true when something was stored.
    virtual bool PasteData(const QMimeData* in_data) = 0;
    virtual CSysExData* GetSysExData() = 0;

    // Sizes the frame, scrolls to the top; called once the view is in its window.
    virtual void OnInitialUpdate();

    int m_RowWidth = 0;
    int m_RowHeight = 1;
    int m_CharWidth = 1;
    int m_LastSelectedRow = 0;
    int m_LastRowCount = 0;

  protected:
    virtual void OnUpdate();
    // Return on the view: open the name dialog of the selected entry.
    virtual void OnReturnKey() {}

    void paintEvent(QPaintEvent* in_event) override;
    void keyPressEvent(QKeyEvent* in_event) override;
    void mousePressEvent(QMouseEvent* in_event) override;
    void mouseMoveEvent(QMouseEvent* in_event) override;
    void mouseReleaseEvent(QMouseEvent* in_event) override;
    void resizeEvent(QResizeEvent* in_event) override;
    void scrollContentsBy(int in_dx, int in_dy) override;

    // The selection part of a left-button press (also run before the popup menu).
    void SelectAt(const QPoint& in_viewportPoint);
    // The row and column under a viewport point; false when no row is there.
    bool CellAt(const QPoint& in_viewportPoint, int& out_row, int& out_column);
    int ScrollY() const;

  private:
    std::unique_ptr<QMimeData> m_PendingDrag;
};
