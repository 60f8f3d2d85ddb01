#pragma once

#include <QString>
#include <QStringList>

// Where the recent-file list is kept between runs.
class RecentFileStore {
  public:
    static constexpr int kMaxFiles = 10;
    virtual ~RecentFileStore() = default;
    virtual QStringList Load() = 0;
    virtual void Save(const QStringList& in_files) = 0;
};

// In memory, for tests.
class MemoryRecentFileStore : public RecentFileStore {
  public:
    QStringList Load() override { return m_Files; }
    void Save(const QStringList& in_files) override { m_Files = in_files; }
    QStringList m_Files;
};

// QSettings under the framework's company key "Local AppWizard-Generated Applications"
// and the application "Quorlin", as "Recent File List/File1" to "File10".
class QtRecentFileStore : public RecentFileStore {
  public:
    QStringList Load() override;
    void Save(const QStringList& in_files) override;
};

// in_path moved to the front of in_files, which keeps at most kMaxFiles entries.
QStringList AddRecentFile(QStringList in_files, const QString& in_path);
