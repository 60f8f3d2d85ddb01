#include "app/LibraryService.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

#include "bank/LibraryIndex.h"

namespace {
const char* const kFolderKey = "LibraryFolder";
// Long enough to take a burst of changes (a copied folder, a save) as one.
constexpr int kSettleMs = 400;
}  // namespace

CLibraryService::CLibraryService(QObject* in_parent) : QObject(in_parent) {
    m_ptrWatcher = new QFileSystemWatcher(this);
    m_ptrDelay = new QTimer(this);
    m_ptrDelay->setSingleShot(true);
    m_ptrDelay->setInterval(kSettleMs);
    connect(m_ptrDelay, &QTimer::timeout, this, &CLibraryService::StartReading);
    connect(m_ptrWatcher, &QFileSystemWatcher::directoryChanged, this, &CLibraryService::Refresh);
}

CLibraryService::~CLibraryService() {
    m_Cancel = true;
    if (m_Worker.joinable()) {
        m_Worker.join();
    }
}

QString CLibraryService::StoredFolder() {
    QSettings settings(QStringLiteral("Velmora"), QStringLiteral("Version 1.0"));
    const QString stored = settings.value(QLatin1String(kFolderKey)).toString();
    if (!stored.isEmpty()) {
        return stored;
    }
    return QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
        .filePath(QStringLiteral("Quorlin"));
}

void CLibraryService::StoreFolder(const QString& in_folder) {
    QSettings settings(QStringLiteral("Velmora"), QStringLiteral("Version 1.0"));
    settings.setValue(QLatin1String(kFolderKey), in_folder);
}

void CLibraryService::SetFolder(const QString& in_folder) {
    m_Folder = in_folder;
    // Made on first use, so that the user has a place to put banks in.
    QDir().mkpath(m_Folder);
    StartReading();
}

bool CLibraryService::IsReading() const {
    return m_Worker.joinable() || m_ptrDelay->isActive();
}

void CLibraryService::Refresh() {
    m_ptrDelay->start();
}

void CLibraryService::StartReading() {
    if (m_Worker.joinable()) {
        // The reading under way is out of date: end it and read again after it.
        m_ReadAgain = true;
        m_Cancel = true;
        return;
    }
    m_Cancel = false;
    m_ReadAgain = false;
    m_ReadStarted = QDateTime::currentDateTimeUtc();
    Q_EMIT ReadingChanged(true);
    const std::string folder = m_Folder.toStdString();
    m_Worker = std::thread([this, folder]() {
        auto index = std::make_shared<const CLibraryIndex>(CLibraryIndex::Build(folder, &m_Cancel));
        // Handed to the user-interface thread; dropped with this object if it is gone.
        QMetaObject::invokeMethod(
            this, [this, index]() { ReadingEnded(index); }, Qt::QueuedConnection);
    });
}

void CLibraryService::ReadingEnded(std::shared_ptr<const CLibraryIndex> in_index) {
    m_Worker.join();
    if (m_ReadAgain) {
        StartReading();
        return;
    }
    m_ptrIndex = std::move(in_index);
    Watch(*m_ptrIndex);
    // A folder is watched only once the walk has found it: a bank saved into one while
    // the walk ran would be missed until the next change, so such a folder reads again.
    for (const QString& folder : m_ptrWatcher->directories()) {
        if (QFileInfo(folder).lastModified().toUTC() >= m_ReadStarted.addSecs(-1)) {
            Refresh();
            break;
        }
    }
    Q_EMIT IndexChanged(m_ptrIndex, m_Folder);
    Q_EMIT ReadingChanged(false);
}

void CLibraryService::Watch(const CLibraryIndex& in_index) {
    const QStringList watched = m_ptrWatcher->directories();
    if (!watched.isEmpty()) {
        m_ptrWatcher->removePaths(watched);
    }
    QStringList folders{m_Folder};
    for (const std::string& each : in_index.Folders()) {
        folders << QString::fromStdString(each);
    }
    if (QFileInfo::exists(m_Folder)) {
        m_ptrWatcher->addPaths(folders);
    }
}
