// The chart's one description, measured with the sans-serif widths used without a window system:
// with many alternatives and long names nothing overlaps and nothing is cut, tick labels never
// touch and the axis ends on a label, wrapped labels keep every character, and the SVG written
// from the scene holds every text.
#include "report/chart_scene.h"
#include "report/result_charts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace velor::chart {
namespace {

bool Overlap(const Rect& a, const Rect& b) {
    const double w = std::min(a.Right(), b.Right()) - std::max(a.Left(), b.Left());
    const double h = std::min(a.Bottom(), b.Bottom()) - std::max(a.Top(), b.Top());
    return w > 0.5 && h > 0.5;
}

bool Contains(const Rect& outer, const Rect& inner) {
    const double slack = 1e-6;
    return inner.Left() >= outer.Left() - slack && inner.Right() <= outer.Right() + slack &&
           inner.Top() >= outer.Top() - slack && inner.Bottom() <= outer.Bottom() + slack;
}

std::string WithoutBlanks(std::string text) {
    std::erase(text, ' ');
    return text;
}

// Random bars with names from short to very long, some without blanks.
ChartContent RandomContent(std::mt19937& random, int bars) {
    ChartContent content;
    content.title = "Where to build the new regional distribution centre";
    content.valueTitle = "Value";
    content.categoryTitle = "Alternatives";
    for (int i = 0; i < bars; ++i) {
        Bar bar;
        bar.label = "Site " + std::to_string(i + 1);
        if (random() % 3 == 0) {
            bar.label += " next to the motorway junction with rail access and room to grow";
        }
        if (random() % 7 == 0) {
            bar.label = std::string(40 + random() % 40, 'W');
        }
        bar.lower = (random() % 1000) / 1000.0;
        bar.upper = bar.lower + (random() % 1000) / 2000.0;
        bar.position = -i;
        bar.mark = PointFormat(bar.lower) + " ... " + PointFormat(bar.upper);
        content.bars.push_back(bar);
    }
    return content;
}

class ChartReadable : public ::testing::TestWithParam<Size> {};

TEST_P(ChartReadable, NothingOverlapsAndNothingIsCut) {
    const SansMetrics metrics;
    const ChartFonts fonts = ChartFonts::FromTextSize(12);
    std::mt19937 random(99);
    for (int round = 0; round < 20; ++round) {
        const ChartContent content = RandomContent(random, 1 + static_cast<int>(random() % 20));
        const Size size = PictureSize(content, GetParam(), fonts, metrics, PointFormat);
        const ChartLayout layout = LayoutChart(content, size, fonts, metrics, PointFormat);
        const Rect whole{0, 0, size.w, size.h};
        ASSERT_EQ(layout.rows.size(), content.bars.size());
        for (std::size_t i = 0; i < layout.rows.size(); ++i) {
            const auto& row = layout.rows[i];
            std::string joined;
            for (const std::string& line : row.labelLines) {
                joined += line;
                EXPECT_LE(metrics.Advance(line, fonts.text), row.label.w + 1e-9);
            }
            EXPECT_EQ(WithoutBlanks(joined), WithoutBlanks(content.bars[i].label));
            EXPECT_TRUE(Contains(whole, row.label)) << i;
            EXPECT_LE(row.label.Right(), layout.plot.Left());
            EXPECT_TRUE(Contains(layout.plot, row.mark)) << i;
            EXPECT_TRUE(Contains(row.band, row.bar)) << i;
            EXPECT_FALSE(Overlap(row.mark, row.bar) && !row.markInsideBar) << i;
            if (row.markInsideBar) {
                EXPECT_TRUE(Contains(row.bar, row.mark)) << "a mark inside covers no bar end";
            }
            for (std::size_t j = i + 1; j < layout.rows.size(); ++j) {
                EXPECT_FALSE(Overlap(row.label, layout.rows[j].label)) << i << ", " << j;
                EXPECT_FALSE(Overlap(row.mark, layout.rows[j].mark)) << i << ", " << j;
            }
        }
        ASSERT_FALSE(layout.labels.empty());
        for (std::size_t i = 1; i < layout.labels.size(); ++i) {
            EXPECT_LT(layout.labels[i - 1].textRect.Right() + 4, layout.labels[i].textRect.Left());
        }
        EXPECT_NEAR(layout.labels.back().value, layout.axisMaximum, 1e-9);
        EXPECT_TRUE(Contains(whole, layout.title));
        EXPECT_TRUE(Contains(whole, layout.valueTitle));
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, ChartReadable,
                         ::testing::Values(Size{1, 1}, Size{420, 300}, Size{720, 500},
                                           Size{1200, 900}));

// The contrast ratio of two colours, from their relative luminance.
double Contrast(Color a, Color b) {
    const auto luminance = [](Color c) {
        const auto channel = [](std::uint8_t v) {
            return v <= 10 ? v / 255.0 / 12.92 : std::pow((v / 255.0 + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.r) + 0.7152 * channel(c.g) + 0.0722 * channel(c.b) + 0.05;
    };
    return std::max(luminance(a), luminance(b)) / std::min(luminance(a), luminance(b));
}

// Wherever the bar lies in a plot at least PlotWidthForMark wide, its text stands beside it or
// wholly inside it, never across an end, and right of it whenever there is room there.
TEST(ChartLayout, AMarkStandsBesideItsBarOrWhollyInsideIt) {
    std::mt19937 random(17);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    int inside = 0;
    for (int round = 0; round < 5000; ++round) {
        const double markW = 10 + 150 * unit(random);
        const double plotLeft = 200 * unit(random);
        const double plotW = PlotWidthForMark(markW) * (1 + 2 * unit(random));
        const double plotRight = plotLeft + plotW;
        double a = plotLeft + plotW * unit(random);
        double b = plotLeft + plotW * unit(random);
        if (a > b) {
            std::swap(a, b);
        }
        const MarkPlacement placement = PlaceMark(a, b, plotLeft, plotRight, markW);
        const Rect mark{placement.left, 0, markW, 1};
        EXPECT_TRUE(Contains(Rect{plotLeft + 2, 0, plotW - 4, 1}, mark));
        const bool rightHasRoom = b + kMarkGap + markW <= plotRight - 2;
        EXPECT_EQ(placement.place == MarkPlace::Right, rightHasRoom);
        if (placement.place == MarkPlace::Inside) {
            ++inside;
            EXPECT_TRUE(Contains(Rect{a + kMarkPadding, 0, b - a - 2 * kMarkPadding, 1}, mark));
        } else {
            EXPECT_FALSE(Overlap(Rect{a - kMarkGap, 0, b - a + 2 * kMarkGap, 1}, mark));
        }
    }
    EXPECT_GT(inside, 0) << "long bars near both ends hold their text";
}

TEST(ChartScene, AMarkInsideItsBarIsDrawnInAColourThatReadsOnIt) {
    const SansMetrics metrics;
    const ChartFonts fonts = ChartFonts::FromTextSize(12);
    ChartContent content;
    content.bars = {{"Full", 0.0, 1.0, 0, "0 ... 1"}, {"Short", 0.4, 0.5, -1, "0.4 ... 0.5"}};
    const Size size = PictureSize(content, Size{1, 1}, fonts, metrics, PointFormat);
    const ChartLayout layout = LayoutChart(content, size, fonts, metrics, PointFormat);
    ASSERT_TRUE(layout.rows[0].markInsideBar);
    ASSERT_FALSE(layout.rows[1].markInsideBar);
    for (const Primitive& p : DrawChart(content, layout, fonts, metrics)) {
        if (p.kind == Primitive::Kind::Text && p.text == "0 ... 1") {
            EXPECT_GE(Contrast(p.fill, kBarColor), 4.5);
        }
        if (p.kind == Primitive::Kind::Text && p.text == "0.4 ... 0.5") {
            EXPECT_GE(Contrast(p.fill, kPlotBackground), 4.5);
        }
        // Nothing is laid over a bar to make room for its text.
        EXPECT_NE(p.kind, Primitive::Kind::RoundedFill);
    }
}

TEST(ChartLayout, AxisMaximumFollowsTheLargestBarEnd) {
    EXPECT_DOUBLE_EQ(AxisMaximum({{"A", 0.1, 0.37, 0, ""}, {"B", 0.2, 0.26, -1, ""}}), 0.4);
    EXPECT_DOUBLE_EQ(AxisMaximum({{"A", 0.0, 0.1, 0, ""}}), 0.1);
    EXPECT_DOUBLE_EQ(AxisMaximum({}), 1.0);
    EXPECT_LE(AxisMaximum({{"A", 0.0, 1e300, 0, ""}}), 1e6);
}

TEST(ChartLayout, WrapKeepsEveryCharacterAndFitsTheWidth) {
    const SansMetrics metrics;
    const Font font{12, false};
    std::mt19937 random(5);
    const std::vector<std::string> words = {"a", "motorway",           "\xc3\xa9t\xc3\xa9",
                                            "x", std::string(30, 'm'), "\xe5\x8c\x97\xe4\xba\xac"};
    for (int round = 0; round < 200; ++round) {
        std::string text;
        for (int w = 0; w < 1 + static_cast<int>(random() % 8); ++w) {
            text += (text.empty() ? "" : " ") + words[random() % words.size()];
        }
        const double width = 20.0 + random() % 200;
        const std::vector<std::string> lines = metrics.Wrap(text, font, width);
        std::string joined;
        for (const std::string& line : lines) {
            joined += line;
            // Only a single character may be wider than the line.
            if (metrics.Advance(line, font) > width) {
                EXPECT_LE(line.size(), 4u) << line;
            }
        }
        EXPECT_EQ(WithoutBlanks(joined), WithoutBlanks(text)) << text;
    }
    EXPECT_EQ(metrics.Wrap("", font, 50), std::vector<std::string>{""});
}

TEST(ChartScene, TheSvgHoldsEveryTextEscaped) {
    ChartContent content;
    content.title = "Weights: Costs & <risks>";
    content.valueTitle = "Values";
    content.categoryTitle = "Subattributes";
    content.bars = {{"Price \"net\"", 0.1, 0.4, 0, "0.1 ... 0.4"},
                    {"Caf\xc3\xa9", 0.2, 0.2, -1, "0.2 ... 0.2"}};
    const std::string svg =
        ChartSvg(content, Size{600, 200}, ChartFonts::FromTextSize(12), SansMetrics(), PointFormat);
    for (const char* text : {"Weights: Costs &amp; &lt;risks&gt;", "Price &quot;net&quot;",
                             "Caf\xc3\xa9", "0.1 ... 0.4", "Values", "Subattributes"}) {
        EXPECT_NE(svg.find(text), std::string::npos) << text;
    }
    EXPECT_EQ(svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
    EXPECT_EQ(XmlEscape("a\x01\xff"), "a\xEF\xBF\xBD");
}

TEST(ChartScene, EveryRowHasItsBarMarkAndLabelInPaintingOrder) {
    const SansMetrics metrics;
    const ChartFonts fonts = ChartFonts::FromTextSize(11);
    std::mt19937 random(3);
    const ChartContent content = RandomContent(random, 6);
    const ChartLayout layout = LayoutChart(content, Size{700, 400}, fonts, metrics, PointFormat);
    const Scene scene = DrawChart(content, layout, fonts, metrics);
    ASSERT_FALSE(scene.empty());
    EXPECT_EQ(scene.front().kind, Primitive::Kind::Fill) << "the background comes first";
    std::size_t boxes = 0;
    for (const Primitive& p : scene) {
        boxes += p.kind == Primitive::Kind::Box ? 1 : 0;
    }
    EXPECT_EQ(boxes, content.bars.size());
    for (const Bar& bar : content.bars) {
        EXPECT_TRUE(std::any_of(scene.begin(), scene.end(), [&](const Primitive& p) {
            return p.kind == Primitive::Kind::Text && p.text == bar.mark;
        }));
    }
}

TEST(ResultCharts, ValueAndWeightChartsFollowTheNormalizedOption) {
    Model model;
    const NodeId root = model.AddNode(kGoal, kNone);
    const NodeId price = model.AddNode(kAttribute, root);
    model.RenameNode(price, "Price");
    model.CommitCellText(1, model.NewAlternative(), "A", true);
    ResultRecords(model).NodeData(root).Values[0] = TNodeValue{0.2, 0.9, 0.1, 0.3};
    ResultRecords(model).NodeData(price).WeightLower = 0.25;
    CalculatedResults& calculated = ResultRecords(model).Calculated();
    calculated.MainValues = calculated.Weights = {true, true};
    EXPECT_EQ(ValueIntervalsChart(model, root, PointFormat).bars[0].mark, "0.1 ... 0.3");
    model.SetNormalizedIntervals(true);
    const ChartContent values = ValueIntervalsChart(model, root, PointFormat);
    EXPECT_EQ(values.title, "Value Intervals: Main Goal");
    EXPECT_EQ(values.bars[0].label, "A");
    EXPECT_EQ(values.bars[0].mark, "0.2 ... 0.9");
    model.SetNormalizedIntervals(false);
    const ChartContent weights = WeightsChart(model, root, PointFormat);
    EXPECT_EQ(weights.title, "Weights: Main Goal");
    ASSERT_EQ(weights.bars.size(), 1u);
    EXPECT_EQ(weights.bars[0].mark, "0.25 ... 1");
    EXPECT_TRUE(WeightsChart(model, kNone, PointFormat).bars.empty());
    // A set that was never calculated is drawn as no figure.
    calculated.Weights[kPlainSet] = false;
    EXPECT_EQ(WeightsChart(model, root, PointFormat).bars[0].mark, "not calculated");
}

} // namespace
} // namespace velor::chart
