#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "DialogTestSupport.h"
#include "dialogs/DialogChooseToneToOverwrite.h"
#include "platform/Prompter.h"

namespace {

QStringList ListTexts(const QListWidget* in_list) {
    QStringList texts;
    for (int row = 0; row < in_list->count(); ++row) {
        texts << in_list->item(row)->text();
    }
    return texts;
}

class ChooseToneDialogTest : public ::testing::Test {
  protected:
    void SetToneNumbers(int in_patch, int8_t in_first, int8_t in_second) {
        int8_t* bytes = m_Bank.GetPatch(in_patch)->GetData();
        bytes[3] = in_first;
        bytes[13] = in_second;
    }

    platform::RecordingPrompter m_Prompter;
    platform::ScopedPrompter m_Scope{m_Prompter};
    RecordingBankView m_View;
    CSysExData m_Bank{&m_View};
};

TEST_F(ChooseToneDialogTest, ListsEveryToneInIndexOrderAndStartsOnTheProposedOne) {
    m_Bank.GetTone(0)->SetName("Flute");
    CDialogChooseToneToOverwrite dialog(12, &m_Bank);
    EXPECT_EQ(dialog.windowTitle(), QString("Choose Tone to Overwrite"));
    ASSERT_EQ(dialog.m_ToneCombo->count(), BANK_SIZE);
    EXPECT_EQ(dialog.m_ToneCombo->itemText(0), QString("11 Flute"));
    EXPECT_EQ(dialog.m_ToneCombo->itemText(1), QString("12 ------Empty------"));
    EXPECT_EQ(dialog.m_ToneCombo->itemText(8), QString("21 ------Empty------"));
    EXPECT_EQ(dialog.m_ToneCombo->itemText(63), QString("88 ------Empty------"));
    EXPECT_EQ(dialog.m_ToneCombo->currentIndex(), 12);
    EXPECT_EQ(dialog.m_nInitialTone, 12);
    EXPECT_EQ(dialog.m_nSelectedTone, 12);
    EXPECT_TRUE(dialog.m_OkButton->isDefault());
    EXPECT_EQ(TabOrder(dialog.m_OkButton),
              (std::vector<QWidget*>{dialog.m_OkButton, dialog.m_CancelButton, dialog.m_ToneCombo,
                                     dialog.m_PatchList}));
    EXPECT_EQ(dialog.focusWidget(), dialog.m_OkButton);
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        labels << label->text();
    }
    EXPECT_TRUE(labels.contains("Tone"));
    EXPECT_TRUE(labels.contains("Patches that use this tone"));
    EXPECT_TRUE(labels.contains("NOTE: The Patches that already use this tone will sound"));
    EXPECT_TRUE(labels.contains("different after clicking OK!"));
}

TEST_F(ChooseToneDialogTest, InANewBankToneSixteenIsPlayedByEveryPatch) {
    CDialogChooseToneToOverwrite dialog(5, &m_Bank);
    const QStringList patches = ListTexts(dialog.m_PatchList);
    ASSERT_EQ(patches.size(), BANK_SIZE);
    EXPECT_EQ(patches.first(), QString("11 ------Empty------"));
    EXPECT_EQ(patches.last(), QString("88 ------Empty------"));
    // Any other tone is played by none of them.
    dialog.m_ToneCombo->setCurrentIndex(6);
    EXPECT_EQ(dialog.m_nSelectedTone, 6);
    EXPECT_EQ(dialog.m_PatchList->count(), 0);
}

TEST_F(ChooseToneDialogTest, ListsEachUserOnceInIndexOrder) {
    for (int patch = 0; patch < BANK_SIZE; ++patch) {
        SetToneNumbers(patch, 1, 2);
    }
    SetToneNumbers(40, 20, 20);  // both tones the same: listed once
    SetToneNumbers(9, 0, 20);    // second tone only
    m_Bank.GetPatch(40)->SetName("Twice");
    CDialogChooseToneToOverwrite dialog(0, &m_Bank);
    EXPECT_EQ(ListTexts(dialog.m_PatchList), QStringList{"22 ------Empty------"});
    dialog.m_ToneCombo->setCurrentIndex(20);
    EXPECT_EQ(ListTexts(dialog.m_PatchList), (QStringList{"22 ------Empty------", "61 Twice"}));
}

TEST_F(ChooseToneDialogTest, OkAtOnceYieldsTheProposedTone) {
    CDialogChooseToneToOverwrite dialog(44, &m_Bank);
    AnswerNextDialog([](QDialog& in_dialog) {
        QTest::mouseClick(static_cast<CDialogChooseToneToOverwrite&>(in_dialog).m_OkButton,
                          Qt::LeftButton);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.m_nSelectedTone, 44);
}

TEST_F(ChooseToneDialogTest, FollowsTheKeyboardAndCancelIsCancelWhateverWasChosen) {
    CDialogChooseToneToOverwrite dialog(10, &m_Bank);
    AnswerNextDialog([](QDialog& in_dialog) {
        auto& choose = static_cast<CDialogChooseToneToOverwrite&>(in_dialog);
        QTest::keyClick(choose.m_ToneCombo, Qt::Key_Down);
        QTest::keyClick(choose.m_ToneCombo, Qt::Key_Down);
        EXPECT_EQ(choose.m_nSelectedTone, 12);
        QTest::keyClick(&choose, Qt::Key_Escape);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
}

TEST_F(ChooseToneDialogTest, AProposedToneOutsideTheBankSelectsNothing) {
    for (const int proposed : {-1, 64, 100}) {
        CDialogChooseToneToOverwrite dialog(proposed, &m_Bank);
        EXPECT_EQ(dialog.m_ToneCombo->currentIndex(), -1);
        EXPECT_EQ(dialog.m_nSelectedTone, -1);
        EXPECT_EQ(dialog.m_PatchList->count(), 0);
    }
    // The bank was never asked for an entry outside it.
    EXPECT_TRUE(m_Prompter.Texts().empty());
}

}  // namespace
