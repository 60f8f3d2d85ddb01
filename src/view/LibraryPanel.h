#pragma once

#include <QDockWidget>
#include <QStringList>
#include <memory>

#include "bank/BankCompare.h"

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

    QLineEdit* GetFilterEdit() const { return m_ptrFilter; }
    QTableView* GetList() const { return m_ptrList; }
    CLibraryModel* GetModel() const { return m_ptrModel; }

  Q_SIGNALS:
    // Open the bank file in_path and select entry in_index of kind in_kind.
    void OpenEntry(const QString& in_path, EntryKind in_kind, int in_index);

  private:
    void UpdateStatus();

    CLibraryModel* m_ptrModel = nullptr;
    QLineEdit* m_ptrFilter = nullptr;
    QTableView* m_ptrList = nullptr;
    QLabel* m_ptrStatus = nullptr;
    std::shared_ptr<const CLibraryIndex> m_ptrIndex;
    QString m_Folder;
    bool m_Reading = false;
};
