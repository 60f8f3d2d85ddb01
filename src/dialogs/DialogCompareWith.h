#pragma once

#include <QStringList>

#include "dialogs/OkCancelDialog.h"

class QListWidget;
class QPushButton;

// "Compare With": which bank to compare the active one with, another open bank window
// or a bank file.
class CDialogCompareWith : public COkCancelDialog {
    Q_OBJECT

  public:
    CDialogCompareWith(const QString& in_activeTitle, const QStringList& in_windowTitles,
                       QWidget* in_parent = nullptr);

    // The row of in_windowTitles chosen, or -1 when the user asked for a bank file.
    int GetChosenWindow() const { return m_Chosen; }

    QListWidget* m_WindowList = nullptr;
    QPushButton* m_FileButton = nullptr;

  private:
    // The window chosen in the list, if one is.
    void OnOK() override;

    int m_Chosen = -1;
};
