#include "report/chart_layout.h"

#include "model/number_format.h"

#include <algorithm>
#include <cmath>

namespace velor::chart {

namespace {

constexpr double kMargin = 10.0;
constexpr double kGap = 6.0;
constexpr double kTickLength = 4.0;
// Labels longer than this wrap onto further lines instead of squeezing the plot.
constexpr double kMaxLabelWidth = 230.0;
constexpr double kMinLabelWidth = 40.0;
constexpr double kMinPlotWidth = 160.0;
constexpr double kLargestAxisValue = 1e6;

// Label steps tried in turn: every increment, every 2nd, 4th, 10th, ... (0.05, 0.1, 0.2, 0.5,
// 1, 2, 5, ... for the 0.05 increment).
int NextLabelStep(int step) {
    int decade = 1;
    while (step >= decade * 10) {
        decade *= 10;
    }
    const int lead = step / decade;
    if (lead == 1) {
        return 2 * decade;
    }
    if (lead == 2) {
        return 4 * decade;
    }
    return 10 * decade;
}

double MaxAdvance(const TextMetrics& metrics, const Font& font,
                  const std::vector<std::string>& lines) {
    double w = 0;
    for (const std::string& line : lines) {
        w = std::max(w, metrics.Advance(line, font));
    }
    return w;
}

} // namespace

MarkPlacement PlaceMark(double barLeft, double barRight, double plotLeft, double plotRight,
                        double markWidth) {
    // Room each place offers, less what the text needs there; the first one not negative wins.
    const double right = plotRight - 2 - barRight - kMarkGap - markWidth;
    const double left = barLeft - kMarkGap - markWidth - (plotLeft + 2);
    const double inside = barRight - barLeft - 2 * kMarkPadding - markWidth;
    const MarkPlacement atRight{MarkPlace::Right, barRight + kMarkGap};
    const MarkPlacement atLeft{MarkPlace::Left, barLeft - kMarkGap - markWidth};
    const MarkPlacement within{MarkPlace::Inside, (barLeft + barRight - markWidth) / 2};
    if (right >= 0) {
        return atRight;
    }
    if (left >= 0) {
        return atLeft;
    }
    if (inside >= 0) {
        return within;
    }
    if (inside >= left && inside >= right) {
        return within;
    }
    return left > right ? atLeft : atRight;
}

double PlotWidthForMark(double markWidth) {
    // Left, inside and right of any bar add up to the plot, so one of the three is at least a
    // third of it.
    return 3 * (markWidth + kMarkGap + 2 * kMarkPadding);
}

ChartFonts ChartFonts::FromTextSize(int pixelSize) {
    ChartFonts fonts;
    fonts.text = Font{pixelSize, false};
    fonts.title = Font{pixelSize * 5 / 4, true};
    fonts.axisTitle = Font{pixelSize, true};
    return fonts;
}

std::string PointFormat(double value) {
    return FormatNumber(value, '.');
}

double AxisMaximum(const std::vector<Bar>& bars) {
    double top = 0.0;
    for (const Bar& bar : bars) {
        if (std::isfinite(bar.upper)) {
            top = std::max(top, bar.upper);
        }
        if (std::isfinite(bar.lower)) {
            top = std::max(top, bar.lower);
        }
    }
    if (top <= 0.0) {
        return 1.0;
    }
    // Values and weights lie far below this; an absurd stored number must not make the axis
    // count billions of ticks. Longer bars end at the axis.
    top = std::min(top, kLargestAxisValue);
    // Rounded up to the next tick, with a little slack so that 0.1 stays 0.1.
    const double steps = std::ceil(top / kLabelIncrement - 1e-9);
    return std::max(1.0, steps) * kLabelIncrement;
}

ChartLayout LayoutChart(const ChartContent& content, Size size, const ChartFonts& fonts,
                        const TextMetrics& metrics, const ValueFormatter& format) {
    const std::vector<Bar>& bars = content.bars;
    ChartLayout out;
    out.size = size;
    const Font& textFont = fonts.text;
    const Font& titleFont = fonts.title;
    const auto advance = [&](const std::string& text) { return metrics.Advance(text, textFont); };
    const double lineH = metrics.LineHeight(textFont);
    const double titleLineH = metrics.LineHeight(titleFont);
    const double width = size.w;
    const double height = size.h;
    out.axisMaximum = AxisMaximum(bars);

    // Title, wrapped to the width.
    double top = kMargin;
    if (!content.title.empty()) {
        out.titleLines =
            metrics.Wrap(content.title, titleFont, std::max<double>(width - 2 * kMargin, 60));
        const double h = titleLineH * static_cast<double>(out.titleLines.size());
        out.title = Rect{kMargin, top, std::max<double>(width - 2 * kMargin, 0), h};
        top += h + kGap;
    }

    // Bar labels: as wide as the widest, within limits; longer ones wrap.
    double labelW = 0;
    for (const Bar& bar : bars) {
        labelW = std::max(labelW, advance(bar.label));
    }
    labelW = bars.empty() ? 0.0 : std::clamp(std::ceil(labelW) + 1, kMinLabelWidth, kMaxLabelWidth);
    std::vector<std::vector<std::string>> labelLines;
    labelLines.reserve(bars.size());
    for (const Bar& bar : bars) {
        labelLines.push_back(metrics.Wrap(bar.label, textFont, labelW));
        labelW = std::max(labelW, std::ceil(MaxAdvance(metrics, textFont, labelLines.back())));
    }

    const double catTitleW = content.categoryTitle.empty() ? 0.0 : lineH;
    const double catTitleLen = advance(content.categoryTitle);
    const double labelX = kMargin + catTitleW + (catTitleW > 0 ? kGap : 0.0);
    const double plotLeft = labelX + labelW + (labelW > 0 ? kGap + kTickLength : 0.0);

    // Widest tick label decides the right margin and how many labels fit.
    const double tickTextW = std::max(advance(format(out.axisMaximum)),
                                      advance(format(out.axisMaximum - kLabelIncrement)));
    const double rightMargin = std::max(kMargin, tickTextW / 2 + 2);
    const double plotRight = std::max(plotLeft + 1, width - rightMargin);

    const double valueTitleH = content.valueTitle.empty() ? 0.0 : lineH;
    const double bottomArea =
        kTickLength + 2 + lineH + (valueTitleH > 0 ? 2 + valueTitleH : 0.0) + kMargin;
    const double plotBottomLimit = height - bottomArea;

    // Rows: tall enough for the bar, its label lines and its mark.
    const double minRow = lineH + 10;
    std::vector<double> needed;
    double neededSum = 0;
    for (const std::vector<std::string>& lines : labelLines) {
        const double h = std::max(minRow, static_cast<double>(lines.size()) * lineH + 6);
        needed.push_back(h);
        neededSum += h;
    }
    const double plotMinHeight = std::max(neededSum, catTitleLen + 8);
    const double available = std::max<double>(plotBottomLimit - top, 0.0);
    const double extra = bars.empty() ? 0.0
                                      : std::max<double>(available - neededSum, 0.0) /
                                            static_cast<double>(bars.size());
    const double plotHeight = std::max(available, plotMinHeight);
    out.plot = Rect{plotLeft, top, plotRight - plotLeft, plotHeight};

    // Smallest size that holds everything.
    double widestMark = 0;
    for (const Bar& bar : bars) {
        widestMark = std::max(widestMark, advance(bar.mark));
    }
    const double minPlotW = std::max(kMinPlotWidth, std::ceil(PlotWidthForMark(widestMark)));
    out.minimum = Size{std::ceil(plotLeft + minPlotW + rightMargin),
                       std::ceil(top + plotMinHeight + bottomArea)};

    // Value axis: grid lines on every increment while they are far enough apart, labels on
    // every labelStep-th increment so that they never touch. The axis then ends on a labelled
    // tick: the maximum is rounded up to the label step.
    const double plotW = out.plot.w;
    const double dataMaximum = out.axisMaximum;
    double pxPerIncrement = 0;
    int step = 1;
    for (int round = 0; round < 4; ++round) {
        pxPerIncrement = plotW * kLabelIncrement / out.axisMaximum;
        step = 1;
        while (step * pxPerIncrement < tickTextW + 6 && step < 100000000) {
            step = NextLabelStep(step);
        }
        const double span = step * kLabelIncrement;
        const double rounded = std::max(1.0, std::ceil(dataMaximum / span - 1e-9)) * span;
        if (std::abs(rounded - out.axisMaximum) < 1e-12) {
            break;
        }
        out.axisMaximum = rounded;
    }
    out.labelStep = step;
    const long long increments = std::llround(out.axisMaximum / kLabelIncrement);
    auto xOf = [&](double value) { return plotLeft + value / out.axisMaximum * plotW; };
    const int gridStep = pxPerIncrement >= 6 ? 1 : step;
    for (long long i = 0; i <= increments; i += gridStep) {
        out.grid.push_back(xOf(static_cast<double>(i) * kLabelIncrement));
    }
    const double minorSpacing = pxPerIncrement / (kMinorTicks + 1);
    if (minorSpacing >= 3.0) {
        for (long long i = 0; i < increments; ++i) {
            for (int k = 1; k <= kMinorTicks; ++k) {
                out.minorTicks.push_back(
                    xOf((static_cast<double>(i) + k / 10.0) * kLabelIncrement));
            }
        }
    }
    const double tickTextY = out.plot.Bottom() + kTickLength + 2;
    for (long long i = 0; i <= increments; i += step) {
        ChartLayout::Tick tick;
        tick.value = static_cast<double>(i) * kLabelIncrement;
        tick.x = xOf(tick.value);
        tick.text = format(tick.value);
        const double w = advance(tick.text);
        tick.textRect = Rect{tick.x - w / 2, tickTextY, w, lineH};
        out.labels.push_back(tick);
    }
    if (valueTitleH > 0) {
        out.valueTitle = Rect{out.plot.Left(), tickTextY + lineH + 2, plotW, valueTitleH};
    }
    if (catTitleW > 0) {
        out.categoryTitle = Rect{kMargin, out.plot.Top(), catTitleW, out.plot.h};
    }

    // Rows from the top, the bar centred in its row, the mark beside it.
    double y = out.plot.Top();
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const Bar& bar = bars[i];
        ChartLayout::Row row;
        const double rowH = needed[i] + extra;
        row.band = Rect{out.plot.Left(), y, plotW, rowH};
        const double thickness = std::clamp(rowH * 0.55, std::min<double>(10.0, rowH - 4), 34.0);
        const double lo =
            std::isfinite(bar.lower) ? std::clamp(bar.lower, 0.0, out.axisMaximum) : 0.0;
        const double hi =
            std::isfinite(bar.upper) ? std::clamp(bar.upper, 0.0, out.axisMaximum) : 0.0;
        double x0 = xOf(std::min(lo, hi));
        double x1 = xOf(std::max(lo, hi));
        if (x1 - x0 < 3) { // a point interval stays visible
            const double c = (x0 + x1) / 2;
            x0 = std::max(out.plot.Left(), c - 1.5);
            x1 = x0 + 3;
        }
        const double cy = y + rowH / 2;
        row.bar = Rect{x0, cy - thickness / 2, x1 - x0, thickness};

        row.labelLines = labelLines[i];
        const double labelH = static_cast<double>(row.labelLines.size()) * lineH;
        row.label = Rect{labelX, cy - labelH / 2, labelW, labelH};

        const double markW = advance(bar.mark);
        const MarkPlacement placement = PlaceMark(x0, x1, out.plot.Left(), out.plot.Right(), markW);
        row.markInsideBar = placement.place == MarkPlace::Inside;
        row.mark = Rect{placement.left, cy - lineH / 2, markW, lineH};
        out.rows.push_back(row);
        y += rowH;
    }
    return out;
}

Size PictureSize(const ChartContent& content, Size wanted, const ChartFonts& fonts,
                 const TextMetrics& metrics, const ValueFormatter& format) {
    const Size minimum = LayoutChart(content, Size{1, 1}, fonts, metrics, format).minimum;
    return Size{std::max(wanted.w, minimum.w), std::max(wanted.h, minimum.h)};
}

} // namespace velor::chart
