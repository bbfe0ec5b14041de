// The window "Conflicting Statements" of the main window: offered with the message of an
// infeasible calculation only, listing the statements in conflict, opening the assessment of one
// and showing the next conflict once one is resolved.
#include "gui_fixture.h"

#include "calc/calculation_driver.h"
#include "ui/action_ids.h"
#include "ui/conflict_window.h"
#include "ui/progress_dialog.h"

#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <set>
#include <vector>

namespace velor::ui::test {
namespace {

class ConflictWindowTest : public GuiTest {
protected:
    // Car > (Price, Comfort), three cars. Both attributes must carry weight (Price is the
    // reference, Comfort weighs half to twice as much) and each holds two ratio statements that
    // contradict each other: two conflicts, Price's found first.
    void BuildInfeasibleModel(double factor = 3.0) {
        root = AddNode(kNone, kGoal, QStringLiteral("Car"));
        price = AddNode(root, kAttribute, QStringLiteral("Price"));
        comfort = AddNode(root, kAttribute, QStringLiteral("Comfort"));
        for (int i = 0; i < 3; ++i) {
            alts()->NewAlternativeClick();
        }
        Model& m = model();
        const AltId a1 = m.AlternativeId(1), a2 = m.AlternativeId(2), a3 = m.AlternativeId(3);
        const std::vector<TCardinalStatement> contradicting{{a1, a2, a2, a3, factor, kNotGiven},
                                                            {a2, a3, a1, a2, factor, kNotGiven}};
        const char* levels[2][3] = {{"650", "800", "900"}, {"high", "medium", "low"}};
        for (int row = 1; row <= 3; ++row) {
            m.CommitCellText(m.ColumnOfNode(price), row, levels[0][row - 1], false);
            m.CommitCellText(m.ColumnOfNode(comfort), row, levels[1][row - 1], false);
        }
        m.StoreRanking(price, {1, 2, 3}, contradicting);
        m.StoreRanking(comfort, {1, 2, 3}, contradicting);
        m.SetTopDownWeights(false);
        m.StoreWeightBounds(false,
                            {{price, kReferenceWeight, kReferenceWeight}, {comfort, 50.0, 200.0}});
        m.RefreshAssessedStatus();
        MarkSaved();
    }
    void DoubleClickRow(int row) {
        QListWidget* list = window->Conflict()->StatementList();
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }
    std::set<NodeId> RatioNodes() const {
        std::set<NodeId> nodes;
        for (const ConflictStatement& statement : window->Conflict()->Statements()) {
            if (statement.Kind == ConflictKind::RatioBound) {
                nodes.insert(statement.Node);
            }
        }
        return nodes;
    }

    NodeId price = kNone, comfort = kNone;
};

class InfeasibleCalculationTest : public ConflictWindowTest,
                                  public ::testing::WithParamInterface<CalculationType> {};

TEST_P(InfeasibleCalculationTest, MessageOffersTheConflictWhichChangesNothing) {
    BuildInfeasibleModel();
    const Model before = window->GetModel();
    const std::size_t steps = document().UndoCount();
    prompts.answers.push_back(Answer::Action);
    window->Calculate(GetParam());

    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, QString::fromLatin1(kInfeasibleMessage));
    EXPECT_EQ(prompts.messages[0].action, QStringLiteral("Show Conflict..."));
    ConflictWindow* conflict = window->Conflict();
    ASSERT_NE(conflict, nullptr);
    EXPECT_TRUE(conflict->isVisible() && !conflict->isModal());
    EXPECT_EQ(conflict->windowTitle(), QStringLiteral("Conflicting Statements"));
    QStringList listed;
    for (int i = 0; i < conflict->StatementList()->count(); ++i) {
        listed << conflict->StatementList()->item(i)->text();
    }
    EXPECT_EQ(listed,
              (QStringList{QStringLiteral("On Price, the increase in value from 800 to 650 is at "
                                          "least 3 times the increase from 900 to 800."),
                           QStringLiteral("On Price, the increase in value from 900 to 800 is at "
                                          "least 3 times the increase from 800 to 650."),
                           QStringLiteral(
                               "The weight of Comfort is at most 200 % of the weight of Price.")}));
    EXPECT_TRUE(window->GetModel() == before);
    EXPECT_FALSE(Changed());
    EXPECT_EQ(document().UndoCount(), steps);
}

INSTANTIATE_TEST_SUITE_P(Types, InfeasibleCalculationTest,
                         ::testing::Values(kCalculateModel, kCalculatePartially, kWeights));

TEST_F(ConflictWindowTest, OtherMessagesOfferNoConflict) {
    BuildSmallModel();
    window->Calculate(kCalculateModel);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, QString::fromLatin1(kCompleteMessage));
    EXPECT_TRUE(prompts.messages[0].action.isEmpty());
    EXPECT_EQ(window->Conflict(), nullptr);
}

// Double-click and Enter open the assessment of the statement's node; the window writes nothing.
TEST_F(ConflictWindowTest, ActivatingAStatementOpensItsAssessment) {
    BuildInfeasibleModel();
    std::vector<AssessmentTarget> opened;
    window->SetAssessmentOpener(
        [&opened](const AssessmentTarget& target) { opened.push_back(target); });
    window->ShowConflict();
    DoubleClickRow(0);
    window->Conflict()->StatementList()->setCurrentRow(2);
    QTest::keyClick(window->Conflict()->StatementList(), Qt::Key_Return);
    const std::vector<AssessmentTarget> expected{{AssessmentTarget::Dialog::Score, price},
                                                 {AssessmentTarget::Dialog::Weight, kNone}};
    EXPECT_EQ(opened, expected);
    EXPECT_FALSE(Changed());
}

// Model > Explain Conflict... searches in the progress dialog, whose Cancel stops the search.
TEST_F(ConflictWindowTest, ExplainConflictCommandSearchesWithCancel) {
    BuildInfeasibleModel();
    QAction* explain = window->Action(action_id::kExplainConflict);
    ASSERT_NE(explain, nullptr);
    explain->trigger();
    ASSERT_NE(window->Conflict(), nullptr);
    EXPECT_TRUE(window->Conflict()->isVisible());
    EXPECT_EQ(RatioNodes(), std::set<NodeId>{price});
    window->Conflict()->hide();

    QTimer::singleShot(0, [this] { window->Progress()->CancelButton()->click(); });
    explain->trigger();
    EXPECT_TRUE(window->Conflict()->Statements().empty());
    EXPECT_EQ(window->Conflict()->ExplanationLabel()->text(),
              QStringLiteral("The search for conflicting statements was stopped."));
    EXPECT_FALSE(Changed());
}

// A statement opens its assessment where it is made: a weight statement on the row of the node
// it weighs, a ratio statement on its own row.
TEST_F(ConflictWindowTest, AStatementLandsOnItsRow) {
    BuildInfeasibleModel();
    std::vector<AssessmentTarget> opened;
    window->SetAssessmentOpener(
        [&opened](const AssessmentTarget& target) { opened.push_back(target); });
    window->ShowConflict();
    DoubleClickRow(2);
    DoubleClickRow(1);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].Kind, AssessmentTarget::Dialog::Weight);
    EXPECT_EQ(opened[0].CurrentNode, comfort);
    EXPECT_EQ(opened[1].Kind, AssessmentTarget::Dialog::Score);
    EXPECT_EQ(opened[1].CurrentStatement, 1);
}

TEST_F(ConflictWindowTest, ResolvingAConflictShowsTheNextOne) {
    BuildInfeasibleModel();
    // What OK in the score assessment would apply: the node without its second statement.
    window->SetAssessmentOpener([this](const AssessmentTarget& target) {
        document().Apply("Score Assessment", [&target](Model& m) {
            m.PreferenceData(target.Node)->Statements.resize(1);
        });
    });
    window->ShowConflict();
    EXPECT_EQ(RatioNodes(), std::set<NodeId>{price});
    DoubleClickRow(0);
    EXPECT_EQ(RatioNodes(), std::set<NodeId>{comfort});
    DoubleClickRow(0);
    EXPECT_TRUE(window->Conflict()->Statements().empty());
    EXPECT_EQ(window->Conflict()->ExplanationLabel()->text(), kNoConflictText);
}

// The list follows changes made elsewhere, Undo among them.
TEST_F(ConflictWindowTest, TheListFollowsEditsAndUndo) {
    BuildInfeasibleModel();
    window->ShowConflict();
    document().Apply("Clear Preferences", [](Model& m) { m.ClearPreferences(); });
    EXPECT_TRUE(QTest::qWaitFor([this] { return window->Conflict()->Statements().empty(); }));
    document().Undo();
    EXPECT_TRUE(QTest::qWaitFor([this] { return RatioNodes() == std::set<NodeId>{price}; }));
}

TEST_F(ConflictWindowTest, NumbersTakeTheLocalesDecimalSeparator) {
    BuildInfeasibleModel(2.5);
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    window->ShowConflict();
    QLocale::setDefault(before);
    EXPECT_EQ(window->Conflict()->StatementList()->item(0)->text(),
              QStringLiteral("On Price, the increase in value from 800 to 650 is at least 2,5 "
                             "times the increase from 900 to 800."));
}

} // namespace
} // namespace velor::ui::test
