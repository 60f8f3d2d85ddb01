#include "dialogs/OkCancelDialog.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "dialogs/DialogLayout.h"

COkCancelDialog::COkCancelDialog(const QString& in_title, QWidget* in_parent) : QDialog(in_parent) {
    setWindowTitle(in_title);
    setModal(true);
    m_OkButton = new QPushButton(QStringLiteral("OK"), this);
    m_CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    m_OkButton->setDefault(true);
    connect(m_OkButton, &QPushButton::clicked, this, [this]() { OnOK(); });
    connect(m_CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void COkCancelDialog::PlaceButtons(const CDialogLayout& in_layout, int in_x, int in_y) {
    in_layout.Place(m_OkButton, in_x, in_y, 50, 14);
    in_layout.Place(m_CancelButton, in_x, in_y + 17, 50, 14);
}

QHBoxLayout* COkCancelDialog::ButtonRow(std::initializer_list<QWidget*> in_left) {
    auto* row = new QHBoxLayout;
    for (QWidget* widget : in_left) {
        row->addWidget(widget);
    }
    row->addStretch(1);
    row->addWidget(m_OkButton);
    row->addWidget(m_CancelButton);
    return row;
}

void COkCancelDialog::SetTabOrder(std::initializer_list<QWidget*> in_fields) {
    QWidget* previous = m_CancelButton;
    setTabOrder(m_OkButton, m_CancelButton);
    for (QWidget* field : in_fields) {
        setTabOrder(previous, field);
        previous = field;
    }
}
