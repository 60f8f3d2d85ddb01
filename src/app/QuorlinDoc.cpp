#include "app/QuorlinDoc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <sstream>

#include "app/Quorlin.h"
#include "app/UserAsker.h"
#include "bank/Archive.h"
#include "platform/Prompter.h"
#include "view/QuorlinView.h"

namespace {
const QStringList& BankFilters() {
    static const QStringList filters{QStringLiteral("MKS80 (*.m80)"),
                                     QStringLiteral("All Files (*)")};
    return filters;
}

void Report(const QString& in_text) {
    (void)platform::GetPrompter().Message(in_text.toStdString());
}
}  // namespace

CQuorlinDoc::CQuorlinDoc(CQuorlinApp& in_app)
    : QObject(&in_app), m_App(in_app), m_ptrSysExData(std::make_unique<CSysExData>(this)) {
    m_App.RegisterDocument(this);
}

CQuorlinDoc::~CQuorlinDoc() {
    m_App.UnregisterDocument(this);
}

void CQuorlinDoc::RefreshRow(int in_row) {
    for (CQuorlinView* view : m_Views) {
        view->RefreshRow(in_row);
    }
}

void CQuorlinDoc::AddView(CQuorlinView* in_ptrView) {
    m_Views.push_back(in_ptrView);
}

void CQuorlinDoc::RemoveView(CQuorlinView* in_ptrView) {
    m_Views.erase(std::remove(m_Views.begin(), m_Views.end(), in_ptrView), m_Views.end());
    m_App.ForgetBankView(in_ptrView, m_Views.empty() ? m_ptrSysExData.get() : nullptr);
    if (m_Views.empty()) {
        if (!m_Dying) {
            m_Dying = true;
            deleteLater();
        }
        return;
    }
    // The remaining windows renumber themselves.
    Q_EMIT TitleChanged();
}

void CQuorlinDoc::OnNewDocument() {
    m_PathName.clear();
    m_Title = QStringLiteral("MKS80v%1").arg(m_App.NextUntitledNumber());
    m_Modified = false;
    Q_EMIT TitleChanged();
}

bool CQuorlinDoc::OnOpenDocument(const QString& in_path) {
    QFile file(in_path);
    if (!file.open(QIODevice::ReadOnly)) {
        Report(QStringLiteral("Cannot open the file \"%1\":\n%2.")
                   .arg(QDir::toNativeSeparators(in_path), file.errorString()));
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        Report(QStringLiteral("Cannot read the file \"%1\":\n%2.")
                   .arg(QDir::toNativeSeparators(in_path), file.errorString()));
        return false;
    }
    // A file of 0 bytes is not read at all: it is a bank at the defaults.
    if (!bytes.isEmpty()) {
        std::istringstream stream(std::string(bytes.constData(), size_t(bytes.size())));
        CArchive ar(stream);
        if (!Serialize(ar)) {
            Report(QStringLiteral("Unexpected file format."));
            return false;
        }
    }
    SetPathName(in_path);
    m_Modified = false;
    return true;
}

bool CQuorlinDoc::OnSaveDocument(const QString& in_path) {
    std::ostringstream stream;
    CArchive ar(stream);
    const bool stored = Serialize(ar);
    const std::string bytes = stream.str();

    // The old file stays as it was unless the new one was written completely.
    QSaveFile file(in_path);
    if (!stored || !file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) || !file.commit()) {
        Report(
            QStringLiteral("Cannot save the file \"%1\":\n%2.")
                .arg(QDir::toNativeSeparators(in_path),
                     stored ? file.errorString() : QStringLiteral("the bank could not be stored")));
        return false;
    }
    SetPathName(in_path);
    SetModifiedFlag(false);
    return true;
}

bool CQuorlinDoc::DoSave(bool in_saveAs) {
    QString path = m_PathName;
    if (in_saveAs || path.isEmpty()) {
        QString proposed = path.isEmpty() ? m_Title : path;
        if (!proposed.endsWith(QStringLiteral(".m80"), Qt::CaseInsensitive)) {
            proposed += QStringLiteral(".m80");
        }
        path = m_App.GetAsker().SaveFileName(QStringLiteral("Save As"), proposed, BankFilters());
        if (path.isEmpty()) {
            return false;
        }
        if (QFileInfo(path).suffix().isEmpty()) {
            path += QStringLiteral(".m80");
        }
    }
    return OnSaveDocument(path);
}

bool CQuorlinDoc::SaveModified() {
    if (!m_Modified) {
        return true;
    }
    switch (m_App.GetAsker().AskSaveChanges(m_Title)) {
        case SaveChoice::Save:
            return DoSave(false);
        case SaveChoice::Discard:
            return true;
        case SaveChoice::Cancel:
        default:
            return false;
    }
}

bool CQuorlinDoc::OnCloseDocument() {
    if (!SaveModified()) {
        return false;
    }
    // The windows go without asking again.
    m_Modified = false;
    const std::vector<CQuorlinView*> views = m_Views;
    for (CQuorlinView* view : views) {
        view->CloseFrame();
    }
    return true;
}

void CQuorlinDoc::SetModifiedFlag(bool in_modified) {
    if (m_Modified == in_modified) {
        return;
    }
    m_Modified = in_modified;
    Q_EMIT TitleChanged();
}

void CQuorlinDoc::SetPathName(const QString& in_path) {
    m_PathName = QFileInfo(in_path).absoluteFilePath();
    m_Title = QFileInfo(in_path).fileName();
    m_App.AddToRecentFileList(m_PathName);
    Q_EMIT TitleChanged();
}

bool CQuorlinDoc::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        return m_ptrSysExData->StoreBank(ar);
    }
    try {
        return m_ptrSysExData->LoadBank(ar);
    } catch (const CArchiveEndOfFile&) {
        return false;
    }
}
