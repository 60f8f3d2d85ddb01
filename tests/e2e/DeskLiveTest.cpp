// The desktop program's live sound over real MIDI ports, against mks80-sim --verbose:
// run_e2e.sh starts the sim and says where to find it in these variables:
//   QUORLIN_E2E_SIM_OUT  the sim's standard output ("received F0 41 ..." lines)
//   QUORLIN_E2E_PANEL    the fifo the sim reads its panel lines from
//   QUORLIN_E2E_BANK     the bank file the sim's memory was copied from
//   QUORLIN_E2E_APRS     the four APRs of patch 34 of that bank, one a line, as the sim prints
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QSlider>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>

#include "GuiFixture.h"
#include "app/LiveSound.h"
#include "bank/BankFiles.h"
#include "bank/SysExData.h"
#include "ops/MidiServices.h"
#include "platform/qt/QtEventLoop.h"
#include "view/ParametersPanel.h"

namespace {

using Lines = std::vector<std::string>;
using mks80::Half;
using mks80::Kind;

constexpr int kWaitMs = 30000;
constexpr int kPatch34 = 19;  // patch 34: bank 3, number 4
constexpr int kPatch12 = 1;
// Glide, a patch half's parameter 8: the byte of the lower half.
constexpr int kGlide = 8;
constexpr int kLowerGlideByte = 19;

std::string Env(const char* in_name) {
    return qEnvironmentVariable(in_name).toStdString();
}

Lines ReadLines(const std::string& in_path) {
    Lines lines;
    std::ifstream file(in_path);
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::string Ipr(Half in_half, int in_number, int in_value) {
    char text[64];
    std::snprintf(text, sizeof text, "F0 41 36 00 20 30 %02X %02X %02X F7",
                  in_half == Half::Upper ? 1 : 2, in_number, in_value);
    return text;
}

// F0 41 4x: the handshake of a bulk dump (WSD, RQD, DAT, ACK, EOD, ERR, RJC).
bool IsHandshake(const std::string& in_message) {
    return in_message.rfind("F0 41 4", 0) == 0;
}

class DeskLiveTest : public GuiFixture {
  protected:
    void SetUp() override {
        GuiFixture::SetUp();
        for (const char* name :
             {"QUORLIN_E2E_SIM_OUT", "QUORLIN_E2E_PANEL", "QUORLIN_E2E_BANK", "QUORLIN_E2E_APRS"}) {
            ASSERT_FALSE(Env(name).empty()) << name << " is not set: run me from run_e2e.sh";
        }
        // The sim's ports among the machine's, found by name as quorlin-cli finds them.
        std::unique_ptr<MidiService> service = ops::MakeMidiService({});
        const auto find = [](unsigned in_count, auto in_name) {
            for (unsigned id = 0; id < in_count; ++id) {
                std::string name;
                if (in_name(id, name) == MMSYSERR_NOERROR && name.rfind("mks80-sim", 0) == 0 &&
                    name.find("MKS-80") != std::string::npos) {
                    return int(id);
                }
            }
            return -1;
        };
        const int in = find(service->InGetNumDevs(), [&](unsigned id, std::string& name) {
            return service->InGetDevCaps(id, name);
        });
        const int out = find(service->OutGetNumDevs(), [&](unsigned id, std::string& name) {
            return service->OutGetDevCaps(id, name);
        });
        ASSERT_GE(in, 0) << "no input port of mks80-sim";
        ASSERT_GE(out, 0) << "no output port of mks80-sim";
        m_PresetSettings = [in, out](platform::MemorySettingsStore& settings) {
            settings.m_Values["MidiInDevID"] = uint32_t(in);
            settings.m_Values["MidiOutDevID"] = uint32_t(out);
            settings.m_Values["MidiSendRecieveDelayTime"] = 20;
        };
        m_RealLoop = std::make_unique<platform::QtEventLoop>();
        ASSERT_TRUE(Start(std::move(service), {QString::fromStdString(Env("QUORLIN_E2E_BANK"))}));
        ASSERT_TRUE(m_Prompter.Texts().empty()) << m_Prompter.Texts().front();
        m_Seen = Received().size();
    }

    // The messages the sim has printed as received, without the word.
    static Lines Received() {
        Lines messages;
        for (const std::string& line : ReadLines(Env("QUORLIN_E2E_SIM_OUT"))) {
            if (line.rfind("received ", 0) == 0) {
                messages.push_back(line.substr(9));
            }
        }
        return messages;
    }
    // Waits until the sim has received in_last after what was taken before, and returns
    // everything since, up to and including it (empty: it never came).
    Lines TakeUntil(const std::string& in_last) {
        Lines since;
        const bool came = QTest::qWaitFor(
            [&]() {
                const Lines all = Received();
                since.assign(all.begin() + std::min(m_Seen, all.size()), all.end());
                return std::find(since.begin(), since.end(), in_last) != since.end();
            },
            kWaitMs);
        if (!came) {
            ADD_FAILURE() << "the sim never received " << in_last << "; it received "
                          << since.size() << " messages since";
            return {};
        }
        since.erase(std::find(since.begin(), since.end(), in_last) + 1, since.end());
        m_Seen += since.size();
        return since;
    }
    QSlider* Slider(Half in_half) {
        return qobject_cast<QSlider*>(
            Frame()->GetParametersPanel()->GetEditor(Kind::Patch, kGlide, in_half));
    }
    // A value of in_slider in_step away from its own, inside its range.
    static int Moved(const QSlider* in_slider, int in_step) {
        const int value = in_slider->value();
        return value + in_step <= in_slider->maximum() ? value + in_step : value - in_step;
    }

    size_t m_Seen = 0;
};

TEST_F(DeskLiveTest, SelectingEditingAndDraggingAreHeardAndATransferSilencesThem) {
    // Selecting a patch: its four APRs, as the bank file holds them.
    const Lines aprs = ReadLines(Env("QUORLIN_E2E_APRS"));
    ASSERT_EQ(aprs.size(), 4u);
    View()->SelectCell(kPatch34, 0);
    EXPECT_EQ(TakeUntil(aprs.back()), aprs);

    // One step of the lower glide: one IPR, with the value the bank now holds.
    Trigger(ID_VIEW_PARAMETERS);
    QSlider* lower = Slider(Half::Lower);
    QSlider* upper = Slider(Half::Upper);
    ASSERT_TRUE(lower && upper);
    lower->setValue(Moved(lower, 7));
    const int stored = View()->GetSysExData()->GetPatch(kPatch34)->GetData()[kLowerGlideByte];
    EXPECT_EQ(stored, lower->value());
    EXPECT_EQ(TakeUntil(Ipr(Half::Lower, kGlide, stored)), Lines{Ipr(Half::Lower, kGlide, stored)});

    // A drag: a step every 20 ms for a second, towards the farther end so that every
    // value is new. Paced, then the last value, then nothing: the upper glide moved once
    // after it is the next message.
    const int direction = lower->value() * 2 < lower->maximum() ? 1 : -1;
    QElapsedTimer dragging;
    dragging.start();
    int steps = 0;
    for (; dragging.elapsed() < 1000 && steps < lower->maximum() / 2; ++steps) {
        lower->setValue(lower->value() + direction);
        QTest::qWait(20);
    }
    const qint64 draggedMs = dragging.elapsed();
    const Lines drag = TakeUntil(Ipr(Half::Lower, kGlide, lower->value()));
    ASSERT_FALSE(drag.empty());
    for (const std::string& message : drag) {
        EXPECT_EQ(message.rfind("F0 41 36 00 20 30 02 08 ", 0), 0u) << message;
    }
    // At most one every 30 ms, with the first at once and the last at the end.
    EXPECT_LE(qint64(drag.size()), draggedMs / 30 + 2);
    EXPECT_LE(drag.size(), 40u);
    std::printf("drag: %d steps in %lld ms, %zu IPRs sent\n", steps,
                static_cast<long long>(draggedMs), drag.size());
    upper->setValue(Moved(upper, 3));
    const std::string marker = Ipr(Half::Upper, kGlide, upper->value());
    EXPECT_EQ(TakeUntil(marker), Lines{marker});

    // During a fetch, selecting and editing send nothing: only the handshake goes.
    Trigger(cmd::GetPatches);
    ASSERT_TRUE(m_App->IsMidiBusy());
    View()->SelectCell(kPatch12, 0);
    QApplication::processEvents();
    View()->SelectCell(kPatch34, 0);
    lower->setValue(Moved(lower, 5));
    QApplication::processEvents();
    ASSERT_TRUE(m_App->IsMidiBusy()) << "the fetch ended before the test could try";
    EXPECT_EQ(Frame()->statusBar()->currentMessage(),
              QStringLiteral("Not heard: a transfer is running"));
    ASSERT_TRUE(QTest::qWaitFor([&]() { return !m_App->IsMidiBusy(); }, kWaitMs));
    // After it, the next edit sends the whole sound again: the instrument missed some.
    upper->setValue(Moved(upper, 4));
    const Lines after = TakeUntil(aprs.back());
    const auto first = std::find_if(after.begin(), after.end(), IsHandshake);
    const auto end = std::find_if(after.rbegin(), after.rend(), IsHandshake).base();
    ASSERT_NE(first, after.end()) << "no handshake received";
    EXPECT_GE(end - first, 17) << "a request and an answer for each of 16 blocks";
    for (auto it = first; it != end; ++it) {
        EXPECT_TRUE(IsHandshake(*it)) << "sent during the fetch: " << *it;
    }
    EXPECT_EQ(first - after.begin(), 0) << "sent before the fetch: " << after.front();
    EXPECT_TRUE(m_Prompter.Texts().empty()) << m_Prompter.Texts().front();
}

TEST_F(DeskLiveTest, AnAnnouncedPatchShowsAndIsTaken) {
    // Patch 12 plays, then the sim's panel selects its patch 34: the status bar follows.
    View()->SelectCell(kPatch12, 0);
    std::ofstream panel(Env("QUORLIN_E2E_PANEL"));
    panel << "select 34" << std::endl;
    QLabel* status = m_App->GetLiveSound()->GetStatusLabel();
    ASSERT_TRUE(QTest::qWaitFor(
        [&]() { return status->text().startsWith(QStringLiteral("MKS-80: patch 34")); }, kWaitMs))
        << status->text().toStdString();

    // Taken into patch 12, its tones offered where the bank holds them, as they were in
    // the file the sim's memory came from.
    CNullBankView nowhere;
    CSysExData file(&nowhere);
    ASSERT_EQ(ReadBankOrDump(Env("QUORLIN_E2E_BANK"), file).result, ReadResult::Ok);
    Frame()->UpdateCommandUI();
    ASSERT_TRUE(Act(ID_TAKE_CURRENT_SOUND)->isEnabled());
    QTimer accept;
    QObject::connect(&accept, &QTimer::timeout, []() {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialog->accept();
        }
    });
    accept.start(20);
    Trigger(ID_TAKE_CURRENT_SOUND);
    accept.stop();
    const CSysExData& bank = *View()->GetSysExData();
    const int8_t* taken = bank.GetPatch(kPatch12)->GetData();
    const int8_t* original = file.GetPatch(kPatch34)->GetData();
    EXPECT_EQ(std::vector<int8_t>(taken, taken + mks80::PATCH_BYTES),
              std::vector<int8_t>(original, original + mks80::PATCH_BYTES));
    for (const int byte : {mks80::PATCH_UPPER_TONE_BYTE, mks80::PATCH_LOWER_TONE_BYTE}) {
        const int tone = original[byte];
        ASSERT_TRUE(tone >= 0 && tone < BANK_SIZE);
        EXPECT_TRUE(std::equal(file.GetTone(tone)->GetData(),
                               file.GetTone(tone)->GetData() + mks80::TONE_BYTES,
                               bank.GetTone(tone)->GetData()))
            << "tone " << tone;
    }
    EXPECT_TRUE(m_Prompter.Texts().empty()) << m_Prompter.Texts().front();
}

}  // namespace
