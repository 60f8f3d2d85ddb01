#pragma once

#include <QString>

#include "dialogs/OkCancelDialog.h"

class QLineEdit;
class QPushButton;

// "Library Settings": the folder whose bank files (and those of its subfolders) make
// up the library. OK makes the folder when it does not exist yet.
class CDialogLibrary : public COkCancelDialog {
    Q_OBJECT

  public:
    CDialogLibrary(const QString& in_folder, QWidget* in_parent = nullptr);

    // The accepted folder, once OK closed the dialog.
    QString GetFolder() const { return m_Folder; }

    QLineEdit* m_FolderEdit = nullptr;
    QPushButton* m_BrowseButton = nullptr;

  private:
    void OnBrowse();
    void OnOK() override;

    QString m_Folder;
};
