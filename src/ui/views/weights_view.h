// The Weights view: for the goal chosen in its selector (the goals of the value tree, in
// pre-order), one bar per child of that goal from the lower to the upper end of its weight
// interval, the first child at the top.
#pragma once

#include "ui/views/interval_chart_view.h"

namespace velor::ui {

class WeightsView : public IntervalChartView {
    Q_OBJECT
public:
    WeightsView(const Document& document, Prompts& prompts, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    std::vector<NodeId> ListedNodes() const override;
    chart::ChartContent ChartContent(NodeId node) const override;
    void PlaceCombo() override;
};

} // namespace velor::ui
