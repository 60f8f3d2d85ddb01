// The program's message boxes: caption, icon, buttons, answer, and the window they sit over.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "platform/qt/QtPrompter.h"

namespace {

struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    QWidget* owner = nullptr;
};

// Notes the next message box once it is up, then presses in_button on it.
void AnswerBox(SeenBox& out_seen, QMessageBox::StandardButton in_button, int in_tries = 200) {
    QTimer::singleShot(5, [&out_seen, in_button, in_tries]() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (in_tries > 0) {
                AnswerBox(out_seen, in_button, in_tries - 1);
            }
            return;
        }
        out_seen.caption = box->windowTitle();
        out_seen.text = box->text();
        out_seen.icon = box->icon();
        out_seen.buttons = int(box->standardButtons());
        out_seen.owner = box->parentWidget();
        box->button(in_button)->click();
    });
}

TEST(QtPrompterTest, ShowsTheProgramsBoxAndReturnsTheAnswer) {
    platform::QtPrompter prompter;
    SeenBox seen;
    AnswerBox(seen, QMessageBox::Cancel);
    EXPECT_EQ(prompter.Message("Sure?", platform::PromptButtons::OkCancel),
              platform::PromptAnswer::Cancel);
    EXPECT_EQ(seen.caption, QStringLiteral("Quorlin"));
    EXPECT_EQ(seen.text, QStringLiteral("Sure?"));
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.buttons, int(QMessageBox::Ok | QMessageBox::Cancel));

    AnswerBox(seen, QMessageBox::Ok);
    EXPECT_EQ(prompter.Message("Done.", platform::PromptButtons::Ok), platform::PromptAnswer::Ok);
    EXPECT_EQ(seen.buttons, int(QMessageBox::Ok));
}

TEST(QtPrompterTest, ABoxBeforeAnyWindowIsActiveSitsOverTheMainWindow) {
    QMainWindow frame;
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    QApplication::setActiveWindow(nullptr);
    ASSERT_EQ(QApplication::activeWindow(), nullptr);
    platform::QtPrompter prompter;
    SeenBox seen;
    AnswerBox(seen, QMessageBox::Ok);
    (void)prompter.Message("Could not read general option information from registry.",
                           platform::PromptButtons::Ok);
    EXPECT_EQ(seen.owner, &frame);
}

}  // namespace
