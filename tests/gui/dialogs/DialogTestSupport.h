#pragma once

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <vector>

#include "bank/SysExData.h"

// The setup dialog's answers to its Test button.
inline const char* const kFound = "Test was successful!";
inline const char* const kNotFound = "Sorry, no MKS-80 was found at these settings.";

// The texts of a combo box's items, in order.
inline QStringList Items(const QComboBox* in_combo) {
    QStringList items;
    for (int i = 0; i < in_combo->count(); ++i) {
        items << in_combo->itemText(i);
    }
    return items;
}

// A bank's view that records which rows it was asked to repaint.
class RecordingBankView : public CBankView {
  public:
    void RefreshRow(int in_row) override { m_Rows.push_back(in_row); }
    std::vector<int> m_Rows;
};

// Runs in_answer on the next modal dialog once it is up; gives up after in_tries looks.
inline void AnswerNextDialog(std::function<void(QDialog&)> in_answer, int in_tries = 200) {
    QTimer::singleShot(5, [in_answer, in_tries]() {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            in_answer(*dialog);
        } else if (in_tries > 0) {
            AnswerNextDialog(in_answer, in_tries - 1);
        }
    });
}

// The widgets that Tab visits, in order, starting at in_first; the edit field of a
// combo box counts as the box.
inline std::vector<QWidget*> TabOrder(QWidget* in_first) {
    std::vector<QWidget*> order{in_first};
    for (QWidget* next = in_first->nextInFocusChain(); next && next != in_first;
         next = next->nextInFocusChain()) {
        if (!(next->focusPolicy() & Qt::TabFocus) || !next->isEnabled()) {
            continue;
        }
        QWidget* owner =
            qobject_cast<QComboBox*>(next->parentWidget()) ? next->parentWidget() : next;
        if (owner != order.back()) {
            order.push_back(owner);
        }
    }
    return order;
}
