// The alternatives editor: typing, the ranked-consequence question, clipboard blocks.
#include "gui_fixture.h"

#include <QLineEdit>

namespace velor::ui::test {
namespace {

class AltTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        BuildSmallModel(); // columns 1 Car, 2 Price, 3 Comfort, 4 Space; rows 1, 2
        MarkSaved();
    }
    // Types text into a cell through the in-place editor and presses Enter.
    void Type(int col, int row, const QString& text) {
        QTableView* grid = alts()->AltGrid();
        alts()->SetCurrentCell(col, row);
        grid->setFocus();
        // F2 opens the in-place editor on the current cell, as the grid's edit key.
        QTest::keyClick(grid, Qt::Key_F2);
        auto* editor = grid->findChild<QLineEdit*>(QStringLiteral("AltGridEditor"));
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        // The delegate commits through a queued call and deletes the editor later.
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::string Cell(int col, int row) { return model().CellText(col, row); }
    void Rank(int col, std::vector<int> ranks) {
        model().StoreRanking(model().NodeByColumn(col), ranks, {});
        MarkSaved();
    }
};

TEST_F(AltTest, NewAlternativeShortcutTypingAndTab) {
    QTableView* grid = alts()->AltGrid();
    grid->setFocus();
    alts()->SetCurrentCell(2, 1);
    QTest::keyClick(grid, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(model().M(), 3);
    EXPECT_EQ(model().AlternativeName(3), "Alternative 3");
    EXPECT_EQ(grid->model()->headerData(2, Qt::Vertical).toString(),
              QStringLiteral("Alternative 3"));
    MarkSaved();

    Type(2, 1, QStringLiteral("25000 EUR"));
    EXPECT_EQ(Cell(2, 1), "25000 EUR");

    // Typing into column 1 renames the alternative.
    Type(1, 2, QStringLiteral("Estate"));
    EXPECT_EQ(model().AlternativeName(2), "Estate");
    EXPECT_EQ(grid->model()->headerData(1, Qt::Vertical).toString(), QStringLiteral("Estate"));

    // Tab moves to the next cell.
    alts()->SetCurrentCell(2, 1);
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_EQ(alts()->CurrentColumn(), 3);
}

// A new alternative's name is typed in the main goal's column, wherever the cursor was.
TEST_F(AltTest, NewAlternativePutsTheCursorInTheMainGoalColumnReadyForTyping) {
    QTableView* grid = alts()->AltGrid();
    grid->setFocus();
    alts()->SetCurrentCell(4, 1);
    QTest::keyClick(grid, Qt::Key_A, Qt::ControlModifier);
    ASSERT_EQ(model().M(), 3);
    EXPECT_EQ(alts()->CurrentColumn(), 1);
    EXPECT_EQ(alts()->CurrentRow(), 3);
    QTest::keyClick(grid, Qt::Key_V); // typing opens the editor
    auto* editor = grid->findChild<QLineEdit*>(QStringLiteral("AltGridEditor"));
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("an"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(model().AlternativeName(3), "van");
    EXPECT_EQ(grid->model()->headerData(2, Qt::Vertical).toString(), QStringLiteral("van"));
    EXPECT_NE(grid->model()->headerData(2, Qt::Vertical, Qt::ForegroundRole), QVariant())
        << "the names read as read-only";
    EXPECT_TRUE(grid->model()->headerData(2, Qt::Vertical, Qt::ToolTipRole)
                    .toString()
                    .contains(QStringLiteral("Car")))
        << "says where the name is typed";
}

// Typed consequences used to leave the model "unchanged", so closing the program afterwards
// asked nothing and the typing was lost.
TEST_F(AltTest, TypedConsequenceMarksTheModelChangedSoClosingAsksFirst) {
    Type(3, 2, QStringLiteral("roomy"));
    EXPECT_TRUE(Changed());
    EXPECT_EQ(Panel(4), QStringLiteral("Changed"));
    prompts.answers.push_back(Answer::Cancel);
    EXPECT_FALSE(window->close());
    EXPECT_EQ(prompts.messages.back().caption, QStringLiteral("Model Unsaved"));
    // Opening the editor and leaving the text as it was is no change.
    MarkSaved();
    Type(3, 2, QStringLiteral("roomy"));
    EXPECT_FALSE(Changed());
}

TEST_F(AltTest, TypingStopsAt255Characters) {
    Type(2, 1, QString(300, QLatin1Char('y')));
    EXPECT_EQ(Cell(2, 1).size(), 255u);
}

TEST_F(AltTest, RankedConsequenceQuestionKeepsOrDropsTheRank) {
    Rank(2, {1, 2});
    prompts.answers.push_back(Answer::Yes);
    Type(2, 1, QStringLiteral("cheap"));
    EXPECT_EQ(prompts.LastText(),
              QStringLiteral("You have changed a ranked consequence. Do you want to keep its "
                             "ranking?\nIf no, all cardinal rankings related to it will be "
                             "deleted!"));
    EXPECT_EQ(prompts.messages.back().caption, QStringLiteral("Velor Decisions"));
    EXPECT_EQ(model().Rank(2, 1), 1);
    EXPECT_EQ(Cell(2, 1), "cheap");

    prompts.answers.push_back(Answer::No);
    Type(2, 2, QStringLiteral("dear"));
    EXPECT_EQ(model().Rank(2, 2), 0);
    EXPECT_EQ(model().Rank(2, 1), 1);
    EXPECT_EQ(Cell(2, 2), "dear");

    // Retyping the same text is no change and asks nothing.
    Type(2, 1, QStringLiteral("cheap"));
    EXPECT_EQ(prompts.messages.size(), 2u);
}

TEST_F(AltTest, CopyGivesTabsAndLineFeedsAndCopyMatrixTheWholeTable) {
    Type(2, 1, QStringLiteral("a"));
    Type(3, 1, QStringLiteral("b"));
    Type(2, 2, QStringLiteral("c"));
    Type(3, 2, QStringLiteral("d"));
    alts()->SelectCells(2, 1, 3, 2);
    EXPECT_EQ(alts()->Selection(), QRect(QPoint(2, 1), QPoint(3, 2)));
    alts()->AltPopupPopup();
    ASSERT_TRUE(alts()->CopyAction()->isEnabled());
    alts()->AltGrid()->setFocus();
    QTest::keyClick(alts()->AltGrid(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(prompts.clipboard, QStringLiteral("a\tb\nc\td"));

    alts()->CopyMatrixAction()->trigger();
    EXPECT_EQ(prompts.clipboard, QStringLiteral("Name\tCar\tPrice\tComfort\tSpace\n"
                                                "Alternative 1\tAlternative 1\ta\tb\t\n"
                                                "Alternative 2\tAlternative 2\tc\td\t"));
}

TEST_F(AltTest, CommandsNeedingAnAlternativeAreOffWithoutOne) {
    prompts.answers.push_back(Answer::Yes);
    window->ClearAlternativesClick();
    alts()->AltPopupPopup();
    for (QAction* a : {alts()->DeleteAlternativeAction(), alts()->DuplicateAlternativeAction(),
                       alts()->CopyAction(), alts()->CutAction(), alts()->PasteAction()}) {
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    }
    EXPECT_TRUE(alts()->NewAlternativeAction()->isEnabled());
    // The matrix copy keeps the empty row the grid has.
    alts()->CopyMatrixAction()->trigger();
    EXPECT_EQ(prompts.clipboard, QStringLiteral("Name\tCar\tPrice\tComfort\tSpace\n\t\t\t\t"));
}

TEST_F(AltTest, PasteFillsCellsFromTheCurrentOneAndStoresTheTextAfterAFinalLineFeed) {
    Type(2, 2, QStringLiteral("old"));
    prompts.clipboard = QStringLiteral("a\tb\n");
    alts()->SetCurrentCell(2, 1);
    alts()->AltGrid()->setFocus();
    QTest::keyClick(alts()->AltGrid(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Cell(2, 1), "a");
    EXPECT_EQ(Cell(3, 1), "b");
    EXPECT_EQ(Cell(2, 2), "");
    EXPECT_TRUE(Changed());
}

TEST_F(AltTest, PasteDropsWhatReachesBeyondTheTableAndCarriageReturnsBeforeLineFeeds) {
    prompts.clipboard = QStringLiteral("x\ty\tz");
    alts()->SetCurrentCell(4, 1);
    alts()->PasteCellsClick();
    EXPECT_EQ(Cell(4, 1), "x");
    EXPECT_EQ(Cell(3, 1), "");

    // Text copied from a spreadsheet: CR LF line ends leave no CR in the cells.
    prompts.clipboard = QStringLiteral("p\tq\r\nr\ts\r\n");
    alts()->SetCurrentCell(2, 1);
    alts()->PasteCellsClick();
    EXPECT_EQ(Cell(3, 1), "q");
    EXPECT_EQ(Cell(3, 2), "s");
    // A CR that does not end a row stays.
    prompts.clipboard = QStringLiteral("m\rn");
    alts()->SetCurrentCell(4, 2);
    alts()->PasteCellsClick();
    EXPECT_EQ(Cell(4, 2), "m\rn");

    // A pasted text is cut to 255 characters.
    prompts.clipboard = QString(400, QLatin1Char('w'));
    alts()->SetCurrentCell(2, 2);
    alts()->PasteCellsClick();
    EXPECT_EQ(Cell(2, 2).size(), 255u);
}

TEST_F(AltTest, AWideSelectionPastesTheBlockOncePerCell) {
    prompts.clipboard = QStringLiteral("1\t2");
    alts()->SelectCells(2, 1, 3, 1);
    alts()->PasteCellsClick();
    // Second paste starts one column further right and overwrites the first one's cell 3.
    EXPECT_EQ(Cell(2, 1), "1");
    EXPECT_EQ(Cell(3, 1), "1");
    EXPECT_EQ(Cell(4, 1), "2");
}

TEST_F(AltTest, TypingInTheMainGoalColumnRenamesButPasteAndClearDoNot) {
    Type(1, 1, QStringLiteral("Roadster"));
    EXPECT_EQ(model().AlternativeName(1), "Roadster");

    prompts.clipboard = QStringLiteral("pasted");
    alts()->SetCurrentCell(1, 2);
    const std::string second = model().AlternativeName(2);
    alts()->PasteCellsClick();
    EXPECT_EQ(Cell(1, 2), "pasted");
    EXPECT_EQ(model().AlternativeName(2), second);

    alts()->SelectCells(1, 1, 1, 1);
    alts()->ClearCellsClick();
    EXPECT_EQ(Cell(1, 1), "");
    EXPECT_EQ(model().AlternativeName(1), "Roadster");
}

TEST_F(AltTest, PasteOverRankedCellsAsksAndNoUnranksEveryStoredCell) {
    Rank(2, {1, 2});
    prompts.clipboard = QStringLiteral("k");
    alts()->SetCurrentCell(2, 1);
    prompts.answers.push_back(Answer::Cancel);
    alts()->PasteCellsClick();
    EXPECT_EQ(prompts.LastText(),
              QStringLiteral("You may have changed at least one ranked consequence. Do you want "
                             "to keep their rankings?\nIf no, all cardinal rankings related to "
                             "them will be deleted!"));
    EXPECT_EQ(Cell(2, 1), "");
    EXPECT_EQ(model().Rank(2, 1), 1);
    EXPECT_NE(document().UndoLabel(), "Paste") << "a cancelled question leaves no step";
    EXPECT_FALSE(Changed());

    prompts.answers.push_back(Answer::No);
    alts()->PasteCellsClick();
    EXPECT_EQ(Cell(2, 1), "k");
    EXPECT_EQ(model().Rank(2, 1), 0);
    EXPECT_EQ(model().Rank(2, 2), 2);
}

TEST_F(AltTest, ClearCellsAsksOnlyForRankedCells) {
    Type(3, 1, QStringLiteral("roomy"));
    Type(3, 2, QStringLiteral("tight"));
    Type(2, 1, QStringLiteral("cheap"));
    Rank(2, {1, 2});

    // No ranked cell: no question, texts emptied.
    alts()->SelectCells(3, 1, 3, 2);
    alts()->AltGrid()->setFocus();
    QTest::keyClick(alts()->AltGrid(), Qt::Key_Delete);
    EXPECT_EQ(Cell(3, 1), "");
    EXPECT_EQ(Cell(3, 2), "");
    EXPECT_TRUE(Changed());

    // A ranked cell and Cancel: nothing emptied, no step, not changed.
    MarkSaved();
    alts()->SelectCells(2, 1, 2, 1);
    prompts.answers.push_back(Answer::Cancel);
    alts()->ClearCellsClick();
    EXPECT_EQ(Cell(2, 1), "cheap");
    EXPECT_FALSE(Changed());

    // No: emptied and unranked.
    prompts.answers.push_back(Answer::No);
    alts()->ClearCellsClick();
    EXPECT_EQ(Cell(2, 1), "");
    EXPECT_EQ(model().Rank(2, 1), 0);
}

TEST_F(AltTest, DelWhileEditingReachesTheTextNotTheCells) {
    Type(2, 1, QStringLiteral("abc"));
    MarkSaved();
    QTableView* grid = alts()->AltGrid();
    alts()->SetCurrentCell(2, 1);
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_F2);
    auto* editor = grid->findChild<QLineEdit*>(QStringLiteral("AltGridEditor"));
    ASSERT_NE(editor, nullptr);
    editor->setCursorPosition(0);
    QTest::keyClick(editor, Qt::Key_Delete);
    EXPECT_EQ(editor->text(), QStringLiteral("bc"));
    EXPECT_EQ(Cell(2, 1), "abc");
    EXPECT_FALSE(Changed());
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Cell(2, 1), "bc");
}

TEST_F(AltTest, DeleteAndDuplicateWorkOnTheCurrentRow) {
    Type(2, 2, QStringLiteral("x"));
    alts()->SetCurrentCell(2, 2);
    alts()->DuplicateAlternativeAction()->trigger();
    EXPECT_EQ(model().M(), 3);
    EXPECT_EQ(Cell(2, 3), "x");

    alts()->SetCurrentCell(2, 1);
    prompts.answers.push_back(Answer::Yes);
    alts()->DeleteAlternativeAction()->trigger();
    EXPECT_EQ(prompts.LastText(),
              QStringLiteral("Are you sure to delete alternative named 'Alternative 1'?"));
    EXPECT_EQ(prompts.messages.back().caption, QStringLiteral("Confirm Deletion"));
    EXPECT_EQ(model().M(), 2);
    EXPECT_EQ(model().AlternativeName(1), "Alternative 2");
}

} // namespace
} // namespace velor::ui::test
