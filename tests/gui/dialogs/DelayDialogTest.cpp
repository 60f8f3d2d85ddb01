#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "AppFixture.h"
#include "DialogTestSupport.h"
#include "dialogs/DialogDelayTime.h"

namespace {

const char* const kWarning =
    "WARNING: Your entire computer may crash if this is set too low!  Save all open files "
    "before clicking OK!";
const char* const kRefusal = "Please enter a postive number only.";

TEST(DelayParsingTest, ReadsTheLeadingNumberTheWayAtoiDoes) {
    EXPECT_EQ(CDialogDelayTime::ParseDelay("250"), 250);
    EXPECT_EQ(CDialogDelayTime::ParseDelay("12abc"), 12);
    EXPECT_EQ(CDialogDelayTime::ParseDelay(" 40"), 40);
    EXPECT_EQ(CDialogDelayTime::ParseDelay("\t+7 ms"), 7);
    EXPECT_EQ(CDialogDelayTime::ParseDelay("-5"), -5);
    EXPECT_EQ(CDialogDelayTime::ParseDelay("abc"), 0);
    EXPECT_EQ(CDialogDelayTime::ParseDelay(""), 0);
    EXPECT_EQ(CDialogDelayTime::ParseDelay("- 5"), 0);
    EXPECT_EQ(CDialogDelayTime::ParseDelay("2147483647"), 2147483647);
    EXPECT_EQ(CDialogDelayTime::ParseDelay("-2147483648"), INT32_MIN);
    EXPECT_EQ(CDialogDelayTime::ParseDelay("000000000000000000009"), 9);
}

TEST(DelayParsingTest, ANumberBeyondThirtyTwoBitsHasNoValue) {
    EXPECT_EQ(CDialogDelayTime::ParseDelay("2147483648"), std::nullopt);
    EXPECT_EQ(CDialogDelayTime::ParseDelay("99999999999"), std::nullopt);
    EXPECT_EQ(CDialogDelayTime::ParseDelay("-2147483649"), std::nullopt);
    EXPECT_EQ(CDialogDelayTime::ParseDelay("4294967546"), std::nullopt);  // 250 + 2^32
}

class DelayDialogTest : public AppFixture {
  protected:
    void SetUp() override { MakeAppWithPorts(); }
    // Types in_text and presses OK, the warning answered with in_answer.
    void Enter(CDialogDelayTime& in_dialog, const QString& in_text,
               platform::PromptAnswer in_answer = platform::PromptAnswer::Ok) {
        in_dialog.m_DelayEdit->clear();
        QTest::keyClicks(in_dialog.m_DelayEdit, in_text);
        m_Prompter.QueueAnswer(in_answer);
        QTest::mouseClick(in_dialog.m_OkButton, Qt::LeftButton);
    }
};

TEST_F(DelayDialogTest, OpensOnThePauseTimeWithItsTextsAndOkFirst) {
    m_App->m_PauseTime = 300;
    CDialogDelayTime dialog(*m_App);
    EXPECT_EQ(dialog.windowTitle(), QString("Send Recieve Time Delay"));
    EXPECT_EQ(dialog.m_DelayEdit->text(), QString("300"));
    EXPECT_TRUE(dialog.m_OkButton->isDefault());
    EXPECT_EQ(
        TabOrder(dialog.m_OkButton),
        (std::vector<QWidget*>{dialog.m_OkButton, dialog.m_CancelButton, dialog.m_DelayEdit}));
    EXPECT_EQ(dialog.focusWidget(), dialog.m_OkButton);
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        texts << label->text();
    }
    EXPECT_TRUE(texts.contains("Note: Smaller delay time = faster send/recieve times."));
    EXPECT_TRUE(texts.contains("WARNING!!! Too small of a delay time may crash "));
    EXPECT_TRUE(texts.contains("your computer.  Save all open files before attempting!"));
    ASSERT_EQ(dialog.findChildren<QGroupBox*>().size(), 1);
    EXPECT_EQ(dialog.findChildren<QGroupBox*>().front()->title(), QString("Time Delay (ms)"));
}

TEST_F(DelayDialogTest, StoresAPositiveNumberAfterTheWarningAndWritesIt) {
    CDialogDelayTime dialog(*m_App);
    dialog.show();
    Enter(dialog, "250");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(m_App->GetPauseTime(), 250);
    EXPECT_EQ(m_Settings->m_Values["MidiSendRecieveDelayTime"], 250u);
    ASSERT_EQ(m_Prompter.Messages().size(), 1u);
    EXPECT_EQ(m_Prompter.Messages()[0].text, kWarning);
    EXPECT_EQ(m_Prompter.Messages()[0].buttons, platform::PromptButtons::OkCancel);
}

TEST_F(DelayDialogTest, TakesTheLeadingNumberOfTheText) {
    for (const auto& [text, value] : {std::pair<QString, int>{"12abc", 12}, {" 40", 40}}) {
        CDialogDelayTime dialog(*m_App);
        Enter(dialog, text);
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << text.toStdString();
        EXPECT_EQ(m_App->GetPauseTime(), value);
    }
}

TEST_F(DelayDialogTest, RefusesWhatIsNotAPositive32BitNumber) {
    const int before = m_App->GetPauseTime();
    for (const QString text : {"0", "-5", "abc", "", "99999999999", "2147483648"}) {
        m_Prompter.Clear();
        CDialogDelayTime dialog(*m_App);
        dialog.show();
        Enter(dialog, text);
        EXPECT_EQ(m_Prompter.Texts(), (std::vector<std::string>{kWarning, kRefusal}))
            << text.toStdString();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.m_DelayEdit->text(), text);
    }
    EXPECT_EQ(m_App->GetPauseTime(), before);
    EXPECT_EQ(m_Settings->m_WriteCounts.count("MidiSendRecieveDelayTime"), 0u);
}

TEST_F(DelayDialogTest, CancelToTheWarningGoesBackWithTheTextKept) {
    const int before = m_App->GetPauseTime();
    CDialogDelayTime dialog(*m_App);
    dialog.show();
    Enter(dialog, "5", platform::PromptAnswer::Cancel);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.m_DelayEdit->text(), QString("5"));
    EXPECT_EQ(m_Prompter.Texts(), std::vector<std::string>{kWarning});
    EXPECT_EQ(m_App->GetPauseTime(), before);
    // And OK again asks again.
    Enter(dialog, "5");
    EXPECT_EQ(m_App->GetPauseTime(), 5);
    EXPECT_EQ(m_Prompter.Texts().size(), 2u);
}

TEST_F(DelayDialogTest, CancelAndEscapeKeepThePauseTime) {
    const int before = m_App->GetPauseTime();
    {
        CDialogDelayTime dialog(*m_App);
        dialog.show();
        QTest::keyClicks(dialog.m_DelayEdit, "9");
        QTest::mouseClick(dialog.m_CancelButton, Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    {
        CDialogDelayTime dialog(*m_App);
        dialog.show();
        QTest::keyClicks(dialog.m_DelayEdit, "9");
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
    }
    EXPECT_EQ(m_App->GetPauseTime(), before);
    EXPECT_TRUE(m_Prompter.Texts().empty());
}

}  // namespace
