#include "dialogs/DialogLayout.h"

#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QWidget>
#include <algorithm>

CDialogLayout::CDialogLayout(QDialog& in_dialog)
    : m_Dialog(in_dialog),
      m_CharWidth(std::max(1, QFontMetrics(in_dialog.font()).averageCharWidth())),
      m_CharHeight(std::max(1, QFontMetrics(in_dialog.font()).height())) {}

QRect CDialogLayout::ToPixels(int in_x, int in_y, int in_width, int in_height) const {
    return QRect(in_x * m_CharWidth / 4, in_y * m_CharHeight / 8, in_width * m_CharWidth / 4,
                 in_height * m_CharHeight / 8);
}

void CDialogLayout::Place(QWidget* in_widget, int in_x, int in_y, int in_width,
                          int in_height) const {
    QRect rect = ToPixels(in_x, in_y, in_width, in_height);
    const QSize hint = in_widget->sizeHint();
    if (hint.isValid()) {
        rect.setWidth(std::max(rect.width(), hint.width()));
        rect.setHeight(std::max(rect.height(), hint.height()));
    }
    in_widget->setGeometry(rect);
}

void CDialogLayout::PlaceCombo(QComboBox* in_combo, int in_x, int in_y, int in_width,
                               int in_dropHeight) const {
    QRect rect = ToPixels(in_x, in_y, in_width, in_dropHeight);
    const int closedHeight = in_combo->sizeHint().height();
    // The open list shows as many items as the template's height leaves room for.
    const int rows = (rect.height() - closedHeight) / std::max(1, m_CharHeight);
    in_combo->setMaxVisibleItems(std::max(4, rows));
    rect.setHeight(closedHeight);
    in_combo->setGeometry(rect);
}

void CDialogLayout::Finish(int in_width, int in_height) const {
    QRect client = ToPixels(0, 0, in_width, in_height);
    const int margin = m_CharWidth;
    for (const QWidget* child :
         m_Dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->isWindow()) {
            continue;
        }
        client.setRight(std::max(client.right(), child->geometry().right() + margin));
        client.setBottom(std::max(client.bottom(), child->geometry().bottom() + margin));
    }
    m_Dialog.setFixedSize(client.size());
}
