#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "AppFixture.h"
#include "DialogTestSupport.h"
#include "bank/SysExData.h"
#include "dialogs/DialogSetupMIDIPorts.h"
#include "midi/MidiManager.h"

namespace {

class SetupMidiPortsDialogTest : public AppFixture {
  protected:
    void SetUp() override {
        m_Ports = &MakeAppWithPorts();
        m_Ports->m_InNames = {"In A", "In B", "In C"};
        m_Ports->m_OutNames = {"Out A", "Out B"};
    }
    CMidiManager& Link() { return *m_App->GetMidiManager(); }

    ScriptedPortService* m_Ports = nullptr;
};

TEST_F(SetupMidiPortsDialogTest, ListsTheDevicesByNameInIdOrderAndTheSixteenChannels) {
    m_App->m_MidiInDevID = 2;
    m_App->m_MidiOutDevID = 1;
    m_App->m_MidiChannel = 4;
    CDialogSetupMIDIPorts dialog(*m_App);
    EXPECT_EQ(dialog.windowTitle(), QString("Setup Midi Ports"));
    EXPECT_EQ(Items(dialog.m_InPortCombo), (QStringList{"In A", "In B", "In C"}));
    EXPECT_EQ(Items(dialog.m_OutPortCombo), (QStringList{"Out A", "Out B"}));
    EXPECT_EQ(dialog.m_InDevIDs, (std::vector<uint32_t>{0, 1, 2}));
    EXPECT_EQ(dialog.m_InPortCombo->currentIndex(), 2);
    EXPECT_EQ(dialog.m_OutPortCombo->currentIndex(), 1);
    QStringList channels;
    for (int channel = 1; channel <= 16; ++channel) {
        channels << QString::number(channel);
    }
    EXPECT_EQ(Items(dialog.m_ChannelCombo), channels);
    EXPECT_EQ(dialog.m_ChannelCombo->currentText(), QString("4"));
    EXPECT_FALSE(dialog.m_SaveOnExitCheck->isChecked());
    EXPECT_EQ(dialog.m_SaveOnExitCheck->text(), QString("Save Settings on Exit"));
    EXPECT_TRUE(dialog.m_TestButton->isEnabled());
    EXPECT_TRUE(dialog.m_OkButton->isDefault());
    EXPECT_EQ(dialog.focusWidget(), dialog.m_OkButton);
    // OK, Cancel, In Port, Out Port, MIDI Channel, the check box, Test.
    EXPECT_EQ(TabOrder(dialog.m_OkButton),
              (std::vector<QWidget*>{dialog.m_OkButton, dialog.m_CancelButton, dialog.m_InPortCombo,
                                     dialog.m_OutPortCombo, dialog.m_ChannelCombo,
                                     dialog.m_SaveOnExitCheck, dialog.m_TestButton}));
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        labels << label->text();
    }
    EXPECT_TRUE(labels.contains("In Port"));
    EXPECT_TRUE(labels.contains("Out Port"));
    EXPECT_TRUE(labels.contains("MIDI Channel"));
    EXPECT_EQ(dialog.findChildren<QGroupBox*>().front()->title(), QString("MIDI Ports"));
}

TEST_F(SetupMidiPortsDialogTest, ADeviceWhoseQueryFailsIsLeftOutAndIdsFollowTheList) {
    m_Ports->m_FailingInQueries = {1};
    {
        CDialogSetupMIDIPorts dialog(*m_App);
        EXPECT_EQ(Items(dialog.m_InPortCombo), (QStringList{"In A", "In C"}));
        dialog.m_InPortCombo->setCurrentIndex(1);
        QTest::mouseClick(dialog.m_OkButton, Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(Link().GetMidiInDevID(), 2u);
    EXPECT_EQ(m_App->m_MidiInDevID, 2u);
    CDialogSetupMIDIPorts again(*m_App);
    EXPECT_EQ(again.m_InPortCombo->currentIndex(), 1);
}

TEST_F(SetupMidiPortsDialogTest, AStoredDeviceThatIsGoneOpensOnTheFirstEntry) {
    m_App->m_MidiInDevID = 7;
    m_App->m_MidiOutDevID = 5;
    m_Ports->m_FailingOutQueries = {0};
    CDialogSetupMIDIPorts dialog(*m_App);
    EXPECT_EQ(dialog.m_InPortCombo->currentIndex(), 0);
    EXPECT_EQ(dialog.m_OutPortCombo->currentText(), QString("Out B"));
    QTest::mouseClick(dialog.m_OkButton, Qt::LeftButton);
    EXPECT_EQ(m_App->m_MidiInDevID, 0u);
    EXPECT_EQ(m_App->m_MidiOutDevID, 1u);
    EXPECT_EQ(Link().GetMidiOutDevID(), 1u);
}

TEST_F(SetupMidiPortsDialogTest, OkHandsTheChannelOnAndStoresTheSaveFlag) {
    m_App->m_MidiChannel = 1;
    CDialogSetupMIDIPorts dialog(*m_App);
    dialog.m_ChannelCombo->setCurrentIndex(15);
    QTest::mouseClick(dialog.m_SaveOnExitCheck, Qt::LeftButton);
    QTest::mouseClick(dialog.m_OkButton, Qt::LeftButton);
    EXPECT_EQ(m_App->m_MidiChannel, 16);
    EXPECT_EQ(Link().GetMessages().DeviceByte(), 15);
    EXPECT_EQ(m_App->m_SaveSettingsOnExit, 1u);
    // Nothing goes to the settings here.
    EXPECT_TRUE(m_Settings->m_WriteCounts.empty());

    CDialogSetupMIDIPorts again(*m_App);
    EXPECT_TRUE(again.m_SaveOnExitCheck->isChecked());
    again.m_SaveOnExitCheck->setChecked(false);
    QTest::mouseClick(again.m_OkButton, Qt::LeftButton);
    EXPECT_EQ(m_App->m_SaveSettingsOnExit, 0u);
}

TEST_F(SetupMidiPortsDialogTest, ListsAcceptOnlyTheirItemsSoWhatTheyShowIsStored) {
    m_App->m_MidiChannel = 3;
    CDialogSetupMIDIPorts dialog(*m_App);
    for (QComboBox* combo : {dialog.m_InPortCombo, dialog.m_OutPortCombo, dialog.m_ChannelCombo}) {
        EXPECT_FALSE(combo->isEditable());
    }
    dialog.m_ChannelCombo->setFocus();
    QTest::keyClicks(dialog.m_ChannelCombo, "17");
    const QString shown = dialog.m_ChannelCombo->currentText();
    QTest::mouseClick(dialog.m_OkButton, Qt::LeftButton);
    EXPECT_EQ(QString::number(m_App->m_MidiChannel), shown);
    EXPECT_EQ(dialog.m_ChannelCombo->count(), 16);
}

TEST_F(SetupMidiPortsDialogTest, WithNoChannelSelectedTheChannelStaysAsItWas) {
    for (const int stored : {0, 17}) {
        m_App->m_MidiChannel = stored;
        CDialogSetupMIDIPorts dialog(*m_App);
        EXPECT_EQ(dialog.m_ChannelCombo->currentIndex(), -1);
        QTest::mouseClick(dialog.m_OkButton, Qt::LeftButton);
        // Still running, and the link was handed nothing.
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(m_App->m_MidiChannel, stored);
    }
    EXPECT_TRUE(m_Prompter.Texts().empty());
}

TEST_F(SetupMidiPortsDialogTest, WithNoDeviceListedItsIdStaysUnchanged) {
    m_Ports->m_InNames.clear();
    m_Ports->m_FailingOutQueries = {0, 1};
    m_App->m_MidiInDevID = 4;
    m_App->m_MidiOutDevID = 6;
    Link().SetMidiInDevID(4);
    Link().SetMidiOutDevID(6);
    CDialogSetupMIDIPorts dialog(*m_App);
    EXPECT_EQ(dialog.m_InPortCombo->count(), 0);
    EXPECT_EQ(dialog.m_OutPortCombo->count(), 0);
    EXPECT_EQ(dialog.m_InPortCombo->currentIndex(), -1);
    QTest::mouseClick(dialog.m_OkButton, Qt::LeftButton);
    EXPECT_EQ(m_App->m_MidiInDevID, 4u);
    EXPECT_EQ(m_App->m_MidiOutDevID, 6u);
    EXPECT_EQ(Link().GetMidiInDevID(), 4u);
    EXPECT_EQ(Link().GetMidiOutDevID(), 6u);
}

TEST_F(SetupMidiPortsDialogTest, CancelLeavesLinkAndApplicationAsTheyWere) {
    m_App->m_MidiChannel = 2;
    m_App->m_MidiInDevID = 1;
    Link().SetMidiInDevID(1);
    for (const bool escape : {false, true}) {
        CDialogSetupMIDIPorts dialog(*m_App);
        dialog.show();
        dialog.m_InPortCombo->setCurrentIndex(2);
        dialog.m_OutPortCombo->setCurrentIndex(1);
        dialog.m_ChannelCombo->setCurrentIndex(9);
        dialog.m_SaveOnExitCheck->setChecked(true);
        if (escape) {
            QTest::keyClick(&dialog, Qt::Key_Escape);
        } else {
            QTest::mouseClick(dialog.m_CancelButton, Qt::LeftButton);
        }
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(m_App->m_MidiChannel, 2);
    EXPECT_EQ(m_App->m_MidiInDevID, 1u);
    EXPECT_EQ(m_App->m_MidiOutDevID, 0u);
    EXPECT_EQ(m_App->m_SaveSettingsOnExit, 0u);
    EXPECT_EQ(Link().GetMidiInDevID(), 1u);
}

TEST_F(SetupMidiPortsDialogTest, ListsTheDevicesAfreshEachTimeItOpens) {
    { CDialogSetupMIDIPorts first(*m_App); }
    m_Ports->m_InNames.push_back("Plugged In Later");
    CDialogSetupMIDIPorts second(*m_App);
    EXPECT_EQ(Items(second.m_InPortCombo),
              (QStringList{"In A", "In B", "In C", "Plugged In Later"}));
}

TEST_F(SetupMidiPortsDialogTest, TestDuringATransferSaysTheLinkIsBusy) {
    m_App->m_MidiChannel = 1;
    CDialogSetupMIDIPorts dialog(*m_App);
    CNullBankView view;
    CSysExData bank(&view);
    Link().SetCurrentSysExData(&bank);
    Link().GetPatches();
    ASSERT_TRUE(Link().IsTransferRunning());
    const std::vector<unsigned> opened = m_Ports->m_OpenedIn;
    QTest::mouseClick(dialog.m_TestButton, Qt::LeftButton);
    EXPECT_EQ(m_Prompter.Texts(),
              std::vector<std::string>{
                  "The MIDI link is busy with a transfer. Try the test again when it has ended."});
    EXPECT_EQ(m_Ports->m_OpenedIn, opened);
    EXPECT_TRUE(Link().IsTransferRunning());
    Link().ForgetSysExData(&bank);
}

TEST_F(SetupMidiPortsDialogTest, TestReportsFailureWhenADeviceWillNotOpen) {
    m_Ports->m_FailingOutOpens = {1};
    m_App->m_MidiChannel = 1;
    CDialogSetupMIDIPorts dialog(*m_App);
    dialog.m_OutPortCombo->setCurrentIndex(1);
    QTest::mouseClick(dialog.m_TestButton, Qt::LeftButton);
    m_Loop->RunUntilIdle(10000);
    EXPECT_EQ(m_Prompter.Texts(), std::vector<std::string>{kNotFound});
    EXPECT_TRUE(dialog.m_TestButton->isEnabled());
    EXPECT_EQ(m_Ports->m_Open, 0);
}

TEST_F(SetupMidiPortsDialogTest, TestWaitsWithTheButtonOffAndReportsNoAnswerAsFailure) {
    m_App->m_MidiChannel = 1;
    CDialogSetupMIDIPorts dialog(*m_App);
    dialog.m_InPortCombo->setCurrentIndex(2);
    QTest::mouseClick(dialog.m_TestButton, Qt::LeftButton);
    // The devices chosen in the dialog are tried, not the link's.
    EXPECT_EQ(m_Ports->m_OpenedIn, std::vector<unsigned>{2});
    EXPECT_FALSE(dialog.m_TestButton->isEnabled());
    EXPECT_TRUE(m_Prompter.Texts().empty());
    m_Loop->RunUntilIdle(60000);
    EXPECT_EQ(m_Prompter.Texts(), std::vector<std::string>{kNotFound});
    EXPECT_TRUE(dialog.m_TestButton->isEnabled());
    EXPECT_EQ(m_Ports->m_Open, 0);
    EXPECT_EQ(Link().GetMidiInDevID(), 0u);
}

TEST_F(SetupMidiPortsDialogTest, TestWithNothingToTryClaimsNoSuccess) {
    m_App->m_MidiChannel = 0;
    CDialogSetupMIDIPorts dialog(*m_App);
    QTest::mouseClick(dialog.m_TestButton, Qt::LeftButton);
    m_Loop->RunUntilIdle(60000);
    EXPECT_EQ(m_Prompter.Texts(), std::vector<std::string>{kNotFound});
    EXPECT_TRUE(m_Ports->m_OpenedIn.empty());
}

TEST_F(SetupMidiPortsDialogTest, AProbeEndingAfterTheDialogClosedTellsNobody) {
    m_App->m_MidiChannel = 1;
    {
        CDialogSetupMIDIPorts dialog(*m_App);
        QTest::mouseClick(dialog.m_TestButton, Qt::LeftButton);
    }
    m_Loop->RunUntilIdle(60000);
    EXPECT_TRUE(m_Prompter.Texts().empty());
    EXPECT_EQ(m_Ports->m_Open, 0);
}

TEST_F(SetupMidiPortsDialogTest, TooManyDevicesIsAnInternalError) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    m_Ports->m_ExtraDevices = 997;  // 1000 inputs
    // The console prompter writes the message where the death test can read it.
    EXPECT_EXIT(
        {
            platform::SetPrompter(nullptr);
            CDialogSetupMIDIPorts dialog(*m_App);
        },
        ::testing::ExitedWithCode(1), "more than 1000 Midi Devices");
}

}  // namespace
