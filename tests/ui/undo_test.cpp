// Undo and redo from the keyboard: every kind of edit in the editors and the main window's
// commands is taken back by Ctrl+Z and done again by Ctrl+Shift+Z or Ctrl+Y, and the Edit menu
// names the step.
#include "gui_fixture.h"
#include "model/model_file.h"

#include <QApplication>
#include <QCloseEvent>
#include <QStatusBar>

#include <functional>

namespace velor::ui::test {
namespace {

class UndoEveryEdit;

struct UndoCase {
    const char* name;
    const char* label; // what the Edit menu calls the step
    // Makes the edit on the fixture's small model, answering its questions by script.
    std::function<void(UndoEveryEdit&)> edit;
};

class UndoEveryEdit : public GuiTest, public ::testing::WithParamInterface<UndoCase> {
public:
    ScriptedPrompts& Prompts() { return prompts; }
    MainWindow* Window() { return window.get(); }
    TreeEditor* Tree() { return tree(); }
    AlternativesEditor* Alts() { return alts(); }
    NodeId Root() const { return root; }
    NodeId Price() const { return price; }
    NodeId Comfort() const { return comfort; }
    // A tree command on a node, the way the context menu runs it.
    void TreeCommand(NodeId node, QAction* action) {
        tree()->SelectNode(node);
        TreeMenu(action);
    }

protected:
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(window.get(), key, modifiers);
    }
};

TEST_P(UndoEveryEdit, CtrlZTakesItBackAndCtrlShiftZOrCtrlYDoesItAgain) {
    BuildSmallModel();
    MarkSaved();
    const Model before = model();
    GetParam().edit(*this);
    const Model after = model();
    ASSERT_NE(after, before) << "the edit changed nothing";
    EXPECT_TRUE(Changed());
    EXPECT_EQ(window->Action(QStringLiteral("Undo1"))->text(),
              QStringLiteral("&Undo ") + QString::fromLatin1(GetParam().label));

    window->activateWindow();
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(model(), before);
    EXPECT_FALSE(Changed()) << "back at the saved state";
    EXPECT_EQ(Panel(4), QStringLiteral("No changes"));
    EXPECT_EQ(window->Action(QStringLiteral("Redo1"))->text(),
              QStringLiteral("&Redo ") + QString::fromLatin1(GetParam().label));
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(model(), after);
    Key(Qt::Key_Z, Qt::ControlModifier);
    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(model(), after);
    EXPECT_TRUE(Changed());

    // Undone back to the saved state, closing asks nothing.
    Key(Qt::Key_Z, Qt::ControlModifier);
    QCloseEvent event;
    QCoreApplication::sendEvent(window.get(), &event);
    EXPECT_TRUE(event.isAccepted());
}

INSTANTIATE_TEST_SUITE_P(
    EditorsAndCommands, UndoEveryEdit,
    ::testing::Values(UndoCase{"NewAttribute", "New Attribute",
                               [](UndoEveryEdit& t) {
                                   t.Prompts().textAnswers.push_back(QStringLiteral("Safety"));
                                   t.TreeCommand(t.Root(), t.Tree()->NewAttributeAction());
                               }},
                      UndoCase{"RenameNode", "Rename Node",
                               [](UndoEveryEdit& t) {
                                   t.Prompts().textAnswers.push_back(QStringLiteral("Cost"));
                                   t.TreeCommand(t.Price(), t.Tree()->RenameAction());
                               }},
                      UndoCase{"DeleteGoal", "Delete Goal",
                               [](UndoEveryEdit& t) {
                                   t.Prompts().answers.push_back(Answer::Yes);
                                   t.TreeCommand(t.Comfort(), t.Tree()->DeleteAction());
                               }},
                      UndoCase{"ConvertNode", "Convert Node",
                               [](UndoEveryEdit& t) {
                                   t.Prompts().answers.push_back(Answer::Yes);
                                   t.TreeCommand(t.Price(), t.Tree()->ConvertAction());
                               }},
                      UndoCase{"DropNode", "Move Node",
                               [](UndoEveryEdit& t) {
                                   t.Prompts().answers.push_back(Answer::Yes);
                                   t.Tree()->DropNode(t.Price(), t.Comfort());
                               }},
                      UndoCase{"NewAlternative", "New Alternative",
                               [](UndoEveryEdit& t) { t.Alts()->NewAlternativeClick(); }},
                      UndoCase{"DuplicateAlternative", "Duplicate Alternative",
                               [](UndoEveryEdit& t) {
                                   t.Alts()->SetCurrentCell(1, 2);
                                   t.Alts()->DuplicateAlternativeClick();
                               }},
                      UndoCase{"DeleteAlternative", "Delete Alternative",
                               [](UndoEveryEdit& t) {
                                   t.Prompts().answers.push_back(Answer::Yes);
                                   t.Alts()->SetCurrentCell(1, 1);
                                   t.Alts()->DeleteAlternativeClick();
                               }},
                      UndoCase{"Paste", "Paste",
                               [](UndoEveryEdit& t) {
                                   t.Prompts().clipboard =
                                       QStringLiteral("cheap\tsmall\ndear\tlarge");
                                   t.Alts()->SetCurrentCell(2, 1);
                                   t.Alts()->PasteCellsClick();
                               }},
                      UndoCase{"ClearValueTree", "Clear Value Tree",
                               [](UndoEveryEdit& t) {
                                   t.Prompts().answers.push_back(Answer::Yes);
                                   t.Window()->ClearValueTreeClick();
                               }},
                      UndoCase{"ClearAlternatives", "Clear Alternatives",
                               [](UndoEveryEdit& t) {
                                   t.Prompts().answers.push_back(Answer::Yes);
                                   t.Window()->ClearAlternativesClick();
                               }},
                      UndoCase{"TopDownWeights", "Top Down Weights",
                               [](UndoEveryEdit& t) { t.Window()->TopDownWeightsClick(); }}),
    [](const ::testing::TestParamInfo<UndoCase>& info) { return std::string(info.param.name); });

// Typing goes through the grid's in-place editor; Ctrl+Z inside the editor belongs to the text,
// after the commit to the model.
TEST_F(GuiTest, TypingIsOneStepAndACalculationAnother) {
    ASSERT_TRUE(window->OpenFile(QStringLiteral(VELOR_EXAMPLES_DIR "/car.vlr")));
    const Model loaded = model();
    ASSERT_FALSE(document().ResultsOutOfDate());
    EXPECT_FALSE(window->Action(QStringLiteral("Undo1"))->isEnabled());

    document().Apply("Typing", [](Model& m) { m.CommitCellText(2, 1, "9999 EUR", false); });
    EXPECT_TRUE(document().ResultsOutOfDate());
    EXPECT_TRUE(
        window->findChild<QLabel*>(QStringLiteral("OutOfDatePanel"))->isVisibleTo(window.get()));
    const Model typed = model();
    window->Calculate(kCalculateModel);
    EXPECT_EQ(prompts.LastText(), QStringLiteral("Calculation complete"));
    EXPECT_FALSE(document().ResultsOutOfDate());
    EXPECT_FALSE(
        window->findChild<QLabel*>(QStringLiteral("OutOfDatePanel"))->isVisibleTo(window.get()));
    EXPECT_EQ(window->Action(QStringLiteral("Undo1"))->text(),
              QStringLiteral("&Undo Calculate Model"));

    // Undoing the calculation brings back the results of the model as it was before it.
    window->UndoClick();
    EXPECT_EQ(model(), typed);
    EXPECT_TRUE(document().ResultsOutOfDate());
    window->UndoClick();
    EXPECT_EQ(model(), loaded);
    EXPECT_FALSE(document().ResultsOutOfDate());
    EXPECT_FALSE(Changed());
}

// A calculation with an unranked level warns beside its results; a save after the next edit
// writes the results as not calculated, and says so.
TEST_F(GuiTest, WarningsFollowTheResultsAndStaleResultsAreNotSaved) {
    ASSERT_TRUE(window->OpenFile(QStringLiteral(VELOR_EXAMPLES_DIR "/car.vlr")));
    auto* warning = window->findChild<QLabel*>(QStringLiteral("WarningPanel"));
    ASSERT_NE(warning, nullptr);
    const int column = model().ColumnOfNode(model().Attributes().front());
    document().Apply("Typing",
                     [column](Model& m) { m.CommitCellText(column, 1, "9999 EUR", false); });
    window->Calculate(kCalculateModel);
    EXPECT_TRUE(warning->isVisibleTo(window.get()));
    EXPECT_TRUE(warning->text().startsWith(QStringLiteral("Warning: Not every attribute is ranked: ")))
        << warning->text().toStdString();

    document().Apply("Typing",
                     [column](Model& m) { m.CommitCellText(column, 2, "1 EUR", false); });
    prompts.fileAnswers.push_back(FilePath(QStringLiteral("stale.vlr")));
    ASSERT_TRUE(window->SaveAsClick());
    EXPECT_TRUE(window->statusBar()->currentMessage().contains(QStringLiteral("not calculated")));
    Model saved;
    ASSERT_TRUE(LoadModelFile(saved, FilePath(QStringLiteral("stale.vlr")).toStdString()));
    EXPECT_EQ(saved.Calculated(), CalculatedResults{});
    EXPECT_TRUE(document().ResultsOutOfDate()); // the window still shows the old results
}

} // namespace
} // namespace velor::ui::test
