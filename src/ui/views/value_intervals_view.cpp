#include "ui/views/value_intervals_view.h"

#include "report/result_charts.h"
#include "ui/views/reading_note.h"
#include "ui/views/view_numbers.h"

#include <QComboBox>

#include <algorithm>

namespace velor::ui {

ValueIntervalsView::ValueIntervalsView(const Document& document, Prompts& prompts, QWidget* parent)
    : IntervalChartView(document, prompts, QStringLiteral("ValIntForm"),
                        QStringLiteral("Value Intervals"), QStringLiteral("ValIntCombo"),
                        QString::fromLatin1(reading::kValueIntervals)) {
    setParent(parent);
    toolbar_->setObjectName(QStringLiteral("ValIntToolbar"));
    CreatePopup(QStringLiteral("ValIntPopup"), QStringLiteral("&Print"));
    RefillCombo(0);
}

QSize ValueIntervalsView::sizeHint() const {
    return QSize(600, std::max(std::clamp(120 + 30 * model_.M(), 300, 560),
                               HeightForWholeChart(600)));
}

std::vector<NodeId> ValueIntervalsView::ListedNodes() const {
    return model_.PreOrder();
}

chart::ChartContent ValueIntervalsView::ChartContent(NodeId node) const {
    return chart::ValueIntervalsChart(
        model_, node, [](double value) { return FormatValue(value).toStdString(); });
}

void ValueIntervalsView::PlaceCombo() {
    // The selector spans the panel less 8 pixels on each side.
    const int width = std::max(0, toolbar_->width() - 16);
    combo_->setGeometry(8, 4, width, combo_->sizeHint().height());
}

} // namespace velor::ui
