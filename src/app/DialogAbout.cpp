#include "app/DialogAbout.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Quorlin.h"
#include "app/WebPages.h"

CDialogAbout::CDialogAbout(QWidget* in_parent) : QDialog(in_parent) {
    setWindowTitle(QStringLiteral("About Quorlin"));

    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/quorlin@2x.png")).pixmap(32, 32));
    icon->setFixedSize(32, 32);
    auto* version = new QLabel(QStringLiteral("Quorlin Version .9 Beta"), this);
    m_OkButton = new QPushButton(QStringLiteral("OK"), this);
    m_OkButton->setDefault(true);
    m_OkButton->setAutoDefault(true);
    connect(m_OkButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addSpacing(8);
    top->addWidget(version, 1, Qt::AlignTop);
    top->addWidget(m_OkButton, 0, Qt::AlignTop);

    auto* note = new QLabel(
        QStringLiteral("Note: Many things are not yet implemented in this program, but it is\n"
                       "stil usable.  See the web page for details..."),
        this);
    auto* text =
        new QLabel(QStringLiteral("Quorlin keeps the patches and tones of your Roland MKS-80 in\n"
                                  "banks on your computer. Fetch a bank with Midi, Get Patches,\n"
                                  "rename entries, copy them between banks, save banks to files,\n"
                                  "and send a bank back with Midi, Send Patches.\n"
                                  "\n"
                                  "No instrument at hand? Choose the \"Virtual MKS-80\" ports in\n"
                                  "Midi, Select MIDI Port to try everything out."),
                   this);

    m_WebLinkButton = new QPushButton(QString::fromLatin1(webpages::kGuideTitle), this);
    m_WebLinkButton->setObjectName(QStringLiteral("1009"));
    m_WebLinkButton->setAutoDefault(false);
    connect(m_WebLinkButton, &QPushButton::clicked, this, [this]() { OnWebLink(); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(12);
    layout->addWidget(note);
    layout->addSpacing(8);
    layout->addWidget(text);
    layout->addSpacing(8);
    layout->addWidget(m_WebLinkButton, 0, Qt::AlignHCenter);
    setTabOrder(m_OkButton, m_WebLinkButton);
    m_OkButton->setFocus();
}

void CDialogAbout::OnWebLink() {
    CQuorlinApp* app = QuorlinApp();
    if (app && app->GetShell()) {
        webpages::Open(*app->GetShell(), webpages::HomePageUrl());
    }
}
