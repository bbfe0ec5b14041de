#include "ui/views/value_intervals_view.h"

#include "ui/views/view_numbers.h"

#include <QComboBox>

#include <algorithm>

namespace velor::ui {

ValueIntervalsView::ValueIntervalsView(const Document& document, Prompts& prompts, QWidget* parent)
    : IntervalChartView(document, prompts, QStringLiteral("ValIntForm"),
                        QStringLiteral("Value Intervals"), QStringLiteral("ValIntCombo")) {
    setParent(parent);
    toolbar_->setObjectName(QStringLiteral("ValIntToolbar"));
    Chart()->SetAxisTitles(QStringLiteral("Value"), QStringLiteral("Alternatives"));
    CreatePopup(QStringLiteral("ValIntPopup"), QStringLiteral("&Print"));
    RefillCombo(0);
}

QSize ValueIntervalsView::sizeHint() const {
    return QSize(600, std::clamp(120 + 30 * model_.M(), 300, 560));
}

std::vector<NodeId> ValueIntervalsView::ListedNodes() const {
    return model_.PreOrder();
}

QString ValueIntervalsView::ChartTitle(NodeId node) const {
    return QStringLiteral("Value Intervals: ") + QString::fromStdString(model_.Node(node).Name);
}

std::vector<ChartBar> ValueIntervalsView::ChartBars(NodeId node) const {
    const TNodeData& data = model_.Node(node);
    const bool normalized = model_.NormalizedIntervals();
    std::vector<ChartBar> bars;
    const int m = model_.M();
    for (int r = 1; r <= m; ++r) {
        ChartBar bar;
        bar.label = QString::fromStdString(model_.AlternativeName(r));
        if (r - 1 < static_cast<int>(data.Values.size())) {
            const TNodeValue& v = data.Values[static_cast<std::size_t>(r - 1)];
            bar.lower = normalized ? v.NormLower : v.Lower;
            bar.upper = normalized ? v.NormUpper : v.Upper;
        }
        bar.position = m - r;
        bar.mark = FormatValueRange(bar.lower, bar.upper);
        bars.push_back(bar);
    }
    return bars;
}

void ValueIntervalsView::PlaceCombo() {
    // The selector spans the panel less 8 pixels on each side.
    const int width = std::max(0, toolbar_->width() - 16);
    combo_->setGeometry(8, 4, width, combo_->sizeHint().height());
}

} // namespace velor::ui
