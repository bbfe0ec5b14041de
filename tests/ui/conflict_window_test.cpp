// The window "Conflicting Statements" of the main window: offered with the message of an
// infeasible calculation, listing the statements in conflict, opening the assessment of one,
// and finding the next conflict once one is resolved.
#include "gui_fixture.h"

#include "calc/calculation_driver.h"
#include "ui/conflict_window.h"

#include <QListWidget>
#include <QPushButton>

#include <set>
#include <vector>

namespace velor::ui::test {
namespace {

class ConflictWindowTest : public GuiTest {
protected:
    // Car > (Price, Comfort), three cars. Both attributes carry weight (Price is the reference
    // of the bottom-up weights, Comfort weighs half to twice as much), and each holds two ratio
    // statements that contradict each other: two conflicts, Price's found first.
    void BuildInfeasibleModel() {
        root = AddNode(kNone, kGoal, QStringLiteral("Car"));
        price = AddNode(root, kAttribute, QStringLiteral("Price"));
        comfort = AddNode(root, kAttribute, QStringLiteral("Comfort"));
        for (int i = 0; i < 3; ++i) {
            alts()->NewAlternativeClick();
        }
        Model& m = model();
        const char* prices[] = {"650", "800", "900"};
        const char* comforts[] = {"high", "medium", "low"};
        for (int row = 1; row <= 3; ++row) {
            m.CommitCellText(m.ColumnOfNode(price), row, prices[row - 1], false);
            m.CommitCellText(m.ColumnOfNode(comfort), row, comforts[row - 1], false);
        }
        m.StoreRanking(price, {1, 2, 3}, Contradicting());
        m.StoreRanking(comfort, {1, 2, 3}, Contradicting());
        m.SetTopDownWeights(false);
        m.StoreWeightBounds(false, {{price, kReferenceWeight, kReferenceWeight},
                                    {comfort, 50.0, 200.0}});
        m.RefreshAssessedStatus();
        MarkSaved();
    }
    // The first difference is at least three times the second, and the second at least three
    // times the first.
    std::vector<TCardinalStatement> Contradicting() {
        const AltId a1 = model().AlternativeId(1), a2 = model().AlternativeId(2),
                    a3 = model().AlternativeId(3);
        return {{a1, a2, a2, a3, 3.0, kNotGiven}, {a2, a3, a1, a2, 3.0, kNotGiven}};
    }

    QStringList Listed() const {
        QStringList texts;
        QListWidget* list = window->Conflict()->StatementList();
        for (int i = 0; i < list->count(); ++i) {
            texts << list->item(i)->text();
        }
        return texts;
    }
    void DoubleClickRow(int row) {
        QListWidget* list = window->Conflict()->StatementList();
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    NodeId price = kNone, comfort = kNone;
};

TEST_F(ConflictWindowTest, InfeasibleCalculationOffersTheConflictAndListsIt) {
    BuildInfeasibleModel();
    const Model before = window->GetModel();
    const std::size_t steps = document().UndoCount();
    prompts.answers.push_back(Answer::Action);
    window->Calculate(kCalculateModel);

    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, QString::fromLatin1(kInfeasibleMessage))
        << "the message keeps its text";
    EXPECT_EQ(prompts.messages[0].action, kShowConflictLabel);
    ConflictWindow* conflict = window->Conflict();
    ASSERT_NE(conflict, nullptr);
    EXPECT_TRUE(conflict->isVisible());
    EXPECT_FALSE(conflict->isModal()) << "a window beside the others";
    EXPECT_EQ(conflict->windowTitle(), QStringLiteral("Conflicting Statements"));
    EXPECT_EQ(conflict->ExplanationLabel()->text(), kConflictExplanation);
    EXPECT_EQ(Listed(),
              (QStringList{QStringLiteral("On Price, the increase in value from 800 to 650 is at "
                                          "least 3 times the increase from 900 to 800."),
                           QStringLiteral("On Price, the increase in value from 900 to 800 is at "
                                          "least 3 times the increase from 800 to 650."),
                           QStringLiteral(
                               "The weight of Comfort is at most 200 % of the weight of Price.")}));
    EXPECT_TRUE(window->GetModel() == before) << "showing the conflict changes nothing";
    EXPECT_FALSE(Changed());
    EXPECT_EQ(document().UndoCount(), steps);
}

TEST_F(ConflictWindowTest, OkOnTheMessageOpensNothing) {
    BuildInfeasibleModel();
    window->Calculate(kCalculateModel);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].action, kShowConflictLabel);
    EXPECT_TRUE(window->Conflict() == nullptr || !window->Conflict()->isVisible());
}

// Every other outcome of a calculation says what it says without the button.
TEST_F(ConflictWindowTest, FeasibleCalculationOffersNoConflict) {
    BuildSmallModel();
    window->Calculate(kCalculateModel);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, QString::fromLatin1(kCompleteMessage));
    EXPECT_TRUE(prompts.messages[0].action.isEmpty());
    EXPECT_EQ(window->Conflict(), nullptr);
}

TEST_F(ConflictWindowTest, ActivatingAStatementOpensItsAssessment) {
    BuildInfeasibleModel();
    std::vector<AssessmentTarget> opened;
    window->SetAssessmentOpener([&opened](const AssessmentTarget& target) {
        opened.push_back(target);
    });
    window->ShowConflict();
    // Two ratio statements of Price, made in its score assessment, and a bound of Comfort's
    // weight, made in the weight assessment of all attributes.
    const std::vector<AssessmentTarget> expected{{AssessmentTarget::Dialog::Score, price},
                                                 {AssessmentTarget::Dialog::Score, price},
                                                 {AssessmentTarget::Dialog::Weight, kNone}};
    ASSERT_EQ(window->Conflict()->Statements().size(), expected.size());
    for (int row = 0; row < static_cast<int>(expected.size()); ++row) {
        if (row % 2 == 0) {
            DoubleClickRow(row);
        } else {
            window->Conflict()->StatementList()->setCurrentRow(row);
            QTest::keyClick(window->Conflict()->StatementList(), Qt::Key_Return);
        }
    }
    EXPECT_EQ(opened, expected);
    EXPECT_TRUE(window->Conflict()->isVisible());
    EXPECT_FALSE(Changed()) << "the window itself writes nothing";
}

// Once a conflict is resolved in the assessment opened from the window, the window shows the
// next one, and no conflict once none is left.
TEST_F(ConflictWindowTest, ResolvingAConflictShowsTheNextOne) {
    BuildInfeasibleModel();
    window->SetAssessmentOpener([this](const AssessmentTarget& target) {
        // What OK of the score assessment would apply: the node's statements without the
        // second one.
        ASSERT_EQ(target.Kind, AssessmentTarget::Dialog::Score);
        document().Apply("Score Assessment", [&target](Model& m) {
            m.PreferenceData(target.Node)->Statements.resize(1);
        });
    });
    const std::size_t steps = document().UndoCount();
    window->ShowConflict();
    const auto ratioNodes = [this] {
        std::set<NodeId> nodes;
        for (const ConflictStatement& statement : window->Conflict()->Statements()) {
            if (statement.Kind == ConflictKind::RatioBound) {
                nodes.insert(statement.Node);
            }
        }
        return nodes;
    };
    EXPECT_EQ(ratioNodes(), std::set<NodeId>{price});
    DoubleClickRow(0);
    EXPECT_EQ(ratioNodes(), std::set<NodeId>{comfort}) << "a different conflict";
    EXPECT_EQ(window->Conflict()->ExplanationLabel()->text(), kConflictExplanation);

    DoubleClickRow(0);
    EXPECT_TRUE(window->Conflict()->Statements().empty());
    EXPECT_EQ(window->Conflict()->ExplanationLabel()->text(), kNoConflictText);
    EXPECT_FALSE(window->Conflict()->findChild<QPushButton*>(QStringLiteral("OpenButton"))
                     ->isEnabled());
    EXPECT_EQ(document().UndoCount(), steps + 2) << "each change one step of the document";
}

TEST_F(ConflictWindowTest, ANewModelClosesTheWindow) {
    BuildInfeasibleModel();
    window->ShowConflict();
    ASSERT_TRUE(window->Conflict()->isVisible());
    window->NewClick();
    EXPECT_FALSE(window->Conflict()->isVisible());
}

} // namespace
} // namespace velor::ui::test
