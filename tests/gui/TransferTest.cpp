// Get Patches and Send Patches from the window, against the virtual instrument.
#include <QLabel>
#include <QTest>
#include <set>

#include "GuiFixture.h"
#include "midi/MidiManager.h"

namespace {

class TransferTest : public GuiFixture {
  protected:
    void SetUp() override {
        GuiFixture::SetUp();
        ASSERT_TRUE(Start());
        ASSERT_NE(m_Virtual, nullptr);
    }
    QString Status() const { return Frame()->GetMessagePane()->text(); }
    void ExpectTransferCommandsEnabled(bool in_enabled) {
        for (int id : {cmd::GetPatches, cmd::SendPatches, cmd::LoadFromMks80, cmd::SaveToMks80}) {
            EXPECT_EQ(Act(id)->isEnabled(), in_enabled) << id;
        }
    }
    // The dump carries parameter bytes, not names: compare those.
    static std::vector<int8_t> PatchBytes(const CSysExData& in_bank, int in_index) {
        const int8_t* data = in_bank.GetPatch(in_index)->GetData();
        return std::vector<int8_t>(data, data + PATCH_PARAM_COUNT);
    }
    static std::vector<int8_t> ToneBytes(const CSysExData& in_bank, int in_index) {
        const int8_t* data = in_bank.GetTone(in_index)->GetData();
        return std::vector<int8_t>(data, data + TONE_PARAM_COUNT);
    }
    bool SameAsInstrument(const CSysExData& in_bank, int in_index) {
        auto lock = m_Virtual->Lock();
        const CSysExData& memory = m_Virtual->Engine().Memory();
        return PatchBytes(in_bank, in_index) == PatchBytes(memory, in_index) &&
               ToneBytes(in_bank, in_index) == ToneBytes(memory, in_index);
    }
};

TEST_F(TransferTest, GetPatchesFillsTheWindowAndReportsProgress) {
    ASSERT_FALSE(SameAsInstrument(*View()->GetSysExData(), 0));
    Trigger(cmd::GetPatches);
    EXPECT_TRUE(m_App->IsMidiBusy());
    ExpectTransferCommandsEnabled(false);
    EXPECT_EQ(Status(), QStringLiteral("Receiving block 1 of 16")) << "from the request on";

    // Block by block: the status bar counts, the rows show what has arrived.
    bool sawProgress = false;
    bool sawPartialBank = false;
    for (int step = 0; step < 2000 && m_App->IsMidiBusy(); ++step) {
        m_Loop->Advance(10);
        if (Status().startsWith(QStringLiteral("Receiving block ")) &&
            Status().endsWith(QStringLiteral(" of 16"))) {
            sawProgress = true;
        }
        CSysExData* bank = View()->GetSysExData();
        if (bank->GetPatch(0)->GetName() == "------Patch------" && !SameAsInstrument(*bank, 63)) {
            sawPartialBank = true;
            EXPECT_TRUE(Doc()->IsModified()) << "a received block marks the bank modified";
        }
    }
    ASSERT_FALSE(m_App->IsMidiBusy());
    EXPECT_TRUE(sawProgress);
    EXPECT_TRUE(sawPartialBank);
    EXPECT_EQ(Status(), QStringLiteral("Ready"));
    ExpectTransferCommandsEnabled(true);

    CSysExData* bank = View()->GetSysExData();
    for (int i = 0; i < 64; ++i) {
        EXPECT_TRUE(SameAsInstrument(*bank, i)) << i;
        // Entries that never had a name take the placeholders of received data.
        EXPECT_EQ(bank->GetPatch(i)->GetName(), "------Patch------");
        EXPECT_EQ(bank->GetTone(i)->GetName(), "------Tone-------");
    }
    EXPECT_TRUE(Doc()->IsModified());
    EXPECT_TRUE(Frame()->ActiveChildFrame()->isWindowModified());
    EXPECT_TRUE(m_Prompter.Texts().empty()) << m_Prompter.Texts().front();
}

TEST_F(TransferTest, ReceivedRowsRepaintInEveryWindowOfTheBank) {
    PaintNotingView other(*Doc());
    other.resize(300, 70 * other.m_RowHeight);
    other.show();
    other.OnInitialUpdate();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    QApplication::processEvents();
    Trigger(cmd::GetPatches);
    // The first block holds entries 0 to 3.
    for (int step = 0; step < 2000 && !SameAsInstrument(*Doc()->GetSysExData(), 3); ++step) {
        m_Loop->Advance(5);
    }
    other.m_Drawn.clear();
    QApplication::processEvents();
    EXPECT_TRUE(other.m_Drawn.count(0) && other.m_Drawn.count(3)) << "rows 11 to 14 repainted";
    EXPECT_EQ(other.m_Drawn.count(40), 0u) << "rows not yet received stay as they are";
    m_Loop->RunUntilIdle();
}

TEST_F(TransferTest, GetPatchesFillsTheActiveWindowOnly) {
    CQuorlinView* first = View();
    Trigger(cmd::New);
    CQuorlinView* second = View();
    ASSERT_NE(first, second);
    Trigger(cmd::GetPatches);
    m_Loop->RunUntilIdle();
    EXPECT_TRUE(SameAsInstrument(*second->GetSysExData(), 5));
    EXPECT_FALSE(SameAsInstrument(*first->GetSysExData(), 5));
    EXPECT_EQ(first->GetSysExData()->GetPatch(5)->GetName(), "------Empty------");
    EXPECT_FALSE(first->GetDocument()->IsModified());
}

TEST_F(TransferTest, DisconnectReleasesThePortsAFetchLeftOpen) {
    Trigger(cmd::GetPatches);
    m_Loop->RunUntilIdle();
    CMidiManager* link = m_App->GetMidiManager();
    ASSERT_TRUE(link->IsInPortOpen() && link->IsOutPortOpen());
    Trigger(cmd::Disconnect);
    EXPECT_FALSE(link->IsInPortOpen());
    EXPECT_FALSE(link->IsOutPortOpen());
    // The next fetch opens them again and works.
    Trigger(cmd::GetPatches);
    m_Loop->RunUntilIdle();
    EXPECT_TRUE(SameAsInstrument(*View()->GetSysExData(), 63));
}

TEST_F(TransferTest, AFetchStaysWithItsBankWhileAnotherWindowIsActivated) {
    CQuorlinView* first = View();
    Trigger(cmd::GetPatches);
    for (int step = 0; step < 2000 && !SameAsInstrument(*first->GetSysExData(), 0); ++step) {
        m_Loop->Advance(5);
    }
    ASSERT_TRUE(m_App->IsMidiBusy());
    // The user opens another bank while the fetch runs; it becomes the active window.
    Trigger(cmd::New);
    CQuorlinView* second = View();
    ASSERT_NE(first, second);
    EXPECT_EQ(m_App->GetActiveBankView(), second);
    // The selection data shown is the active window's, not the fetch's bank.
    Trigger(cmd::DisplaySelection);
    m_Loop->RunUntilIdle();
    ASSERT_FALSE(m_App->IsMidiBusy());

    for (int i = 0; i < 64; ++i) {
        EXPECT_TRUE(SameAsInstrument(*first->GetSysExData(), i)) << i;
        EXPECT_EQ(second->GetSysExData()->GetPatch(i)->GetName(), "------Empty------") << i;
    }
    EXPECT_FALSE(second->GetDocument()->IsModified()) << "nothing arrived in the other bank";
    ASSERT_FALSE(m_Prompter.Texts().empty());
    EXPECT_EQ(m_Prompter.Texts().front().rfind("This Patch is uninitialized", 0), 0u)
        << m_Prompter.Texts().front();
    // Once the fetch is over the link works on the active window's bank again.
    EXPECT_EQ(m_App->GetMidiManager()->GetCurrentSysExData(), second->GetSysExData());
}

TEST_F(TransferTest, SendPatchesPutsTheBankIntoTheInstrument) {
    int8_t* bytes = View()->GetSysExData()->GetPatch(2)->GetData();
    for (int i = 0; i < PATCH_PARAM_COUNT; ++i) {
        bytes[i] = int8_t(i % 3);
    }
    Trigger(cmd::SaveToMks80);
    EXPECT_TRUE(m_App->IsMidiBusy());
    EXPECT_EQ(Status(), QStringLiteral("Sending block 1 of 16"));
    bool sawProgress = false;
    for (int step = 0; step < 2000 && m_App->IsMidiBusy(); ++step) {
        m_Loop->Advance(10);
        sawProgress = sawProgress || Status().startsWith(QStringLiteral("Sending block "));
    }
    EXPECT_TRUE(sawProgress);
    auto lock = m_Virtual->Lock();
    EXPECT_EQ(m_Virtual->Engine().DumpsReceived(), 1);
    EXPECT_EQ(PatchBytes(m_Virtual->Engine().Memory(), 2), PatchBytes(*View()->GetSysExData(), 2));
    EXPECT_FALSE(Doc()->IsModified()) << "sending changes nothing in the bank";
}

TEST_F(TransferTest, ClosingTheWindowDuringAFetchEndsItQuietly) {
    Trigger(cmd::GetPatches);
    m_Loop->Advance(m_App->GetPauseTime() * 3);
    ASSERT_TRUE(m_App->IsMidiBusy());
    m_Asker.m_SaveChoices.push_back(SaveChoice::Discard);
    Frame()->ActiveChildFrame()->close();
    Settle();
    EXPECT_EQ(m_App->GetMidiManager()->GetCurrentSysExData(), nullptr);
    EXPECT_EQ(m_App->GetActiveBankView(), nullptr);
    m_Loop->RunUntilIdle();
    EXPECT_FALSE(m_App->IsMidiBusy());
    EXPECT_EQ(Status(), QStringLiteral("Ready"));
    EXPECT_EQ(Frame()->CurrentMenuId(), 128);
}

TEST_F(TransferTest, QuittingDuringAFetchEndsItQuietly) {
    Trigger(cmd::GetPatches);
    m_Loop->Advance(m_App->GetPauseTime() * 3);
    ASSERT_TRUE(m_App->IsMidiBusy());
    Frame()->show();
    m_Asker.m_SaveChoices.push_back(SaveChoice::Discard);
    Trigger(cmd::Exit);
    ASSERT_FALSE(Frame()->isVisible());
    EXPECT_EQ(m_App->ExitInstance(), 0);
    // The windows go with the application while the fetch still waits for blocks.
    m_App.reset();
    EXPECT_TRUE(m_Prompter.Texts().empty()) << m_Prompter.Texts().front();
}

// The link reports how a transfer ended; the window says it in the link's words.
using TransferTextTest = GuiFixture;

TEST_F(TransferTextTest, ARefusedSendIsToldInABox) {
    Mks80Options options;
    options.reject = true;
    ASSERT_TRUE(Start(std::make_unique<VirtualMks80>(options, std::string())));
    Trigger(cmd::SendPatches);
    for (int step = 0; step < 3000 && m_App->IsMidiBusy(); ++step) {
        m_Loop->Advance(10);
    }
    ASSERT_FALSE(m_App->IsMidiBusy());
    // After the question that let the send go.
    ASSERT_EQ(m_Prompter.Texts().size(), 2u);
    EXPECT_EQ(m_Prompter.Texts()[1],
              "The MKS-80 refused the transfer.\n\nIts memory protect may be on: turn it off on "
              "the MKS-80 and try again.");
}

}  // namespace
