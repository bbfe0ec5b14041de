#include "ui/views/weights_view.h"

#include "report/result_charts.h"
#include "ui/views/reading_note.h"
#include "ui/views/view_numbers.h"

#include <QComboBox>

#include <algorithm>

namespace velor::ui {

WeightsView::WeightsView(const Document& document, Prompts& prompts, QWidget* parent)
    : IntervalChartView(document, prompts, QStringLiteral("WeightsForm"), QStringLiteral("Weights"),
                        QStringLiteral("WeightsCombo"),
                        QString::fromLatin1(reading::kWeights)) {
    setParent(parent);
    toolbar_->setObjectName(QStringLiteral("WeightsToolbar"));
    CreatePopup(QStringLiteral("WeightsPopup"), QStringLiteral("Print"));
    RefillCombo(0);
}

QSize WeightsView::sizeHint() const {
    return QSize(560, std::max(340, HeightForWholeChart(560)));
}

std::vector<NodeId> WeightsView::ListedNodes() const {
    return model_.Goals();
}

chart::ChartContent WeightsView::ChartContent(NodeId node) const {
    return chart::WeightsChart(model_, node,
                               [](double value) { return FormatValue(value).toStdString(); });
}

void WeightsView::PlaceCombo() {
    // The selector spans the window less 15 pixels.
    const int width = std::max(0, this->width() - 15);
    combo_->setGeometry(7, 4, width, combo_->sizeHint().height());
}

} // namespace velor::ui
