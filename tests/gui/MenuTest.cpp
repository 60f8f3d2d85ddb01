// The frame: the two menus, command enabling, the toolbar, the status bar, About.
#include <QDialog>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>
#include <map>

#include "GuiFixture.h"
#include "app/CommandTable.h"
#include "app/DialogAbout.h"
#include "app/WebPages.h"

namespace {

class MenuTest : public GuiFixture {
  protected:
    void SetUp() override {
        GuiFixture::SetUp();
        ASSERT_TRUE(Start());
    }
    QStringList MenuTitles() const {
        QStringList titles;
        for (QAction* action : Frame()->menuBar()->actions()) {
            titles << action->text();
        }
        return titles;
    }
    // Each item as text, with "-" for a separator and "(off)" when disabled.
    static QStringList Items(QMenu* in_menu) {
        Q_EMIT in_menu->aboutToShow();
        QStringList items;
        for (QAction* action : in_menu->actions()) {
            items << (action->isSeparator()
                          ? QStringLiteral("-")
                          : action->text() + (action->isEnabled() ? "" : " (off)"));
        }
        return items;
    }
};

TEST_F(MenuTest, MenuBarFollowsWhetherABankWindowIsOpen) {
    EXPECT_EQ(Frame()->CurrentMenuId(), 129);
    EXPECT_EQ(MenuTitles(), (QStringList{"&File", "&Edit", "&View", "Midi", "&Window", "&Help"}));
    EXPECT_EQ(
        Items(Frame()->GetMenu(129, "&File")),
        (QStringList{"&New\tCtrl+N", "&Open...\tCtrl+O", "&Close", "&Save\tCtrl+S", "Save &As...",
                     "-", "Open Sysex Data", "Export to Midi", "-", "Open Library Folder (off)",
                     "Library Settings... (off)", "-", "Recent File (off)", "-", "E&xit"}));
    EXPECT_EQ(Items(Frame()->GetMenu(129, "&Edit")),
              (QStringList{"&Undo\tCtrl+Z (off)", "Redo\tCtrl+Y (off)", "-", "Cu&t\tCtrl+X (off)",
                           "&Copy\tCtrl+C", "&Paste\tCtrl+V", "-", "Rename\tCtrl+R", "-",
                           "Compare With...", "Name From Library (off)", "-", "Blend With...",
                           "Mutate...", "Find Similar (off)"}));
    EXPECT_EQ(Items(Frame()->GetMenu(129, "Midi")),
              (QStringList{"Get Patches", "Send Patches", "Compare with MKS-80", "-", "Audition",
                           "Play Test Note", "Take Current Sound (off)", "-",
                           "Display Current Selection Data", "-", "Select MIDI Port",
                           "Set Midi Transfer Speed"}));
    EXPECT_EQ(Items(Frame()->GetMenu(129, "&Help")),
              (QStringList{"Contents", "-", "Check for new version", "&About Quorlin..."}));

    Frame()->ActiveChildFrame()->close();
    Settle();
    EXPECT_EQ(Frame()->CurrentMenuId(), 128);
    EXPECT_EQ(MenuTitles(), (QStringList{"&File", "&View", "&Help"}));
    EXPECT_EQ(Items(Frame()->GetMenu(128, "&File")),
              (QStringList{"&New\tCtrl+N", "&Open...\tCtrl+O", "-", "Open Library Folder (off)",
                           "Library Settings... (off)", "-", "Recent File (off)", "-", "E&xit"}));
    EXPECT_EQ(Items(Frame()->GetMenu(128, "&View")), (QStringList{"&Toolbar", "&Status Bar"}));
    EXPECT_EQ(Items(Frame()->GetMenu(128, "&Help")), (QStringList{"&About Quorlin..."}));
    EXPECT_FALSE(Act(cmd::GetPatches)->isEnabled()) << "no bank to fill";

    Trigger(cmd::New);
    EXPECT_EQ(Frame()->CurrentMenuId(), 129);
}

TEST_F(MenuTest, KeysStatusPromptsAndIdsAreThoseOfTheProgram) {
    EXPECT_EQ(Act(cmd::Rename)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
    EXPECT_EQ(Act(cmd::Undo)->shortcuts(),
              (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Z),
                                   QKeySequence(Qt::ALT | Qt::Key_Backspace)}));
    EXPECT_EQ(Act(cmd::Cut)->shortcuts(),
              (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_X),
                                   QKeySequence(Qt::SHIFT | Qt::Key_Delete)}));
    EXPECT_EQ(Act(cmd::Copy)->shortcuts(),
              (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_C),
                                   QKeySequence(Qt::CTRL | Qt::Key_Insert)}));
    EXPECT_EQ(Act(cmd::Paste)->shortcuts(),
              (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_V),
                                   QKeySequence(Qt::SHIFT | Qt::Key_Insert)}));
    EXPECT_EQ(Act(cmd::TransferSpeed)->statusTip(),
              QStringLiteral("Set the speed that the data is sent and recieved from the MKS0-80."));
    EXPECT_EQ(Act(cmd::LoadFromMks80)->statusTip(),
              QStringLiteral("Load patches from the MKS-80 to this program."));
    EXPECT_EQ(Act(cmd::SaveToMks80)->statusTip(),
              QStringLiteral("Save patches from this program to the MKS-80."));
    EXPECT_EQ(Act(cmd::New)->statusTip(), QStringLiteral("Create a new document"));
    EXPECT_TRUE(Act(cmd::DisplaySelection)->statusTip().isEmpty());
    for (const auto& [id, action] :
         std::map<int, QAction*>{{cmd::New, Act(cmd::New)}, {cmd::Rename, Act(cmd::Rename)}}) {
        EXPECT_EQ(action->data().toInt(), id);
    }
}

TEST_F(MenuTest, UndoRedoAndCutNeverRun) {
    Frame()->show();
    // Active, so that the keys would reach the commands if they were enabled.
    Frame()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Frame()));
    View()->setFocus();
    QSignalSpy undo(Act(cmd::Undo), &QAction::triggered);
    QSignalSpy cut(Act(cmd::Cut), &QAction::triggered);
    QTest::keyClick(View()->viewport(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(View()->viewport(), Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(View()->viewport(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(undo.count(), 0);
    EXPECT_EQ(cut.count(), 0);
    // Enabling runs again on every change; these stay off through all of them.
    m_App->SetMidiBusy();
    m_App->ClearMidiBusy();
    Trigger(cmd::New);
    for (int id : {cmd::Undo, cmd::Redo, cmd::Cut}) {
        EXPECT_FALSE(Act(id)->isEnabled()) << id;
    }
}

TEST_F(MenuTest, CopyAndPasteKeysOfTheAcceleratorTableWork) {
    Frame()->show();
    Frame()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Frame()));
    View()->setFocus();
    CSysExData* bank = View()->GetSysExData();
    bank->GetTone(0)->SetName("Bell Tone");
    QTest::keyClick(View()->viewport(), Qt::Key_Right);
    QTest::keyClick(View()->viewport(), Qt::Key_Insert, Qt::ControlModifier);
    QTest::keyClick(View()->viewport(), Qt::Key_Down);
    QTest::keyClick(View()->viewport(), Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(bank->GetTone(1)->GetName(), "Bell Tone")
        << "Ctrl+Insert copied, Shift+Insert pasted";
    bank->GetTone(0)->SetName("Pad Tone");
    QTest::keyClick(View()->viewport(), Qt::Key_Up);
    QTest::keyClick(View()->viewport(), Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(View()->viewport(), Qt::Key_End);
    QTest::keyClick(View()->viewport(), Qt::Key_Right);
    QTest::keyClick(View()->viewport(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(bank->GetTone(63)->GetName(), "Pad Tone") << "Ctrl+C copied, Ctrl+V pasted";
    EXPECT_TRUE(Doc()->IsModified());
}

TEST_F(MenuTest, TransferCommandsAreOffWhileBusy) {
    const std::vector<int> transfer{cmd::GetPatches, cmd::SendPatches, cmd::LoadFromMks80,
                                    cmd::SaveToMks80};
    for (int id : transfer) {
        EXPECT_TRUE(Act(id)->isEnabled()) << id;
    }
    m_App->SetMidiBusy();
    for (int id : transfer) {
        EXPECT_FALSE(Act(id)->isEnabled()) << id;
    }
    EXPECT_TRUE(Act(cmd::Copy)->isEnabled()) << "only the transfers wait";
    m_App->ClearMidiBusy();
    for (int id : transfer) {
        EXPECT_TRUE(Act(id)->isEnabled()) << id;
    }
}

TEST_F(MenuTest, ToolbarHasTenButtonsThatDockAnywhere) {
    QToolBar* bar = Frame()->GetToolBar();
    QList<int> ids;
    for (QAction* action : bar->actions()) {
        ids << (action->isSeparator() ? 0 : action->data().toInt());
    }
    EXPECT_EQ(
        ids, (QList<int>{cmd::New, cmd::Open, cmd::Save, 0, cmd::LoadFromMks80, cmd::SaveToMks80, 0,
                         cmd::Cut, cmd::Copy, cmd::Paste, 0, ID_AUDITION, ID_PLAY_TEST_NOTE}));
    EXPECT_TRUE(bar->isMovable());
    EXPECT_TRUE(bar->isFloatable());
    EXPECT_EQ(bar->allowedAreas(), Qt::AllToolBarAreas);
    for (QAction* action : bar->actions()) {
        EXPECT_TRUE(action->isSeparator() || !action->icon().isNull())
            << action->text().toStdString();
    }
    EXPECT_EQ(Act(cmd::Copy)->toolTip(), QStringLiteral("Copy"));

    // Docked on the left edge it is still the frame's toolbar.
    Frame()->addToolBar(Qt::LeftToolBarArea, bar);
    EXPECT_EQ(Frame()->toolBarArea(bar), Qt::LeftToolBarArea);
}

TEST_F(MenuTest, LoadAndSaveButtonsShowNoTooltip) {
    Frame()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Frame()));
    QWidget* load = Frame()->GetToolBar()->widgetForAction(Act(cmd::LoadFromMks80));
    QWidget* copy = Frame()->GetToolBar()->widgetForAction(Act(cmd::Copy));
    ASSERT_NE(load, nullptr);
    const auto tooltipFor = [](QWidget* in_button) {
        QToolTip::hideText();
        QHelpEvent event(QEvent::ToolTip, QPoint(4, 4), in_button->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(in_button, &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tooltipFor(load), QString());
    EXPECT_EQ(tooltipFor(copy), QStringLiteral("Copy"));
    QToolTip::hideText();
}

TEST_F(MenuTest, ViewMenuHidesAndRestoresTheBars) {
    Frame()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Frame()));
    Trigger(59392);
    EXPECT_FALSE(Frame()->GetToolBar()->isVisible());
    EXPECT_FALSE(Act(59392)->isChecked());
    Trigger(59392);
    EXPECT_TRUE(Frame()->GetToolBar()->isVisible());
    Trigger(59393);
    EXPECT_FALSE(Frame()->statusBar()->isVisible());
    Trigger(59393);
    EXPECT_TRUE(Frame()->statusBar()->isVisible());
}

TEST_F(MenuTest, StatusBarHasReadyAndTheThreeIndicators) {
    QStatusBar* bar = Frame()->statusBar();
    EXPECT_EQ(Frame()->GetMessagePane()->text(), QStringLiteral("Ready"));
    QStringList indicators;
    for (QLabel* label : bar->findChildren<QLabel*>()) {
        if (label->objectName() == QStringLiteral("Mks80Now")) {
            EXPECT_EQ(label->text(), QString()) << "nothing heard from the instrument yet";
        } else if (label != Frame()->GetMessagePane()) {
            indicators << label->text();
            EXPECT_FALSE(label->isEnabled()) << "no lock is claimed to be on";
        }
    }
    EXPECT_EQ(indicators, (QStringList{"CAP", "NUM", "SCRL"}));
}

TEST_F(MenuTest, WindowMenuListsTheOpenBanks) {
    Trigger(cmd::New);
    const QStringList items = Items(Frame()->GetMenu(129, "&Window"));
    EXPECT_EQ(items, (QStringList{"&New Window", "&Cascade", "&Tile", "&Arrange Icons", "-",
                                  "&1 MKS80v1", "&2 MKS80v2"}));
    QMenu* menu = Frame()->GetMenu(129, "&Window");
    QAction* first = menu->actions().at(5);
    EXPECT_FALSE(first->isChecked());
    EXPECT_TRUE(menu->actions().at(6)->isChecked());
    first->trigger();
    EXPECT_EQ(Doc()->GetTitle(), QStringLiteral("MKS80v1"));
}

TEST_F(MenuTest, WebPagesOpenFromHelpAndAbout) {
    Trigger(cmd::CheckVersion);
    Trigger(cmd::HelpContents);
    ASSERT_EQ(m_Shell.m_Urls.size(), 2u);
    // Both pages ship with the program: no command leads off this machine.
    const auto pageText = [](const std::string& in_url) {
        return QString::fromUtf8(ReadAll(QUrl(QString::fromStdString(in_url)).toLocalFile()));
    };
    EXPECT_TRUE(pageText(m_Shell.m_Urls[0]).contains(QStringLiteral("Quorlin version <strong")))
        << m_Shell.m_Urls[0];
    EXPECT_TRUE(pageText(m_Shell.m_Urls[1])
                    .contains(QStringLiteral("<title>%1</title>").arg(webpages::kGuideTitle)))
        << m_Shell.m_Urls[1];

    CDialogAbout about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Quorlin"));
    QStringList texts;
    for (QLabel* label : about.findChildren<QLabel*>()) {
        texts << label->text();
    }
    EXPECT_TRUE(texts.contains(QStringLiteral("Quorlin Version .9 Beta")));
    EXPECT_TRUE(about.m_OkButton->isDefault());
    EXPECT_EQ(about.m_WebLinkButton->text(), QStringLiteral("Quorlin user guide"));
    about.m_WebLinkButton->click();
    EXPECT_EQ(m_Shell.m_Urls.back(), m_Shell.m_Urls[1]);
    EXPECT_TRUE(m_Prompter.Messages().empty());

    // Without a browser the user is told where the page is.
    m_Shell.m_HasBrowser = false;
    Trigger(cmd::HelpContents);
    ASSERT_EQ(m_Prompter.Messages().size(), 1u);
    EXPECT_NE(m_Prompter.Messages()[0].text.find("index.html"), std::string::npos);
}

TEST_F(MenuTest, MidiSetupDialogsOpenFromTheMidiMenu) {
    for (int id : {cmd::SelectPort, cmd::TransferSpeed}) {
        QString shown;
        QTimer::singleShot(0, [&]() {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                shown = QString::fromLatin1(dialog->metaObject()->className());
                dialog->reject();
            }
        });
        Trigger(id);
        EXPECT_EQ(shown, id == cmd::SelectPort ? QStringLiteral("CDialogSetupMIDIPorts")
                                               : QStringLiteral("CDialogDelayTime"));
    }
}

TEST_F(MenuTest, AboutCommandShowsTheBoxModally) {
    bool shown = false;
    QTimer::singleShot(0, [&]() {
        if (auto* dialog = qobject_cast<CDialogAbout*>(QApplication::activeModalWidget())) {
            shown = true;
            dialog->m_OkButton->click();
        }
    });
    Trigger(cmd::About);
    EXPECT_TRUE(shown);
}

}  // namespace

namespace {
class FrameTitleTest : public MenuTest {};

TEST_F(FrameTitleTest, NamesTheActiveBankOnceWhetherMaximisedOrNot) {
    Frame()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Frame()));
    EXPECT_EQ(Frame()->windowTitle(), QStringLiteral("Quorlin - MKS80v1[*]"));
    Frame()->ActiveChildFrame()->showMaximized();
    QApplication::processEvents();
    Doc()->SetModifiedFlag();
    QApplication::processEvents();
    EXPECT_EQ(Frame()->windowTitle().count(QStringLiteral("MKS80v1")), 1)
        << Frame()->windowTitle().toStdString();
    EXPECT_TRUE(Frame()->isWindowModified());
    Frame()->ActiveChildFrame()->showNormal();
    QApplication::processEvents();
    EXPECT_EQ(Frame()->windowTitle(), QStringLiteral("Quorlin - MKS80v1[*]"));
}

TEST_F(FrameTitleTest, KeepsTheActiveBankWhileAnotherProgramIsActive) {
    Frame()->show();
    Frame()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Frame(), 30000));
    Trigger(cmd::New);
    // Some desktops leave the area naming no window when the frame loses the focus.
    Frame()->GetMdiArea()->setActiveSubWindow(nullptr);
    EXPECT_EQ(Frame()->windowTitle(), QStringLiteral("Quorlin - MKS80v2[*]"));
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other, 30000));
    EXPECT_EQ(Frame()->windowTitle(), QStringLiteral("Quorlin - MKS80v2[*]"));
    EXPECT_EQ(Doc()->GetTitle(), QStringLiteral("MKS80v2"));

    // The same with the bank window maximised.
    Frame()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Frame(), 30000));
    Frame()->ActiveChildFrame()->showMaximized();
    QApplication::processEvents();
    const QString bank = Doc()->GetTitle();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other, 30000));
    EXPECT_EQ(Frame()->windowTitle().count(bank), 1) << Frame()->windowTitle().toStdString();
}

TEST_F(FrameTitleTest, BankWindowsOpenOffsetAndCascadeKeepsTheirSize) {
    Frame()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Frame()));
    Trigger(cmd::New);
    const std::vector<CChildFrame*> frames = Frame()->ChildFrames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_GT(frames[1]->pos().x(), frames[0]->pos().x());
    EXPECT_GT(frames[1]->pos().y(), frames[0]->pos().y());

    frames[0]->resize(200, 150);
    Frame()->Action(57650)->trigger();  // Window, Cascade
    EXPECT_EQ(frames[0]->pos(), QPoint(0, 0));
    EXPECT_NE(frames[1]->pos(), frames[0]->pos());
    for (CChildFrame* frame : frames) {
        EXPECT_GE(frame->width(), 310);
        EXPECT_GE(frame->height(), 550);
    }
    EXPECT_EQ(Frame()->ActiveChildFrame(), frames[1]);
}
}  // namespace

namespace {

// The menus are made from rows alone: sections, separators and the rows of menu 128.
TEST(CommandMenuTest, MenusStandSectionBySectionWithoutStraySeparators) {
    QWidget owner;
    std::vector<CommandRow> rows{
        CommandRow(2, "Second").In(FrameMenu::Edit, 2, true),
        CommandRow::Items(FrameMenu::Edit, 3, true, [](QMenu&) {}),  // brings nothing
        CommandRow(1, "First").Keys({QKeySequence(Qt::CTRL | Qt::Key_F)}).In(FrameMenu::Edit, 1),
        CommandRow(4, "Fourth").In(FrameMenu::Edit, 4, true),
        CommandRow(3, "Also second").In(FrameMenu::Edit, 2, true),
        CommandRow(5, "Elsewhere").In(FrameMenu::Help, 1, true),
        CommandRow::Items(FrameMenu::Edit, 5, true, [](QMenu&) {}),
    };
    std::map<int, QAction*> actions;
    for (const CommandRow& row : rows) {
        if (QAction* action = MakeCommandAction(row, owner)) {
            actions[row.id] = action;
        }
    }
    const auto texts = [&](bool in_bankOpen) {
        QMenu menu;
        FillCommandMenu(menu, FrameMenu::Edit, in_bankOpen, rows,
                        [&](int in_id) { return actions.at(in_id); });
        QStringList items;
        for (QAction* action : menu.actions()) {
            items << (action->isSeparator() ? QStringLiteral("-") : action->text());
        }
        return items;
    };
    EXPECT_EQ(texts(true),
              (QStringList{"First\tCtrl+F", "-", "Second", "Also second", "-", "Fourth"}));
    EXPECT_EQ(texts(false), (QStringList{"Second", "Also second", "-", "Fourth"}));
}

class CommandTableTest : public MenuTest {};

TEST_F(CommandTableTest, EachCommandHasOneRowAndOneAction) {
    std::set<int> ids;
    for (const CommandRow& row : Frame()->Commands()) {
        if (row.fill) {
            continue;
        }
        EXPECT_TRUE(ids.insert(row.id).second) << "two rows for " << row.id;
        ASSERT_NE(Act(row.id), nullptr) << row.id;
        EXPECT_EQ(Act(row.id)->data().toInt(), row.id);
    }
}

TEST_F(CommandTableTest, UndoAndRedoFollowTheActiveWindowsDocument) {
    CQuorlinDoc* first = Doc();
    ASSERT_TRUE(first->RenameEntry(false, 0, "Brass"));
    Trigger(cmd::New);
    CQuorlinDoc* second = Doc();
    ASSERT_NE(second, first);
    EXPECT_EQ(Act(cmd::Undo)->text(), QStringLiteral("&Undo\tCtrl+Z"));
    EXPECT_FALSE(Act(cmd::Undo)->isEnabled());
    ASSERT_TRUE(second->RenameEntry(true, 9, "Strings"));
    EXPECT_EQ(Act(cmd::Undo)->text(), QStringLiteral("&Undo Rename Tone 22\tCtrl+Z"));

    Frame()->GetMdiArea()->setActiveSubWindow(Frame()->ChildFrames().front());
    ASSERT_EQ(Doc(), first);
    EXPECT_EQ(Act(cmd::Undo)->text(), QStringLiteral("&Undo Rename Patch 11\tCtrl+Z"));
    Trigger(cmd::Undo);
    EXPECT_EQ(first->GetSysExData()->GetPatch(0)->GetName(), kEmptyName);
    EXPECT_EQ(second->GetSysExData()->GetTone(9)->GetName(), "Strings") << "only the active one";
    EXPECT_EQ(Act(cmd::Redo)->text(), QStringLiteral("&Redo Rename Patch 11\tCtrl+Y"));
    EXPECT_TRUE(Act(cmd::Redo)->isEnabled());
}

}  // namespace
