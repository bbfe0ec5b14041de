// How the chart lays itself out: with many alternatives and long names nothing overlaps and
// no label is cut; tick labels never touch; a window smaller than the chart needs scrolls
// instead of squeezing it.
#include "views_fixture.h"

#include <QScrollArea>

#include <limits>

namespace velor::ui::test {
namespace {

// Twenty alternatives, some with very long names, under a root with one attribute.
void BuildCrowdedModel(Model& model) {
    const NodeId root = model.AddNode(kGoal, kNone);
    model.RenameNode(root, "Where to build the new regional distribution centre");
    model.AddNode(kAttribute, root);
    for (int i = 1; i <= 20; ++i) {
        const int row = model.NewAlternative();
        std::string name = "Site " + std::to_string(i);
        if (i % 3 == 0) {
            name += " next to the motorway junction with rail access and room to grow";
        }
        if (i == 7) {
            name = "Averyveryverylongsinglewordsitenamewithoutanyspacesatalltowraponto";
        }
        model.CommitCellText(1, row, name, true);
        TNodeValue& v =
            ResultRecords(model).NodeData(root).Values[static_cast<std::size_t>(row - 1)];
        v.Lower = 0.02 * i;
        v.Upper = 0.3 + 0.03 * i;
    }
    model.Notify(ModelChange::Results);
}

bool Overlap(const QRectF& a, const QRectF& b) {
    return a.intersected(b).width() > 0.5 && a.intersected(b).height() > 0.5;
}

void ExpectReadable(const IntervalChart* chart, const ChartLayout& layout) {
    const auto& bars = chart->Bars();
    ASSERT_EQ(layout.rows.size(), bars.size());
    const QRectF whole(QPointF(), layout.size);
    for (std::size_t i = 0; i < layout.rows.size(); ++i) {
        const auto& row = layout.rows[i];
        // The whole label is drawn: its lines put together give the name.
        EXPECT_EQ(row.labelLines.join(QString()).remove(QLatin1Char(' ')),
                  QString(bars[i].label).remove(QLatin1Char(' ')));
        EXPECT_TRUE(whole.contains(row.label)) << i;
        EXPECT_LE(row.label.right(), layout.plot.left()) << "label left of the plot";
        EXPECT_TRUE(layout.plot.contains(row.mark)) << "mark inside the plot, row " << i;
        EXPECT_TRUE(row.band.contains(row.bar)) << i;
        EXPECT_FALSE(Overlap(row.mark, row.bar) && !row.markInsideBar) << i;
        for (std::size_t j = i + 1; j < layout.rows.size(); ++j) {
            EXPECT_FALSE(Overlap(row.label, layout.rows[j].label)) << i << " and " << j;
            EXPECT_FALSE(Overlap(row.mark, layout.rows[j].mark)) << i << " and " << j;
            EXPECT_FALSE(Overlap(row.bar, layout.rows[j].bar)) << i << " and " << j;
        }
    }
    ASSERT_FALSE(layout.labels.empty());
    for (std::size_t i = 0; i < layout.labels.size(); ++i) {
        EXPECT_TRUE(whole.contains(layout.labels[i].textRect))
            << layout.labels[i].text.toStdString();
        if (i > 0) {
            EXPECT_LT(layout.labels[i - 1].textRect.right() + 4, layout.labels[i].textRect.left());
        }
    }
    EXPECT_TRUE(whole.contains(layout.title));
    EXPECT_TRUE(whole.contains(layout.valueTitle));
}

TEST_F(ViewsTest, TwentyLongNamedAlternativesStayReadable) {
    BuildCrowdedModel(model());
    ValueIntervalsView* view = ShowValueIntervals();
    const IntervalChart* chart = view->Chart();
    ASSERT_EQ(chart->Bars().size(), 20u);

    for (QSize size : {QSize(1000, 800), QSize(700, 500), QSize(420, 300)}) {
        ResizeWindow(view, size.width(), size.height());
        SCOPED_TRACE(size.width());
        // The chart never gets smaller than it can be read at; the scroll area takes the rest.
        EXPECT_GE(chart->width(), chart->minimumSizeHint().width());
        EXPECT_GE(chart->height(), chart->minimumSizeHint().height());
        ExpectReadable(chart, chart->CurrentLayout());
    }
    // Pictures are drawn at a readable size as well.
    ExpectReadable(chart, chart->Layout(chart->PictureSize()));
}

TEST_F(ViewsTest, ResizingRedistributesTheRows) {
    OpenExample("car.vlr");
    ValueIntervalsView* view = ShowValueIntervals();
    ResizeWindow(view, 600, 400);
    const double small = view->Chart()->CurrentLayout().rows[0].band.height();
    const double plotSmall = view->Chart()->CurrentLayout().plot.width();
    ResizeWindow(view, 1100, 700);
    const ChartLayout big = view->Chart()->CurrentLayout();
    EXPECT_GT(big.rows[0].band.height(), small);
    EXPECT_GT(big.plot.width(), plotSmall);
    EXPECT_NEAR(big.rows.back().band.bottom(), big.plot.bottom(), 1.0)
        << "the rows fill the plot height";
    ExpectReadable(view->Chart(), big);
    // The value axis labels every increment once there is room for it.
    EXPECT_EQ(big.labelStep, 1);
    EXPECT_EQ(big.labels[1].text, QStringLiteral("0.05"));
    EXPECT_EQ(big.minorTicks.size(), 20u * 9u);
    // Pointing at a label or a bar finds its row.
    EXPECT_EQ(view->Chart()->RowAt(big.rows[3].label.center()), 3);
    EXPECT_EQ(view->Chart()->RowAt(big.rows[4].bar.center()), 4);
    EXPECT_EQ(view->Chart()->RowAt(big.title.center()), -1);
}

TEST_F(ViewsTest, NarrowChartThinsItsTickLabels) {
    IntervalChart chart;
    chart.SetAxisTitles(QStringLiteral("Value"), QStringLiteral("Alternatives"));
    chart.SetContent(QStringLiteral("T"),
                     {{QStringLiteral("A"), 0.0, 1.0, 0, QStringLiteral("0 ... 1")}});
    const ChartLayout narrow = chart.Layout(QSizeF(260, 200));
    EXPECT_GT(narrow.labelStep, 1);
    // Labels still sit on multiples of the increment, starting at 0 and ending at the maximum.
    EXPECT_EQ(narrow.labels.front().text, QStringLiteral("0"));
    EXPECT_EQ(narrow.labels.back().text, QStringLiteral("1"));
    for (std::size_t i = 1; i < narrow.labels.size(); ++i) {
        EXPECT_LT(narrow.labels[i - 1].textRect.right(), narrow.labels[i].textRect.left());
    }
}

TEST_F(ViewsTest, AxisMaximumFollowsTheLargestBarEnd) {
    IntervalChart chart;
    chart.SetContent(QStringLiteral("T"), {{QStringLiteral("A"), 0.1, 0.37, 0, QString()},
                                           {QStringLiteral("B"), 0.2, 0.26, -1, QString()}});
    EXPECT_DOUBLE_EQ(chart.AxisMaximum(), 0.4);
    chart.SetContent(QStringLiteral("T"), {{QStringLiteral("A"), 0.0, 0.1, 0, QString()}});
    EXPECT_DOUBLE_EQ(chart.AxisMaximum(), 0.1);
    chart.SetContent(QStringLiteral("T"), {{QStringLiteral("A"), 0.0, 2.5, 0, QString()}});
    EXPECT_DOUBLE_EQ(chart.AxisMaximum(), 2.5);
    // Too narrow for a label on every increment: the axis ends on the last label.
    const ChartLayout layout = chart.Layout(QSizeF(400, 300));
    ASSERT_GT(layout.labelStep, 1);
    EXPECT_GE(layout.axisMaximum, 2.5);
    EXPECT_NEAR(layout.labels.back().value, layout.axisMaximum, 1e-9);
    EXPECT_NEAR(layout.labels.back().x, layout.plot.right(), 0.01);
    // A point interval is still drawn visibly.
    chart.SetContent(QStringLiteral("T"), {{QStringLiteral("A"), 0.3, 0.3, 0, QString()}});
    EXPECT_GE(chart.Layout(QSizeF(600, 300)).rows[0].bar.width(), 3.0);
}

TEST(WrapText, BreaksAtWordsAndInsideOverlongWords) {
    QFont font;
    font.setPixelSize(12);
    const QFontMetricsF fm(font);
    const QString words = QStringLiteral("one two three four five six seven eight nine ten");
    const QStringList lines =
        WrapText(words, font, fm.horizontalAdvance(QStringLiteral("one two three")) + 2);
    EXPECT_GT(lines.size(), 2);
    EXPECT_EQ(lines.join(QLatin1Char(' ')), words);
    const QString word(60, QLatin1Char('x'));
    const QStringList pieces = WrapText(word, font, 80);
    EXPECT_GT(pieces.size(), 1);
    EXPECT_EQ(pieces.join(QString()), word);
    EXPECT_EQ(WrapText(QString(), font, 80), QStringList{QString()});
}

} // namespace
} // namespace velor::ui::test

namespace velor::ui::test {
namespace {

TEST(IntervalChart, AbsurdStoredNumbersKeepTheChartDrawable) {
    IntervalChart chart;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    chart.SetContent(QStringLiteral("T"), {{QStringLiteral("A"), 0.0, 1e300, 0, QString()},
                                           {QStringLiteral("B"), nan, nan, -1, QString()},
                                           {QStringLiteral("C"), -5.0, 0.5, -2, QString()}});
    EXPECT_LE(chart.AxisMaximum(), 1e6);
    const ChartLayout layout = chart.Layout(QSizeF(600, 300));
    EXPECT_LT(layout.labels.size(), 40u);
    EXPECT_LT(layout.grid.size(), 200u);
    for (const auto& row : layout.rows) {
        EXPECT_TRUE(layout.plot.contains(row.bar)) << "bars end at the axis";
    }
    EXPECT_FALSE(chart.ToImage().isNull());
}

} // namespace
} // namespace velor::ui::test
