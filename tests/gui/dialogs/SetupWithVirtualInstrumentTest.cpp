#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "AppFixture.h"
#include "DialogTestSupport.h"
#include "dialogs/DialogSetupMIDIPorts.h"
#include "midi/CombinedMidiService.h"
#include "midi/MidiManager.h"
#include "midi/VirtualMks80.h"

namespace {

// The virtual instrument after the real ports: found when it answers, not when silent.
class SetupWithVirtualInstrumentTest : public AppFixture {
  protected:
    void Make(Mks80Options in_options) {
        m_Ports.m_InNames = {"Real In"};
        m_Ports.m_OutNames = {"Real Out"};
        m_Virtual =
            std::make_unique<VirtualMks80>(in_options, m_Dir.filePath("virtual.m80").toStdString());
        MakeApp(std::make_unique<CombinedMidiService>(
            std::vector<MidiService*>{&m_Ports, m_Virtual.get()}));
        m_App->m_MidiChannel = 1;
    }
    void TearDown() override {
        AppFixture::TearDown();
        m_Virtual.reset();
    }
    QTemporaryDir m_Dir;
    ScriptedPortService m_Ports;
    std::unique_ptr<VirtualMks80> m_Virtual;
};

TEST_F(SetupWithVirtualInstrumentTest, AnAnsweringInstrumentIsFound) {
    Make(Mks80Options{});
    CDialogSetupMIDIPorts dialog(*m_App);
    EXPECT_EQ(Items(dialog.m_InPortCombo), (QStringList{"Real In", "Virtual MKS-80"}));
    dialog.m_InPortCombo->setCurrentIndex(1);
    dialog.m_OutPortCombo->setCurrentIndex(1);
    QTest::mouseClick(dialog.m_TestButton, Qt::LeftButton);
    m_Loop->RunUntilIdle(60000);
    EXPECT_EQ(m_Prompter.Texts(), std::vector<std::string>{kFound});
    EXPECT_TRUE(dialog.m_TestButton->isEnabled());
}

TEST_F(SetupWithVirtualInstrumentTest, AnInstrumentOnAnotherChannelIsNotFound) {
    Make(Mks80Options{});
    CDialogSetupMIDIPorts dialog(*m_App);
    dialog.m_InPortCombo->setCurrentIndex(1);
    dialog.m_OutPortCombo->setCurrentIndex(1);
    dialog.m_ChannelCombo->setCurrentIndex(4);
    QTest::mouseClick(dialog.m_TestButton, Qt::LeftButton);
    m_Loop->RunUntilIdle(60000);
    EXPECT_EQ(m_Prompter.Texts(), std::vector<std::string>{kNotFound});
}

TEST_F(SetupWithVirtualInstrumentTest, ASilentInstrumentIsNotFound) {
    Mks80Options silent;
    silent.silent = true;
    Make(silent);
    CDialogSetupMIDIPorts dialog(*m_App);
    dialog.m_InPortCombo->setCurrentIndex(1);
    dialog.m_OutPortCombo->setCurrentIndex(1);
    QTest::mouseClick(dialog.m_TestButton, Qt::LeftButton);
    m_Loop->RunUntilIdle(60000);
    EXPECT_EQ(m_Prompter.Texts(), std::vector<std::string>{kNotFound});
}

}  // namespace
