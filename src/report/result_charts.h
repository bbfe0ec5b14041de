// The two result charts of a model, as the windows, the pictures and the decision report show
// them: the value intervals of every alternative for one node, and the weight intervals of a
// goal's children. Both read the stored results the model's "Normalized Intervals" option selects.
#pragma once

#include "model/model.h"
#include "report/chart_layout.h"

namespace velor::chart {

// "Value Intervals: " + the node's name; one bar per alternative, the first at the top; axes
// "Value" and "Alternatives".
ChartContent ValueIntervalsChart(const Model& model, NodeId node, const ValueFormatter& format);
// "Weights: " + the goal's name; one bar per child in child order; axes "Weight" and "Node".
ChartContent WeightsChart(const Model& model, NodeId goal, const ValueFormatter& format);

} // namespace velor::chart
