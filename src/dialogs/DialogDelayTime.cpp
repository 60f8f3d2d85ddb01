#include "dialogs/DialogDelayTime.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdint>
#include <limits>

#include "dialogs/DialogHost.h"
#include "dialogs/DialogLayout.h"
#include "platform/Prompter.h"

CDialogDelayTime::CDialogDelayTime(DialogHost& in_app, QWidget* in_parent)
    : COkCancelDialog(QStringLiteral("Send Recieve Time Delay"), in_parent), m_App(in_app) {
    auto* group = new QGroupBox(QStringLiteral("Time Delay (ms)"), this);
    auto* note =
        new QLabel(QStringLiteral("Note: Smaller delay time = faster send/recieve times."), this);
    m_DelayEdit = new QLineEdit(this);
    auto* warning1 =
        new QLabel(QStringLiteral("WARNING!!! Too small of a delay time may crash "), this);
    auto* warning2 =
        new QLabel(QStringLiteral("your computer.  Save all open files before attempting!"), this);

    const CDialogLayout layout(*this);
    PlaceButtons(layout, 114, 9);
    layout.Place(m_DelayEdit, 20, 25, 40, 12);
    // The frame encloses the field however wide the font made it.
    QRect frame = layout.ToPixels(10, 10, 85, 35);
    const QRect field = m_DelayEdit->geometry();
    frame.setRight(std::max(frame.right(), field.right() + (field.left() - frame.left())));
    frame.setBottom(std::max(frame.bottom(), field.bottom() + 4));
    group->setGeometry(frame);
    group->lower();
    layout.Place(note, 9, 50, 157, 8);
    layout.Place(warning1, 9, 63, 149, 8);
    layout.Place(warning2, 9, 71, 158, 8);
    layout.Finish(174, 85);

    SetTabOrder({m_DelayEdit});
    m_OkButton->setFocus();
    OnInitDialog();
}

std::optional<int32_t> CDialogDelayTime::ParseDelay(const std::string& in_text) {
    size_t pos = 0;
    while (pos < in_text.size() &&
           (in_text[pos] == ' ' || (in_text[pos] >= '\t' && in_text[pos] <= '\r'))) {
        ++pos;
    }
    bool negative = false;
    if (pos < in_text.size() && (in_text[pos] == '+' || in_text[pos] == '-')) {
        negative = in_text[pos] == '-';
        ++pos;
    }
    // Accumulated as a negative number, which has room for the most negative 32-bit value.
    int64_t value = 0;
    for (; pos < in_text.size() && in_text[pos] >= '0' && in_text[pos] <= '9'; ++pos) {
        value = value * 10 - (in_text[pos] - '0');
        if (value < std::numeric_limits<int32_t>::min()) {
            return std::nullopt;
        }
    }
    if (!negative) {
        value = -value;
        if (value > std::numeric_limits<int32_t>::max()) {
            return std::nullopt;
        }
    }
    return static_cast<int32_t>(value);
}

void CDialogDelayTime::OnInitDialog() {
    m_DelayEdit->setText(QString::number(m_App.GetPauseTime()));
}

void CDialogDelayTime::OnOK() {
    platform::Prompter& prompter = platform::GetPrompter();
    if (prompter.Message("WARNING: Your entire computer may crash if this is set too low!  Save "
                         "all open files before clicking OK!",
                         platform::PromptButtons::OkCancel) != platform::PromptAnswer::Ok) {
        return;
    }
    // A number too large for 32 bits is as unusable as a negative one.
    const std::optional<int32_t> delay = ParseDelay(m_DelayEdit->text().toStdString());
    if (!delay || *delay <= 0) {
        prompter.Message("Please enter a postive number only.");
        return;
    }
    m_App.SetPauseTime(*delay);
    accept();
}
