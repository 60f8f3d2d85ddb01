#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <string>
#include <type_traits>

#include "AppFixture.h"
#include "DialogTestSupport.h"
#include "dialogs/DialogEditName.h"
#include "platform/Prompter.h"

namespace {

// The dialog as the bank window uses it: once accepted, the name it returns is written
// to the bank and the row repainted, as the document does.
template <typename Kind>
class Applied : public Kind::Base {
  public:
    Applied(CBankView* in_view, CSysExData* in_bank, int in_index) : Kind::Base(in_bank, in_index) {
        QObject::connect(this, &QDialog::accepted, this, [=]() {
            Kind::SetName(*in_bank, in_index, this->m_Name);
            in_view->RefreshRow(in_index);
        });
    }
};

// The patch and the tone dialog differ only in their entry and their texts.
struct PatchKind {
    using Base = CDialogEditPatch;
    using Dialog = Applied<PatchKind>;
    static constexpr const char* kTitle = "Edit Patch";
    static constexpr const char* kLabel = "Patch Name";
    static constexpr const char* kTooLong =
        "The patch name you entered is larger than the \n30 character maximum size "
        "allowed.\n\nPlease enter a correct patch name.";
    static constexpr const char* kEmpty = "You must enter a patch name or press cancel.";
    static std::string Name(CSysExData& in_bank, int in_index) {
        return in_bank.GetPatch(in_index)->GetName();
    }
    static void SetName(CSysExData& in_bank, int in_index, const std::string& in_name) {
        in_bank.GetPatch(in_index)->SetName(in_name);
    }
    static bool IsEmpty(CSysExData& in_bank, int in_index) {
        return in_bank.GetPatch(in_index)->IsEmpty();
    }
    static std::vector<int8_t> Bytes(CSysExData& in_bank, int in_index) {
        const int8_t* data = in_bank.GetPatch(in_index)->GetData();
        return std::vector<int8_t>(data, data + PATCH_PARAM_COUNT);
    }
};

struct ToneKind {
    using Base = CDialogEditTone;
    using Dialog = Applied<ToneKind>;
    static constexpr const char* kTitle = "Edit Tone";
    static constexpr const char* kLabel = "Tone Name";
    static constexpr const char* kTooLong =
        "The tone name you entered is larger than the \n30 character maximum size "
        "allowed.\n\nPlease enter a correct tone name.";
    static constexpr const char* kEmpty = "You must enter a tone name or press cancel.";
    static std::string Name(CSysExData& in_bank, int in_index) {
        return in_bank.GetTone(in_index)->GetName();
    }
    static void SetName(CSysExData& in_bank, int in_index, const std::string& in_name) {
        in_bank.GetTone(in_index)->SetName(in_name);
    }
    static bool IsEmpty(CSysExData& in_bank, int in_index) {
        return in_bank.GetTone(in_index)->IsEmpty();
    }
    static std::vector<int8_t> Bytes(CSysExData& in_bank, int in_index) {
        const int8_t* data = in_bank.GetTone(in_index)->GetData();
        return std::vector<int8_t>(data, data + TONE_PARAM_COUNT);
    }
};

template <typename Kind>
class EditNameDialogTest : public ::testing::Test {
  protected:
    void TypeName(typename Kind::Dialog& in_dialog, const QString& in_text) {
        in_dialog.m_NameEdit->clear();
        QTest::keyClicks(in_dialog.m_NameEdit, in_text);
    }

    platform::RecordingPrompter m_Prompter;
    platform::ScopedPrompter m_Scope{m_Prompter};
    RecordingBankView m_View;
    CSysExData m_Bank{&m_View};
};

using Kinds = ::testing::Types<PatchKind, ToneKind>;
TYPED_TEST_SUITE(EditNameDialogTest, Kinds);

TYPED_TEST(EditNameDialogTest, OpensOnTheEntryNameWithOkFirstAndDefault) {
    TypeParam::SetName(this->m_Bank, 9, "Brass Section");
    typename TypeParam::Dialog dialog(&this->m_View, &this->m_Bank, 9);
    EXPECT_EQ(dialog.windowTitle(), QString(TypeParam::kTitle));
    EXPECT_EQ(dialog.m_NameEdit->text(), QString("Brass Section"));
    EXPECT_TRUE(dialog.m_OkButton->isDefault());
    EXPECT_EQ(dialog.m_OkButton->text(), QString("OK"));
    EXPECT_EQ(dialog.m_CancelButton->text(), QString("Cancel"));
    EXPECT_EQ(TabOrder(dialog.m_OkButton),
              (std::vector<QWidget*>{dialog.m_OkButton, dialog.m_CancelButton, dialog.m_NameEdit}));
    // Typing replaces the name at once: the field has the focus, its text selected.
    EXPECT_EQ(dialog.focusWidget(), dialog.m_NameEdit);
    EXPECT_EQ(dialog.m_NameEdit->selectedText(), QString("Brass Section"));
    bool labelFound = false;
    for (const QLabel* label : dialog.template findChildren<QLabel*>()) {
        labelFound = labelFound || label->text() == QString(TypeParam::kLabel);
    }
    EXPECT_TRUE(labelFound);
}

TYPED_TEST(EditNameDialogTest, StoresANameOfThirtyCharactersAndRepaintsItsRow) {
    const std::vector<int8_t> bytesBefore = TypeParam::Bytes(this->m_Bank, 12);
    typename TypeParam::Dialog dialog(&this->m_View, &this->m_Bank, 12);
    const QString thirty(30, QLatin1Char('x'));
    this->TypeName(dialog, thirty);
    QTest::mouseClick(dialog.m_OkButton, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(TypeParam::Name(this->m_Bank, 12), thirty.toStdString());
    EXPECT_EQ(this->m_View.m_Rows, std::vector<int>{12});
    EXPECT_TRUE(this->m_Prompter.Texts().empty());
    // Renaming an entry that never received data keeps its default bytes, and it no
    // longer counts as empty.
    EXPECT_EQ(TypeParam::Bytes(this->m_Bank, 12), bytesBefore);
    EXPECT_FALSE(TypeParam::IsEmpty(this->m_Bank, 12));
}

TYPED_TEST(EditNameDialogTest, RefusesThirtyOneCharactersNamingTheLimitAndStaysOpen) {
    typename TypeParam::Dialog dialog(&this->m_View, &this->m_Bank, 3);
    dialog.show();
    const QString thirtyOne(31, QLatin1Char('y'));
    this->TypeName(dialog, thirtyOne);
    QTest::keyClick(dialog.m_NameEdit, Qt::Key_Return);
    EXPECT_EQ(this->m_Prompter.Texts(), std::vector<std::string>{TypeParam::kTooLong});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.m_NameEdit->text(), thirtyOne);
    EXPECT_EQ(TypeParam::Name(this->m_Bank, 3), kEmptyName);
    EXPECT_TRUE(this->m_View.m_Rows.empty());
}

TYPED_TEST(EditNameDialogTest, RefusesAnEmptyName) {
    typename TypeParam::Dialog dialog(&this->m_View, &this->m_Bank, 0);
    dialog.show();
    dialog.m_NameEdit->clear();
    QTest::mouseClick(dialog.m_OkButton, Qt::LeftButton);
    EXPECT_EQ(this->m_Prompter.Texts(), std::vector<std::string>{TypeParam::kEmpty});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(TypeParam::Name(this->m_Bank, 0), kEmptyName);
}

TYPED_TEST(EditNameDialogTest, KeepsBlanksAsTyped) {
    for (const char* name : {"   ", "  lead  "}) {
        typename TypeParam::Dialog dialog(&this->m_View, &this->m_Bank, 63);
        this->TypeName(dialog, QString(name));
        QTest::mouseClick(dialog.m_OkButton, Qt::LeftButton);
        EXPECT_EQ(TypeParam::Name(this->m_Bank, 63), name);
    }
}

TYPED_TEST(EditNameDialogTest, CountsAndStoresOneByteACharacter) {
    // Thirty accented letters are thirty characters, stored as thirty single bytes.
    const QString accented(30, QChar(0xF6));
    typename TypeParam::Dialog dialog(&this->m_View, &this->m_Bank, 2);
    dialog.m_NameEdit->setText(accented);
    QTest::mouseClick(dialog.m_OkButton, Qt::LeftButton);
    EXPECT_TRUE(this->m_Prompter.Texts().empty());
    EXPECT_EQ(TypeParam::Name(this->m_Bank, 2), std::string(30, '\xF6'));
    // And such a name opens as it was typed.
    typename TypeParam::Dialog again(&this->m_View, &this->m_Bank, 2);
    EXPECT_EQ(again.m_NameEdit->text(), accented);
}

TYPED_TEST(EditNameDialogTest, OkWithoutChangeStoresTheSameNameAndRepaints) {
    TypeParam::SetName(this->m_Bank, 20, "Strings");
    typename TypeParam::Dialog dialog(&this->m_View, &this->m_Bank, 20);
    QTest::mouseClick(dialog.m_OkButton, Qt::LeftButton);
    EXPECT_EQ(TypeParam::Name(this->m_Bank, 20), "Strings");
    EXPECT_EQ(this->m_View.m_Rows, std::vector<int>{20});
}

TYPED_TEST(EditNameDialogTest, TheEmptyPlaceholderTypedMakesTheEntryEmptyAgain) {
    TypeParam::SetName(this->m_Bank, 5, "Bells");
    typename TypeParam::Dialog dialog(&this->m_View, &this->m_Bank, 5);
    this->TypeName(dialog, QString(kEmptyName));
    QTest::mouseClick(dialog.m_OkButton, Qt::LeftButton);
    EXPECT_TRUE(TypeParam::IsEmpty(this->m_Bank, 5));
}

TYPED_TEST(EditNameDialogTest, CancelEscapeAndTheCloseBoxChangeNothing) {
    TypeParam::SetName(this->m_Bank, 7, "Organ");
    {
        typename TypeParam::Dialog dialog(&this->m_View, &this->m_Bank, 7);
        dialog.show();
        this->TypeName(dialog, "Changed");
        QTest::mouseClick(dialog.m_CancelButton, Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
    }
    {
        typename TypeParam::Dialog dialog(&this->m_View, &this->m_Bank, 7);
        dialog.show();
        this->TypeName(dialog, "Changed");
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
    }
    {
        typename TypeParam::Dialog dialog(&this->m_View, &this->m_Bank, 7);
        dialog.show();
        this->TypeName(dialog, "Changed");
        EXPECT_TRUE(dialog.close());
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(TypeParam::Name(this->m_Bank, 7), "Organ");
    EXPECT_TRUE(this->m_View.m_Rows.empty());
    EXPECT_TRUE(this->m_Prompter.Texts().empty());
}

TYPED_TEST(EditNameDialogTest, RenamesOnlyItsOwnKindOfEntry) {
    typename TypeParam::Dialog dialog(&this->m_View, &this->m_Bank, 30);
    this->TypeName(dialog, "Pad");
    QTest::mouseClick(dialog.m_OkButton, Qt::LeftButton);
    const bool isPatch = std::is_same_v<TypeParam, PatchKind>;
    EXPECT_EQ(this->m_Bank.GetPatch(30)->GetName(), isPatch ? "Pad" : kEmptyName);
    EXPECT_EQ(this->m_Bank.GetTone(30)->GetName(), isPatch ? kEmptyName : "Pad");
}

}  // namespace

namespace {

// With an application object the limit is the application's, and the warning names it.
class EditNameWithAppTest : public AppFixture {};

TEST_F(EditNameWithAppTest, TheLimitIsTheApplications) {
    MakeAppWithPorts();
    m_App->m_MaxNameLength = 10;
    RecordingBankView view;
    CSysExData bank(&view);
    Applied<ToneKind> dialog(&view, &bank, 1);
    dialog.m_NameEdit->setText("eleven char");
    QTest::mouseClick(dialog.m_OkButton, Qt::LeftButton);
    EXPECT_EQ(
        m_Prompter.Texts(),
        std::vector<std::string>{"The tone name you entered is larger than the \n10 character "
                                 "maximum size allowed.\n\nPlease enter a correct tone name."});
    dialog.m_NameEdit->setText("ten chars!");
    QTest::mouseClick(dialog.m_OkButton, Qt::LeftButton);
    EXPECT_EQ(bank.GetTone(1)->GetName(), "ten chars!");
}

}  // namespace
