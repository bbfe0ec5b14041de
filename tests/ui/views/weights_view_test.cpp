// The Weights view: goals in the selector, one bar per child in child order, titles and axes.
#include "views_fixture.h"

namespace velor::ui::test {
namespace {

TEST_F(ViewsTest, WeightsShowsTheChildrenOfTheChosenGoal) {
    OpenExample("car.vlr");
    WeightsView* view = ShowWeights();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->windowTitle(), QStringLiteral("Weights"));
    auto* combo = view->findChild<QComboBox*>(QStringLiteral("WeightsCombo"));
    ASSERT_EQ(combo, view->Combo());
    EXPECT_EQ(ComboItems(combo), NodeNames(model(), model().Goals()));
    EXPECT_EQ(ComboItems(combo).first(), QStringLiteral("Choose a car"));
    EXPECT_EQ(combo->currentIndex(), 0);

    const IntervalChart* chart = view->Chart();
    EXPECT_EQ(chart->Title(), QStringLiteral("Weights: Choose a car"));
    EXPECT_EQ(chart->ValueAxisTitle(), QStringLiteral("Weight"));
    EXPECT_EQ(chart->CategoryAxisTitle(), QStringLiteral("Node"));
    const auto& children = model().Children(model().Root());
    ASSERT_EQ(chart->Bars().size(), children.size());
    EXPECT_EQ(chart->Bars()[0].label, QStringLiteral("Costs"));
    EXPECT_EQ(chart->Bars()[0].mark, QStringLiteral("0.39 ... 0.676"));
    for (std::size_t i = 0; i < children.size(); ++i) {
        const TNodeData& child = model().Node(children[i]);
        EXPECT_EQ(chart->Bars()[i].label, QString::fromStdString(child.Name));
        EXPECT_EQ(chart->Bars()[i].lower, child.WeightLower);
        EXPECT_EQ(chart->Bars()[i].upper, child.WeightUpper);
        EXPECT_EQ(chart->Bars()[i].position, -static_cast<double>(i));
    }

    combo->setCurrentIndex(1);
    EXPECT_EQ(chart->Title(), QStringLiteral("Weights: Costs"));
    EXPECT_EQ(chart->Bars().size(), model().Children(model().NodeAt(1)).size());
}

TEST_F(ViewsTest, GoalWithoutChildrenGivesAnEmptyTitledChart) {
    BuildSmallModel();
    const NodeId empty = AddNode(root, kGoal, QStringLiteral("Empty goal"));
    WeightsView* view = ShowWeights();
    view->Combo()->setCurrentIndex(view->Combo()->findText(QStringLiteral("Empty goal")));
    ASSERT_EQ(view->Combo()->currentText(), QStringLiteral("Empty goal"));
    EXPECT_EQ(view->Chart()->Title(), QStringLiteral("Weights: Empty goal"));
    EXPECT_TRUE(view->Chart()->Bars().empty());
    EXPECT_NE(empty, kNone);
    // An empty chart still draws its axis from 0 to 1.
    EXPECT_DOUBLE_EQ(view->Chart()->AxisMaximum(), 1.0);
    EXPECT_FALSE(view->Chart()->CurrentLayout().labels.empty());
}

TEST_F(ViewsTest, EmptyTreeLeavesBothChartsEmpty) {
    WeightsView* weights = ShowWeights();
    ValueIntervalsView* intervals = ShowValueIntervals();
    EXPECT_EQ(weights->Combo()->count(), 0);
    EXPECT_EQ(intervals->Combo()->currentIndex(), -1);
    EXPECT_TRUE(weights->Chart()->Title().isEmpty());
    EXPECT_TRUE(intervals->Chart()->Bars().empty());
}

} // namespace
} // namespace velor::ui::test
