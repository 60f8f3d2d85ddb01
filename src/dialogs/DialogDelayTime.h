#pragma once

#include <QDialog>
#include <optional>
#include <string>

class DialogHost;
class QLineEdit;
class QPushButton;

// "Send Recieve Time Delay": the pause before each incoming MIDI message of a transfer.
class CDialogDelayTime : public QDialog {
    Q_OBJECT

  public:
    explicit CDialogDelayTime(DialogHost& in_app, QWidget* in_parent = nullptr);

    // The number at the start of in_text the way the C library's atoi reads it
    // (blanks skipped, an optional sign, the digits up to the first other character,
    // 0 when there are none), or nothing when that number does not fit in 32 bits.
    static std::optional<int32_t> ParseDelay(const std::string& in_text);

    QLineEdit* m_DelayEdit = nullptr;
    QPushButton* m_OkButton = nullptr;
    QPushButton* m_CancelButton = nullptr;

  private:
    void OnInitDialog();
    void OnOK();

    DialogHost& m_App;
};
