// Every edit of a bank is one step of its document's history; the Edit menu names it.
#include <QMimeData>

#include "GuiFixture.h"
#include "bank/BankEntries.h"
#include "midi/MidiManager.h"
#include "view/BankClipboard.h"
#include "view/EntryToolTip.h"

namespace {

class UndoTest : public GuiFixture {
  protected:
    void SetUp() override {
        GuiFixture::SetUp();
        ASSERT_TRUE(Start());
    }
    CSysExData& Bank() const { return *View()->GetSysExData(); }
    QString Text(int in_id) const {
        return Act(in_id)->text() + (Act(in_id)->isEnabled() ? "" : " (off)");
    }
    // Undoes the last step and checks the bank is back to in_before, then redoes it and
    // checks the bank is in_after again.
    void ExpectUndoRedo(const QString& in_step, const BankEntries& in_before,
                        const BankEntries& in_after) {
        EXPECT_EQ(Text(cmd::Undo), "&Undo " + in_step + "\tCtrl+Z");
        Trigger(cmd::Undo);
        EXPECT_TRUE(ReadWholeBank(Bank()) == in_before) << in_step.toStdString();
        EXPECT_EQ(Text(cmd::Redo), "&Redo " + in_step + "\tCtrl+Y");
        Trigger(cmd::Redo);
        EXPECT_TRUE(ReadWholeBank(Bank()) == in_after) << in_step.toStdString();
    }
};

TEST_F(UndoTest, RenameIsOneStepAndTheStarFollowsTheSavedState) {
    EXPECT_EQ(Text(cmd::Undo), "&Undo\tCtrl+Z (off)");
    EXPECT_EQ(Text(cmd::Redo), "Redo\tCtrl+Y (off)");
    EXPECT_EQ(Act(cmd::Redo)->shortcuts(),
              (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Y),
                                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}));
    Trigger(cmd::WindowNew);
    CQuorlinView* other = View();
    const BankEntries before = ReadWholeBank(Bank());
    EXPECT_TRUE(Doc()->RenameEntry(false, 20, "Saw Brass"));
    EXPECT_FALSE(Doc()->RenameEntry(false, 20, "Saw Brass")) << "no step for no change";
    const BankEntries after = ReadWholeBank(Bank());
    EXPECT_TRUE(Doc()->IsModified());
    ExpectUndoRedo("Rename Patch 35", before, after);
    EXPECT_EQ(other->GetDocument(), Doc()) << "both windows show the one history";

    m_Asker.m_SavePath = TempPath(QStringLiteral("undo.m80"));
    ASSERT_TRUE(Doc()->DoSave(true));
    EXPECT_FALSE(Doc()->IsModified());
    Trigger(cmd::Undo);
    EXPECT_TRUE(Doc()->IsModified()) << "undoing past the save modifies the bank";
    EXPECT_TRUE(Frame()->ActiveChildFrame()->isWindowModified());
    Trigger(cmd::Redo);
    EXPECT_FALSE(Doc()->IsModified()) << "back at the saved state";
    EXPECT_FALSE(Frame()->ActiveChildFrame()->isWindowModified());
}

TEST_F(UndoTest, APasteIntoASecondBankPlaysThePastedTonesAndUndoesWhole) {
    CSysExData& source = Bank();
    int8_t bytes[PATCH_PARAM_COUNT] = {0};
    bytes[3] = 4;
    bytes[13] = 9;
    source.GetPatch(2)->SetData(bytes);
    source.GetPatch(2)->SetName("Sync Lead");
    source.GetTone(4)->SetName("Saw");
    source.GetTone(9)->SetName("Square");
    const auto data = CreateBankMimeData(source, 2, 0);
    Trigger(cmd::New);
    const BankEntries before = ReadWholeBank(Bank());
    std::vector<int> answers{20, 21};
    const auto chooser = [&answers](int, CSysExData&) -> std::optional<int> {
        const int chosen = answers.front();
        answers.erase(answers.begin());
        return chosen;
    };
    const auto entries = PastedEntries(data.get(), Bank(), 10, 0, chooser);
    ASSERT_TRUE(entries);
    EXPECT_TRUE(Doc()->PasteEntries(false, 10, *entries));
    EXPECT_EQ(Bank().GetPatch(10)->GetData()[3], 20);
    EXPECT_EQ(Bank().GetPatch(10)->GetData()[13], 21);
    EXPECT_EQ(Bank().GetTone(20)->GetName(), "Saw");
    EXPECT_EQ(Bank().GetTone(21)->GetName(), "Square");
    EXPECT_EQ(EntryToolTip(Bank(), 10, 0), QStringLiteral("Plays tones 35 Saw and 36 Square"));
    EXPECT_EQ(EntryToolTip(Bank(), 20, 1), QStringLiteral("Played by patch 23 Sync Lead"));
    ExpectUndoRedo("Paste Patch 23", before, ReadWholeBank(Bank()));
}

TEST_F(UndoTest, OpenSysexDataIsOneStep) {
    Doc()->RenameEntry(true, 0, "Mine");
    const BankEntries before = ReadWholeBank(Bank());
    EXPECT_EQ(
        Doc()
            ->ImportFile(DataPath(QStringLiteral("dumps/blocks16-wsd-data-eod.syx")).toStdString())
            .blocks,
        16);
    ExpectUndoRedo("Open Sysex Data", before, ReadWholeBank(Bank()));
    Trigger(cmd::Undo);
    EXPECT_EQ(Text(cmd::Undo), "&Undo Rename Tone 11\tCtrl+Z");
}

TEST_F(UndoTest, AWholeGetPatchesIsOneStepAndUndoWaitsForItsEnd) {
    Doc()->RenameEntry(false, 0, "Before the fetch");
    const BankEntries before = ReadWholeBank(Bank());
    Trigger(cmd::GetPatches);
    bool sawUndoOff = false;
    for (int step = 0; step < 2000 && m_App->IsMidiBusy(); ++step) {
        m_Loop->Advance(10);
        if (m_App->IsMidiBusy()) {
            Frame()->UpdateCommandUI();
            sawUndoOff = sawUndoOff || !Act(cmd::Undo)->isEnabled();
            EXPECT_FALSE(Act(cmd::Undo)->isEnabled()) << "no undo while the fetch fills the bank";
        }
    }
    ASSERT_FALSE(m_App->IsMidiBusy());
    EXPECT_TRUE(sawUndoOff);
    ExpectUndoRedo("Get Patches", before, ReadWholeBank(Bank()));
    Trigger(cmd::Undo);
    EXPECT_EQ(Text(cmd::Undo), "&Undo Rename Patch 11\tCtrl+Z");
}

TEST_F(UndoTest, SendPatchesAsksFirstAndCancelSendsNothing) {
    m_Prompter.QueueAnswer(platform::PromptAnswer::Cancel);
    Trigger(cmd::SaveToMks80);
    EXPECT_FALSE(m_App->IsMidiBusy());
    ASSERT_EQ(m_Prompter.Messages().size(), 1u);
    EXPECT_EQ(m_Prompter.Messages()[0].buttons, platform::PromptButtons::OkCancel);
    EXPECT_NE(m_Prompter.Messages()[0].text.find("Replace all 64 patches and 64 tones"),
              std::string::npos);
    m_Loop->RunUntilIdle();
    auto lock = m_Virtual->Lock();
    EXPECT_EQ(m_Virtual->Engine().DumpsReceived(), 0);
}

TEST(EntryToolTipTest, OneTonePatchesAndUnusedTones) {
    CNullBankView nowhere;
    CSysExData bank(&nowhere);
    // A new bank's patches play tone 16 alone.
    bank.GetTone(5)->SetName("Pad");
    EXPECT_EQ(EntryToolTip(bank, 0, 0), QStringLiteral("Plays tone 16 Pad"));
    EXPECT_EQ(EntryToolTip(bank, 6, 1), QStringLiteral("No patch of this bank plays this tone"));
    const QString users = EntryToolTip(bank, 5, 1);
    EXPECT_TRUE(users.startsWith(QStringLiteral("Played by patches 11 "))) << users.toStdString();
    EXPECT_TRUE(users.endsWith(QStringLiteral(" and 56 more"))) << "not all 64 named";
    EXPECT_TRUE(EntryToolTip(bank, 64, 0).isEmpty());
}

}  // namespace
