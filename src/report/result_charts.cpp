#include "report/result_charts.h"

#include "calc/result_warnings.h"

namespace velor::chart {

namespace {

std::string Range(const ValueFormatter& format, double lower, double upper) {
    return format(lower) + " ... " + format(upper);
}

// A result that was never calculated is drawn as no bar, with its mark saying so.
void MarkNotCalculated(Bar& bar) {
    bar.lower = 0.0;
    bar.upper = 0.0;
    bar.mark = kNotCalculatedText;
}

} // namespace

ChartContent ValueIntervalsChart(const Model& model, NodeId node, const ValueFormatter& format) {
    ChartContent content;
    content.valueTitle = "Value";
    content.categoryTitle = "Alternatives";
    if (node == kNone || !model.Exists(node)) {
        return content;
    }
    const TNodeData& data = model.Node(node);
    content.title = "Value Intervals: " + data.Name;
    const bool normalized = model.NormalizedIntervals();
    const int m = model.M();
    for (int r = 1; r <= m; ++r) {
        Bar bar;
        bar.label = model.AlternativeName(r);
        if (r - 1 < static_cast<int>(data.Values.size())) {
            const TNodeValue& v = data.Values[static_cast<std::size_t>(r - 1)];
            bar.lower = normalized ? v.NormLower : v.Lower;
            bar.upper = normalized ? v.NormUpper : v.Upper;
        }
        bar.position = m - r;
        bar.mark = Range(format, bar.lower, bar.upper);
        if (!model.Calculated().ValuesOf(node == model.Root(), ResultSetOf(normalized))) {
            MarkNotCalculated(bar);
        }
        content.bars.push_back(std::move(bar));
    }
    return content;
}

ChartContent WeightsChart(const Model& model, NodeId goal, const ValueFormatter& format) {
    ChartContent content;
    content.valueTitle = "Weight";
    content.categoryTitle = "Node";
    if (goal == kNone || !model.Exists(goal)) {
        return content;
    }
    content.title = "Weights: " + model.Node(goal).Name;
    const bool normalized = model.NormalizedIntervals();
    int position = 0;
    for (NodeId child : model.Children(goal)) {
        const TNodeData& data = model.Node(child);
        Bar bar;
        bar.label = data.Name;
        bar.lower = normalized ? data.NormWeightLower : data.WeightLower;
        bar.upper = normalized ? data.NormWeightUpper : data.WeightUpper;
        bar.position = position--;
        bar.mark = Range(format, bar.lower, bar.upper);
        if (!model.Calculated().Weights[static_cast<std::size_t>(ResultSetOf(normalized))]) {
            MarkNotCalculated(bar);
        }
        content.bars.push_back(std::move(bar));
    }
    return content;
}

} // namespace velor::chart
