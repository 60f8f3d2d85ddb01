#pragma once

#include <optional>
#include <string>

#include "dialogs/OkCancelDialog.h"

class DialogHost;
class QLineEdit;

// "Send Recieve Time Delay": the pause before each incoming MIDI message of a transfer.
class CDialogDelayTime : public COkCancelDialog {
    Q_OBJECT

  public:
    explicit CDialogDelayTime(DialogHost& in_app, QWidget* in_parent = nullptr);

    // The number at the start of in_text the way the C library's atoi reads it
    // (blanks skipped, an optional sign, the digits up to the first other character,
    // 0 when there are none), or nothing when that number does not fit in 32 bits.
    static std::optional<int32_t> ParseDelay(const std::string& in_text);

    QLineEdit* m_DelayEdit = nullptr;

  private:
    void OnInitDialog();
    void OnOK() override;

    DialogHost& m_App;
};
