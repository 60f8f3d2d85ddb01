#include "dialogs/DialogCompareWith.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CDialogCompareWith::CDialogCompareWith(const QString& in_activeTitle,
                                       const QStringList& in_windowTitles, QWidget* in_parent)
    : COkCancelDialog(QStringLiteral("Compare With"), in_parent) {
    auto* label = new QLabel(
        QStringLiteral("Compare %1 with the bank of this window:").arg(in_activeTitle), this);
    m_WindowList = new QListWidget(this);
    m_WindowList->addItems(in_windowTitles);
    m_WindowList->setCurrentRow(0);
    m_OkButton->setEnabled(!in_windowTitles.isEmpty());
    m_FileButton = new QPushButton(QStringLiteral("Bank &File..."), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_WindowList, 1);
    layout->addLayout(ButtonRow({m_FileButton}));
    SetTabOrder({m_WindowList, m_FileButton});

    connect(m_WindowList, &QListWidget::itemActivated, this, [this]() { OnOK(); });
    connect(m_FileButton, &QPushButton::clicked, this, [this]() {
        m_Chosen = -1;
        accept();
    });
}

void CDialogCompareWith::OnOK() {
    if (m_WindowList->currentRow() >= 0) {
        m_Chosen = m_WindowList->currentRow();
        accept();
    }
}
