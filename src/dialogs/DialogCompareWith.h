#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

// "Compare With": which bank to compare the active one with, another open bank window
// or a bank file.
class CDialogCompareWith : public QDialog {
    Q_OBJECT

  public:
    CDialogCompareWith(const QString& in_activeTitle, const QStringList& in_windowTitles,
                       QWidget* in_parent = nullptr);

    // The row of in_windowTitles chosen, or -1 when the user asked for a bank file.
    int GetChosenWindow() const { return m_Chosen; }

    QListWidget* m_WindowList = nullptr;
    QPushButton* m_OkButton = nullptr;
    QPushButton* m_FileButton = nullptr;
    QPushButton* m_CancelButton = nullptr;

  private:
    int m_Chosen = -1;
};
