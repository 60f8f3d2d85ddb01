#include "dialogs/DialogLibrary.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Prompter.h"

CDialogLibrary::CDialogLibrary(const QString& in_folder, QWidget* in_parent)
    : COkCancelDialog(QStringLiteral("Library Settings"), in_parent), m_Folder(in_folder) {
    auto* explanation = new QLabel(
        QStringLiteral("Every bank file in this folder and its subfolders is part of your "
                       "library. Name From Library gives unnamed entries the names of entries "
                       "with the same parameter bytes in it."),
        this);
    explanation->setWordWrap(true);
    auto* label = new QLabel(QStringLiteral("&Library folder:"), this);
    m_FolderEdit = new QLineEdit(QDir::toNativeSeparators(in_folder), this);
    m_FolderEdit->setMinimumWidth(m_FolderEdit->fontMetrics().averageCharWidth() * 48);
    label->setBuddy(m_FolderEdit);
    m_BrowseButton = new QPushButton(QStringLiteral("&Browse..."), this);

    auto* row = new QHBoxLayout;
    row->addWidget(m_FolderEdit, 1);
    row->addWidget(m_BrowseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addWidget(label);
    layout->addLayout(row);
    layout->addLayout(ButtonRow());

    SetTabOrder({m_FolderEdit, m_BrowseButton});
    connect(m_BrowseButton, &QPushButton::clicked, this, &CDialogLibrary::OnBrowse);
}

void CDialogLibrary::OnBrowse() {
    const QString chosen = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Library folder"), QDir::fromNativeSeparators(m_FolderEdit->text()));
    if (!chosen.isEmpty()) {
        m_FolderEdit->setText(QDir::toNativeSeparators(chosen));
    }
}

void CDialogLibrary::OnOK() {
    const QString text = QDir::fromNativeSeparators(m_FolderEdit->text().trimmed());
    platform::Prompter& prompter = platform::GetPrompter();
    if (text.isEmpty()) {
        (void)prompter.Message("Please choose a folder for your library.");
        return;
    }
    const QFileInfo info(text);
    if (info.exists() && !info.isDir()) {
        (void)prompter.Message(
            QStringLiteral("%1 is a file, not a folder.").arg(m_FolderEdit->text()).toStdString());
        return;
    }
    if (!info.exists() && !QDir().mkpath(text)) {
        (void)prompter.Message(QStringLiteral("The folder %1 could not be made.")
                                   .arg(m_FolderEdit->text())
                                   .toStdString());
        return;
    }
    m_Folder = QDir::cleanPath(info.absoluteFilePath());
    accept();
}
