#pragma once

#include <QWidget>

#include "bank/BankCompare.h"

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

// "Compare": every entry that differs between two banks, one row each (kind, number,
// both names, the parameters and the bytes that differ), with the entries that were only
// renamed listed apart. Double-clicking a row asks for that entry to be selected in
// the first bank's window. The window shows the comparison as it was made; it does not
// follow later edits.
class CCompareWindow : public QWidget {
    Q_OBJECT

  public:
    // in_bytesOnly: names do not count (the instrument keeps none), renamed entries are
    // left out.
    CCompareWindow(const QString& in_firstTitle, const QString& in_secondTitle,
                   BankComparison in_comparison, bool in_bytesOnly, QWidget* in_parent = nullptr);

    QLabel* GetSummary() const { return m_ptrSummary; }
    QTreeWidget* GetList() const { return m_ptrList; }

  Q_SIGNALS:
    // The user double-clicked the row of this entry.
    void EntryChosen(EntryKind in_kind, int in_index);

  private:
    void OnItemActivated(QTreeWidgetItem* in_item);

    QLabel* m_ptrSummary = nullptr;
    QTreeWidget* m_ptrList = nullptr;
};
