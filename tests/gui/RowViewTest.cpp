// The bank view: its rows, the selection by keys and mouse, scrolling and repainting.
#include <QClipboard>
#include <QDragEnterEvent>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <set>

#include "GuiFixture.h"
#include "view/BankClipboard.h"

namespace {

// Whether any pixel in the band of in_rect has exactly in_colour.
bool HasColour(const QImage& in_image, const QRect& in_rect, const QColor& in_colour) {
    const QRect area = in_rect.intersected(in_image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (in_image.pixelColor(x, y).rgb() == in_colour.rgb()) {
                return true;
            }
        }
    }
    return false;
}

class RowViewTest : public GuiFixture {
  protected:
    void SetUp() override {
        GuiFixture::SetUp();
        ASSERT_TRUE(Start());
        Frame()->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Frame()));
        m_View = View();
        ASSERT_NE(m_View, nullptr);
    }
    QPoint CellPoint(int in_row, int in_x) const {
        return QPoint(in_x, m_View->GetRowTop(in_row) - m_View->verticalScrollBar()->value() +
                                m_View->m_RowHeight / 2);
    }
    void Key(Qt::Key in_key) { QTest::keyClick(m_View->viewport(), in_key); }
    void Select(int in_row, int in_column) { m_View->SelectCell(in_row, in_column); }
    int Scroll() const { return m_View->verticalScrollBar()->value(); }

    CQuorlinView* m_View = nullptr;
};

TEST_F(RowViewTest, NewBankWindowShowsSixtyFourEmptyRowsAtTheTopLeft) {
    EXPECT_EQ(m_View->GetNumRows(), 64);
    EXPECT_EQ(m_View->GetSelectedRow(), 0);
    EXPECT_EQ(m_View->GetSelectedColumn(), 0);
    EXPECT_EQ(Scroll(), 0);
    CSysExData* bank = m_View->GetSysExData();
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(bank->GetPatch(i)->GetName(), "------Empty------");
        EXPECT_EQ(bank->GetTone(i)->GetName(), "------Empty------");
    }
    EXPECT_EQ(Frame()->ActiveChildFrame()->geometry(), QRect(0, 0, 310, 550));
    // The text metrics of the viewport's font set the geometry.
    const QFontMetrics metrics(m_View->viewport()->font());
    EXPECT_EQ(m_View->m_RowHeight, metrics.height());
    EXPECT_EQ(m_View->m_CharWidth, metrics.averageCharWidth() + 1);
    EXPECT_EQ(m_View->m_RowWidth, 0);
}

TEST_F(RowViewTest, PaintsNumbersNamesAndHighlightInTheirColours) {
    // Rows of groups 1, 3, 5, 7 in red-orange, 2, 4, 6, 8 in blue; the selected
    // patch name on the highlight.
    const QImage image = m_View->viewport()->grab().toImage();
    const int h = m_View->m_RowHeight;
    const int cw = m_View->m_CharWidth;
    const QRect number0(0, 0, 3 * cw, h);
    const QRect number8(0, 8 * h, 3 * cw, h);
    ASSERT_LT(9 * h, image.height());
    EXPECT_TRUE(HasColour(image, number0, QColor(240, 15, 0)));
    EXPECT_FALSE(HasColour(image, number0, QColor(0, 0, 255)));
    EXPECT_TRUE(HasColour(image, number8, QColor(0, 0, 255)));
    EXPECT_FALSE(HasColour(image, number8, QColor(240, 15, 0)));

    const QColor highlight = m_View->palette().color(QPalette::Highlight);
    EXPECT_TRUE(HasColour(image, QRect(3 * cw, 0, 17 * cw, h), highlight));
    EXPECT_FALSE(HasColour(image, QRect(24 * cw, 0, 17 * cw, h), highlight));
    EXPECT_TRUE(HasColour(image, QRect(3 * cw, h, 17 * cw, h), QColor(0, 100, 0)));
    EXPECT_TRUE(HasColour(image, QRect(24 * cw, h, 17 * cw, h), QColor(2, 6, 48)));
    // The highlight covers the name and nothing beyond it.
    const int nameEnd = 3 * cw + QFontMetrics(m_View->viewport()->font())
                                     .horizontalAdvance(QStringLiteral("------Empty------"));
    EXPECT_FALSE(HasColour(image, QRect(nameEnd + 1, 0, 24 * cw - nameEnd - 2, h), highlight));

    // The tone column selected: the highlight moves to the tone name.
    Key(Qt::Key_Right);
    QApplication::processEvents();
    const QImage tone = m_View->viewport()->grab().toImage();
    EXPECT_FALSE(HasColour(tone, QRect(3 * cw, 0, 17 * cw, h), highlight));
    EXPECT_TRUE(HasColour(tone, QRect(24 * cw, 0, 17 * cw, h), highlight));
}

TEST_F(RowViewTest, ArrowKeysMoveTheSelectionAndStopAtTheEnds) {
    Key(Qt::Key_Up);
    EXPECT_EQ(m_View->GetSelectedRow(), 0);
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(m_View->GetSelectedRow(), 2);
    Key(Qt::Key_Right);
    EXPECT_EQ(m_View->GetSelectedRow(), 2);
    EXPECT_EQ(m_View->GetSelectedColumn(), 1);
    Key(Qt::Key_Down);
    EXPECT_EQ(m_View->GetSelectedColumn(), 1) << "up and down keep the column";
    Key(Qt::Key_Left);
    EXPECT_EQ(m_View->GetSelectedRow(), 3);
    EXPECT_EQ(m_View->GetSelectedColumn(), 0);
    Select(63, 0);
    Key(Qt::Key_Down);
    EXPECT_EQ(m_View->GetSelectedRow(), 63);
}

TEST_F(RowViewTest, HomeAndEndLandInThePatchColumn) {
    Select(10, 1);
    Key(Qt::Key_End);
    EXPECT_EQ(m_View->GetSelectedRow(), 63);
    EXPECT_EQ(m_View->GetSelectedColumn(), 0);
    Key(Qt::Key_Right);
    Key(Qt::Key_Home);
    EXPECT_EQ(m_View->GetSelectedRow(), 0);
    EXPECT_EQ(m_View->GetSelectedColumn(), 0);
    EXPECT_EQ(Scroll(), 0);
}

TEST_F(RowViewTest, PageKeysScrollWithoutMovingTheSelection) {
    // A window of 20 rows pages by the 19 that fit less one.
    const int h = m_View->m_RowHeight;
    m_View->resize(m_View->width(),
                   20 * h + (m_View->height() - m_View->viewport()->height()) + h / 2);
    QApplication::processEvents();
    ASSERT_EQ(m_View->viewport()->height() / h, 20);
    Select(4, 1);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(Scroll(), 19 * h);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(Scroll(), 38 * h);
    EXPECT_EQ(m_View->GetSelectedRow(), 4);
    EXPECT_EQ(m_View->GetSelectedColumn(), 1);
    Key(Qt::Key_PageUp);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(Scroll(), 0);

    // All rows in sight: nothing to page.
    Frame()->ActiveChildFrame()->resize(310, 70 * m_View->m_RowHeight);
    QApplication::processEvents();
    Key(Qt::Key_PageDown);
    EXPECT_EQ(Scroll(), 0);
    EXPECT_EQ(m_View->GetSelectedRow(), 4);
}

TEST_F(RowViewTest, ClickSelectsTheColumnOnEitherSideOfSeventeenCharacters) {
    const int boundary = 17 * m_View->m_CharWidth;
    QTest::mouseClick(m_View->viewport(), Qt::LeftButton, {}, CellPoint(5, boundary));
    EXPECT_EQ(m_View->GetSelectedRow(), 5);
    EXPECT_EQ(m_View->GetSelectedColumn(), 0);
    QTest::mouseClick(m_View->viewport(), Qt::LeftButton, {}, CellPoint(6, boundary + 1));
    EXPECT_EQ(m_View->GetSelectedRow(), 6);
    EXPECT_EQ(m_View->GetSelectedColumn(), 1);

    // Scrolled down, a click still picks the row under the pointer.
    Key(Qt::Key_PageDown);
    const int firstVisible = Scroll() / m_View->m_RowHeight;
    QTest::mouseClick(m_View->viewport(), Qt::LeftButton, {}, CellPoint(firstVisible + 2, 2));
    EXPECT_EQ(m_View->GetSelectedRow(), firstVisible + 2);
}

TEST_F(RowViewTest, ClickBelowTheLastRowKeepsTheSelection) {
    Frame()->ActiveChildFrame()->resize(310, 70 * m_View->m_RowHeight);
    QApplication::processEvents();
    Select(7, 1);
    const QPoint below(5, 64 * m_View->m_RowHeight + 3);
    ASSERT_LT(below.y(), m_View->viewport()->height());
    QTest::mouseClick(m_View->viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(m_View->GetSelectedRow(), 7);
    EXPECT_EQ(m_View->GetSelectedColumn(), 1);
}

TEST_F(RowViewTest, RefreshRowScrollsTheRowIntoSight) {
    const int h = m_View->m_RowHeight;
    const int client = m_View->viewport()->height();
    m_View->RefreshRow(63);
    EXPECT_EQ(Scroll(), 64 * h - client) << "the row's bottom meets the window's bottom";
    const int scrolled = Scroll();
    const int visible = scrolled / h + 2;
    m_View->RefreshRow(visible);
    EXPECT_EQ(Scroll(), scrolled) << "a visible row does not scroll";
    m_View->RefreshRow(1);
    EXPECT_EQ(Scroll(), h) << "the row's top meets the window's top";
}

TEST_F(RowViewTest, VerticalPageIsAtLeastOneRow) {
    Frame()->ActiveChildFrame()->resize(310, 60);
    m_View->resize(m_View->width(), m_View->m_RowHeight + 4);
    QApplication::processEvents();
    ASSERT_LT(m_View->viewport()->height(), 2 * m_View->m_RowHeight);
    EXPECT_EQ(m_View->verticalScrollBar()->pageStep(), m_View->m_RowHeight);
    EXPECT_EQ(m_View->verticalScrollBar()->singleStep(), m_View->m_RowHeight);
}

TEST_F(RowViewTest, SelectionMovesAndRefreshesRepaintOnlyTheRowsConcerned) {
    PaintNotingView view(*Doc());
    view.resize(300, 20 * view.m_RowHeight + 200);
    view.show();
    view.OnInitialUpdate();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QApplication::processEvents();
    EXPECT_FALSE(view.m_Drawn.empty());
    EXPECT_LT(*view.m_Drawn.rbegin(), 63) << "rows out of sight are not painted";

    view.m_Drawn.clear();
    view.MoveSelection(true);
    QApplication::processEvents();
    EXPECT_EQ(view.m_Drawn, (std::set<int>{0, 1}));

    // A change to the bank through the document repaints that row in every window.
    view.m_Drawn.clear();
    view.GetSysExData()->GetTone(5)->SetName("Brass");
    Doc()->RefreshRow(5);
    QApplication::processEvents();
    EXPECT_EQ(view.m_Drawn, (std::set<int>{5}));
}

TEST_F(RowViewTest, RightClickSelectsTheCellThenShowsThePopup) {
    QStringList texts;
    bool cutEnabled = true;
    QTimer::singleShot(0, [&]() {
        if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* action : popup->actions()) {
                texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
                if (action->data().toInt() == ID_POPUP_CUT) {
                    cutEnabled = action->isEnabled();
                }
            }
            // Copy from the popup acts on the cell just selected.
            popup->actions().at(1)->trigger();
            popup->close();
        }
    });
    QTest::mouseClick(m_View->viewport(), Qt::RightButton, {},
                      CellPoint(3, 24 * m_View->m_CharWidth + 4));
    EXPECT_EQ(m_View->GetSelectedRow(), 3);
    EXPECT_EQ(m_View->GetSelectedColumn(), 1);
    EXPECT_EQ(texts, (QStringList{"&Cut", "Copy", "Paste", "-", "Rename"}));
    EXPECT_FALSE(cutEnabled);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_TRUE(copied->hasFormat(QString::fromLatin1(kToneFormatName)));
}

TEST_F(RowViewTest, RefusesEveryDrop) {
    auto data = CreateBankMimeData(*m_View->GetSysExData(), 0, 0);
    ASSERT_NE(data, nullptr);
    const QPoint at = CellPoint(2, 10);
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(m_View->viewport(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(m_View->viewport(), &drop);
    EXPECT_FALSE(drop.isAccepted());
    EXPECT_FALSE(Doc()->IsModified());
}

}  // namespace
