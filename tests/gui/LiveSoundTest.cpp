// Hearing the bank on the instrument, and following what the instrument announces, with
// a scripted MIDI service that records every message sent.
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "GuiFixture.h"
#include "ScriptedMidiService.h"
#include "app/Librarian.h"
#include "app/LiveSound.h"
#include "bank/BankEntries.h"
#include "bank/BankFiles.h"
#include "bank/LibraryIndex.h"
#include "dialogs/DialogBlendWith.h"
#include "dialogs/DialogMutate.h"
#include "midi/MidiManager.h"
#include "mks80/Messages.h"
#include "ops/LiveOps.h"
#include "platform/FileAccess.h"
#include "view/LibraryModel.h"
#include "view/LibraryPanel.h"
#include "view/ParametersPanel.h"

namespace {

using Bytes = std::vector<uint8_t>;
using mks80::Half;
using mks80::Kind;

constexpr uint8_t kDevice = 0;  // channel 1, the default
constexpr int kCutoffByte = 14;

class LiveSoundTest : public GuiFixture {
  protected:
    void SetUp() override {
        GuiFixture::SetUp();
        auto service = std::make_unique<ScriptedMidiService>();
        m_Service = service.get();
        ASSERT_TRUE(Start(std::move(service)));
        ASSERT_NE(m_App->GetLiveSound(), nullptr);
    }
    // The current-sound messages sent since the last call (no handshake, no note).
    std::vector<Bytes> TakeSent() {
        std::vector<Bytes> live;
        const std::vector<Bytes> sent = m_Service->Sent();
        for (size_t i = m_Seen; i < sent.size(); ++i) {
            if (sent[i].size() > 2 &&
                (sent[i][2] == mks80::CMD_APR || sent[i][2] == mks80::CMD_IPR)) {
                live.push_back(sent[i]);
            }
        }
        m_Seen = sent.size();
        return live;
    }
    // Lets the pacing of what is sent run out.
    void Settle() { m_Loop->Advance(100); }
    QSlider* Slider(Kind in_kind, int in_number, Half in_half) {
        return qobject_cast<QSlider*>(
            Frame()->GetParametersPanel()->GetEditor(in_kind, in_number, in_half));
    }
    // With QUORLIN_SCREENSHOT_DIR set (under a real display), a picture of the frame.
    void SaveScreenshot(const QString& in_name) {
        const QString dir = qEnvironmentVariable("QUORLIN_SCREENSHOT_DIR");
        if (dir.isEmpty()) {
            return;
        }
        Frame()->resize(1100, 760);
        Frame()->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Frame()));
        QTest::qWait(300);
        EXPECT_TRUE(Frame()->grab().save(QDir(dir).filePath(in_name)));
    }
    QString Said() const { return Frame()->statusBar()->currentMessage(); }
    CSysExData& Bank() const { return *View()->GetSysExData(); }

    // What the instrument plays after every current-sound message sent to it so far.
    mks80::CurrentSound Heard() const {
        mks80::CurrentSound sound;
        for (const Bytes& message : m_Service->Sent()) {
            if (const auto live = mks80::ParseLiveMessage(message.data(), message.size())) {
                mks80::ApplyLiveMessage(*live, sound);
            }
        }
        return sound;
    }
    // Whether it plays entry in_index of in_bank as it would right after selecting it.
    ::testing::AssertionResult Hears(const CSysExData& in_bank, EntryKind in_kind,
                                     int in_index) const {
        const mks80::CurrentSound heard = Heard();
        mks80::CurrentSound entry = heard;
        for (const Bytes& message : ops::AuditionMessages(in_bank, in_kind, in_index, kDevice)) {
            mks80::ApplyLiveMessage(*mks80::ParseLiveMessage(message.data(), message.size()),
                                    entry);
        }
        if (heard.patch == entry.patch && heard.upperTone == entry.upperTone &&
            heard.lowerTone == entry.lowerTone) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "the instrument plays other bytes";
    }

    ScriptedMidiService* m_Service = nullptr;
    size_t m_Seen = 0;
};

TEST_F(LiveSoundTest, SelectingEditingAndUndoingAreHeardAndATransferSilencesThem) {
    EXPECT_TRUE(Act(ID_AUDITION)->isChecked()) << "on by default";
    View()->SelectCell(0, 1);
    Settle();
    (void)TakeSent();
    View()->SelectCell(2, 0);
    Settle();
    const CSysExData& bank = *View()->GetSysExData();
    EXPECT_EQ(TakeSent(), ops::AuditionMessages(bank, EntryKind::Patch, 2, kDevice));

    // One step of a slider: one IPR of the patch half, with the message value.
    Trigger(ID_VIEW_PARAMETERS);
    QSlider* glide = Slider(Kind::Patch, 8, Half::Lower);
    ASSERT_NE(glide, nullptr);
    const int before = glide->value();
    glide->setValue(before + 7);
    Settle();
    EXPECT_EQ(
        TakeSent(),
        (std::vector<Bytes>{mks80::Ipr(kDevice, Kind::Patch, Half::Lower, {{8, before + 7}})}));
    Trigger(cmd::Undo);
    Settle();
    EXPECT_EQ(TakeSent(),
              (std::vector<Bytes>{mks80::Ipr(kDevice, Kind::Patch, Half::Lower, {{8, before}})}));

    // A tone the selected patch does not play is not heard.
    const int played = bank.GetPatch(2)->GetData()[mks80::PATCH_UPPER_TONE_BYTE];
    const int other = (played + 5) % BANK_SIZE;
    ASSERT_NE(other, bank.GetPatch(2)->GetData()[mks80::PATCH_LOWER_TONE_BYTE]);
    ASSERT_TRUE(Doc()->SetParameter({Kind::Tone, other, Half::Upper, 24}, 3, 0));
    Settle();
    EXPECT_TRUE(TakeSent().empty());

    // While a transfer runs nothing goes, and the status bar says why, once.
    Trigger(cmd::SendPatches);
    ASSERT_TRUE(m_App->IsMidiBusy());
    View()->SelectCell(4, 0);
    m_Loop->Advance(40);
    View()->SelectCell(2, 0);
    m_Loop->Advance(40);
    EXPECT_TRUE(TakeSent().empty());
    EXPECT_EQ(Said(), QStringLiteral("Not heard: a transfer is running"));
    m_Loop->RunUntilIdle(20000);
    ASSERT_FALSE(m_App->IsMidiBusy());

    // After it the whole sound goes again with the next change: the instrument missed it.
    glide->setValue(before + 12);
    Settle();
    EXPECT_EQ(TakeSent(), ops::AuditionMessages(bank, EntryKind::Patch, 2, kDevice));

    Trigger(ID_AUDITION);
    EXPECT_FALSE(Act(ID_AUDITION)->isChecked());
    View()->SelectCell(3, 0);
    Settle();
    EXPECT_TRUE(TakeSent().empty());
    EXPECT_EQ(m_Settings->Read("Audition").value_or(1), 0u) << "kept for the next run";
}

TEST_F(LiveSoundTest, AnAnnouncementShowsInTheStatusBarAndTakeStoresItAsOneStep) {
    EXPECT_FALSE(Act(ID_TAKE_CURRENT_SOUND)->isEnabled()) << "no sound known yet";
    // The panel shows the instrument's sound, read-only, until asked to show the bank again;
    // before any announcement it says it waits for one.
    Trigger(ID_VIEW_MKS80_NOW);
    CParametersPanel* panel = Frame()->GetParametersPanel();
    EXPECT_TRUE(panel->windowTitle().contains(QStringLiteral("MKS-80 now")));
    const auto says = [panel](const QString& in_start) {
        for (const QLabel* label : panel->findChildren<QLabel*>()) {
            if (label->isVisibleTo(panel) && label->text().startsWith(in_start)) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(says(QStringLiteral("The MKS-80 has announced no sound yet")));
    std::array<int8_t, mks80::PATCH_BYTES> patch{};
    // The upper tone alone: both tones are taken all the same.
    patch[mks80::PATCH_KEY_MODE_BYTE] = mks80::KEY_MODE_WHOLE;
    patch[mks80::PATCH_UPPER_TONE_BYTE] = 7;
    patch[mks80::PATCH_LOWER_TONE_BYTE] = 9;
    patch[8] = 55;  // upper unison detune
    std::array<int8_t, mks80::TONE_BYTES> upper{};
    std::array<int8_t, mks80::TONE_BYTES> lower{};
    upper[14] = 40;  // VCF cutoff
    lower[14] = 90;
    std::vector<Bytes> announcement{mks80::Pgr(kDevice, 33)};
    for (const Bytes& apr : mks80::PatchSound(kDevice, patch.data(), upper.data(), lower.data())) {
        announcement.push_back(apr);
    }
    // Something foreign first: it changes nothing.
    ASSERT_TRUE(m_Service->InjectLongData({0xF0, 0x41, 0x35, 0x05, 0x20, 0x20, 0x01, 0xF7}));
    m_Loop->Advance(50);
    for (const Bytes& message : announcement) {
        ASSERT_TRUE(m_Service->InjectLongData(message));
        m_Loop->Advance(50);
    }
    const mks80::SoundTracker& tracker = m_App->GetLiveSound()->Tracker();
    ASSERT_TRUE(tracker.IsKnown());
    EXPECT_EQ(tracker.Program(), 33);
    const QString status = m_App->GetLiveSound()->GetStatusLabel()->text();
    EXPECT_TRUE(status.startsWith(QStringLiteral("MKS-80: patch "))) << status.toStdString();
    EXPECT_EQ(status.toStdString(), tracker.StatusText());
    EXPECT_EQ(tracker.Sound().upperTone, upper);

    EXPECT_FALSE(says(QStringLiteral("The MKS-80 has announced no sound yet")));
    QSlider* detune = Slider(Kind::Patch, 6, Half::Upper);
    ASSERT_NE(detune, nullptr);
    EXPECT_EQ(detune->value(), 55);
    EXPECT_FALSE(detune->isEnabled());
    SaveScreenshot(QStringLiteral("hearing.png"));
    // The button beside a half's tone shows the tone that half plays.
    ASSERT_NE(panel->GetSelectToneButton(Half::Lower), nullptr);
    panel->GetSelectToneButton(Half::Lower)->click();
    EXPECT_TRUE(panel->windowTitle().contains(QStringLiteral("lower tone")));
    EXPECT_EQ(Slider(Kind::Tone, 24, Half::Upper)->value(), 90);
    Trigger(ID_VIEW_MKS80_NOW);
    EXPECT_FALSE(panel->windowTitle().contains(QStringLiteral("MKS-80 now")));

    // A tone of the bank with the upper tone's bytes is offered for it, and keeps its name.
    ASSERT_TRUE(Doc()->ReplaceEntries(
        QStringLiteral("Prepare"),
        {BankEntry{true, 20, "Bright Brass", std::vector<int8_t>(upper.begin(), upper.end())}}));
    View()->SelectCell(5, 0);
    m_App->GetMainFrame()->UpdateCommandUI();
    ASSERT_TRUE(Act(ID_TAKE_CURRENT_SOUND)->isEnabled());
    const int steps = Doc()->GetUndoStack().count();
    // The two tone dialogs, accepted with what they offer.
    QTimer accept;
    QObject::connect(&accept, &QTimer::timeout, []() {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialog->accept();
        }
    });
    accept.start(20);
    Trigger(ID_TAKE_CURRENT_SOUND);
    accept.stop();

    ASSERT_EQ(Doc()->GetUndoStack().count(), steps + 1);
    EXPECT_EQ(Doc()->GetUndoStack().undoText(), QStringLiteral("Take Current Sound"));
    const CSysExData& bank = *View()->GetSysExData();
    const int8_t* stored = bank.GetPatch(5)->GetData();
    const int upperAt = stored[mks80::PATCH_UPPER_TONE_BYTE];
    const int lowerAt = stored[mks80::PATCH_LOWER_TONE_BYTE];
    EXPECT_EQ(stored[8], 55);
    EXPECT_EQ(stored[mks80::PATCH_KEY_MODE_BYTE], mks80::KEY_MODE_WHOLE);
    const auto toneIs = [&](int in_index, const std::array<int8_t, mks80::TONE_BYTES>& in_bytes) {
        return std::equal(in_bytes.begin(), in_bytes.end(), bank.GetTone(in_index)->GetData());
    };
    EXPECT_EQ(upperAt, 20);
    EXPECT_EQ(bank.GetTone(20)->GetName(), "Bright Brass");
    EXPECT_TRUE(toneIs(upperAt, tracker.Sound().upperTone)) << upperAt;
    EXPECT_TRUE(toneIs(lowerAt, tracker.Sound().lowerTone)) << lowerAt;
    Trigger(cmd::Undo);
    EXPECT_NE(bank.GetPatch(5)->GetData()[8], 55);
}

TEST_F(LiveSoundTest, BlendAndMutatePreviewsAreHeardAndCancelIsHeardAsTheEntryAgain) {
    CSysExData& bank = Bank();
    // Tone 23 (index 10) blends with tone 24, which differs from it in its cutoff alone.
    bank.GetTone(11)->SetData(bank.GetTone(10)->GetData());
    bank.GetTone(10)->GetData()[kCutoffByte] = 0;
    bank.GetTone(11)->GetData()[kCutoffByte] = 100;
    View()->SelectCell(10, 1);
    Settle();
    (void)TakeSent();
    WithDialog<CDialogBlendWith>(ID_BLEND_WITH, [&](CDialogBlendWith& in_dialog) {
        for (const int mix : {20, 40, 60}) {
            in_dialog.m_MixSlider->setValue(mix);
        }
        Settle();
        EXPECT_EQ(bank.GetTone(10)->GetData()[kCutoffByte], 60);
        EXPECT_TRUE(Hears(bank, EntryKind::Tone, 10));
        // One parameter moved: it goes alone, not the whole sound.
        const std::vector<Bytes> sent = TakeSent();
        EXPECT_FALSE(sent.empty());
        for (const Bytes& message : sent) {
            EXPECT_EQ(message[2], mks80::CMD_IPR);
        }
        // The newest preview may still wait when the dialog closes.
        in_dialog.m_MixSlider->setValue(90);
        in_dialog.m_CancelButton->click();
    });
    Settle();
    EXPECT_EQ(bank.GetTone(10)->GetData()[kCutoffByte], 0);
    EXPECT_TRUE(Hears(bank, EntryKind::Tone, 10)) << "Cancel leaves the preview playing";

    // Patch 15 (index 4): each draw is heard, and Cancel is heard as the patch it was.
    const BankEntry before = ReadEntry(bank, false, 4);
    View()->SelectCell(4, 0);
    Settle();
    WithDialog<CDialogMutate>(ID_MUTATE, [&](CDialogMutate& in_dialog) {
        in_dialog.m_StrengthSlider->setValue(60);
        in_dialog.m_AgainButton->click();
        Settle();
        EXPECT_NE(ReadEntry(bank, false, 4).data, before.data);
        EXPECT_TRUE(Hears(bank, EntryKind::Patch, 4));
        in_dialog.m_AgainButton->click();
        in_dialog.m_CancelButton->click();
    });
    Settle();
    EXPECT_EQ(ReadEntry(bank, false, 4).data, before.data);
    EXPECT_TRUE(Hears(bank, EntryKind::Patch, 4)) << "Cancel leaves the draw playing";
}

// The same, reading a library folder.
class LiveSoundLibraryTest : public LiveSoundTest {
  protected:
    void SetUp() override {
        m_LibraryFolder = TempPath(QStringLiteral("library"));
        ASSERT_TRUE(QDir().mkpath(m_LibraryFolder));
        LiveSoundTest::SetUp();
    }
};

TEST_F(LiveSoundLibraryTest, ARowOfFindSimilarPlaysThatEntryWithTheTonesOfItsBank) {
    // The library holds this bank's patch 15 (index 4) and one near it, in a bank whose
    // tones differ from this one's.
    CNullBankView nowhere;
    CSysExData stored(&nowhere);
    WriteEntries(stored, ReadWholeBank(Bank()));
    stored.GetPatch(4)->SetName("Brass");
    stored.GetPatch(7)->SetData(Bank().GetPatch(4)->GetData());
    stored.GetPatch(7)->GetData()[8] ^= 1;
    stored.GetPatch(7)->SetName("Brighter Brass");
    const int upper = stored.GetPatch(4)->GetData()[mks80::PATCH_UPPER_TONE_BYTE];
    stored.GetTone(upper)->GetData()[kCutoffByte] ^= 0x20;
    ASSERT_NE(ops::AuditionMessages(stored, EntryKind::Patch, 4, kDevice),
              ops::AuditionMessages(Bank(), EntryKind::Patch, 4, kDevice));
    const QString path = QDir(m_LibraryFolder).filePath(QStringLiteral("brass.m80"));
    ASSERT_TRUE(platform::WriteFileSafely(path.toStdString(), BankFileBytes(stored)));
    CLibraryService* service = m_App->GetLibrarian()->GetService();
    ASSERT_TRUE(
        WaitFor([&]() { return service->GetIndex() && !service->GetIndex()->Entries().empty(); }));

    View()->SelectCell(4, 0);
    Settle();
    (void)TakeSent();
    Trigger(ID_FIND_SIMILAR);
    Settle();
    CLibraryPanel* panel = m_App->GetLibrarian()->GetPanel();
    ASSERT_EQ(panel->GetModel()->rowCount(), 2);
    EXPECT_TRUE(TakeSent().empty()) << "the list choosing its own first row plays nothing";
    panel->GetList()->selectRow(1);
    Settle();
    EXPECT_EQ(TakeSent(), ops::AuditionMessages(stored, EntryKind::Patch, 7, kDevice));
    panel->GetList()->selectRow(0);
    Settle();
    EXPECT_EQ(TakeSent(), ops::AuditionMessages(stored, EntryKind::Patch, 4, kDevice));

    // Its bank file gone: said, and nothing sent.
    ASSERT_TRUE(QFile::remove(path));
    panel->GetList()->selectRow(1);
    Settle();
    EXPECT_TRUE(TakeSent().empty());
    EXPECT_EQ(Said(), QStringLiteral("Not heard: its bank file can no longer be read"));
}

}  // namespace
