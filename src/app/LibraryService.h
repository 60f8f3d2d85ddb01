#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <thread>

class CLibraryIndex;
class QFileSystemWatcher;
class QTimer;

// The user's library: a folder of bank files, read on a thread of its own into an
// index in memory, and read again whenever the folder or one of its subfolders
// changes. The user-interface thread never waits for a reading; it keeps using the
// last index until the next one is complete.
class CLibraryService : public QObject {
    Q_OBJECT

  public:
    explicit CLibraryService(QObject* in_parent = nullptr);
    ~CLibraryService() override;

    // The folder kept in the settings, or "Quorlin" in the user's documents folder.
    static QString StoredFolder();
    static void StoreFolder(const QString& in_folder);
    QString GetFolder() const { return m_Folder; }
    // Reads in_folder from now on, making it when it does not exist yet.
    void SetFolder(const QString& in_folder);
    // Reads the folder again, a moment from now (changes come in bursts).
    void Refresh();

    // The last complete index, or nullptr before the first reading ended.
    std::shared_ptr<const CLibraryIndex> GetIndex() const { return m_ptrIndex; }
    // True while a reading runs or a change waits to be read.
    bool IsReading() const;

  Q_SIGNALS:
    void IndexChanged(std::shared_ptr<const CLibraryIndex> in_index, const QString& in_folder);
    void ReadingChanged(bool in_reading);

  private:
    void StartReading();
    void ReadingEnded(std::shared_ptr<const CLibraryIndex> in_index);
    void Watch(const CLibraryIndex& in_index);

    QString m_Folder;
    std::shared_ptr<const CLibraryIndex> m_ptrIndex;
    QFileSystemWatcher* m_ptrWatcher = nullptr;
    QTimer* m_ptrDelay = nullptr;
    std::thread m_Worker;
    std::atomic<bool> m_Cancel{false};
    // A change came while a reading ran: read again when it ends.
    bool m_ReadAgain = false;
    QDateTime m_ReadStarted;  // when the reading under way began
};
