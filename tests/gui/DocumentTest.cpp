// Bank documents: titles, files, the recent-file list, the modified mark and the save
// question, and several windows on one bank.
#ifndef _WIN32
#include <unistd.h>
#endif

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <memory>
#include <sstream>

#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "GuiFixture.h"
#include "bank/Archive.h"
#include "dialogs/DialogEditName.h"
#include "midi/MidiManager.h"

namespace {

class DocumentTest : public GuiFixture {
  protected:
    void SetUp() override {
        GuiFixture::SetUp();
        ASSERT_TRUE(Start());
    }
    // The bank file bytes of in_bank.
    static QByteArray FileBytes(const CSysExData& in_bank) {
        std::ostringstream stream;
        CArchive ar(stream);
        EXPECT_TRUE(in_bank.StoreBank(ar));
        const std::string bytes = stream.str();
        return QByteArray(bytes.data(), int(bytes.size()));
    }
    static void WriteFile(const QString& in_path, const QByteArray& in_bytes) {
        QFile file(in_path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(in_bytes);
    }
    void CloseActive() {
        Frame()->ActiveChildFrame()->close();
        Settle();
    }
};

TEST_F(DocumentTest, NewBanksAreNumberedSinceStartUp) {
    EXPECT_EQ(Doc()->GetTitle(), QStringLiteral("MKS80v1"));
    Trigger(cmd::New);
    EXPECT_EQ(Doc()->GetTitle(), QStringLiteral("MKS80v2"));
    CloseActive();
    CloseActive();
    Trigger(cmd::New);
    EXPECT_EQ(Doc()->GetTitle(), QStringLiteral("MKS80v3"));
    EXPECT_EQ(Frame()->windowTitle(), QStringLiteral("Quorlin - MKS80v3[*]"));
}

TEST_F(DocumentTest, AnIndexOutsideTheWindowsBankIsToldInABox) {
    EXPECT_EQ(View()->GetSysExData()->GetTone(64), nullptr);
    EXPECT_EQ(m_Prompter.Texts(),
              std::vector<std::string>{"Invalid index passed to CSysExData::GetTone"});
}

TEST_F(DocumentTest, FileDialogsStartNearTheBanks) {
    // A new bank, nothing used yet: the documents folder.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString start = QDir(documents).exists() ? documents : QDir::homePath();
    Trigger(cmd::Open);
    EXPECT_EQ(m_Asker.m_OpenFolder, start);

    // The folder of the active bank's file.
    QDir(m_TempDir.path()).mkdir(QStringLiteral("banks"));
    m_Asker.m_SavePath = TempPath(QStringLiteral("banks/kept.m80"));
    Trigger(cmd::SaveAs);
    EXPECT_EQ(m_Asker.m_SaveProposed, QDir(start).filePath(QStringLiteral("MKS80v1.m80")));
    Trigger(cmd::OpenSysex);
    EXPECT_EQ(m_Asker.m_OpenFolder, TempPath(QStringLiteral("banks")));

    // A bank without a file: the folder used last.
    m_Asker.m_OpenPath = DataPath(QStringLiteral("dumps/blocks3-then-eod.syx"));
    Trigger(cmd::OpenSysex);
    Trigger(cmd::New);
    m_Asker.m_OpenPath.clear();
    Trigger(cmd::Open);
    EXPECT_EQ(m_Asker.m_OpenFolder, QFileInfo(DataPath(QStringLiteral("dumps/x"))).absolutePath());
}

TEST_F(DocumentTest, SaveAsThenOpenFromTheRecentListRoundTrips) {
    CSysExData* bank = View()->GetSysExData();
    bank->GetPatch(9)->SetName("Warm Pad");
    bank->GetTone(40)->GetData()[3] = 77;
    const QByteArray expected = FileBytes(*bank);

    // A name without an extension gets ".m80".
    m_Asker.m_SavePath = TempPath(QStringLiteral("mine"));
    Trigger(cmd::Save);
    EXPECT_EQ(m_Asker.m_SaveAsked, 1) << "a new bank has no name yet";
    EXPECT_EQ(QFileInfo(m_Asker.m_SaveProposed).fileName(), QStringLiteral("MKS80v1.m80"));
    EXPECT_EQ(m_Asker.m_SaveFilters.value(0), QStringLiteral("MKS80 (*.m80)"));
    const QString path = TempPath(QStringLiteral("mine.m80"));
    EXPECT_EQ(ReadAll(path), expected) << "byte for byte";
    EXPECT_EQ(Doc()->GetTitle(), QStringLiteral("mine.m80"));
    EXPECT_EQ(m_Recent->m_Kept, QStringList{QFileInfo(path).absoluteFilePath()});

    // Save again goes to the same file without asking.
    Trigger(cmd::Save);
    EXPECT_EQ(m_Asker.m_SaveAsked, 1);

    CloseActive();
    ASSERT_EQ(WindowCount(), 0u);
    QMenu* file = Frame()->GetMenu(128, QStringLiteral("&File"));
    QAction* recent = nullptr;
    for (QAction* action : file->actions()) {
        if (action->data().toInt() == 57616 && action->isEnabled()) {
            recent = action;
        }
    }
    ASSERT_NE(recent, nullptr);
    EXPECT_TRUE(recent->text().startsWith(QStringLiteral("&1 ")));
    recent->trigger();
    ASSERT_EQ(WindowCount(), 1u);
    EXPECT_EQ(View()->GetSysExData()->GetPatch(9)->GetName(), "Warm Pad");
    EXPECT_EQ(View()->GetSysExData()->GetTone(40)->GetData()[3], 77);
    EXPECT_EQ(View()->GetSelectedRow(), 0);
    EXPECT_EQ(View()->GetSelectedColumn(), 0);
    EXPECT_FALSE(Doc()->IsModified());
}

TEST_F(DocumentTest, ChoosingARecentFileInTheOpenMenuReopensIt) {
    // Two files on the list; choosing the second moves it to the front, which rebuilds
    // the very menu the choice was made in.
    for (const char* name : {"first.m80", "second.m80"}) {
        m_Asker.m_SavePath = TempPath(QString::fromLatin1(name));
        Trigger(cmd::SaveAs);
    }
    ASSERT_EQ(m_Recent->m_Kept.size(), 2);
    CloseActive();
    ASSERT_EQ(WindowCount(), 0u);
    Frame()->show();
    QMenu* file = Frame()->GetMenu(128, QStringLiteral("&File"));
    Q_EMIT file->aboutToShow();
    QAction* older = nullptr;
    for (QAction* action : file->actions()) {
        if (action->data().toInt() == 57617) {
            older = action;
        }
    }
    ASSERT_NE(older, nullptr);
    file->popup(Frame()->mapToGlobal(QPoint(0, 0)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(file));
    file->setActiveAction(older);
    QTest::keyClick(file, Qt::Key_Return);
    Settle();
    ASSERT_EQ(WindowCount(), 1u);
    EXPECT_EQ(Doc()->GetTitle(), QStringLiteral("first.m80"));
    EXPECT_EQ(QFileInfo(m_Recent->m_Kept.value(0)).fileName(), QStringLiteral("first.m80"));
}

TEST_F(DocumentTest, RecentListKeepsTenNewestFirst) {
    for (int i = 0; i < 12; ++i) {
        m_Asker.m_SavePath = TempPath(QStringLiteral("bank%1.m80").arg(i));
        Trigger(cmd::SaveAs);
    }
    ASSERT_EQ(m_Recent->m_Kept.size(), 10);
    EXPECT_TRUE(m_Recent->m_Kept.front().endsWith(QStringLiteral("bank11.m80")));
    EXPECT_TRUE(m_Recent->m_Kept.back().endsWith(QStringLiteral("bank2.m80")));
}

TEST_F(DocumentTest, OpenShowsTheFileScrolledToTheTop) {
    m_Asker.m_OpenPath = DataPath(QStringLiteral("banks/ok-new-bank.m80"));
    Trigger(cmd::Open);
    EXPECT_EQ(m_Asker.m_OpenFilters.value(0), QStringLiteral("MKS80 (*.m80)"));
    ASSERT_EQ(WindowCount(), 2u);
    CSysExData* bank = View()->GetSysExData();
    EXPECT_EQ(bank->GetPatch(0)->GetName(), "------Patch------");
    EXPECT_EQ(bank->GetTone(63)->GetName(), "------Tone-------");
    EXPECT_EQ(Doc()->GetTitle(), QStringLiteral("ok-new-bank.m80"));

    // Opening it again brings the same window forward.
    Frame()->GetMdiArea()->activatePreviousSubWindow();
    Trigger(cmd::Open);
    EXPECT_EQ(WindowCount(), 2u);
    EXPECT_EQ(Doc()->GetTitle(), QStringLiteral("ok-new-bank.m80"));
}

class BadBankFileTest : public DocumentTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(BadBankFileTest, IsReportedAndOpensNoWindow) {
    m_Asker.m_OpenPath = DataPath(QStringLiteral("banks/%1").arg(QString::fromLatin1(GetParam())));
    Trigger(cmd::Open);
    EXPECT_EQ(m_Prompter.Texts(), (std::vector<std::string>{"Unexpected file format."}));
    EXPECT_EQ(WindowCount(), 1u);
    EXPECT_TRUE(m_Recent->m_Kept.isEmpty());
    EXPECT_EQ(Doc()->GetTitle(), QStringLiteral("MKS80v1"));
}

INSTANTIATE_TEST_SUITE_P(Corpus, BadBankFileTest,
                         ::testing::Values("bad-cut-in-last-tone.m80", "bad-cut-in-name.m80",
                                           "bad-cut-in-patch-bytes.m80",
                                           "bad-huge-length-prefix.m80", "bad-text-file.m80",
                                           "bad-program.m80", "bad-random-70k.m80",
                                           "bad-source-text.m80"));

TEST_F(DocumentTest, EmptyFileOpensAsADefaultBankUnderItsName) {
    m_Asker.m_OpenPath = DataPath(QStringLiteral("banks/ok-empty-file.m80"));
    Trigger(cmd::Open);
    ASSERT_EQ(WindowCount(), 2u);
    EXPECT_EQ(Doc()->GetTitle(), QStringLiteral("ok-empty-file.m80"));
    EXPECT_EQ(View()->GetSysExData()->GetPatch(0)->GetName(), "------Empty------");
    EXPECT_TRUE(m_Prompter.Texts().empty());
}

TEST_F(DocumentTest, FileThatCannotBeOpenedIsNamedInTheMessage) {
    const QString missing = TempPath(QStringLiteral("gone.m80"));
    m_Asker.m_OpenPath = missing;
    Trigger(cmd::Open);
    ASSERT_EQ(m_Prompter.Texts().size(), 1u);
    EXPECT_NE(m_Prompter.Texts()[0].find(QDir::toNativeSeparators(missing).toStdString()),
              std::string::npos);
    EXPECT_EQ(WindowCount(), 1u);
}

TEST_F(DocumentTest, FailedSaveIsReportedAndKeepsTheBankModified) {
    View()->GetSysExData()->GetPatch(0)->SetName("Keep me");
    Doc()->SetModifiedFlag();
    // A folder stands where the file should go.
    const QString blocked = TempPath(QStringLiteral("folder.m80"));
    ASSERT_TRUE(QDir().mkpath(blocked));
    m_Asker.m_SavePath = blocked;
    Trigger(cmd::SaveAs);
    ASSERT_EQ(m_Prompter.Texts().size(), 1u);
    EXPECT_NE(m_Prompter.Texts()[0].find("folder.m80"), std::string::npos);
    EXPECT_TRUE(Doc()->IsModified());
    EXPECT_EQ(Doc()->GetTitle(), QStringLiteral("MKS80v1"));
}

#ifndef _WIN32
TEST_F(DocumentTest, SaveOnAFullDiskReportsItAndKeepsTheOldFile) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "mounting a small tmpfs to fill needs root";
    }
    const QString disk = TempPath(QStringLiteral("disk"));
    ASSERT_TRUE(QDir().mkpath(disk));
    if (QProcess::execute(QStringLiteral("mount"),
                          {"-t", "tmpfs", "-o", "size=64k", "tmpfs", disk}) != 0) {
        GTEST_SKIP() << "cannot mount a tmpfs here";
    }
    const std::shared_ptr<void> unmount(
        nullptr, [disk](void*) { QProcess::execute(QStringLiteral("umount"), {disk}); });
    const QString path = disk + QStringLiteral("/bank.m80");
    m_Asker.m_SavePath = path;
    Trigger(cmd::SaveAs);
    const QByteArray saved = ReadAll(path);
    ASSERT_EQ(saved.size(), 6272);
    // Names long enough that the new file no longer fits beside the old one.
    for (int i = 0; i < BANK_SIZE; ++i) {
        View()->GetSysExData()->GetTone(i)->SetName(std::string(1000, 'n'));
    }
    Doc()->SetModifiedFlag();
    Trigger(cmd::Save);
    ASSERT_EQ(m_Prompter.Texts().size(), 1u);
    EXPECT_EQ(m_Prompter.Texts()[0].rfind("Cannot save the file", 0), 0u) << m_Prompter.Texts()[0];
    EXPECT_EQ(ReadAll(path), saved);
    EXPECT_TRUE(Doc()->IsModified());
    EXPECT_EQ(QDir(disk).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

#endif

TEST_F(DocumentTest, OpenSysexDataSaysWhatAFileHeldAndAForeignOneChangesNothing) {
    m_Asker.m_OpenPath = DataPath(QStringLiteral("dumps/blocks0-other-maker.syx"));
    Trigger(cmd::OpenSysex);
    ASSERT_EQ(m_Prompter.Texts().size(), 1u);
    EXPECT_NE(m_Prompter.Texts()[0].find("holds no data block of the MKS-80"), std::string::npos);
    EXPECT_FALSE(Doc()->IsModified());

    View()->GetSysExData()->GetPatch(30)->SetName("Mine");
    m_Asker.m_OpenPath = DataPath(QStringLiteral("dumps/blocks5-format-0-cut-after-block-5.mid"));
    Trigger(cmd::OpenSysex);
    ASSERT_EQ(m_Prompter.Texts().size(), 2u);
    EXPECT_NE(m_Prompter.Texts()[1].find("held 5 of the 16 data blocks: entries 11 to 34 were "
                                         "read, entries 35 to 88 were left unchanged"),
              std::string::npos);
    EXPECT_EQ(View()->GetSysExData()->GetTone(19)->GetName(), "------Tone-------");
    EXPECT_EQ(View()->GetSysExData()->GetPatch(30)->GetName(), "Mine");
    EXPECT_TRUE(View()->GetSysExData()->GetTone(20)->IsEmpty());
}

TEST_F(DocumentTest, ABankWithHighBytesOpensWithAWarningNamingTheEntries) {
    m_Asker.m_OpenPath = DataPath(QStringLiteral("banks/ok-high-bytes-in-12-and-88.m80"));
    Trigger(cmd::Open);
    EXPECT_EQ(WindowCount(), 2u);
    ASSERT_EQ(m_Prompter.Texts().size(), 1u);
    EXPECT_NE(m_Prompter.Texts()[0].find("Entries 12, 88 hold parameter bytes of 80H or more"),
              std::string::npos);
}

TEST_F(DocumentTest, ExportToMidiWritesDumpsThatComeBackIn) {
    CSysExData& bank = *View()->GetSysExData();
    bank.GetTone(63)->GetData()[7] = 99;
    EXPECT_TRUE(Act(cmd::ExportToMidi)->isEnabled());
    for (const char* name : {"out.mid", "out.syx"}) {
        m_Asker.m_SavePath = TempPath(QString::fromLatin1(name));
        Trigger(cmd::ExportToMidi);
        EXPECT_EQ(m_Asker.m_SaveFilters,
                  (QStringList{"System exclusive (*.syx)", "MIDI file (*.mid *.midi)"}));
        EXPECT_EQ(ReadAll(m_Asker.m_SavePath).left(4),
                  name[4] == 'm' ? QByteArray("MThd") : QByteArray::fromHex("f0414200"));
        // File Open takes the dump as an untitled bank, so Save never writes over it.
        m_Asker.m_OpenPath = m_Asker.m_SavePath;
        Trigger(cmd::Open);
        EXPECT_EQ(View()->GetSysExData()->GetTone(63)->GetData()[7], 99);
        EXPECT_TRUE(Doc()->GetPathName().isEmpty());
    }
    EXPECT_TRUE(m_Prompter.Texts().empty());
}

TEST_F(DocumentTest, SaveOverAnExistingFileReplacesItWhole) {
    const QString path = TempPath(QStringLiteral("old.m80"));
    WriteFile(path, QByteArray(9000, 'x'));
    m_Asker.m_SavePath = path;
    Trigger(cmd::SaveAs);
    EXPECT_EQ(ReadAll(path), FileBytes(*View()->GetSysExData()));
}

TEST_F(DocumentTest, EditsMarkTheBankAndClosingAsksToSave) {
    // Closing an unchanged bank asks nothing (the asker fails on any question).
    Trigger(cmd::New);
    CloseActive();
    EXPECT_TRUE(m_Asker.m_AskedTitles.empty());

    // Importing a recorded dump changes the bank.
    m_Asker.m_OpenPath = DataPath(QStringLiteral("dumps/blocks16-wsd-data-eod.syx"));
    Trigger(cmd::OpenSysex);
    EXPECT_EQ(m_Asker.m_OpenFilters, (QStringList{"System exclusive (*.syx)",
                                                  "MIDI file (*.mid *.midi)", "All files (*)"}));
    EXPECT_TRUE(m_Prompter.Texts().empty()) << "a whole bank needs no word";
    EXPECT_EQ(View()->GetSysExData()->GetPatch(63)->GetName(), "------Patch------");
    EXPECT_TRUE(Doc()->IsModified());
    EXPECT_TRUE(Frame()->ActiveChildFrame()->isWindowModified());
    EXPECT_TRUE(Frame()->ActiveChildFrame()->windowTitle().contains(QStringLiteral("[*]")));

    m_Asker.m_SaveChoices = {SaveChoice::Cancel};
    Frame()->ActiveChildFrame()->close();
    Settle();
    EXPECT_EQ(WindowCount(), 1u) << "Cancel keeps the window";
    EXPECT_EQ(m_Asker.m_AskedTitles, std::vector<QString>{QStringLiteral("MKS80v1")});

    m_Asker.m_SaveChoices = {SaveChoice::Save};
    m_Asker.m_SavePath = TempPath(QStringLiteral("imported.m80"));
    Frame()->ActiveChildFrame()->close();
    Settle();
    EXPECT_EQ(WindowCount(), 0u);
    EXPECT_FALSE(ReadAll(TempPath(QStringLiteral("imported.m80"))).isEmpty());
}

// Answers the next modal name dialog with in_name (or leaves it as it is).
void AnswerNameDialog(const QString& in_name, bool* out_seen) {
    QTimer::singleShot(0, [in_name, out_seen]() {
        auto* dialog = qobject_cast<CDialogEditPatch*>(QApplication::activeModalWidget());
        *out_seen = dialog != nullptr;
        if (!dialog) {
            return;
        }
        if (!in_name.isNull()) {
            dialog->m_NameEdit->setText(in_name);
        }
        dialog->m_OkButton->click();
    });
}

TEST_F(DocumentTest, RenameMarksTheBankOnlyWhenTheNameChanged) {
    Frame()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Frame()));
    bool seen = false;
    AnswerNameDialog(QString(), &seen);
    QTest::keyClick(View()->viewport(), Qt::Key_Return);
    EXPECT_TRUE(seen) << "Return opens the name dialog";
    EXPECT_FALSE(Doc()->IsModified());

    AnswerNameDialog(QStringLiteral("Lead"), &seen);
    Trigger(cmd::Rename);
    EXPECT_TRUE(seen);
    EXPECT_EQ(View()->GetSysExData()->GetPatch(0)->GetName(), "Lead");
    EXPECT_TRUE(Doc()->IsModified());
}

TEST_F(DocumentTest, PasteIntoAnotherBankMarksIt) {
    View()->SelectCell(2, 0);
    View()->GetSysExData()->GetPatch(2)->SetName("Copied Patch");
    Trigger(cmd::Copy);
    Trigger(cmd::New);
    View()->SelectCell(6, 0);
    // A pasted patch asks which tones its own replace: take the proposal.
    QTimer::singleShot(0, []() {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialog->accept();
        }
    });
    Trigger(cmd::Paste);
    EXPECT_EQ(View()->GetSysExData()->GetPatch(6)->GetName(), "Copied Patch");
    EXPECT_TRUE(Doc()->IsModified());
    EXPECT_EQ(Doc()->GetTitle(), QStringLiteral("MKS80v2"));
}

TEST_F(DocumentTest, SaveThatFailsWhileClosingKeepsTheWindow) {
    Doc()->SetModifiedFlag();
    m_Asker.m_SaveChoices = {SaveChoice::Save};
    m_Asker.m_SavePath = QString();  // the user cancels the file dialog
    Frame()->ActiveChildFrame()->close();
    Settle();
    EXPECT_EQ(WindowCount(), 1u);
}

TEST_F(DocumentTest, ImportOfAFileThatCannotBeOpenedChangesNothing) {
    m_Asker.m_OpenPath = TempPath(QStringLiteral("missing.syx"));
    Trigger(cmd::OpenSysex);
    ASSERT_EQ(m_Prompter.Texts().size(), 1u);
    EXPECT_NE(m_Prompter.Texts()[0].find("missing.syx"), std::string::npos);
    EXPECT_FALSE(Doc()->IsModified());
}

TEST_F(DocumentTest, QuittingAsksForEveryModifiedBank) {
    Doc()->SetModifiedFlag();
    Trigger(cmd::New);  // unchanged: not asked
    Frame()->show();
    m_Asker.m_SaveChoices = {SaveChoice::Cancel};
    Trigger(cmd::Exit);
    EXPECT_TRUE(Frame()->isVisible()) << "Cancel keeps the program running";
    m_Asker.m_SaveChoices = {SaveChoice::Discard};
    Trigger(cmd::Exit);
    EXPECT_FALSE(Frame()->isVisible());
    EXPECT_EQ(m_Asker.m_AskedTitles.size(), 2u);
}

TEST_F(DocumentTest, NewWindowSharesTheBankAndSavesTheUsersEntries) {
    CQuorlinDoc* doc = Doc();
    CQuorlinView* first = View();
    first->GetSysExData()->GetPatch(3)->SetName("Shared");
    Trigger(cmd::WindowNew);
    ASSERT_EQ(WindowCount(), 2u);
    CQuorlinView* second = View();
    ASSERT_NE(first, second);
    EXPECT_EQ(second->GetDocument(), doc);
    EXPECT_EQ(second->GetSysExData(), first->GetSysExData());
    EXPECT_EQ(second->GetSysExData()->GetPatch(3)->GetName(), "Shared");
    EXPECT_EQ(Frame()->ChildFrames()[0]->windowTitle(), QStringLiteral("MKS80v1:1[*]"));
    EXPECT_EQ(Frame()->ChildFrames()[1]->windowTitle(), QStringLiteral("MKS80v1:2[*]"));

    // Save from the second window writes the user's bank, not defaults.
    m_Asker.m_SavePath = TempPath(QStringLiteral("shared.m80"));
    Trigger(cmd::Save);
    EXPECT_EQ(ReadAll(TempPath(QStringLiteral("shared.m80"))), FileBytes(*first->GetSysExData()));

    // The bank lives on with its last window; the link keeps a valid bank.
    CloseActive();
    ASSERT_EQ(WindowCount(), 1u);
    EXPECT_EQ(Frame()->ChildFrames()[0]->windowTitle(), QStringLiteral("shared.m80[*]"));
    EXPECT_EQ(m_App->GetMidiManager()->GetCurrentSysExData(), first->GetSysExData());
    EXPECT_EQ(first->GetSysExData()->GetPatch(3)->GetName(), "Shared");
    EXPECT_EQ(m_App->GetActiveBankView(), first);
}

TEST_F(DocumentTest, ClosingTheLastWindowClearsTheActiveViewAndTheLinksBank) {
    ASSERT_NE(m_App->GetMidiManager()->GetCurrentSysExData(), nullptr);
    CloseActive();
    EXPECT_EQ(m_App->GetActiveBankView(), nullptr);
    EXPECT_EQ(m_App->GetMidiManager()->GetCurrentSysExData(), nullptr);
    Trigger(cmd::New);
    EXPECT_EQ(m_App->GetActiveBankView(), View());
    EXPECT_EQ(m_App->GetMidiManager()->GetCurrentSysExData(), View()->GetSysExData());
}

TEST_F(DocumentTest, SelectionDataOfANewBankWarns) {
    Trigger(cmd::DisplaySelection);
    View()->SelectCell(4, 1);
    Trigger(cmd::DisplaySelection);
    // The application's own command, which no menu issues, shows the same.
    Trigger(cmd::AppDisplaySelection);
    const std::string patch =
        "This Patch is uninitialized\n(defaults to Steel Drum Patch).\n\nThis "
        "patch has NOT been loaded with one from your mks-80.";
    const std::string tone =
        "This Tone is uninitialized\n(defaults to Steel Drum Tone).\n\nThis "
        "tone has NOT been loaded with one from your mks-80.";
    EXPECT_EQ(m_Prompter.Texts(), (std::vector<std::string>{patch, tone, tone}));
}

}  // namespace
