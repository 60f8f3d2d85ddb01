// Compare with MKS-80, Name From Library and the Library panel, against the virtual
// instrument and a library folder of real bank files.
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>

#include "GuiFixture.h"
#include "app/Librarian.h"
#include "bank/BankEntries.h"
#include "bank/BankFiles.h"
#include "platform/FileAccess.h"
#include "view/CommandIds.h"
#include "view/CompareWindow.h"
#include "view/LibraryModel.h"
#include "view/LibraryPanel.h"

namespace {

class LibrarianTest : public GuiFixture {
  protected:
    QString Status() const { return Frame()->GetMessagePane()->text(); }
    CSysExData& Bank() const { return *View()->GetSysExData(); }
    void RunTransfer() {
        for (int step = 0; step < 3000 && m_App->IsMidiBusy(); ++step) {
            m_Loop->Advance(10);
        }
        ASSERT_FALSE(m_App->IsMidiBusy());
        m_Loop->RunUntilIdle();
    }
    CCompareWindow* LastComparison() const {
        const QList<CCompareWindow*> windows = Frame()->findChildren<CCompareWindow*>();
        return windows.isEmpty() ? nullptr : windows.back();
    }
    // A bank file in the library: the instrument's memory with some entries named.
    void WriteLibraryBank(const QString& in_name,
                          const std::vector<std::pair<int, std::string>>& in_patchNames) {
        CNullBankView nowhere;
        CSysExData bank(&nowhere);
        {
            auto lock = m_Virtual->Lock();
            WriteEntries(bank, ReadWholeBank(m_Virtual->Engine().Memory()));
        }
        for (int i = 0; i < BANK_SIZE; ++i) {
            bank.GetPatch(i)->SetName(kPatchPlaceholder);
            bank.GetTone(i)->SetName(kTonePlaceholder);
        }
        for (const auto& each : in_patchNames) {
            bank.GetPatch(each.first)->SetName(each.second);
        }
        ASSERT_TRUE(platform::WriteFileSafely(QDir(m_LibraryFolder).filePath(in_name).toStdString(),
                                              BankFileBytes(bank)));
    }
    bool IndexRead() const {
        return m_App->GetLibrarian()->GetService()->GetIndex() != nullptr &&
               !m_App->GetLibrarian()->GetService()->IsReading();
    }
};

TEST_F(LibrarianTest, CompareWithMks80AfterASendAndAfterTheInstrumentChanged) {
    ASSERT_TRUE(Start());
    Doc()->RenameEntry(false, 0, "Mine");
    Trigger(ID_SEND_PATCHES);
    RunTransfer();
    EXPECT_EQ(Status(), QStringLiteral("Sent. Compare with MKS-80 to verify it."));
    QToolButton* offer = m_App->GetLibrarian()->GetOfferButton();
    ASSERT_TRUE(offer->isVisibleTo(Frame()));
    const BankEntries before = ReadWholeBank(Bank());

    offer->click();
    RunTransfer();
    CCompareWindow* same = LastComparison();
    ASSERT_NE(same, nullptr);
    EXPECT_EQ(same->GetSummary()->text(),
              QStringLiteral("MKS-80 holds exactly the parameter bytes of MKS80v1."));
    EXPECT_FALSE(offer->isVisibleTo(Frame()));
    EXPECT_TRUE(ReadWholeBank(Bank()) == before) << "the active bank is not changed";
    EXPECT_FALSE(Doc()->GetUndoStack().undoText() == QStringLiteral("Get Patches"));

    {
        auto lock = m_Virtual->Lock();
        m_Virtual->Engine().Memory().GetTone(7)->GetData()[4] = 99;
    }
    Trigger(ID_COMPARE_WITH_MKS80);
    RunTransfer();
    CCompareWindow* differs = LastComparison();
    ASSERT_NE(differs, same);
    EXPECT_EQ(differs->GetSummary()->text(),
              QStringLiteral("1 entries differ in their parameter bytes. Double-click a row to "
                             "select the entry in MKS80v1."));
    QTreeWidgetItem* group = differs->GetList()->topLevelItem(0);
    ASSERT_EQ(group->childCount(), 1);
    QTreeWidgetItem* row = group->child(0);
    EXPECT_EQ(row->text(0) + row->text(1), QStringLiteral("Tone18"));
    EXPECT_EQ(row->text(4), QStringLiteral("Pulse width 5 > 99"));
    EXPECT_TRUE(row->text(5).endsWith(QStringLiteral("\u2192 99"))) << row->text(5).toStdString();
    EXPECT_TRUE(ReadWholeBank(Bank()) == before);

    Q_EMIT differs->GetList()->itemActivated(row, 0);
    EXPECT_EQ(View()->GetSelectedRow(), 7);
    EXPECT_EQ(View()->GetSelectedColumn(), 1);
    EXPECT_EQ(m_Prompter.Texts().size(), 1u) << "only the question before the send";
}

TEST_F(LibrarianTest, GetPatchesTakesTheLibrarysNamesAsOneStep) {
    m_LibraryFolder = TempPath(QStringLiteral("library"));
    ASSERT_TRUE(QDir().mkpath(m_LibraryFolder));
    Make();
    WriteLibraryBank(QStringLiteral("old.m80"), {{0, "Brass"}, {1, "Strings"}, {2, "Pad"}});
    ASSERT_TRUE(m_App->InitInstance());
    ASSERT_TRUE(WaitFor([this]() { return IndexRead(); }));

    Trigger(ID_GET_PATCHES);
    RunTransfer();
    EXPECT_EQ(Status(), QStringLiteral("Named 3 patches and 0 tones from your library (1 file)"));
    EXPECT_EQ(Bank().GetPatch(1)->GetName(), "Strings");
    EXPECT_EQ(Bank().GetPatch(3)->GetName(), "------Patch------");
    EXPECT_EQ(Doc()->GetUndoStack().undoText(), QStringLiteral("Name From Library"));

    // Undone, the fetch's placeholders come back; named by hand, an entry keeps its name.
    Trigger(ID_EDIT_UNDO);
    EXPECT_EQ(Bank().GetPatch(0)->GetName(), "------Patch------");
    Doc()->RenameEntry(false, 2, "My Pad");
    Trigger(ID_NAME_FROM_LIBRARY);
    EXPECT_EQ(Status(), QStringLiteral("Named 2 patches and 0 tones from your library (1 file)"));
    EXPECT_EQ(Bank().GetPatch(0)->GetName(), "Brass");
    EXPECT_EQ(Bank().GetPatch(2)->GetName(), "My Pad");
}

TEST_F(LibrarianTest, LibraryPanelFiltersFollowsTheFolderAndOpensAnEntry) {
    m_LibraryFolder = TempPath(QStringLiteral("library"));
    ASSERT_TRUE(QDir().mkpath(m_LibraryFolder + QStringLiteral("/older")));
    Make();
    WriteLibraryBank(QStringLiteral("older/a.m80"), {{0, "Brass One"}, {1, "Strings"}});
    ASSERT_TRUE(m_App->InitInstance());
    CLibraryPanel* panel = m_App->GetLibrarian()->GetPanel();
    ASSERT_TRUE(WaitFor([&]() { return panel->GetModel()->rowCount() == 2; }));

    QTest::keyClicks(panel->GetFilterEdit(), QStringLiteral("BRA"));
    EXPECT_EQ(panel->GetModel()->rowCount(), 1);

    // A bank saved into a subfolder shows up without a restart.
    WriteLibraryBank(QStringLiteral("older/b.m80"), {{5, "Brass Two"}});
    ASSERT_TRUE(WaitFor([&]() { return panel->GetModel()->rowCount() == 2; }));
    const LibraryEntry* entry = panel->GetModel()->EntryAt(1);
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(panel->GetModel()->FilePath(*entry).endsWith(QStringLiteral("b.m80")));

    Q_EMIT panel->GetList()->activated(panel->GetModel()->index(1, 0));
    EXPECT_TRUE(Doc()->GetPathName().endsWith(QStringLiteral("b.m80")));
    EXPECT_EQ(View()->GetSelectedRow(), 5);
    EXPECT_EQ(View()->GetSelectedColumn(), 0);
}

TEST_F(LibrarianTest, TheViewMenusOfferThePanelAndTheFolderOpensOrIsNamed) {
    m_LibraryFolder = TempPath(QStringLiteral("library"));
    Make();
    ASSERT_TRUE(m_App->InitInstance());
    QAction* toggle = m_App->GetLibrarian()->GetPanel()->toggleViewAction();
    for (int menu : {128, 129}) {
        EXPECT_TRUE(Frame()->GetMenu(menu, QStringLiteral("&View"))->actions().contains(toggle))
            << menu;
    }

    Trigger(ID_OPEN_LIBRARY_FOLDER);
    ASSERT_EQ(m_Shell.m_Urls.size(), 1u);
    EXPECT_EQ(QUrl(QString::fromStdString(m_Shell.m_Urls[0])).toLocalFile(), m_LibraryFolder);
    EXPECT_TRUE(QFileInfo(m_LibraryFolder).isDir()) << "made on first use";
    EXPECT_TRUE(m_Prompter.Messages().empty());
    // Nothing could show it: the user learns where it is.
    m_Shell.m_HasBrowser = false;
    Trigger(ID_OPEN_LIBRARY_FOLDER);
    ASSERT_EQ(m_Prompter.Messages().size(), 1u);
    EXPECT_NE(
        m_Prompter.Messages()[0].text.find(QDir::toNativeSeparators(m_LibraryFolder).toStdString()),
        std::string::npos);
}

}  // namespace
