#include "dialogs/DialogCompareWith.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CDialogCompareWith::CDialogCompareWith(const QString& in_activeTitle,
                                       const QStringList& in_windowTitles, QWidget* in_parent)
    : QDialog(in_parent) {
    setWindowTitle(QStringLiteral("Compare With"));
    setModal(true);
    auto* label = new QLabel(
        QStringLiteral("Compare %1 with the bank of this window:").arg(in_activeTitle), this);
    m_WindowList = new QListWidget(this);
    m_WindowList->addItems(in_windowTitles);
    m_WindowList->setCurrentRow(0);
    m_OkButton = new QPushButton(QStringLiteral("OK"), this);
    m_OkButton->setDefault(true);
    m_OkButton->setEnabled(!in_windowTitles.isEmpty());
    m_FileButton = new QPushButton(QStringLiteral("Bank &File..."), this);
    m_CancelButton = new QPushButton(QStringLiteral("Cancel"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_FileButton);
    buttons->addStretch(1);
    buttons->addWidget(m_OkButton);
    buttons->addWidget(m_CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_WindowList, 1);
    layout->addLayout(buttons);
    setTabOrder(m_OkButton, m_CancelButton);
    setTabOrder(m_CancelButton, m_WindowList);
    setTabOrder(m_WindowList, m_FileButton);

    const auto chooseWindow = [this]() {
        if (m_WindowList->currentRow() >= 0) {
            m_Chosen = m_WindowList->currentRow();
            accept();
        }
    };
    connect(m_OkButton, &QPushButton::clicked, this, chooseWindow);
    connect(m_WindowList, &QListWidget::itemActivated, this, chooseWindow);
    connect(m_FileButton, &QPushButton::clicked, this, [this]() {
        m_Chosen = -1;
        accept();
    });
    connect(m_CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}
