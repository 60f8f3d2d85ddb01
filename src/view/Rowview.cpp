#include "view/Rowview.h"

#include <QApplication>
#include <QDrag>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

CRowView::CRowView(QWidget* in_parent) : QAbstractScrollArea(in_parent) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(true);
    // With a row width of 0 the view never scrolls sideways.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

CRowView::~CRowView() = default;

int CRowView::ScrollY() const {
    return verticalScrollBar()->value();
}

void CRowView::MeasureRows() {
    const QFontMetrics metrics(viewport()->font());
    GetRowMetrics(metrics, m_RowWidth, m_RowHeight, m_CharWidth);
    // A font of height 0 would divide by zero everywhere below.
    m_RowHeight = std::max(1, m_RowHeight);
    m_CharWidth = std::max(1, m_CharWidth);
}

int CRowView::GetRowTop(int in_row) const {
    return in_row * m_RowHeight;
}

int CRowView::GetMaxRows() const {
    return 32767 / m_RowHeight - 1;
}

void CRowView::GetRowRange(const QRect& in_rect, int& out_first, int& out_last,
                           bool in_partial) const {
    const int r = in_partial ? 0 : m_RowHeight - 1;
    // bottom() is the last pixel row inside the rectangle, so a rectangle that ends
    // where a row begins does not touch that row.
    out_first = (in_rect.top() + r) / m_RowHeight;
    out_last = (in_rect.bottom() - r) / m_RowHeight;
    out_last = std::min(out_last, GetNumRows() - 1);
}

QRect CRowView::GetRowRect(int in_row) const {
    return QRect(0, GetRowTop(in_row) - ScrollY(), viewport()->width(), m_RowHeight);
}

void CRowView::ResetScrollSizes() {
    MeasureRows();
    const int clientWidth = viewport()->width();
    const int clientHeight = viewport()->height();
    const int rows = std::min(GetNumRows(), GetMaxRows());
    const int totalWidth = m_RowWidth;
    const int totalHeight = m_RowHeight * rows;
    const int pageHeight = std::max(m_RowHeight, (clientHeight / m_RowHeight - 1) * m_RowHeight);

    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, std::max(0, totalHeight - clientHeight));
    vertical->setPageStep(pageHeight);
    vertical->setSingleStep(m_RowHeight);

    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, totalWidth - clientWidth));
    horizontal->setPageStep(std::max(1, totalWidth / 5));
    horizontal->setSingleStep(std::max(1, totalWidth / 20));
}

void CRowView::RefreshRow(int in_row) {
    if (GetNumRows() != m_LastRowCount) {
        ResetScrollSizes();
        m_LastRowCount = GetNumRows();
    }
    MeasureRows();

    const int clientHeight = viewport()->height();
    int first = 0;
    int last = 0;
    GetRowRange(QRect(0, ScrollY(), viewport()->width(), clientHeight), first, last, false);

    int newY = ScrollY();
    if (in_row < first) {
        newY = GetRowTop(in_row);
    } else if (in_row > last) {
        newY = std::max(0, GetRowTop(in_row + 1) - clientHeight);
    }
    if (newY != ScrollY()) {
        verticalScrollBar()->setValue(newY);
    }

    viewport()->update(GetRowRect(in_row));
    if (GetSelectedRow() != m_LastSelectedRow) {
        viewport()->update(GetRowRect(m_LastSelectedRow));
        m_LastSelectedRow = GetSelectedRow();
    }
}

void CRowView::OnInitialUpdate() {
    m_LastRowCount = GetNumRows();
    m_LastSelectedRow = GetSelectedRow();
    // The bank window opens 310 by 550; the main frame places it.
    QWidget* frame = parentWidget();
    while (frame && !qobject_cast<QMdiSubWindow*>(frame)) {
        frame = frame->parentWidget();
    }
    if (frame) {
        frame->setGeometry(0, 0, 310, 550);
    }
    OnUpdate();
}

void CRowView::OnUpdate() {
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
    ResetScrollSizes();
}

void CRowView::paintEvent(QPaintEvent* in_event) {
    if (GetNumRows() == 0) {
        return;
    }
    MeasureRows();
    QPainter painter(viewport());
    painter.setFont(viewport()->font());
    painter.translate(-horizontalScrollBar()->value(), 0);

    const QRect clip = in_event->rect().translated(horizontalScrollBar()->value(), ScrollY());
    int first = 0;
    int last = 0;
    GetRowRange(clip, first, last, true);
    const int selected = GetSelectedRow();
    const int maxRows = GetMaxRows();
    for (int n = std::max(0, first); n <= last; ++n) {
        if (n >= maxRows - 1) {
            break;
        }
        DrawRow(painter, n, GetRowTop(n) - ScrollY(), n == selected);
    }
}

void CRowView::keyPressEvent(QKeyEvent* in_event) {
    const int key = in_event->key();
    // The page keys scroll a list taller than the window by a page, the side keys one
    // wider than it by a step.
    const bool page = key == Qt::Key_PageUp || key == Qt::Key_PageDown;
    if (page && viewport()->height() < m_RowHeight * std::min(GetNumRows(), GetMaxRows())) {
        verticalScrollBar()->triggerAction(key == Qt::Key_PageUp
                                               ? QAbstractSlider::SliderPageStepSub
                                               : QAbstractSlider::SliderPageStepAdd);
    }
    const bool side = key == Qt::Key_Left || key == Qt::Key_Right;
    if (side && viewport()->width() < m_RowWidth) {
        horizontalScrollBar()->triggerAction(key == Qt::Key_Left
                                                 ? QAbstractSlider::SliderSingleStepSub
                                                 : QAbstractSlider::SliderSingleStepAdd);
    }

    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            OnReturnKey();
            QAbstractScrollArea::keyPressEvent(in_event);
            return;
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            break;
        case Qt::Key_End:
            SelectCell(std::min(GetNumRows() - 1, GetMaxRows() - 2), 0);
            break;
        case Qt::Key_Home:
            SelectCell(0, 0);
            break;
        case Qt::Key_Left:
        case Qt::Key_Right:
            // Left chooses the patch of the row, right its tone.
            SelectCell(GetSelectedRow(), key == Qt::Key_Right ? 1 : 0);
            break;
        case Qt::Key_Up:
        case Qt::Key_Down:
            MoveSelection(key == Qt::Key_Down);
            break;
        default:
            QAbstractScrollArea::keyPressEvent(in_event);
            return;
    }
    in_event->accept();
}

void CRowView::SelectAt(const QPoint& in_viewportPoint) {
    int row = 0;
    int column = 0;
    if (CellAt(in_viewportPoint, row, column)) {
        SelectCell(row, column);
    }
}

bool CRowView::CellAt(const QPoint& in_viewportPoint, int& out_row, int& out_column) {
    MeasureRows();
    const QPoint logical = in_viewportPoint + QPoint(horizontalScrollBar()->value(), ScrollY());
    int first = 0;
    int last = 0;
    GetRowRange(QRect(logical, QSize(1, 1)), first, last, true);
    out_row = first;
    out_column = logical.x() > 17 * m_CharWidth ? 1 : 0;
    return first <= GetNumRows() - 1;
}

void CRowView::mousePressEvent(QMouseEvent* in_event) {
    if (in_event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(in_event);
        return;
    }
    SelectAt(in_event->position().toPoint());
    // The selected entry is offered for dragging as soon as the mouse moves with
    // the button held; releasing first ends it without a drag.
    m_PendingDrag = CreateDataSource();
    viewport()->update();
    in_event->accept();
}

void CRowView::mouseMoveEvent(QMouseEvent* in_event) {
    if (!m_PendingDrag || !(in_event->buttons() & Qt::LeftButton)) {
        QAbstractScrollArea::mouseMoveEvent(in_event);
        return;
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(m_PendingDrag.release());
    // Whatever the target does with it, nothing in this bank changes.
    (void)drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
    in_event->accept();
}

void CRowView::mouseReleaseEvent(QMouseEvent* in_event) {
    m_PendingDrag.reset();
    QAbstractScrollArea::mouseReleaseEvent(in_event);
}

void CRowView::resizeEvent(QResizeEvent* in_event) {
    QAbstractScrollArea::resizeEvent(in_event);
    ResetScrollSizes();
}

void CRowView::scrollContentsBy(int in_dx, int in_dy) {
    // Move what is already painted; only the uncovered strip is painted anew.
    viewport()->scroll(in_dx, in_dy);
}
