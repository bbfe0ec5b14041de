#include "ui/views/weights_view.h"

#include "ui/views/view_numbers.h"

#include <QComboBox>

#include <algorithm>

namespace velor::ui {

WeightsView::WeightsView(const Document& document, Prompts& prompts, QWidget* parent)
    : IntervalChartView(document, prompts, QStringLiteral("WeightsForm"), QStringLiteral("Weights"),
                        QStringLiteral("WeightsCombo")) {
    setParent(parent);
    toolbar_->setObjectName(QStringLiteral("WeightsToolbar"));
    Chart()->SetAxisTitles(QStringLiteral("Values"), QStringLiteral("Subattributes"));
    CreatePopup(QStringLiteral("WeightsPopup"), QStringLiteral("Print"));
    RefillCombo(0);
}

QSize WeightsView::sizeHint() const {
    return QSize(560, 340);
}

std::vector<NodeId> WeightsView::ListedNodes() const {
    return model_.Goals();
}

QString WeightsView::ChartTitle(NodeId node) const {
    return QStringLiteral("Weights: ") + QString::fromStdString(model_.Node(node).Name);
}

std::vector<ChartBar> WeightsView::ChartBars(NodeId node) const {
    const bool normalized = model_.NormalizedIntervals();
    std::vector<ChartBar> bars;
    int position = 0;
    for (NodeId child : model_.Children(node)) {
        const TNodeData& data = model_.Node(child);
        ChartBar bar;
        bar.label = QString::fromStdString(data.Name);
        bar.lower = normalized ? data.NormWeightLower : data.WeightLower;
        bar.upper = normalized ? data.NormWeightUpper : data.WeightUpper;
        bar.position = position--;
        bar.mark = FormatValueRange(bar.lower, bar.upper);
        bars.push_back(bar);
    }
    return bars;
}

void WeightsView::PlaceCombo() {
    // The selector spans the window less 15 pixels.
    const int width = std::max(0, this->width() - 15);
    combo_->setGeometry(7, 4, width, combo_->sizeHint().height());
}

} // namespace velor::ui
