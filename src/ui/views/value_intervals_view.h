// The Value Intervals view: for the node chosen in its selector (every node of the value tree,
// in pre-order), one bar per alternative from the lower to the upper end of the alternative's
// value interval, the first alternative at the top.
#pragma once

#include "ui/views/interval_chart_view.h"

namespace velor::ui {

class ValueIntervalsView : public IntervalChartView {
    Q_OBJECT
public:
    ValueIntervalsView(const Document& document, Prompts& prompts, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    std::vector<NodeId> ListedNodes() const override;
    chart::ChartContent ChartContent(NodeId node) const override;
    void PlaceCombo() override;
};

} // namespace velor::ui
