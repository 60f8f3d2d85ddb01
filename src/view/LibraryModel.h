#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <memory>
#include <vector>

#include "bank/LibraryFilter.h"
#include "bank/LibraryIndex.h"

class CLibraryIndex;
struct LibraryEntry;

// The named entries of the library as rows of kind, name and bank file, narrowed to
// those whose name holds the filter text; or the entries nearest to a sound, with their
// distance, until the filter text changes.
class CLibraryModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { DistanceColumn, KindColumn, NameColumn, FileColumn, ColumnCount };

    explicit CLibraryModel(QObject* in_parent = nullptr);
    ~CLibraryModel() override;

    // A new index (nullptr: none yet); bank files are shown relative to in_folder.
    void SetIndex(std::shared_ptr<const CLibraryIndex> in_index, const QString& in_folder);
    void SetFilterText(const QString& in_text);
    // Shows in_found, entries of in_index, nearest first, instead of the filtered rows.
    void ShowSimilar(std::shared_ptr<const CLibraryIndex> in_index,
                     std::vector<SimilarEntry> in_found);
    bool IsShowingSimilar() const { return m_ptrSimilarIndex != nullptr; }

    // The entry of a row, or nullptr.
    const LibraryEntry* EntryAt(int in_row) const;
    // The UTF-8 path of the bank file of an entry.
    QString FilePath(const LibraryEntry& in_entry) const;
    int TotalEntries() const;
    // The index whose entries the rows show, or nullptr.
    const CLibraryIndex* ShownIndex() const;

    int rowCount(const QModelIndex& in_parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& in_parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& in_index, int in_role) const override;
    QVariant headerData(int in_section, Qt::Orientation in_orientation, int in_role) const override;

  private:
    std::unique_ptr<CLibraryFilter> m_ptrFilter;
    // While similar entries are shown: their index (kept, as a new one may arrive) and them.
    std::shared_ptr<const CLibraryIndex> m_ptrSimilarIndex;
    std::vector<SimilarEntry> m_Similar;
    QString m_Folder;
    QString m_Text;
};
