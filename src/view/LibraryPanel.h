#pragma once

#include <QDockWidget>
#include <QStringList>
#include <memory>
#include <vector>

#include "bank/BankCompare.h"

struct SimilarEntry;

class CLibraryIndex;
class CLibraryModel;
class QLabel;
class QLineEdit;
class QTableView;

// "Library": every named entry of the library folder with its kind, name and bank
// file, narrowed as the user types. Double-clicking an entry asks for its bank to be
// opened at that entry. The panel only shows what it is handed; the index is built
// elsewhere, in the background.
class CLibraryPanel : public QDockWidget {
    Q_OBJECT

  public:
    explicit CLibraryPanel(QWidget* in_parent = nullptr);

    // A new index of the folder in_folder (nullptr: none).
    void SetIndex(std::shared_ptr<const CLibraryIndex> in_index, const QString& in_folder);
    // While the library is being read the panel keeps showing the last index.
    void SetReading(bool in_reading);
    // Lists in_found, entries of in_index nearest first, with their distance, and says
    // in_caption ("Nearest to Tone 23 of mine.m80"), until the user types a filter.
    void ShowSimilar(std::shared_ptr<const CLibraryIndex> in_index,
                     std::vector<SimilarEntry> in_found, const QString& in_caption);

    QLineEdit* GetFilterEdit() const { return m_ptrFilter; }
    QTableView* GetList() const { return m_ptrList; }
    CLibraryModel* GetModel() const { return m_ptrModel; }
    // The list is choosing its first row itself (a new list of similar entries): the
    // user has chosen nothing to hear yet.
    bool IsSelectingByItself() const { return m_SelectingByItself; }

  Q_SIGNALS:
    // Open the bank file in_path and select entry in_index of kind in_kind.
    void OpenEntry(const QString& in_path, EntryKind in_kind, int in_index);

  private:
    void UpdateStatus();
    // The distance column shows only beside similar entries.
    void UpdateColumns();

    CLibraryModel* m_ptrModel = nullptr;
    QLineEdit* m_ptrFilter = nullptr;
    QTableView* m_ptrList = nullptr;
    QLabel* m_ptrStatus = nullptr;
    std::shared_ptr<const CLibraryIndex> m_ptrIndex;
    QString m_Folder;
    QString m_SimilarCaption;
    bool m_Reading = false;
    bool m_SelectingByItself = false;
};
