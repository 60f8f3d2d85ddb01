// Blend With... and Mutate... on a bank window: the result shows in the entry while the
// dialog is open, OK is one step, Cancel puts the entry back.
#include <QFileInfo>
#include <QPushButton>
#include <QSlider>
#include <QTableView>
#include <QTest>

#include "GuiFixture.h"
#include "app/Librarian.h"
#include "bank/BankEntries.h"
#include "bank/BankFiles.h"
#include "bank/LibraryIndex.h"
#include "dialogs/DialogBlendWith.h"
#include "dialogs/DialogMutate.h"
#include "mks80/NewSounds.h"
#include "platform/FileAccess.h"
#include "view/LibraryModel.h"
#include "view/LibraryPanel.h"

namespace {

constexpr int kCutoffByte = 14;

class NewSoundsTest : public GuiFixture {
  protected:
    CSysExData& Bank() const { return *View()->GetSysExData(); }
    int8_t& Cutoff(int in_tone) const { return Bank().GetTone(in_tone)->GetData()[kCutoffByte]; }
};

}  // namespace

TEST_F(NewSoundsTest, BlendShowsItsResultOkIsOneStepCancelPutsTheEntryBack) {
    ASSERT_TRUE(Start());
    // Tone 23 (index 10) is blended with tone 24, the one after it in the same bank.
    Cutoff(10) = 0;
    Cutoff(11) = 100;
    View()->SelectCell(10, 1);
    const BankEntry before = ReadEntry(Bank(), true, 10);
    const int steps = Doc()->GetUndoStack().count();

    int shown = -1;
    WithDialog<CDialogBlendWith>(ID_BLEND_WITH, [&](CDialogBlendWith& in_dialog) {
        EXPECT_EQ(in_dialog.GetEntry(), 11);
        in_dialog.m_MixSlider->setValue(30);
        shown = Cutoff(10);
        in_dialog.m_CancelButton->click();
    });
    EXPECT_EQ(shown, 30) << "the entry shows the blend while the slider moves";
    EXPECT_TRUE(ReadEntry(Bank(), true, 10) == before);
    EXPECT_EQ(Doc()->GetUndoStack().count(), steps);
    EXPECT_FALSE(Doc()->IsModified());

    WithDialog<CDialogBlendWith>(ID_BLEND_WITH, [&](CDialogBlendWith& in_dialog) {
        in_dialog.m_MixSlider->setValue(80);
        in_dialog.m_MixSlider->setValue(30);
        in_dialog.m_OkButton->click();
    });
    EXPECT_EQ(Cutoff(10), 30);
    EXPECT_EQ(Doc()->GetUndoStack().count(), steps + 1);
    EXPECT_EQ(Doc()->GetUndoStack().undoText(), QStringLiteral("Blend Tone 23"));
    Trigger(ID_EDIT_UNDO);
    EXPECT_TRUE(ReadEntry(Bank(), true, 10) == before);
}

TEST_F(NewSoundsTest, MutateAgainDrawsFromTheEntryAsItWas) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(Doc()->RenameEntry(false, 4, "Brass"));
    View()->SelectCell(4, 0);
    const BankEntry before = ReadEntry(Bank(), false, 4);
    uint32_t seed = 0;
    WithDialog<CDialogMutate>(ID_MUTATE, [&](CDialogMutate& in_dialog) {
        in_dialog.m_StrengthSlider->setValue(60);
        for (int draw = 0; draw < 3; ++draw) {
            in_dialog.m_AgainButton->click();
        }
        seed = in_dialog.GetSeed();
        in_dialog.m_OkButton->click();
    });
    // The third draw kept is the patch as it was, mutated once with that draw's seed.
    std::mt19937 random(seed);
    EXPECT_EQ(ReadEntry(Bank(), false, 4).data,
              mks80::Mutate(mks80::Kind::Patch, before.data.data(), 60, random));
    EXPECT_EQ(ReadEntry(Bank(), false, 4).name, before.name);
    EXPECT_EQ(Doc()->GetUndoStack().undoText(), QStringLiteral("Mutate Patch 15"));
}

TEST_F(NewSoundsTest, FindSimilarListsTheLibrarysNearestAndOpensOne) {
    m_LibraryFolder = TempPath(QStringLiteral("library"));
    ASSERT_TRUE(QDir().mkpath(m_LibraryFolder));
    ASSERT_TRUE(Start());
    // The library holds this bank's tone 23 under a name, and a tone near it.
    CNullBankView nowhere;
    CSysExData stored(&nowhere);
    WriteEntries(stored, ReadWholeBank(Bank()));
    stored.GetTone(10)->SetName("Warm Pad");
    stored.GetTone(3)->SetData(Bank().GetTone(10)->GetData());
    stored.GetTone(3)->GetData()[kCutoffByte] ^= 1;
    stored.GetTone(3)->SetName("Warmer Pad");
    const QString path = QDir(m_LibraryFolder).filePath(QStringLiteral("pads.m80"));
    ASSERT_TRUE(platform::WriteFileSafely(path.toStdString(), BankFileBytes(stored)));
    CLibraryService* service = m_App->GetLibrarian()->GetService();
    ASSERT_TRUE(
        WaitFor([&]() { return service->GetIndex() && !service->GetIndex()->Entries().empty(); }));

    View()->SelectCell(10, 1);
    Trigger(ID_FIND_SIMILAR);
    CLibraryModel* model = m_App->GetLibrarian()->GetPanel()->GetModel();
    ASSERT_EQ(model->rowCount(), 2);
    const auto cell = [&](int in_row, int in_column) {
        return model->data(model->index(in_row, in_column), Qt::DisplayRole).toString();
    };
    EXPECT_EQ(cell(0, CLibraryModel::DistanceColumn) + cell(0, CLibraryModel::NameColumn),
              QStringLiteral("0Warm Pad"));
    EXPECT_EQ(cell(1, CLibraryModel::DistanceColumn) + cell(1, CLibraryModel::NameColumn),
              QStringLiteral("0.01Warmer Pad"));

    Q_EMIT m_App->GetLibrarian()->GetPanel()->GetList()->activated(model->index(1, 0));
    EXPECT_EQ(Doc()->GetPathName(), QFileInfo(path).absoluteFilePath());
    EXPECT_EQ(View()->GetSelectedRow(), 3);
    EXPECT_EQ(View()->GetSelectedColumn(), 1);
}
