// The Value Intervals view on the calculated car example: selector, bars, labels, marks, titles
// and axes, the normalization switch and the selection rules of the selector.
#include "views_fixture.h"

#include "model/number_format.h"

#include <QLocale>

namespace velor::ui::test {
namespace {

QString Mark(double lo, double hi) {
    return QString::fromStdString(FormatInterval(lo, hi));
}

TEST_F(ViewsTest, ValueIntervalsShowsEveryAlternativeOfTheChosenNode) {
    OpenExample("car.vlr");
    ValueIntervalsView* view = ShowValueIntervals();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->windowTitle(), QStringLiteral("Value Intervals"));
    EXPECT_EQ(view->objectName(), QStringLiteral("ValIntForm"));

    auto* combo = view->findChild<QComboBox*>(QStringLiteral("ValIntCombo"));
    ASSERT_EQ(combo, view->Combo());
    EXPECT_EQ(ComboItems(combo), NodeNames(model(), model().PreOrder()));
    EXPECT_EQ(combo->currentIndex(), 0);

    const IntervalChart* chart = view->Chart();
    EXPECT_EQ(chart->Title(), QStringLiteral("Value Intervals: Choose a car"));
    EXPECT_EQ(chart->ValueAxisTitle(), QStringLiteral("Value"));
    EXPECT_EQ(chart->CategoryAxisTitle(), QStringLiteral("Alternatives"));
    EXPECT_EQ(chart->AxisMinimum(), 0.0);
    EXPECT_EQ(IntervalChart::kLabelIncrement, 0.05);
    EXPECT_EQ(IntervalChart::kMinorTicks, 9);

    // The example stores plain intervals in use: the main goal's, alternative by alternative.
    ASSERT_FALSE(model().NormalizedIntervals());
    const auto& bars = chart->Bars();
    ASSERT_EQ(bars.size(), 5u);
    EXPECT_EQ(bars[0].label, QStringLiteral("Compact hatchback"));
    EXPECT_EQ(bars[0].mark, QStringLiteral("0.356 ... 0.765"));
    EXPECT_EQ(bars[1].label, QStringLiteral("Family estate"));
    EXPECT_EQ(bars[1].mark, QStringLiteral("0.237 ... 1"));
    const TNodeData& rootData = model().Node(model().Root());
    for (int r = 1; r <= 5; ++r) {
        const auto& bar = bars[static_cast<std::size_t>(r - 1)];
        EXPECT_EQ(bar.label, QString::fromStdString(model().AlternativeName(r)));
        EXPECT_EQ(bar.position, 5 - r) << "first alternative at the top";
        EXPECT_EQ(bar.lower, rootData.Values[r - 1].Lower);
        EXPECT_EQ(bar.upper, rootData.Values[r - 1].Upper);
    }
    EXPECT_DOUBLE_EQ(chart->AxisMaximum(), 1.0);

    // The drawing puts the first alternative at the top.
    const ChartLayout layout = chart->CurrentLayout();
    ASSERT_EQ(layout.rows.size(), 5u);
    for (std::size_t i = 1; i < layout.rows.size(); ++i) {
        EXPECT_LT(layout.rows[i - 1].bar.center().y(), layout.rows[i].bar.center().y());
    }

    // Choosing another node redraws for it.
    combo->setCurrentIndex(2);
    const NodeId price = model().NodeAt(2);
    EXPECT_EQ(chart->Title(), QStringLiteral("Value Intervals: Purchase price"));
    const auto& v = model().Node(price).Values;
    EXPECT_EQ(chart->Bars()[2].mark, Mark(v[2].Lower, v[2].Upper));
}

TEST_F(ViewsTest, NormalizationSwitchRedrawsFromTheOtherStoredFieldsWithoutCalculating) {
    OpenExample("car.vlr");
    ValueIntervalsView* intervals = ShowValueIntervals();
    WeightsView* weights = ShowWeights();
    intervals->Combo()->setCurrentIndex(1);
    weights->Combo()->setCurrentIndex(1);
    const NodeId costs = model().NodeAt(1);
    const Model before = model();

    window->NormalizedIntervalsClick();
    ASSERT_TRUE(model().NormalizedIntervals());
    const auto& values = model().Node(costs).Values;
    for (int r = 1; r <= model().M(); ++r) {
        const auto& bar = intervals->Chart()->Bars()[static_cast<std::size_t>(r - 1)];
        EXPECT_EQ(bar.lower, values[r - 1].NormLower);
        EXPECT_EQ(bar.upper, values[r - 1].NormUpper);
        EXPECT_EQ(bar.mark, Mark(values[r - 1].NormLower, values[r - 1].NormUpper));
    }
    const auto& children = model().Children(costs);
    ASSERT_EQ(weights->Chart()->Bars().size(), children.size());
    for (std::size_t i = 0; i < children.size(); ++i) {
        const TNodeData& child = model().Node(children[i]);
        EXPECT_EQ(weights->Chart()->Bars()[i].lower, child.NormWeightLower);
        EXPECT_EQ(weights->Chart()->Bars()[i].upper, child.NormWeightUpper);
    }
    // Nothing was recalculated: every stored result is as it was.
    for (NodeId n : model().PreOrder()) {
        EXPECT_EQ(model().Node(n).Values, before.Node(n).Values);
    }
    EXPECT_TRUE(prompts.messages.empty());

    window->NormalizedIntervalsClick();
    EXPECT_EQ(intervals->Chart()->Bars()[0].mark, Mark(values[0].Lower, values[0].Upper));
    EXPECT_EQ(intervals->Combo()->currentIndex(), 1) << "the choice survives the toggle";
}

TEST_F(ViewsTest, SelectorRefillKeepsOrChoosesAnIndex) {
    OpenExample("car.vlr");
    ValueIntervalsView* view = ShowValueIntervals();
    view->Combo()->setCurrentIndex(4);
    view->RefillCombo();
    EXPECT_EQ(view->Combo()->currentIndex(), 4);
    view->RefillCombo(3);
    EXPECT_EQ(view->Combo()->currentIndex(), 3);
    view->RefillCombo(99);
    EXPECT_EQ(view->Combo()->currentIndex(), 0) << "an invalid index selects item 0";
    EXPECT_EQ(view->Chart()->Title(), QStringLiteral("Value Intervals: Choose a car"));

    // Nothing chosen: an empty chart without a title.
    view->Combo()->setCurrentIndex(-1);
    view->Rebuild();
    EXPECT_TRUE(view->Chart()->Title().isEmpty());
    EXPECT_TRUE(view->Chart()->Bars().empty());
}

TEST_F(ViewsTest, NodeWithoutResultsShowsNoFigures) {
    BuildSmallModel();
    ValueIntervalsView* view = ShowValueIntervals();
    ASSERT_EQ(view->Chart()->Bars().size(), 2u);
    // Neither the plain defaults [0, 0] nor the normalized [0, 1] are results.
    EXPECT_EQ(view->Chart()->Bars()[0].mark, QStringLiteral("not calculated"));
    EXPECT_EQ(view->Chart()->Bars()[0].label, QStringLiteral("Alternative 1"));
    window->NormalizedIntervalsClick();
    EXPECT_EQ(view->Chart()->Bars()[1].mark, QStringLiteral("not calculated"));
    EXPECT_DOUBLE_EQ(view->Chart()->AxisMaximum(), 1.0);
}

TEST_F(ViewsTest, MarksAndTickLabelsUseTheLocaleSeparator) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    OpenExample("car.vlr");
    ValueIntervalsView* view = ShowValueIntervals();
    EXPECT_EQ(view->Chart()->Bars()[0].mark, QStringLiteral("0,356 ... 0,765"));
    ResizeWindow(view, 1100, 500);
    const ChartLayout layout = view->Chart()->CurrentLayout();
    ASSERT_GE(layout.labels.size(), 2u);
    EXPECT_EQ(layout.labels[1].text, QStringLiteral("0,05"));
    QLocale::setDefault(previous);
}

} // namespace
} // namespace velor::ui::test
