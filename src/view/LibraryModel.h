#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <memory>

#include "bank/LibraryFilter.h"

class CLibraryIndex;
struct LibraryEntry;

// The named entries of the library as rows of kind, name and bank file, narrowed to
// those whose name holds the filter text.
class CLibraryModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { KindColumn, NameColumn, FileColumn, ColumnCount };

    explicit CLibraryModel(QObject* in_parent = nullptr);
    ~CLibraryModel() override;

    // A new index (nullptr: none yet); bank files are shown relative to in_folder.
    void SetIndex(std::shared_ptr<const CLibraryIndex> in_index, const QString& in_folder);
    void SetFilterText(const QString& in_text);

    // The entry of a row, or nullptr.
    const LibraryEntry* EntryAt(int in_row) const;
    // The UTF-8 path of the bank file of an entry.
    QString FilePath(const LibraryEntry& in_entry) const;
    int TotalEntries() const;

    int rowCount(const QModelIndex& in_parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& in_parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& in_index, int in_role) const override;
    QVariant headerData(int in_section, Qt::Orientation in_orientation, int in_role) const override;

  private:
    std::unique_ptr<CLibraryFilter> m_ptrFilter;
    QString m_Folder;
    QString m_Text;
};
