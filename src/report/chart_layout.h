// The interval chart: one horizontal bar per row from a lower to an upper value, labelled on the
// left, with the interval as text beside the bar, a value axis at the bottom that starts at 0, a
// chart title and two axis titles. This is the chart's one description: its layout here, its
// drawing as a list of primitives (chart_scene.h). The windows paint those primitives, the
// pictures and the decision report write them as SVG.
#pragma once

#include "report/text_metrics.h"

#include <functional>
#include <string>
#include <vector>

namespace velor::chart {

struct Rect {
    double x = 0.0;
    double y = 0.0;
    double w = 0.0;
    double h = 0.0;
    double Left() const { return x; }
    double Top() const { return y; }
    double Right() const { return x + w; }
    double Bottom() const { return y + h; }
    double CenterX() const { return x + w / 2; }
    double CenterY() const { return y + h / 2; }
    bool Empty() const { return w <= 0.0 || h <= 0.0; }
};

struct Size {
    double w = 0.0;
    double h = 0.0;
};

struct Bar {
    std::string label;
    double lower = 0.0;
    double upper = 0.0;
    double position = 0.0; // place on the category axis; bars are listed from the top
    std::string mark;      // the text shown beside the bar
};

struct ChartContent {
    std::string title;
    std::string valueTitle;
    std::string categoryTitle;
    std::vector<Bar> bars;
};

// The fonts of a chart, all derived from the size of its text.
struct ChartFonts {
    Font text;
    Font title;
    Font axisTitle;
    static ChartFonts FromTextSize(int pixelSize);
};

// Formats a value of the axis ("0.###" with the separator of the place the chart is shown in).
using ValueFormatter = std::function<std::string(double)>;

// Where everything of one drawing goes, in the coordinates of that drawing.
struct ChartLayout {
    struct Row {
        Rect band;  // the row's strip of the plot area
        Rect bar;   // the interval bar
        Rect label; // the bar label, left of the plot area
        std::vector<std::string> labelLines;
        Rect mark; // the mark text
        bool markInsideBar = false; // drawn inside the bar, in the colour that reads on it
    };
    struct Tick {
        double value = 0.0;
        double x = 0.0;
        std::string text;
        Rect textRect;
    };

    Size size;
    Rect title;
    std::vector<std::string> titleLines;
    Rect plot;
    Rect categoryTitle; // before rotation: a vertical strip left of the labels
    Rect valueTitle;
    double axisMaximum = 1.0; // the value at the right end of the axis
    int labelStep = 1;        // a label on every labelStep-th increment
    std::vector<double> grid; // x of the vertical grid lines
    std::vector<double> minorTicks;
    std::vector<Tick> labels;
    std::vector<Row> rows;
    Size minimum; // smallest size at which nothing overlaps or is cut
};

// Distance between two value-axis ticks, and minor ticks between two of them.
inline constexpr double kLabelIncrement = 0.05;
inline constexpr int kMinorTicks = 9;

// Where the text beside a bar (its interval) goes. It never covers part of the bar: it stands
// right of the bar when it fits there, else left of it, else inside the bar when the bar is long
// enough to hold it whole; when it fits nowhere (a drawing narrower than its minimum), on the
// side with the most room.
enum class MarkPlace { Right, Left, Inside };
struct MarkPlacement {
    MarkPlace place = MarkPlace::Right;
    double left = 0.0; // x of the text's left edge
};
inline constexpr double kMarkGap = 6.0;    // between a bar and the text beside it
inline constexpr double kMarkPadding = 4.0; // between the ends of a bar and the text inside it
MarkPlacement PlaceMark(double barLeft, double barRight, double plotLeft, double plotRight,
                        double markWidth);
// The narrowest plot in which PlaceMark always finds a place that fits, wherever the bar is.
double PlotWidthForMark(double markWidth);

// The smallest multiple of the increment at or above every bar end (1 without bars), at most
// 1e6. A drawing too narrow to label every increment rounds it further up to its label step
// (ChartLayout::axisMaximum), so that the axis always ends on a label.
double AxisMaximum(const std::vector<Bar>& bars);

ChartLayout LayoutChart(const ChartContent& content, Size size, const ChartFonts& fonts,
                        const TextMetrics& metrics, const ValueFormatter& format);

// The size a picture of the chart is drawn at: the wanted size, at least the chart's minimum.
Size PictureSize(const ChartContent& content, Size wanted, const ChartFonts& fonts,
                 const TextMetrics& metrics, const ValueFormatter& format);

// "0.###" with a point.
std::string PointFormat(double value);

} // namespace velor::chart
