// Start-up and exit: the settings, the device checks, the first bank window.
#include <QLabel>
#include <QWindow>

#include "GuiFixture.h"
#include "midi/CombinedMidiService.h"
#include "midi/MidiManager.h"
#include "platform/qt/QtSettingsStore.h"

#include <QSettings>
#include <map>

namespace {

class StartupTest : public GuiFixture {
  protected:
    void Preset(std::map<std::string, uint32_t> in_values) {
        m_PresetSettings = [in_values](platform::MemorySettingsStore& in_store) {
            in_store.m_Values = in_values;
        };
    }
    int Writes(const std::string& in_name) const {
        const auto found = m_Settings->m_WriteCounts.find(in_name);
        return found == m_Settings->m_WriteCounts.end() ? 0 : found->second;
    }
};

TEST_F(StartupTest, FirstStartWritesThePauseTimeAtOnceAndOnlyTheSaveFlagAtExit) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(m_App->m_SaveSettingsOnExit, 0u);
    EXPECT_EQ(m_App->m_MidiInDevID, 0u);
    EXPECT_EQ(m_App->m_MidiOutDevID, 0u);
    EXPECT_EQ(m_App->m_MidiChannel, 1);
    EXPECT_EQ(m_App->GetPauseTime(), 300);
    EXPECT_EQ(m_Settings->m_Values["MidiSendRecieveDelayTime"], 300u);
    EXPECT_EQ(Writes("MidiSendRecieveDelayTime"), 1);
    EXPECT_TRUE(m_Prompter.Texts().empty());

    EXPECT_EQ(m_App->ExitInstance(), 0);
    EXPECT_EQ(Writes("SaveSettingsOnExit"), 1);
    EXPECT_EQ(m_Settings->m_Values["SaveSettingsOnExit"], 0u);
    EXPECT_EQ(Writes("MidiInDevID"), 0);
    EXPECT_EQ(Writes("MidiOutDevID"), 0);
    EXPECT_EQ(Writes("MidiChannel"), 0);
}

TEST_F(StartupTest, StoredSettingsAreReadAndTheChannelReachesTheLink) {
    Preset({{"SaveSettingsOnExit", 1},
            {"MidiSendRecieveDelayTime", 0},
            {"MidiInDevID", 2},
            {"MidiOutDevID", 1},
            {"MidiChannel", 5}});
    ASSERT_TRUE(Start(std::make_unique<DeviceListService>(3, 2)));
    EXPECT_EQ(m_App->m_SaveSettingsOnExit, 1u);
    EXPECT_EQ(m_App->GetPauseTime(), 0) << "a stored 0 is accepted";
    EXPECT_EQ(m_App->GetMidiManager()->GetMidiInDevID(), 2u);
    EXPECT_EQ(m_App->GetMidiManager()->GetMidiOutDevID(), 1u);
    EXPECT_EQ(m_App->GetMidiManager()->GetMessages().DeviceByte(), 4) << "channel 5";
    EXPECT_TRUE(m_Prompter.Texts().empty());

    // With the save flag set every exit writes all four, changed or not.
    m_App->m_MidiChannel = 9;
    (void)m_App->ExitInstance();
    EXPECT_EQ(m_Settings->m_Values["MidiChannel"], 9u);
    EXPECT_EQ(Writes("MidiInDevID"), 1);
    EXPECT_EQ(Writes("MidiOutDevID"), 1);
    EXPECT_EQ(Writes("SaveSettingsOnExit"), 1);
}

TEST_F(StartupTest, ChannelOutsideOneToSixteenIsKeptButNotApplied) {
    Preset({{"MidiChannel", 17}});
    ASSERT_TRUE(Start());
    EXPECT_EQ(m_App->m_MidiChannel, 17);
    EXPECT_EQ(m_App->GetMidiManager()->GetMessages().DeviceByte(), 0);
}

TEST_F(StartupTest, NegativeStoredPauseTimeCountsAsMissing) {
    Preset({{"MidiSendRecieveDelayTime", static_cast<uint32_t>(-40)}});
    ASSERT_TRUE(Start());
    EXPECT_EQ(m_App->GetPauseTime(), 300);
    EXPECT_EQ(m_Settings->m_Values["MidiSendRecieveDelayTime"], 300u);
    EXPECT_TRUE(m_Prompter.Texts().empty());
}

TEST_F(StartupTest, SettingsKeyThatCannotOpenIsReportedAndNothingIsSaved) {
    m_PresetSettings = [](platform::MemorySettingsStore& in_store) {
        in_store.m_FailOpen = true;
        in_store.m_Values["SaveSettingsOnExit"] = 1;
    };
    ASSERT_TRUE(Start());
    EXPECT_EQ(
        m_Prompter.Texts(),
        (std::vector<std::string>{"Could not read general option information from registry."}));
    EXPECT_EQ(m_App->m_SaveSettingsOnExit, 0u);
    EXPECT_EQ(m_App->m_MidiChannel, 0);
    EXPECT_EQ(m_App->GetPauseTime(), 125);
    m_Prompter.Clear();
    (void)m_App->ExitInstance();
    EXPECT_EQ(m_Prompter.Texts(),
              (std::vector<std::string>{"Couldn't save the Midi setup data on exit."}));
    EXPECT_TRUE(m_Settings->m_WriteCounts.empty());
}

TEST_F(StartupTest, PauseTimeThatCannotBeWrittenIsStillInForce) {
    ASSERT_TRUE(Start());
    m_Settings->m_FailOpen = true;
    m_App->SetPauseTime(450);
    EXPECT_EQ(m_App->GetPauseTime(), 450);
    EXPECT_EQ(m_Prompter.Texts(), (std::vector<std::string>{"Couldn't save Midi Speed settings."}));
}

TEST_F(StartupTest, MissingDevicesAreReportedInOrderAndTheIdsHandedOnAnyway) {
    Preset({{"MidiInDevID", 3}, {"MidiOutDevID", 4}});
    ASSERT_TRUE(Start(std::make_unique<DeviceListService>(0, 0)));
    EXPECT_EQ(
        m_Prompter.Texts(),
        (std::vector<std::string>{"Internal Program Error: Inside CQuorlinApp::SetupMidiDevIDs(), "
                                  "midiInGetDevCaps failed.",
                                  "Internal Program Error: Inside CQuorlinApp::SetupMidiDevIDs(), "
                                  "midiOutGetDevCaps failed."}));
    EXPECT_EQ(m_App->GetMidiManager()->GetMidiInDevID(), 3u);
    EXPECT_EQ(m_App->GetMidiManager()->GetMidiOutDevID(), 4u);
    EXPECT_EQ(WindowCount(), 1u) << "start-up goes on";
}

// Notes what the program showed when each message came.
class ObservingPrompter : public platform::Prompter {
  public:
    platform::PromptAnswer Message(const std::string& text, platform::PromptButtons) override {
        m_Texts.push_back(text);
        m_Observe();
        return platform::PromptAnswer::Ok;
    }
    void Beep() override {}
    std::function<void()> m_Observe;
    std::vector<std::string> m_Texts;
};

TEST_F(StartupTest, SettingsAreReadOnlyOnceTheFirstBankWindowIsOnScreen) {
    ObservingPrompter observer;
    bool frameShown = false;
    size_t windows = 0;
    observer.m_Observe = [&]() {
        frameShown = m_App->GetMainFrame() && m_App->GetMainFrame()->isVisible();
        windows = m_App->GetMainFrame() ? m_App->GetMainFrame()->ChildFrames().size() : 0;
    };
    platform::ScopedPrompter scope(observer);
    m_UseConsolePrompter = true;  // the observer stays installed
    m_PresetSettings = [](platform::MemorySettingsStore& in_store) { in_store.m_FailOpen = true; };
    ASSERT_TRUE(Start());
    ASSERT_FALSE(observer.m_Texts.empty());
    EXPECT_TRUE(frameShown);
    EXPECT_EQ(windows, 1u);
}

TEST_F(StartupTest, MidiPortsAreListedOnlyOnceTheWindowIsPainted) {
    bool painted = false;
    bool built = false;
    auto service = std::make_unique<CombinedMidiService>([&]() {
        built = true;
        CQuorlinView* view = m_App->GetMainFrame()->ActiveView();
        painted = view && view->isVisible() && m_App->GetMainFrame()->windowHandle()->isExposed();
        std::vector<std::unique_ptr<MidiService>> parts;
        parts.push_back(std::make_unique<DeviceListService>(1, 1));
        return parts;
    });
    CombinedMidiService* deferred = service.get();
    Make(std::move(service));
    EXPECT_FALSE(deferred->PartsMade()) << "not while the program is being put together";
    ASSERT_TRUE(m_App->InitInstance());
    EXPECT_TRUE(built);
    EXPECT_TRUE(painted);
}

TEST_F(StartupTest, BankFileOnTheCommandLineOpensInsteadOfANewBank) {
    ASSERT_TRUE(Start(nullptr, {DataPath(QStringLiteral("banks/ok-named-entries.m80"))}));
    ASSERT_EQ(WindowCount(), 1u);
    EXPECT_EQ(Doc()->GetTitle(), QStringLiteral("ok-named-entries.m80"));
    EXPECT_NE(View()->GetSysExData()->GetPatch(0)->GetName(), "------Empty------");
    EXPECT_EQ(Writes("MidiSendRecieveDelayTime"), 1) << "the settings are read after it opened";
}

TEST_F(StartupTest, FailedStartBeforeTheSettingsLeavesTheStoredSaveFlag) {
    Preset({{"SaveSettingsOnExit", 1}, {"MidiInDevID", 2}});
    EXPECT_FALSE(Start(nullptr, {DataPath(QStringLiteral("banks/bad-cut-in-name.m80"))}));
    EXPECT_EQ(m_Prompter.Texts(), (std::vector<std::string>{"Unexpected file format."}));
    (void)m_App->ExitInstance();
    EXPECT_EQ(m_Settings->m_Values["SaveSettingsOnExit"], 1u);
    EXPECT_TRUE(m_Settings->m_WriteCounts.empty());
}

using StartupDeathTest = StartupTest;

TEST_F(StartupDeathTest, NegativePauseTimeEndsTheProgramWithItsMessage) {
    m_UseConsolePrompter = true;
    ASSERT_TRUE(Start());
    EXPECT_EXIT(
        m_App->SetPauseTime(-1), ::testing::ExitedWithCode(1),
        "Internal Program Error: in_NewPauseTime is negative when it really shouldn't be :\\(");
}

TEST(QtSettingsStoreTest, KeepsThirtyTwoBitValuesAndTreatsOthersAsMissing) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    {
        platform::QtSettingsStore store(path);
        ASSERT_TRUE(store.Open());
        EXPECT_FALSE(store.Read("MidiChannel").has_value());
        EXPECT_TRUE(store.Write("MidiChannel", 12));
        EXPECT_TRUE(store.Write("MidiInDevID", 0xFFFFFFFFu));
    }
    {
        QSettings raw(path, QSettings::IniFormat);
        raw.setValue(QStringLiteral("Text"), QStringLiteral("fast"));
        raw.setValue(QStringLiteral("Huge"), QStringLiteral("8589934592"));
        raw.setValue(QStringLiteral("Negative"), QStringLiteral("-5"));
    }
    platform::QtSettingsStore store(path);
    ASSERT_TRUE(store.Open());
    EXPECT_EQ(store.Read("MidiChannel"), std::optional<uint32_t>(12));
    EXPECT_EQ(store.Read("MidiInDevID"), std::optional<uint32_t>(0xFFFFFFFFu));
    EXPECT_FALSE(store.Read("Text").has_value());
    EXPECT_FALSE(store.Read("Huge").has_value());
    EXPECT_EQ(store.Read("Negative"), std::optional<uint32_t>(static_cast<uint32_t>(-5)));
}

}  // namespace
