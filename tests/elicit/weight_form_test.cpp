#include "elicit/weight_form.h"

#include "elicit/dialog_result.h"
#include "model/ini_file.h"
#include "model/model.h"
#include "ui/scripted_prompts.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace velor::elicit {
namespace {

using ui::Answer;
using ui::test::ScriptedPrompts;

// Main goal with attributes Price, Comfort and a sub-goal Safety holding Airbags; two
// alternatives, Price and Comfort ranked.
struct WeightFormTest : ::testing::Test {
    Model m;
    Model saved; // the model as the fixture built it
    ScriptedPrompts prompts;
    NodeId root, price, comfort, safety, airbags;

    void SetUp() override {
        root = m.AddNode(kGoal, kNone);
        price = m.AddNode(kAttribute, root);
        comfort = m.AddNode(kAttribute, root);
        safety = m.AddNode(kGoal, root);
        airbags = m.AddNode(kAttribute, safety);
        m.RenameNode(price, "Price");
        m.RenameNode(comfort, "Comfort");
        m.RenameNode(safety, "Safety");
        m.RenameNode(airbags, "Airbags");
        m.NewAlternative();
        m.NewAlternative();
        m.CommitCellText(m.Node(price).Column, 1, "20000", true);
        m.CommitCellText(m.Node(price).Column, 2, "30000", true);
        m.CommitCellText(m.Node(comfort).Column, 1, "good", true);
        m.CommitCellText(m.Node(comfort).Column, 2, "poor", true);
        m.StoreRanking(price, {1, 2}, {});
        m.StoreRanking(comfort, {1, 2}, {});
        saved = m;
    }
    void TearDown() override { EXPECT_TRUE(prompts.Done()) << "scripted answers left over"; }

    DialogContext Context() { return {m, prompts, nullptr}; }

    // Types keys into a bound cell the way a user does: the first key opens the editor.
    static void TypeInto(WeightForm& form, int row, int column, const QString& keys) {
        form.WeightGrid->setCurrentCell(row, column);
        QTest::keyClick(form.WeightGrid, keys.at(0).toLatin1());
        QWidget* editor = form.WeightGrid->indexWidget(form.WeightGrid->currentIndex());
        ASSERT_NE(editor, nullptr) << "typing opens the cell editor";
        QTest::keyClicks(editor, keys.mid(1));
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents(); // the view closes the editor through a queued call
    }
    static QString Cell(const WeightForm& form, int row, int column) {
        const QTableWidgetItem* item = form.WeightGrid->item(row, column);
        return item != nullptr ? item->text() : QString();
    }
};

TEST_F(WeightFormTest, CaptionsAndButtonsOutsideAndOnTheTour) {
    WeightForm plain(Context(), root);
    EXPECT_EQ(plain.windowTitle(), QStringLiteral("Top Down Weight Assessment: Main Goal"));
    EXPECT_EQ(plain.OKButton->text(), QStringLiteral("&OK"));
    EXPECT_EQ(plain.CancelButton->text(), QStringLiteral("&Cancel"));
    EXPECT_TRUE(plain.BackButton->isHidden());
    EXPECT_TRUE(plain.AbortButton->isHidden());

    WeightForm first(Context(), kNone, 1, 3);
    EXPECT_EQ(first.windowTitle(),
              QStringLiteral("Bottom Up Weight Assessment (Elicitation Tour Step 1 of 3)"));
    EXPECT_EQ(first.OKButton->text(), QStringLiteral("&OK >>"));
    EXPECT_EQ(first.CancelButton->text(), QStringLiteral("&Skip >>"));
    EXPECT_FALSE(first.BackButton->isHidden());
    EXPECT_FALSE(first.BackButton->isEnabled()) << "no Back on step 1";

    WeightForm last(Context(), kNone, 3, 3);
    EXPECT_EQ(last.OKButton->text(), QStringLiteral("&OK"));
    EXPECT_EQ(last.CancelButton->text(), QStringLiteral("&Skip"));
    EXPECT_TRUE(last.BackButton->isEnabled());
}

// A statement opened from the conflict list lands on its node's row; any other node leaves the
// cursor on the first row.
TEST_F(WeightFormTest, OpensOnTheRowOfTheNodeAsked) {
    WeightForm form(Context(), root);
    ASSERT_EQ(form.Table().RowCount(), 3);
    const NodeId last = form.Table().Row(2).node;
    form.SetCurrentNode(root);
    EXPECT_EQ(form.WeightGrid->currentRow(), 0);
    form.SetCurrentNode(last);
    EXPECT_EQ(form.WeightGrid->currentRow(), 2);
    EXPECT_EQ(form.WeightGrid->currentColumn(), kLowerColumn);
}

TEST_F(WeightFormTest, GridShowsRowsAndSizesItsColumns) {
    WeightForm form(Context(), root);
    QHeaderView* header = form.WeightGrid->horizontalHeader();
    EXPECT_EQ(form.WeightGrid->model()->headerData(1, Qt::Horizontal),
              QStringLiteral("Worst Conseq."));
    EXPECT_EQ(form.WeightGrid->model()->headerData(4, Qt::Horizontal),
              QStringLiteral("Upper bound"));
    ASSERT_EQ(form.WeightGrid->rowCount(), 3);
    EXPECT_EQ(Cell(form, 0, kWorstColumn), QStringLiteral("30000"));
    EXPECT_EQ(Cell(form, 2, kBestColumn), QStringLiteral("Implicit (Goal)"));
    EXPECT_FALSE(form.WeightGrid->item(0, kNameColumn)->flags() & Qt::ItemIsEditable);
    EXPECT_TRUE(form.WeightGrid->item(0, kLowerColumn)->flags() & Qt::ItemIsEditable);

    form.resize(700, 300);
    form.show();
    EXPECT_EQ(form.WeightGrid->width(), 700 - 105);
    const int fifth = (700 - 105) / 5 - 1;
    for (int column = 1; column < kWeightColumnCount; ++column) {
        EXPECT_EQ(header->sectionSize(column), fifth);
    }
    int total = 0;
    for (int column = 0; column < kWeightColumnCount; ++column) {
        total += header->sectionSize(column);
    }
    EXPECT_GT(header->sectionSize(0), 0);
    EXPECT_LE(total, form.WeightGrid->viewport()->width()) << "the name column takes the rest";
    EXPECT_GE(total, form.WeightGrid->viewport()->width() - 8);
    EXPECT_EQ(form.OKButton->geometry().right() + 1, 700 - 10);
    EXPECT_EQ(form.InfoLabel->width(), form.InfoPanel->width() - 20);
}

TEST_F(WeightFormTest, TypingFillsTheGridWithinTheKeyRulesAndOkStores) {
    WeightForm form(Context(), kNone);
    form.show();
    TypeInto(form, 0, kLowerColumn, QStringLiteral("1x0-0"));
    TypeInto(form, 0, kUpperColumn, QStringLiteral("100"));
    TypeInto(form, 1, kLowerColumn, QStringLiteral("12.5.6789"));
    TypeInto(form, 1, kUpperColumn, QStringLiteral("123456789"));
    EXPECT_EQ(Cell(form, 0, kLowerColumn), QStringLiteral("100")) << "letters and signs dropped";
    EXPECT_EQ(Cell(form, 1, kLowerColumn), QStringLiteral("12.5678")) << "one separator, 7 chars";
    EXPECT_EQ(Cell(form, 1, kUpperColumn), QStringLiteral("1234567"));
    // Typing over a full cell replaces it, Backspace always works.
    TypeInto(form, 1, kUpperColumn, QStringLiteral("90"));
    form.WeightGrid->setCurrentCell(1, kUpperColumn);
    QTest::keyClick(form.WeightGrid, Qt::Key_F2);
    QWidget* editor = form.WeightGrid->indexWidget(form.WeightGrid->currentIndex());
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClick(editor, Qt::Key_Backspace);
    QTest::keyClicks(editor, QStringLiteral("5"));
    // OK without Enter keeps what is being typed.
    form.OKButtonClick();
    EXPECT_EQ(form.result(), kResultOk);
    EXPECT_EQ(m.Node(price).BottomUpLower, 100);
    EXPECT_EQ(m.Node(comfort).BottomUpLower, 12.5678);
    EXPECT_EQ(m.Node(comfort).BottomUpUpper, 95);
    EXPECT_EQ(m.Node(airbags).BottomUpLower, -1) << "an empty cell stores -1";
    EXPECT_EQ(m.Entry(m.BottomUpEntry())->Status, AssessmentStatus::Partially);
    EXPECT_NE(m, saved);
}

// Tab from an upper bound used to land on the next row's name cell, where the numbers typed
// next were lost; Enter stayed on the cell just filled; neither unit nor reference was shown.
TEST_F(WeightFormTest, TabAndEnterMoveThroughTheBoundsAndUnitAndReferenceShow) {
    WeightForm form(Context(), root);
    form.show();
    QApplication::setActiveWindow(&form);
    form.WeightGrid->item(1, kLowerColumn)->setText(QStringLiteral("20"));
    form.WeightGrid->setCurrentCell(0, kLowerColumn);
    form.WeightGrid->setFocus();
    for (QChar c : QStringLiteral("100T100T50E80TB70E")) { // T Tab, B Shift+Tab, E Enter
        const Qt::Key key = c == u'T'   ? Qt::Key_Tab
                            : c == u'B' ? Qt::Key_Backtab
                            : c == u'E' ? Qt::Key_Return
                                        : Qt::Key(c.unicode());
        ASSERT_TRUE(form.isVisible() && QApplication::focusWidget() != nullptr);
        QTest::keyClick(QApplication::focusWidget(), key,
                        key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
    }
    EXPECT_EQ(Cell(form, 1, kLowerColumn), QStringLiteral("50")) << "typed over, not appended";
    EXPECT_EQ(Cell(form, 1, kUpperColumn), QStringLiteral("70"));
    EXPECT_EQ(form.WeightGrid->currentRow(), 2);
    auto* delegate = static_cast<BoundDelegate*>(form.WeightGrid->itemDelegate());
    QStyleOptionViewItem reference, other;
    delegate->initStyleOption(&reference, form.WeightGrid->model()->index(0, kUpperColumn));
    delegate->initStyleOption(&other, form.WeightGrid->model()->index(1, kUpperColumn));
    EXPECT_EQ(other.text, QStringLiteral("70 %"));
    EXPECT_TRUE(reference.font.bold() && !other.font.bold());
    EXPECT_NE(reference.backgroundBrush, other.backgroundBrush);
}

TEST_F(WeightFormTest, PasteFillsABlockAndANonNumberIsRefusedBeforeAnythingIsStored) {
    WeightForm form(Context(), root);
    form.show();
    prompts.clipboard = QStringLiteral("100\t100\r\n50\t80\r\n");
    EXPECT_EQ(form.PasteCellsAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_V));
    EXPECT_EQ(form.CopyCellsAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    EXPECT_EQ(form.CutCellsAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_X));
    EXPECT_EQ(form.ClearCellAction->shortcut(), QKeySequence(Qt::Key_Delete));
    form.WeightGrid->setCurrentCell(0, kLowerColumn);
    form.PasteCellsAction->trigger();
    EXPECT_EQ(Cell(form, 0, kUpperColumn), QStringLiteral("100"));
    EXPECT_EQ(Cell(form, 1, kLowerColumn), QStringLiteral("50"));
    EXPECT_EQ(Cell(form, 1, kUpperColumn), QStringLiteral("80")) << "no CR left in the cell";
    EXPECT_EQ(m, saved) << "a paste fills the dialog's grid; only OK stores into the model";

    prompts.clipboard = QStringLiteral("3O");
    form.WeightGrid->setCurrentCell(2, kUpperColumn);
    form.PasteCellsClick();
    form.OKButtonClick();
    ASSERT_EQ(prompts.messages.size(), 1U);
    EXPECT_TRUE(prompts.messages[0].text.contains(QStringLiteral("'3O'")));
    EXPECT_TRUE(prompts.messages[0].text.contains(QStringLiteral("Upper bound of Safety")));
    EXPECT_EQ(form.result(), 0) << "the dialog stays open";
    EXPECT_EQ(form.WeightGrid->currentRow(), 2);
    EXPECT_EQ(form.WeightGrid->currentColumn(), kUpperColumn);
    EXPECT_EQ(m.Node(price).TopDownLower, -1) << "rows before the bad cell are not stored";

    // Copy, Cut and Clear work on the selection.
    form.WeightGrid->clearSelection();
    form.WeightGrid->setRangeSelected(QTableWidgetSelectionRange(0, 3, 1, 4), true);
    form.CopyCellsClick();
    EXPECT_EQ(prompts.clipboard, QStringLiteral("100\t100\n50\t80"));
    form.WeightGrid->clearSelection();
    form.WeightGrid->setCurrentCell(2, kUpperColumn);
    form.CutCellsClick();
    EXPECT_EQ(prompts.clipboard, QStringLiteral("3O"));
    EXPECT_EQ(Cell(form, 2, kUpperColumn), QString());
    form.WeightGrid->setCurrentCell(1, kLowerColumn);
    form.ClearCellAction->trigger();
    EXPECT_EQ(Cell(form, 1, kLowerColumn), QString());
    form.OKButtonClick();
    EXPECT_EQ(form.result(), kResultOk);
    EXPECT_EQ(m.Node(price).TopDownLower, 100);
    EXPECT_EQ(m.Node(comfort).TopDownLower, -1);
    EXPECT_EQ(m.Node(comfort).TopDownUpper, 80);
}

TEST_F(WeightFormTest, RefusedBoundsKeepTheDialogOpenOnTheFaultyCell) {
    WeightForm form(Context(), root);
    form.show();
    TypeInto(form, 0, kLowerColumn, QStringLiteral("100"));
    TypeInto(form, 0, kUpperColumn, QStringLiteral("100"));
    TypeInto(form, 2, kLowerColumn, QStringLiteral("50"));
    TypeInto(form, 2, kUpperColumn, QStringLiteral("40"));
    form.WeightGrid->setCurrentCell(0, kNameColumn);
    form.OKButtonClick();
    ASSERT_EQ(prompts.messages.size(), 1U);
    EXPECT_EQ(prompts.messages[0].caption, QStringLiteral("Unsuitable Value"));
    EXPECT_EQ(prompts.messages[0].icon, ui::Icon::Warning);
    EXPECT_EQ(form.WeightGrid->currentRow(), 2);
    EXPECT_EQ(form.WeightGrid->currentColumn(), kLowerColumn);
    EXPECT_EQ(form.result(), 0);
    EXPECT_EQ(m.Node(price).TopDownUpper, -1);
    EXPECT_EQ(m, saved);
}

TEST_F(WeightFormTest, InfeasibleBoundsAskWhetherToContinue) {
    // Comfort's levels are tied, so its weight is 0. As the reference it forces every weight
    // with an upper bound to 0, which the weight sum of 1 forbids.
    m.StoreRanking(comfort, {1, 1}, {});
    m.StoreRanking(airbags, {1, 2}, {});
    WeightForm form(Context(), kNone, 2, 4);
    form.show();
    EXPECT_EQ(Cell(form, 1, kLowerColumn), QStringLiteral("0")) << "tied levels offer 0 and 0";
    EXPECT_EQ(Cell(form, 1, kUpperColumn), QStringLiteral("0"));
    TypeInto(form, 1, kLowerColumn, QStringLiteral("100"));
    TypeInto(form, 1, kUpperColumn, QStringLiteral("100"));
    TypeInto(form, 0, kUpperColumn, QStringLiteral("50"));
    TypeInto(form, 2, kUpperColumn, QStringLiteral("50"));
    prompts.answers = {Answer::No};
    form.OKButtonClick();
    ASSERT_EQ(prompts.messages.size(), 1U);
    EXPECT_EQ(prompts.messages[0].caption, QStringLiteral("Model Feasibility Check"));
    EXPECT_EQ(prompts.messages[0].text,
              QStringLiteral("The preferences you just gave have made the model infeasible.\n"
                             "Please check the correctness of the given preferences.\n"
                             "This will quit the elicitation tour.\n"
                             "Do you want to continue anyway?\n"));
    EXPECT_EQ(form.result(), 0) << "No keeps the dialog open";
    EXPECT_FALSE(form.CancelButton->isEnabled());
    EXPECT_FALSE(form.AbortButton->isEnabled());
    EXPECT_FALSE(form.BackButton->isEnabled());
    EXPECT_EQ(m.Node(comfort).BottomUpLower, 100) << "the bounds stay stored";
    form.reject();
    EXPECT_EQ(form.result(), 0) << "no way out through Escape while Cancel is disabled";

    prompts.answers = {Answer::Yes};
    form.OKButtonClick();
    EXPECT_EQ(form.result(), kResultAbort);
}

TEST_F(WeightFormTest, ModelWithoutAttributesOnlyChecksFeasibility) {
    Model goals;
    const NodeId r = goals.AddNode(kGoal, kNone);
    goals.AddNode(kGoal, r);
    const Model before = goals;
    WeightForm form(DialogContext{goals, prompts, nullptr}, kNone);
    EXPECT_FALSE(form.WeightGrid->isEnabled());
    EXPECT_EQ(form.WeightGrid->rowCount(), 1);
    form.OKButtonClick();
    EXPECT_EQ(form.result(), kResultOk);
    EXPECT_EQ(goals, before);
}

TEST_F(WeightFormTest, MousePressShowsTheConsequencesThatChange) {
    WeightForm form(Context(), root);
    form.resize(700, 300);
    form.show();
    const QRect cell = form.WeightGrid->visualItemRect(form.WeightGrid->item(0, kNameColumn));
    QTest::mousePress(form.WeightGrid->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_TRUE(form.PopupInfo->isVisible());
    EXPECT_EQ(form.PopupLabel->text(),
              QStringLiteral("The following consequences change:\nPrice: 30000 -> 20000\n"));
    const QPoint pointer = form.WeightGrid->viewport()->mapTo(&form, cell.center());
    EXPECT_EQ(form.PopupInfo->pos(), pointer + QPoint(10, -10));
    QTest::mouseRelease(form.WeightGrid->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_FALSE(form.PopupInfo->isVisible());
}

TEST_F(WeightFormTest, PlacementIsSavedUnderTheDialogsNameAndRestored) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::filesystem::path ini = std::filesystem::path(dir.path().toStdString()) / "velor.ini";
    SetWeightFormSettingsFile(ini);
    {
        WeightForm form(Context(), root);
        form.show();
        form.setGeometry(40, 50, 610, 330);
        form.CancelButtonClick();
        EXPECT_EQ(form.result(), kResultCancel);
    }
    IniFile settings(ini);
    EXPECT_EQ(settings.ReadSetting("WeightForm", "Width"), "610");
    EXPECT_EQ(settings.ReadSetting("WeightForm", "State"), "0");
    {
        WeightForm form(Context(), kNone);
        form.show();
        EXPECT_EQ(form.size(), QSize(610, 330));
        form.CancelButtonClick();
    }
    SetWeightFormSettingsFile({});
    EXPECT_EQ(m.Node(price).TopDownLower, -1) << "Cancel stores nothing";
    EXPECT_EQ(m, saved);
}

} // namespace
} // namespace velor::elicit

namespace velor::elicit {
namespace {

// The dialog opens wide enough for every name and consequence ("very comfortable"); a text cut
// off in a narrower dialog is in its tooltip.
TEST_F(WeightFormTest, NamesAndConsequencesShowInFullAtCreationSize) {
    m.CommitCellText(m.Node(comfort).Column, 1, "very comfortable", true);
    m.RenameNode(airbags, "Side airbags");
    WeightForm form(Context(), kNone);
    form.show();
    const QFontMetrics metrics(form.WeightGrid->font());
    for (int row = 0; row < form.WeightGrid->rowCount(); ++row) {
        for (int column = 0; column <= kBestColumn; ++column) {
            EXPECT_LE(metrics.horizontalAdvance(Cell(form, row, column)) + 8,
                      form.WeightGrid->columnWidth(column));
        }
    }
    form.resize(form.minimumWidth(), form.height());
    const int last = form.WeightGrid->rowCount() - 1;
    EXPECT_EQ(form.WeightGrid->item(last, kNameColumn)->toolTip(), QStringLiteral("Side airbags"));
}

} // namespace
} // namespace velor::elicit
