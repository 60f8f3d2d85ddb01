#pragma once

#include <QString>
#include <QStringList>

#include "app/KeptStore.h"

// Where the recent-file list is kept between runs.
class RecentFileStore : public KeptStore<QStringList> {
  public:
    static constexpr int kMaxFiles = 10;
};

using MemoryRecentFileStore = MemoryStore<RecentFileStore>;

// QSettings under the framework's company key "Local AppWizard-Generated Applications"
// and the application "Quorlin", as "Recent File List/File1" to "File10".
class QtRecentFileStore : public RecentFileStore {
  public:
    QStringList Load() override;
    void Save(const QStringList& in_files) override;
};

// in_path moved to the front of in_files, which keeps at most kMaxFiles entries.
QStringList AddRecentFile(QStringList in_files, const QString& in_path);
