// The Parameters panel: what it shows of the selected entry, and how each change of a
// control becomes one step of the bank's history.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QToolButton>
#include <array>

#include "GuiFixture.h"
#include "bank/BankEntries.h"
#include "bank/BankFiles.h"
#include "view/ParametersPanel.h"

namespace {

using mks80::Half;
using mks80::Kind;

constexpr int kVcfCutoff = 24;
constexpr int kVcoSelect = 10;
constexpr int kGlide = 8;
constexpr int kTone23 = 10;  // entry "23"

// A sound the instrument could have sent: every value inside its range.
std::array<int8_t, TONE_PARAM_COUNT> SoftPad() {
    std::array<int8_t, TONE_PARAM_COUNT> bytes{};
    for (int i = 0; i < 33; ++i) {
        bytes[static_cast<size_t>(i)] = static_cast<int8_t>((i * 7) % 50);
    }
    bytes[9] = 24;   // VCO-1 range 60, C4
    bytes[14] = 40;  // VCF cutoff
    bytes[33] = 7;   // LFO-1 triangle, PWM by LFO-1
    bytes[37] = 10;  // both VCOs sawtooth
    return bytes;
}

QPoint HandleCentre(QSlider* in_slider) {
    QStyleOptionSlider option;
    option.initFrom(in_slider);
    option.orientation = in_slider->orientation();
    option.state |= QStyle::State_Horizontal;
    option.minimum = in_slider->minimum();
    option.maximum = in_slider->maximum();
    option.sliderPosition = in_slider->sliderPosition();
    option.sliderValue = in_slider->value();
    option.singleStep = in_slider->singleStep();
    option.pageStep = in_slider->pageStep();
    return in_slider->style()
        ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, in_slider)
        .center();
}

void SendMouse(QWidget* in_widget, QEvent::Type in_type, const QPoint& in_at) {
    const Qt::MouseButtons held =
        in_type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(in_type, in_at, in_widget->mapToGlobal(in_at),
                      in_type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                      Qt::NoModifier);
    QApplication::sendEvent(in_widget, &event);
}

// One drag of the slider's handle to the right, in a few moves; back to where it
// began when in_back.
void Drag(QSlider* in_slider, int in_pixels, bool in_back = false) {
    const QPoint start = HandleCentre(in_slider);
    SendMouse(in_slider, QEvent::MouseButtonPress, start);
    for (int step = 1; step <= 4; ++step) {
        SendMouse(in_slider, QEvent::MouseMove, start + QPoint(in_pixels * step / 4, 0));
    }
    const QPoint end = in_back ? start : start + QPoint(in_pixels, 0);
    SendMouse(in_slider, QEvent::MouseMove, end);
    SendMouse(in_slider, QEvent::MouseButtonRelease, end);
}

void SendKey(QWidget* in_widget, QEvent::Type in_type, Qt::Key in_key, bool in_repeat) {
    QKeyEvent event(in_type, in_key, Qt::NoModifier, QString(), in_repeat);
    QApplication::sendEvent(in_widget, &event);
}

class ParametersPanelTest : public GuiFixture {
  protected:
    void SetUp() override {
        GuiFixture::SetUp();
        ASSERT_TRUE(Start());
        Trigger(ID_VIEW_PARAMETERS);
        ASSERT_TRUE(Panel()->isVisible());
    }
    CParametersPanel* Panel() const { return Frame()->GetParametersPanel(); }
    CSysExData& Bank() const { return *View()->GetSysExData(); }
    QSlider* Slider(Kind in_kind, int in_number, Half in_half = Half::Upper) const {
        return qobject_cast<QSlider*>(Panel()->GetEditor(in_kind, in_number, in_half));
    }
    QComboBox* Combo(Kind in_kind, int in_number, Half in_half = Half::Upper) const {
        return qobject_cast<QComboBox*>(Panel()->GetEditor(in_kind, in_number, in_half));
    }
    QString ValueText(Kind in_kind, int in_number, Half in_half = Half::Upper) const {
        return Panel()->GetValueLabel(in_kind, in_number, in_half)->text();
    }
    int Steps() const { return Doc()->GetUndoStack().count(); }
    QString UndoText() const { return Doc()->GetUndoStack().undoText(); }
    std::vector<int8_t> ToneBytes(int in_index) const {
        const int8_t* bytes = Bank().GetTone(in_index)->GetData();
        return std::vector<int8_t>(bytes, bytes + TONE_PARAM_COUNT);
    }
    void LoadSoftPad() {
        const auto bytes = SoftPad();
        Bank().GetTone(kTone23)->SetData(bytes.data());
        Bank().GetTone(kTone23)->SetName("Soft Pad");
        View()->SelectCell(kTone23, 1);
    }
};

TEST_F(ParametersPanelTest, ATonesParametersStandInTheirSectionsWithTheirValues) {
    LoadSoftPad();
    EXPECT_EQ(Panel()->windowTitle(), "Parameters: Tone 23 Soft Pad");
    for (const mks80::Parameter& param : mks80::ToneParameters()) {
        QWidget* editor = Panel()->GetEditor(Kind::Tone, param.number);
        ASSERT_NE(editor, nullptr) << param.name;
        auto* section = qobject_cast<QGroupBox*>(editor->parentWidget());
        ASSERT_NE(section, nullptr) << param.name;
        EXPECT_EQ(section->title(), mks80::SectionName(param.section)) << param.name;
        EXPECT_EQ(param.IsContinuous(), qobject_cast<QSlider*>(editor) != nullptr) << param.name;
    }
    EXPECT_EQ(Slider(Kind::Tone, kVcfCutoff)->value(), 40);
    EXPECT_EQ(ValueText(Kind::Tone, kVcfCutoff), "40");
    EXPECT_EQ(ValueText(Kind::Tone, 15), "C4");
    EXPECT_EQ(Combo(Kind::Tone, 16)->currentText(), "Sawtooth");
    EXPECT_EQ(Combo(Kind::Tone, 7)->currentText(), "LFO-1");
    EXPECT_EQ(Steps(), 0) << "showing writes nothing";
}

TEST_F(ParametersPanelTest, AKeyIsOneNamedStepThatUndoesToTheExactBytesAndIsSaved) {
    LoadSoftPad();
    const BankEntries before = ReadWholeBank(Bank());
    // F6 takes the keyboard from the bank window to the panel, Shift+F6 back.
    View()->setFocus();
    QTest::keyClick(View()->viewport(), Qt::Key_F6);
    EXPECT_EQ(QApplication::focusWidget(), Slider(Kind::Tone, 0));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), View());
    QSlider* cutoff = Slider(Kind::Tone, kVcfCutoff);
    cutoff->setFocus();
    QTest::keyClick(cutoff, Qt::Key_Right);
    EXPECT_EQ(ToneBytes(kTone23)[14], 41);
    EXPECT_EQ(ValueText(Kind::Tone, kVcfCutoff), "41");
    EXPECT_EQ(Steps(), 1);
    EXPECT_EQ(Act(cmd::Undo)->text(), "&Undo Set VCF Cutoff of Tone 23\tCtrl+Z");
    const BankEntries after = ReadWholeBank(Bank());

    Trigger(cmd::Undo);
    EXPECT_TRUE(ReadWholeBank(Bank()) == before);
    EXPECT_EQ(cutoff->value(), 40);
    EXPECT_EQ(ValueText(Kind::Tone, kVcfCutoff), "40");
    Trigger(cmd::Redo);
    EXPECT_TRUE(ReadWholeBank(Bank()) == after);

    // A key held down is one step however far it goes; the next press is another.
    SendKey(cutoff, QEvent::KeyPress, Qt::Key_PageUp, false);
    for (int repeat = 0; repeat < 3; ++repeat) {
        SendKey(cutoff, QEvent::KeyRelease, Qt::Key_PageUp, true);
        SendKey(cutoff, QEvent::KeyPress, Qt::Key_PageUp, true);
    }
    SendKey(cutoff, QEvent::KeyRelease, Qt::Key_PageUp, false);
    EXPECT_EQ(ToneBytes(kTone23)[14], 81);
    EXPECT_EQ(Steps(), 2);
    QTest::keyClick(cutoff, Qt::Key_End);
    EXPECT_EQ(ToneBytes(kTone23)[14], 100);
    EXPECT_EQ(Steps(), 3);
    Trigger(cmd::Undo);
    Trigger(cmd::Undo);
    EXPECT_TRUE(ReadWholeBank(Bank()) == after);

    m_Asker.m_SavePath = TempPath(QStringLiteral("cutoff.m80"));
    ASSERT_TRUE(Doc()->DoSave(true));
    CNullBankView nowhere;
    CSysExData saved(&nowhere);
    ASSERT_EQ(ReadBankOrDump(m_Asker.m_SavePath.toStdString(), saved).result, ReadResult::Ok);
    EXPECT_EQ(saved.GetTone(kTone23)->GetData()[14], 41);
}

TEST_F(ParametersPanelTest, EachDragIsOneStep) {
    LoadSoftPad();
    QSlider* cutoff = Slider(Kind::Tone, kVcfCutoff);
    QSignalSpy moved(cutoff, &QSlider::valueChanged);
    Drag(cutoff, cutoff->width() / 4);
    EXPECT_GE(moved.count(), 3) << "the drag moved the slider in several changes";
    EXPECT_GT(ToneBytes(kTone23)[14], 40);
    EXPECT_EQ(Steps(), 1);
    EXPECT_EQ(UndoText(), "Set VCF Cutoff of Tone 23");
    const int8_t afterFirst = ToneBytes(kTone23)[14];
    Drag(cutoff, cutoff->width() / 8);
    EXPECT_GT(ToneBytes(kTone23)[14], afterFirst);
    EXPECT_EQ(Steps(), 2) << "a second drag is a second step";
    Trigger(cmd::Undo);
    EXPECT_EQ(ToneBytes(kTone23)[14], afterFirst);
    Trigger(cmd::Undo);
    EXPECT_EQ(ToneBytes(kTone23)[14], 40);
    Drag(cutoff, cutoff->width() / 4, true);
    EXPECT_EQ(ToneBytes(kTone23)[14], 40);
    EXPECT_FALSE(Doc()->GetUndoStack().canUndo()) << "there and back again changed nothing";
}

TEST_F(ParametersPanelTest, ADamagedValueIsShownMarkedAndOnlyAnEditWritesAValidOne) {
    auto bytes = SoftPad();
    bytes[14] = 120;                        // above the cutoff's range
    bytes[34] = static_cast<int8_t>(0x0F);  // VCO select 3, which means nothing
    bytes[38] = static_cast<int8_t>(0x81);  // sync off, and an unused bit
    Bank().GetTone(kTone23)->SetData(bytes.data());
    const std::vector<int8_t> stored = ToneBytes(kTone23);
    View()->SelectCell(kTone23, 1);
    EXPECT_EQ(ValueText(Kind::Tone, kVcfCutoff), "120 (out of range)");
    EXPECT_EQ(Slider(Kind::Tone, kVcfCutoff)->value(), 100);
    EXPECT_EQ(Combo(Kind::Tone, kVcoSelect)->currentText(), "3 (out of range)");
    EXPECT_EQ(Combo(Kind::Tone, 17)->currentText(), "Off (unused bits set)");
    EXPECT_TRUE(Combo(Kind::Tone, 17)->toolTip().startsWith("Off (unused bits set)\n"));
    // Away to other entries and back: still as stored, and nothing recorded.
    View()->SelectCell(3, 1);
    View()->SelectCell(3, 0);
    View()->SelectCell(kTone23, 1);
    EXPECT_EQ(ToneBytes(kTone23), stored);
    EXPECT_EQ(Steps(), 0);

    QSlider* cutoff = Slider(Kind::Tone, kVcfCutoff);
    QTest::keyClick(cutoff, Qt::Key_End);
    EXPECT_EQ(ToneBytes(kTone23)[14], 120) << "already at the end: no change, no write";
    QTest::keyClick(cutoff, Qt::Key_Left);
    EXPECT_EQ(ToneBytes(kTone23)[14], 99);
    QComboBox* select = Combo(Kind::Tone, kVcoSelect);
    QTest::keyClick(select, Qt::Key_Up);
    EXPECT_EQ(ToneBytes(kTone23)[34], 0x0B) << "VCO-1, the byte's other switches kept";
    EXPECT_EQ(select->count(), 3) << "the marked item goes with the damaged value";
    QTest::keyClick(Combo(Kind::Tone, 17), Qt::Key_Up);
    EXPECT_EQ(ToneBytes(kTone23)[38], 0x02) << "a valid value, the unused bit cleared";
    EXPECT_EQ(Steps(), 3);
}

TEST_F(ParametersPanelTest, AnEditedEmptyEntryIsLoadedAndTellsWhichParameterChanged) {
    ASSERT_EQ(Bank().GetPatch(0)->GetName(), kEmptyName);
    EXPECT_EQ(Panel()->windowTitle(), "Parameters: Patch 11 ------Empty------");
    std::vector<EntryParameter> told;
    QObject::connect(Doc(), &CQuorlinDoc::ParameterChanged,
                     [&told](const EntryParameter& in_which) { told.push_back(in_which); });
    QSlider* glide = Slider(Kind::Patch, kGlide, Half::Lower);
    EXPECT_EQ(glide->value(), 0);
    QTest::keyClick(glide, Qt::Key_Right);
    EXPECT_EQ(Bank().GetPatch(0)->GetData()[19], 1);
    EXPECT_EQ(Bank().GetPatch(0)->GetData()[9], 0) << "the upper half is not touched";
    EXPECT_EQ(Bank().GetPatch(0)->GetName(), kPatchPlaceholder);
    EXPECT_EQ(UndoText(), "Set Lower Glide of Patch 11");
    EXPECT_EQ(Panel()->windowTitle(), "Parameters: Patch 11 ------Patch------");
    Trigger(cmd::Undo);
    EXPECT_EQ(Bank().GetPatch(0)->GetName(), kEmptyName);
    Trigger(cmd::Redo);
    const EntryParameter lowerGlide{Kind::Patch, 0, Half::Lower, kGlide};
    EXPECT_EQ(told, (std::vector<EntryParameter>{lowerGlide, lowerGlide, lowerGlide}));
}

TEST_F(ParametersPanelTest, APatchNamesItsTonesAndSelectsOne) {
    int8_t patch[PATCH_PARAM_COUNT] = {0};
    patch[3] = kTone23;
    patch[13] = 63;
    Bank().GetPatch(20)->SetData(patch);
    Bank().GetTone(kTone23)->SetName("Soft Pad");
    View()->SelectCell(20, 0);
    EXPECT_EQ(Panel()->windowTitle(), "Parameters: Patch 35 ------Patch------");
    EXPECT_EQ(Combo(Kind::Patch, mks80::PATCH_TONE_PARAMETER, Half::Upper)->currentText(),
              "23 Soft Pad");
    QComboBox* lower = Combo(Kind::Patch, mks80::PATCH_TONE_PARAMETER, Half::Lower);
    EXPECT_EQ(lower->currentText(), "88 ------Empty------");
    // A rename anywhere in the bank shows at once.
    ASSERT_TRUE(Doc()->RenameEntry(true, 63, "Low Drone"));
    EXPECT_EQ(lower->currentText(), "88 Low Drone");

    Panel()->GetSelectToneButton(Half::Upper)->click();
    EXPECT_EQ(View()->GetSelectedRow(), kTone23);
    EXPECT_EQ(View()->GetSelectedColumn(), 1);
    EXPECT_EQ(Panel()->windowTitle(), "Parameters: Tone 23 Soft Pad");
}

TEST_F(ParametersPanelTest, FollowsTheActiveWindowAndIsRememberedBetweenRuns) {
    CQuorlinView* first = View();
    ASSERT_TRUE(Doc()->RenameEntry(true, 0, "First"));
    first->SelectCell(0, 1);
    EXPECT_EQ(Panel()->windowTitle(), "Parameters: Tone 11 First");
    Trigger(cmd::New);
    EXPECT_EQ(Panel()->GetFollowedView(), View());
    EXPECT_EQ(Panel()->windowTitle(), "Parameters: Patch 11 ------Empty------");
    // An edit goes to the bank of the window shown, not to the other one.
    QTest::keyClick(Slider(Kind::Patch, 2), Qt::Key_Right);
    EXPECT_EQ(Bank().GetPatch(0)->GetData()[2], 51);
    EXPECT_EQ(first->GetSysExData()->GetPatch(0)->GetData()[2], 50);
    for (CChildFrame* frame : Frame()->ChildFrames()) {
        if (frame->GetView() == first) {
            Frame()->GetMdiArea()->setActiveSubWindow(frame);
        }
    }
    EXPECT_EQ(Panel()->windowTitle(), "Parameters: Tone 11 First");
    Trigger(cmd::Undo);
    EXPECT_EQ(Panel()->windowTitle(), "Parameters: Tone 11 ------Empty------");

    for (CChildFrame* frame : Frame()->ChildFrames()) {
        frame->GetDocument()->SetModifiedFlag(false);
        frame->close();
    }
    Settle();
    EXPECT_EQ(Panel()->windowTitle(), "Parameters");
    EXPECT_EQ(Panel()->GetSource(), nullptr);

    EXPECT_EQ(m_App->ExitInstance(), 0);
    const QByteArray kept = m_Layout->m_Kept;
    m_App.reset();
    m_PresetLayout = kept;
    ASSERT_TRUE(Start());
    EXPECT_TRUE(Panel()->isVisibleTo(Frame())) << "shown again, as it was left";
    EXPECT_TRUE(Act(ID_VIEW_PARAMETERS)->isChecked());
    Trigger(ID_VIEW_PARAMETERS);
    EXPECT_FALSE(Panel()->isVisibleTo(Frame()));
}

}  // namespace
