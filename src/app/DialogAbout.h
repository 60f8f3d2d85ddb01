#pragma once

#include <QDialog>

class QPushButton;

// "About Quorlin": the version, a note for the user and a button to the user guide.
class CDialogAbout : public QDialog {
    Q_OBJECT

  public:
    explicit CDialogAbout(QWidget* in_parent = nullptr);

    QPushButton* m_OkButton = nullptr;
    QPushButton* m_WebLinkButton = nullptr;  // id 1009

  private:
    void OnWebLink();
};
