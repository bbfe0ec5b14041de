// The What If window: reached from the Model and Windows menus and the toolbar, it proposes the
// statements that would make one alternative dominate another; adding one is one undoable step
// after which a calculation gives the promised dominance.
#include "views_fixture.h"

#include "calc/calculation_driver.h"
#include "ui/action_ids.h"
#include "ui/views/tornado_chart.h"
#include "ui/views/what_if_window.h"

#include <QComboBox>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QToolBar>

namespace velor::ui::test {
namespace {

using action_id::kWhatIf;

class WhatIfWindowTest : public ViewsTest {
protected:
    // Car > (Speed, Comfort); Arrow best on Speed, Bison on Comfort; Speed is the reference and
    // Comfort weighs at most 150 % of it. Neither dominates the other.
    void BuildMirrorModel() {
        root = AddNode(kNone, kGoal, QStringLiteral("Car"));
        speed = AddNode(root, kAttribute, QStringLiteral("Speed"));
        comfort = AddNode(root, kAttribute, QStringLiteral("Comfort"));
        alts()->NewAlternativeClick();
        alts()->NewAlternativeClick();
        Model& m = model();
        m.CommitCellText(1, 1, "Arrow", false);
        m.CommitCellText(1, 2, "Bison", false);
        const char* levels[2][2] = {{"fast", "slow"}, {"hard", "soft"}};
        for (int row = 1; row <= 2; ++row) {
            m.CommitCellText(m.ColumnOfNode(speed), row, levels[0][row - 1], false);
            m.CommitCellText(m.ColumnOfNode(comfort), row, levels[1][row - 1], false);
        }
        m.StoreRanking(speed, {1, 2}, {});
        m.StoreRanking(comfort, {2, 1}, {});
        m.SetTopDownWeights(false);
        m.StoreWeightBounds(
            false, {{speed, kReferenceWeight, kReferenceWeight}, {comfort, kNotGiven, 150.0}});
        m.RefreshAssessedStatus();
        MarkSaved();
    }
    std::uint8_t Code(int row, int other) {
        return window->GetModel().Alternative(row).Dominance.at(static_cast<std::size_t>(other));
    }

    NodeId speed = kNone;
};

TEST_F(WhatIfWindowTest, ReachedFromModelAndWindowsMenusAndToolbar) {
    QAction* action = window->Action(kWhatIf);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), QStringLiteral("What &If..."));
    QAction* windowsItem = window->Action(action_id::kWhatIfWindow);
    ASSERT_NE(windowsItem, nullptr);
    EXPECT_TRUE(action->isEnabled() && windowsItem->isEnabled());
    auto* modelMenu = window->menuBar()->findChild<QMenu*>(QStringLiteral("ModelMenu"));
    auto* windowsMenu = window->menuBar()->findChild<QMenu*>(QStringLiteral("WindowsMenu"));
    ASSERT_TRUE(modelMenu != nullptr && windowsMenu != nullptr);
    EXPECT_TRUE(modelMenu->actions().contains(action));
    EXPECT_TRUE(windowsMenu->actions().contains(windowsItem));
    windowsItem->trigger();
    ASSERT_NE(window->WhatIf(), nullptr);
    EXPECT_TRUE(window->WhatIf()->isVisible());
    EXPECT_NE(window->findChild<QWidget*>(QStringLiteral("Tool") + QString::fromLatin1(kWhatIf)),
              nullptr);
}

TEST_F(WhatIfWindowTest, AddingTheProposedStatementGivesThePromisedDominance) {
    BuildMirrorModel();
    window->Calculate(kCalculateModel);
    ASSERT_EQ(Code(1, 2), kNeither);
    window->Action(kWhatIf)->trigger();
    auto* whatIf = qobject_cast<WhatIfWindow*>(window->WhatIf());
    ASSERT_NE(whatIf, nullptr);
    EXPECT_TRUE(whatIf->isVisible());
    // The two best by Central Values: Arrow [0.4, 1] before Bison [0, 0.6].
    EXPECT_EQ(whatIf->BetterCombo()->currentText(), QStringLiteral("Arrow"));
    EXPECT_EQ(whatIf->ThanCombo()->currentText(), QStringLiteral("Bison"));

    QTest::mouseClick(whatIf->findChild<QPushButton*>(QStringLiteral("AnalyseButton")),
                      Qt::LeftButton);
    ASSERT_TRUE(whatIf->Result().has_value());
    const QString wanted = QStringLiteral("If the weight of Comfort were below 100 % of the weight "
                                          "of Speed (now at most 150 %), Arrow would dominate "
                                          "Bison.");
    const QList<QListWidgetItem*> items = whatIf->ChangeList()->findItems(wanted, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << whatIf->ChangeList()->item(0)->text().toStdString();
    whatIf->ChangeList()->setCurrentItem(items[0]);
    EXPECT_EQ(whatIf->Chart()->Bars().size(), 2u);

    const std::size_t steps = document().UndoCount();
    QTest::mouseClick(whatIf->AddStatementButton(), Qt::LeftButton);
    EXPECT_EQ(document().UndoCount(), steps + 1);
    EXPECT_EQ(document().UndoLabel(), "Add Statement");
    const double upper = window->GetModel().Node(comfort).BottomUpUpper;
    EXPECT_LT(upper, 100.0);
    EXPECT_GT(upper, 99.0);
    EXPECT_TRUE(document().ResultsOutOfDate());
    EXPECT_TRUE(whatIf->Banner()->isVisibleTo(whatIf));
    EXPECT_FALSE(whatIf->AddStatementButton()->isEnabled());

    window->Calculate(kCalculateModel);
    EXPECT_EQ(Code(1, 2), kDominates);
    EXPECT_EQ(Code(2, 1), kDominated);

    // Undo takes the statement back; the analysis belongs to the model again.
    window->UndoClick(); // the calculation
    window->UndoClick(); // the statement
    EXPECT_EQ(window->GetModel().Node(comfort).BottomUpUpper, 150.0);
    EXPECT_FALSE(whatIf->Banner()->isVisibleTo(whatIf));
}

TEST_F(WhatIfWindowTest, StabilityTabListsTheStatedBound) {
    BuildMirrorModel();
    window->Action(kWhatIf)->trigger();
    auto* whatIf = qobject_cast<WhatIfWindow*>(window->WhatIf());
    ASSERT_NE(whatIf, nullptr);
    whatIf->StabilityClick();
    const QTableWidget* table = whatIf->StabilityTable();
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->item(0, 0)->text(),
              QStringLiteral("The weight of Comfort is at most 150 % of the weight of Speed."));
    EXPECT_EQ(table->item(0, 1)->text(), QStringLiteral("150"));
    EXPECT_NEAR(QLocale().toDouble(table->item(0, 2)->text()), 100.0, 0.02);
    EXPECT_EQ(table->item(0, 3)->text(), QStringLiteral("open"));
}

} // namespace
} // namespace velor::ui::test
