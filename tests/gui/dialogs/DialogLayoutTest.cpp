// The dialogs as laid out on this machine's font: every control that a frame is drawn
// around lies wholly inside it, and no two controls cover one another.
#include <gtest/gtest.h>

#include <QDialog>
#include <QGroupBox>
#include <QStringList>
#include <QWidget>

#include "AppFixture.h"
#include "DialogTestSupport.h"
#include "bank/SysExData.h"
#include "dialogs/DialogChooseToneToOverwrite.h"
#include "dialogs/DialogDelayTime.h"
#include "dialogs/DialogEditName.h"
#include "dialogs/DialogSetupMIDIPorts.h"

namespace {

QString Describe(const QWidget* in_widget) {
    return QString::fromLatin1(in_widget->metaObject()->className()) + QLatin1Char(' ') +
           in_widget->property("text").toString() + in_widget->property("title").toString();
}

// What is wrong with the layout, one line a fault; empty when nothing is.
std::string LayoutFaults(const QDialog& in_dialog) {
    QStringList faults;
    std::vector<const QWidget*> frames;
    std::vector<const QWidget*> controls;
    for (const QWidget* child :
         in_dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->isWindow()) {
            continue;
        }
        (qobject_cast<const QGroupBox*>(child) ? frames : controls).push_back(child);
    }
    for (const QWidget* frame : frames) {
        for (const QWidget* control : controls) {
            if (frame->geometry().intersects(control->geometry()) &&
                !frame->geometry().contains(control->geometry())) {
                faults << Describe(control) + " sticks out of " + Describe(frame);
            }
        }
    }
    for (size_t i = 0; i < controls.size(); ++i) {
        for (size_t j = i + 1; j < controls.size(); ++j) {
            if (controls[i]->geometry().intersects(controls[j]->geometry())) {
                faults << Describe(controls[i]) + " covers " + Describe(controls[j]);
            }
        }
    }
    for (const QWidget* each : controls) {
        if (!in_dialog.rect().contains(each->geometry())) {
            faults << Describe(each) + " lies outside the dialog";
        }
    }
    return faults.join(QLatin1Char('\n')).toStdString();
}

class DialogLayoutTest : public AppFixture {
  protected:
    void SetUp() override { MakeAppWithPorts(); }
    RecordingBankView m_View;
    CSysExData m_Bank{&m_View};
};

TEST_F(DialogLayoutTest, ControlsStayInsideTheirFramesAndApart) {
    CDialogDelayTime delay(*m_App);
    EXPECT_EQ(LayoutFaults(delay), "") << "delay dialog";
    CDialogSetupMIDIPorts setup(*m_App);
    EXPECT_EQ(LayoutFaults(setup), "") << "setup dialog";
    CDialogChooseToneToOverwrite choose(5, &m_Bank);
    EXPECT_EQ(LayoutFaults(choose), "") << "tone dialog";
    CDialogEditPatch patch(&m_Bank, 0);
    EXPECT_EQ(LayoutFaults(patch), "") << "patch dialog";
    CDialogEditTone tone(&m_Bank, 0);
    EXPECT_EQ(LayoutFaults(tone), "") << "tone name dialog";
}

}  // namespace
