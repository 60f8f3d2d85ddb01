#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "AppFixture.h"
#include "DialogTestSupport.h"
#include "app/QuorlinDoc.h"
#include "dialogs/DialogChooseToneToOverwrite.h"
#include "platform/Prompter.h"
#include "view/BankClipboard.h"
#include "view/QuorlinView.h"

namespace {

// Answers the tone questions from a script and remembers what it was asked.
class ScriptedChooser {
  public:
    explicit ScriptedChooser(std::vector<std::optional<int>> in_answers)
        : m_Answers(std::move(in_answers)) {}
    ToneChooser Chooser() {
        return [this](int in_proposed, CSysExData&) -> std::optional<int> {
            m_Asked.push_back(in_proposed);
            if (m_Answers.empty()) {
                ADD_FAILURE() << "asked once too often";
                return std::nullopt;
            }
            std::optional<int> answer = m_Answers.front();
            m_Answers.erase(m_Answers.begin());
            return answer;
        };
    }
    std::vector<int> m_Asked;

  private:
    std::vector<std::optional<int>> m_Answers;
};

QByteArray RecordOf(const QMimeData& in_data, const char* in_format) {
    return in_data.data(QString::fromLatin1(in_format));
}

std::vector<int8_t> Bytes(const int8_t* in_data, int in_count) {
    return std::vector<int8_t>(in_data, in_data + in_count);
}

// A bank window's view that notes the rows it is asked to bring up to date.
class RowNotingView : public CQuorlinView {
  public:
    using CQuorlinView::CQuorlinView;
    void RefreshRow(int in_row) override {
        m_Rows.push_back(in_row);
        CQuorlinView::RefreshRow(in_row);
    }
    std::vector<int> m_Rows;
};

// Copies come from a plain bank; pastes go where the program puts them: into a bank
// document, one undoable step, its window told of each row that changed.
class BankClipboardTest : public AppFixture {
  protected:
    void SetUp() override {
        MakeAppWithPorts();
        m_Doc = new CQuorlinDoc(*m_App);
        m_Doc->OnNewDocument();
        m_TargetView = std::make_unique<RowNotingView>(*m_Doc);
        m_TargetView->m_Rows.clear();
    }
    void TearDown() override {
        m_TargetView.reset();
        AppFixture::TearDown();
    }
    CSysExData& Target() const { return *m_Doc->GetSysExData(); }
    // What the bank window's paste does, with the tone questions answered on script.
    // Gives patch in_index of in_bank bytes of its own and the two tone numbers.
    static void MakePatch(CSysExData& in_bank, int in_index, const std::string& in_name,
                          int8_t in_mode, int8_t in_first, int8_t in_second) {
        CPatchData* patch = in_bank.GetPatch(in_index);
        int8_t bytes[PATCH_PARAM_COUNT];
        for (int i = 0; i < PATCH_PARAM_COUNT; ++i) {
            bytes[i] = static_cast<int8_t>(100 + i);
        }
        bytes[0] = in_mode;
        bytes[3] = in_first;
        bytes[13] = in_second;
        patch->SetData(bytes);
        patch->SetName(in_name);
    }
    static void MakeTone(CSysExData& in_bank, int in_index, const std::string& in_name,
                         int8_t in_first) {
        CToneData* tone = in_bank.GetTone(in_index);
        int8_t bytes[TONE_PARAM_COUNT];
        for (int i = 0; i < TONE_PARAM_COUNT; ++i) {
            bytes[i] = static_cast<int8_t>(in_first + i);
        }
        tone->SetData(bytes);
        tone->SetName(in_name);
    }
    bool Paste(const QMimeData* in_data, int in_row, int in_column, ScriptedChooser& in_chooser) {
        const std::optional<BankEntries> entries =
            PastedEntries(in_data, Target(), in_row, in_column, in_chooser.Chooser());
        return entries && m_Doc->PasteEntries(in_column != 0, in_row, *entries);
    }
    void ExpectToneUntouched(int in_index) {
        EXPECT_EQ(Target().GetTone(in_index)->GetName(), kEmptyName) << in_index;
        EXPECT_EQ(Bytes(Target().GetTone(in_index)->GetData(), TONE_PARAM_COUNT),
                  Bytes(CToneData().GetData(), TONE_PARAM_COUNT))
            << in_index;
    }

    RecordingBankView m_SourceView;
    CSysExData m_Source{&m_SourceView};
    CQuorlinDoc* m_Doc = nullptr;  // the application's; it goes with its last window
    std::unique_ptr<RowNotingView> m_TargetView;
};

TEST_F(BankClipboardTest, APatchRecordCarriesThePatchAndBothOfItsTones) {
    MakePatch(m_Source, 17, "Sync Lead", 0, 5, 12);
    MakeTone(m_Source, 5, "Saw", 1);
    MakeTone(m_Source, 12, "Square", 50);
    const std::unique_ptr<QMimeData> data = CreateBankMimeData(m_Source, 17, 0);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->formats(), QStringList{"MKS80_PatchData_KT99"});
    const QByteArray record = RecordOf(*data, "MKS80_PatchData_KT99");
    ASSERT_EQ(record.size(), 300);
    EXPECT_EQ(std::string(record.constData()), "Sync Lead");
    EXPECT_EQ(std::memcmp(record.constData() + 31, m_Source.GetPatch(17)->GetData(), 23), 0);
    EXPECT_EQ(record[34], 5);
    EXPECT_EQ(record[44], 12);
    EXPECT_EQ(std::string(record.constData() + 100), "Saw");
    EXPECT_EQ(std::memcmp(record.constData() + 131, m_Source.GetTone(5)->GetData(), 39), 0);
    EXPECT_EQ(std::string(record.constData() + 200), "Square");
    EXPECT_EQ(std::memcmp(record.constData() + 231, m_Source.GetTone(12)->GetData(), 39), 0);
    EXPECT_TRUE(m_SourceView.m_Rows.empty());
}

TEST_F(BankClipboardTest, ATonesRecordCarriesTheToneAlone) {
    MakeTone(m_Source, 63, "Choir", 7);
    const std::unique_ptr<QMimeData> data = CreateBankMimeData(m_Source, 63, 1);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->formats(), QStringList{"MKS80_ToneData_KT99"});
    const QByteArray record = RecordOf(*data, "MKS80_ToneData_KT99");
    ASSERT_EQ(record.size(), 300);
    EXPECT_EQ(std::string(record.constData()), "Choir");
    EXPECT_EQ(std::memcmp(record.constData() + 31, m_Source.GetTone(63)->GetData(), 39), 0);
}

TEST_F(BankClipboardTest, NoRecordForACellThatHoldsNoEntry) {
    EXPECT_FALSE(CreateBankMimeData(m_Source, -1, 0));
    EXPECT_FALSE(CreateBankMimeData(m_Source, 64, 1));
    EXPECT_FALSE(CreateBankMimeData(m_Source, 0, 2));
    EXPECT_FALSE(CreateBankMimeData(m_Source, 0, -1));
    EXPECT_TRUE(m_Prompter.Texts().empty());
}

TEST_F(BankClipboardTest, PastingAPatchAsksForBothTonesAndWritesWhereTheUserChose) {
    MakePatch(m_Source, 2, "Sync Lead", 0, 5, 12);
    MakeTone(m_Source, 5, "Saw", 1);
    MakeTone(m_Source, 12, "Square", 50);
    const auto data = CreateBankMimeData(m_Source, 2, 0);
    ScriptedChooser chooser({30, 31});
    EXPECT_TRUE(Paste(data.get(), 40, 0, chooser));
    // "16" and then "25" are offered.
    EXPECT_EQ(chooser.m_Asked, (std::vector<int>{5, 12}));
    const CPatchData& patch = *Target().GetPatch(40);
    EXPECT_EQ(patch.GetName(), "Sync Lead");
    // The pasted patch plays the tones placed for it; its other bytes are as copied.
    std::vector<int8_t> expected = Bytes(m_Source.GetPatch(2)->GetData(), 23);
    expected[3] = 30;
    expected[13] = 31;
    EXPECT_EQ(Bytes(patch.GetData(), 23), expected);
    EXPECT_EQ(Target().GetTone(30)->GetName(), "Saw");
    EXPECT_EQ(Bytes(Target().GetTone(30)->GetData(), 39),
              Bytes(m_Source.GetTone(5)->GetData(), 39));
    EXPECT_EQ(Target().GetTone(31)->GetName(), "Square");
    EXPECT_EQ(Bytes(Target().GetTone(31)->GetData(), 39),
              Bytes(m_Source.GetTone(12)->GetData(), 39));
    ExpectToneUntouched(5);
    ExpectToneUntouched(12);
    EXPECT_EQ(m_TargetView->m_Rows, (std::vector<int>{40, 30, 31}));
    EXPECT_EQ(m_Prompter.BeepCount(), 0);
}

TEST_F(BankClipboardTest, CancelInEitherToneQuestionChangesNothing) {
    MakePatch(m_Source, 2, "Sync Lead", 0, 5, 12);
    const auto data = CreateBankMimeData(m_Source, 2, 0);
    ScriptedChooser cancelFirst({std::nullopt});
    EXPECT_FALSE(Paste(data.get(), 40, 0, cancelFirst));
    ScriptedChooser cancelSecond({30, std::nullopt});
    EXPECT_FALSE(Paste(data.get(), 40, 0, cancelSecond));
    EXPECT_EQ(cancelSecond.m_Asked.size(), 2u);
    EXPECT_TRUE(Target().GetPatch(40)->IsEmpty());
    for (int tone = 0; tone < BANK_SIZE; ++tone) {
        ExpectToneUntouched(tone);
    }
    EXPECT_TRUE(m_TargetView->m_Rows.empty());
    EXPECT_EQ(m_Prompter.BeepCount(), 0);
}

TEST_F(BankClipboardTest, ASingleTonePatchBringsItsFirstToneOnlyAndNamesItTwice) {
    MakePatch(m_Source, 0, "Mono", 3, 4, 9);
    MakeTone(m_Source, 4, "First", 1);
    MakeTone(m_Source, 9, "Second", 60);
    const auto data = CreateBankMimeData(m_Source, 0, 0);
    ScriptedChooser chooser({22});
    EXPECT_TRUE(Paste(data.get(), 1, 0, chooser));
    EXPECT_EQ(chooser.m_Asked, std::vector<int>{4});
    EXPECT_EQ(Target().GetTone(22)->GetName(), "First");
    EXPECT_EQ(Target().GetPatch(1)->GetData()[3], 22);
    EXPECT_EQ(Target().GetPatch(1)->GetData()[13], 22);
    // No tone but the one chosen changes.
    for (int tone = 0; tone < BANK_SIZE; ++tone) {
        if (tone != 22) {
            ExpectToneUntouched(tone);
        }
    }
    EXPECT_EQ(m_TargetView->m_Rows, (std::vector<int>{1, 22}));
}

TEST_F(BankClipboardTest, ToneElevenCanBeChosenAndTheSameToneTwiceKeepsTheSecond) {
    MakePatch(m_Source, 8, "Split", 0, 0, 1);
    MakeTone(m_Source, 0, "Low", 1);
    MakeTone(m_Source, 1, "High", 70);
    const auto data = CreateBankMimeData(m_Source, 8, 0);
    // Tone "11" (index 0) is carried like any other.
    EXPECT_EQ(std::string(RecordOf(*data, kPatchFormatName).constData() + 100), "Low");
    ScriptedChooser chooser({0, 0});
    EXPECT_TRUE(Paste(data.get(), 8, 0, chooser));
    EXPECT_EQ(chooser.m_Asked, (std::vector<int>{0, 1}));
    EXPECT_EQ(Target().GetTone(0)->GetName(), "High");
    EXPECT_EQ(Target().GetPatch(8)->GetData()[3], 0);
    EXPECT_EQ(Target().GetPatch(8)->GetData()[13], 0);
    EXPECT_EQ(Bytes(Target().GetTone(0)->GetData(), 39), Bytes(m_Source.GetTone(1)->GetData(), 39));
    ExpectToneUntouched(1);
}

TEST_F(BankClipboardTest, EmptyEntriesArriveAsPlaceholdersAndLongNamesAreCut) {
    // A new bank's patch 0 and its tone "16": all three places hold "------Empty------".
    // The default patch plays one tone (byte 0 is 3), so only the first is asked for and
    // brought.
    auto data = CreateBankMimeData(m_Source, 0, 0);
    ScriptedChooser chooser({10});
    EXPECT_TRUE(Paste(data.get(), 0, 0, chooser));
    EXPECT_EQ(chooser.m_Asked, std::vector<int>{5});
    EXPECT_EQ(Target().GetPatch(0)->GetName(), kPatchPlaceholder);
    EXPECT_EQ(Target().GetTone(10)->GetName(), kTonePlaceholder);
    ExpectToneUntouched(5);

    const std::string forty = "0123456789abcdefghijABCDEFGHIJ0123456789";
    m_Source.GetTone(3)->SetName(forty);
    data = CreateBankMimeData(m_Source, 3, 1);
    EXPECT_EQ(RecordOf(*data, kToneFormatName)[30], 0);
    ScriptedChooser none({});
    EXPECT_TRUE(Paste(data.get(), 50, 1, none));
    EXPECT_EQ(Target().GetTone(50)->GetName(), forty.substr(0, 30));
    EXPECT_EQ(m_TargetView->m_Rows.back(), 50);
}

TEST_F(BankClipboardTest, TheWrongKindOfRecordOrNoRecordOnlyBeeps) {
    const auto patch = CreateBankMimeData(m_Source, 0, 0);
    const auto tone = CreateBankMimeData(m_Source, 0, 1);
    QMimeData text;
    text.setText("MKS80_PatchData_KT99");
    ScriptedChooser none({});
    EXPECT_FALSE(Paste(patch.get(), 5, 1, none));
    EXPECT_FALSE(Paste(tone.get(), 5, 0, none));
    EXPECT_FALSE(Paste(&text, 5, 0, none));
    EXPECT_FALSE(Paste(nullptr, 5, 0, none));
    EXPECT_FALSE(Paste(tone.get(), 5, 2, none));
    EXPECT_FALSE(Paste(tone.get(), 64, 1, none));
    EXPECT_EQ(m_Prompter.BeepCount(), 6);
    EXPECT_TRUE(m_Prompter.Texts().empty());
    EXPECT_TRUE(m_TargetView->m_Rows.empty());
    EXPECT_TRUE(none.m_Asked.empty());
}

TEST_F(BankClipboardTest, ABlockShorterThanARecordIsRefusedWithTheBeep) {
    for (const int size : {0, 1, 299}) {
        QMimeData data;
        data.setData(kToneFormatName, QByteArray(size, 'A'));
        ScriptedChooser none({});
        EXPECT_FALSE(Paste(&data, 5, 1, none)) << size;
    }
    QMimeData patch;
    patch.setData(kPatchFormatName, QByteArray(120, 5));
    ScriptedChooser none({});
    EXPECT_FALSE(Paste(&patch, 5, 0, none));
    EXPECT_EQ(m_Prompter.BeepCount(), 4);
    EXPECT_TRUE(none.m_Asked.empty());
    ExpectToneUntouched(5);
    EXPECT_TRUE(Target().GetPatch(5)->IsEmpty());
}

TEST_F(BankClipboardTest, ALongerBlockIsReadForItsFirstRecordOnly) {
    QByteArray block = RecordOf(*CreateBankMimeData(m_Source, 0, 1), kToneFormatName);
    block.append(QByteArray(500, 'Z'));
    QMimeData data;
    data.setData(kToneFormatName, block);
    ScriptedChooser none({});
    EXPECT_TRUE(Paste(&data, 9, 1, none));
    EXPECT_EQ(Target().GetTone(9)->GetName(), kTonePlaceholder);
}

TEST_F(BankClipboardTest, AToneNumberOutsideTheBankIsLeftOutOfCopyAndPaste) {
    MakePatch(m_Source, 6, "Odd", 0, 64, 2);
    MakeTone(m_Source, 2, "Real", 9);
    const auto data = CreateBankMimeData(m_Source, 6, 0);
    const QByteArray record = RecordOf(*data, kPatchFormatName);
    // The bank was not asked for tone 64, and its place carries nothing.
    EXPECT_TRUE(m_Prompter.Texts().empty());
    EXPECT_EQ(record.mid(100, 100), QByteArray(100, '\0'));
    ScriptedChooser chooser({20});
    EXPECT_TRUE(Paste(data.get(), 6, 0, chooser));
    EXPECT_EQ(chooser.m_Asked, std::vector<int>{2});
    EXPECT_EQ(Target().GetPatch(6)->GetName(), "Odd");
    EXPECT_EQ(Target().GetTone(20)->GetName(), "Real");
    EXPECT_EQ(m_TargetView->m_Rows, (std::vector<int>{6, 20}));
    EXPECT_TRUE(m_Prompter.Texts().empty());

    // A negative second number, in a single-tone patch too.
    MakePatch(m_Source, 7, "Neg", 3, 1, -3);
    ScriptedChooser single({15});
    EXPECT_TRUE(Paste(CreateBankMimeData(m_Source, 7, 0).get(), 7, 0, single));
    EXPECT_EQ(Target().GetPatch(7)->GetName(), "Neg");
    EXPECT_TRUE(m_Prompter.Texts().empty());
}

TEST_F(BankClipboardTest, AChoiceOfNoToneLeavesThatToneOut) {
    MakePatch(m_Source, 2, "Sync Lead", 0, 5, 12);
    MakeTone(m_Source, 12, "Square", 50);
    const auto data = CreateBankMimeData(m_Source, 2, 0);
    ScriptedChooser chooser({-1, 33});
    EXPECT_TRUE(Paste(data.get(), 4, 0, chooser));
    EXPECT_EQ(Target().GetPatch(4)->GetName(), "Sync Lead");
    EXPECT_EQ(Target().GetTone(33)->GetName(), "Square");
    EXPECT_EQ(m_TargetView->m_Rows, (std::vector<int>{4, 33}));
    EXPECT_TRUE(m_Prompter.Texts().empty());
}

TEST_F(BankClipboardTest, TheRecordOutlivesItsBankOnTheSystemClipboard) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    {
        RecordingBankView view;
        CSysExData bank(&view);
        bank.GetTone(14)->SetName("Gone");
        clipboard->setMimeData(CreateBankMimeData(bank, 14, 1).release());
    }
    ScriptedChooser none({});
    EXPECT_TRUE(Paste(clipboard->mimeData(), 1, 1, none));
    EXPECT_EQ(Target().GetTone(1)->GetName(), "Gone");
    // Pasted any number of times.
    EXPECT_TRUE(Paste(clipboard->mimeData(), 2, 1, none));
    EXPECT_EQ(Target().GetTone(2)->GetName(), "Gone");
    clipboard->clear();
}

TEST_F(BankClipboardTest, ARecordUnderQtsNameForAForeignWindowsFormatIsRead) {
    QMimeData data;
    data.setData("application/x-qt-windows-mime;value=\"MKS80_ToneData_KT99\"",
                 RecordOf(*CreateBankMimeData(m_Source, 0, 1), kToneFormatName));
    ScriptedChooser none({});
    EXPECT_TRUE(Paste(&data, 3, 1, none));
    EXPECT_EQ(Target().GetTone(3)->GetName(), kTonePlaceholder);
}

TEST_F(BankClipboardTest, TheBankWindowsPasteAsksThroughTheRealToneDialogsAndIsOneStep) {
    MakePatch(m_Source, 2, "Sync Lead", 0, 5, 12);
    MakeTone(m_Source, 5, "Saw", 1);
    MakeTone(m_Source, 12, "Square", 50);
    const auto data = CreateBankMimeData(m_Source, 2, 0);
    m_TargetView->SelectCell(10, 0);
    m_TargetView->m_Rows.clear();

    // Cancel in the second dialog leaves everything as it was.
    AnswerNextDialog([](QDialog& in_dialog) {
        QTest::mouseClick(static_cast<CDialogChooseToneToOverwrite&>(in_dialog).m_OkButton,
                          Qt::LeftButton);
        AnswerNextDialog([](QDialog& in_second) {
            QTest::mouseClick(static_cast<CDialogChooseToneToOverwrite&>(in_second).m_CancelButton,
                              Qt::LeftButton);
        });
    });
    EXPECT_FALSE(m_TargetView->PasteData(data.get()));
    EXPECT_TRUE(Target().GetPatch(10)->IsEmpty());
    EXPECT_TRUE(Target().GetTone(5)->IsEmpty());
    EXPECT_TRUE(m_TargetView->m_Rows.empty());
    EXPECT_FALSE(m_Doc->IsModified());

    std::vector<int> offered;
    // First question: step down one tone from "16" to "17"; second: take "25" as offered.
    AnswerNextDialog([&offered](QDialog& in_dialog) {
        auto& choose = static_cast<CDialogChooseToneToOverwrite&>(in_dialog);
        offered.push_back(choose.m_ToneCombo->currentIndex());
        choose.m_ToneCombo->setCurrentIndex(6);
        QTest::mouseClick(choose.m_OkButton, Qt::LeftButton);
        AnswerNextDialog([&offered](QDialog& in_second) {
            auto& again = static_cast<CDialogChooseToneToOverwrite&>(in_second);
            offered.push_back(again.m_ToneCombo->currentIndex());
            QTest::keyClick(&again, Qt::Key_Return);
        });
    });
    EXPECT_TRUE(m_TargetView->PasteData(data.get()));
    EXPECT_EQ(offered, (std::vector<int>{5, 12}));
    EXPECT_EQ(Target().GetTone(6)->GetName(), "Saw");
    EXPECT_EQ(Target().GetTone(12)->GetName(), "Square");
    EXPECT_EQ(Target().GetPatch(10)->GetName(), "Sync Lead");
    EXPECT_EQ(m_TargetView->m_Rows, (std::vector<int>{10, 6, 12}));

    // The whole paste is one step of the document's history.
    EXPECT_TRUE(m_Doc->IsModified());
    EXPECT_EQ(m_Doc->GetUndoStack().count(), 1);
    EXPECT_EQ(m_Doc->GetUndoStack().undoText(), QStringLiteral("Paste Patch 23"));
    m_Doc->GetUndoStack().undo();
    EXPECT_TRUE(Target().GetPatch(10)->IsEmpty());
    EXPECT_TRUE(Target().GetTone(6)->IsEmpty());
    EXPECT_FALSE(m_Doc->IsModified());
}

}  // namespace
