#include "ui/views/interval_chart.h"
#include "ui/views/picture_file.h"

#include "ui/views/view_numbers.h"

#include <QEvent>
#include <QFontInfo>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace velor::ui {

namespace {

QRectF ToQRect(const chart::Rect& rect) {
    return QRectF(rect.x, rect.y, rect.w, rect.h);
}

QStringList ToQStrings(const std::vector<std::string>& lines) {
    QStringList out;
    for (const std::string& line : lines) {
        out << QString::fromStdString(line);
    }
    return out;
}

std::string AxisNumber(double value) {
    return FormatValue(value).toStdString();
}

// The core's layout in Qt's types.
ChartLayout ToQtLayout(const chart::ChartLayout& core) {
    ChartLayout out;
    out.size = QSizeF(core.size.w, core.size.h);
    out.title = ToQRect(core.title);
    out.titleLines = ToQStrings(core.titleLines);
    out.plot = ToQRect(core.plot);
    out.categoryTitle = ToQRect(core.categoryTitle);
    out.valueTitle = ToQRect(core.valueTitle);
    out.axisMaximum = core.axisMaximum;
    out.labelStep = core.labelStep;
    out.grid = core.grid;
    out.minorTicks = core.minorTicks;
    for (const chart::ChartLayout::Tick& tick : core.labels) {
        out.labels.push_back(
            {tick.value, tick.x, QString::fromStdString(tick.text), ToQRect(tick.textRect)});
    }
    for (const chart::ChartLayout::Row& row : core.rows) {
        ChartLayout::Row r;
        r.band = ToQRect(row.band);
        r.bar = ToQRect(row.bar);
        r.label = ToQRect(row.label);
        r.labelLines = ToQStrings(row.labelLines);
        r.mark = ToQRect(row.mark);
        r.markInsideBar = row.markInsideBar;
        out.rows.push_back(std::move(r));
    }
    out.minimum = QSizeF(core.minimum.w, core.minimum.h);
    return out;
}

} // namespace

IntervalChart::IntervalChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Chart"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void IntervalChart::SetAxisTitles(const QString& valueTitle, const QString& categoryTitle) {
    valueTitle_ = valueTitle;
    categoryTitle_ = categoryTitle;
    updateGeometry();
    update();
}

void IntervalChart::SetContent(const QString& title, std::vector<ChartBar> bars) {
    title_ = title;
    bars_ = std::move(bars);
    updateGeometry();
    update();
}

void IntervalChart::SetContent(const chart::ChartContent& content) {
    std::vector<ChartBar> bars;
    for (const chart::Bar& bar : content.bars) {
        bars.push_back({QString::fromStdString(bar.label), bar.lower, bar.upper, bar.position,
                        QString::fromStdString(bar.mark)});
    }
    valueTitle_ = QString::fromStdString(content.valueTitle);
    categoryTitle_ = QString::fromStdString(content.categoryTitle);
    SetContent(QString::fromStdString(content.title), std::move(bars));
}

chart::ChartContent IntervalChart::Content() const {
    chart::ChartContent content;
    content.title = title_.toStdString();
    content.valueTitle = valueTitle_.toStdString();
    content.categoryTitle = categoryTitle_.toStdString();
    for (const ChartBar& bar : bars_) {
        content.bars.push_back(
            {bar.label.toStdString(), bar.lower, bar.upper, bar.position, bar.mark.toStdString()});
    }
    return content;
}

chart::ChartFonts IntervalChart::Fonts() const {
    // Pixel sizes, so that a drawing scaled onto a printer or into a file keeps its proportions.
    return chart::ChartFonts::FromTextSize(std::max(QFontInfo(font()).pixelSize(), 11));
}

double IntervalChart::AxisMaximum() const {
    return chart::AxisMaximum(Content().bars);
}

chart::ChartLayout IntervalChart::CoreLayout(const QSizeF& size) const {
    return chart::LayoutChart(Content(), chart::Size{size.width(), size.height()}, Fonts(),
                              QtTextMetrics(font()), AxisNumber);
}

ChartLayout IntervalChart::Layout(const QSizeF& size) const {
    return ToQtLayout(CoreLayout(size));
}

QSize IntervalChart::minimumSizeHint() const {
    return Layout(QSizeF(1, 1)).minimum.toSize();
}

QSize IntervalChart::sizeHint() const {
    return minimumSizeHint().expandedTo(QSize(560, 360));
}

int IntervalChart::RowAt(const QPointF& point) const {
    const ChartLayout layout = CurrentLayout();
    for (std::size_t i = 0; i < layout.rows.size(); ++i) {
        const auto& row = layout.rows[i];
        const QRectF wholeRow(row.label.left(), row.band.top(), row.band.right() - row.label.left(),
                              row.band.height());
        if (wholeRow.contains(point)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool IntervalChart::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        // The bar's label and interval, for a row whose bar is hard to follow across the plot.
        auto* help = static_cast<QHelpEvent*>(event);
        const int row = RowAt(help->pos());
        if (row >= 0) {
            const ChartBar& bar = bars_[static_cast<std::size_t>(row)];
            QToolTip::showText(help->globalPos(), bar.label + QStringLiteral(": ") + bar.mark,
                               this);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

void IntervalChart::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        updateGeometry();
    }
    QWidget::changeEvent(event);
}

QSizeF IntervalChart::PictureSize() const {
    const QSizeF minimum = Layout(QSizeF(1, 1)).minimum;
    return QSizeF(size()).expandedTo(minimum);
}

void IntervalChart::Render(QPainter& painter, const QRectF& target) const {
    const QSizeF logical = PictureSize();
    const chart::ChartLayout layout = CoreLayout(logical);
    RenderScaled(painter, target, logical, [&](QPainter& p) { Draw(p, layout); });
}

QImage IntervalChart::ToImage(qreal scale) const {
    return RenderImage(PictureSize(), scale,
                       [this](QPainter& p, const QRectF& target) { Render(p, target); });
}

void IntervalChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Draw(painter, CoreLayout(QSizeF(size())));
}

void IntervalChart::Draw(QPainter& painter, const chart::ChartLayout& layout) const {
    const chart::ChartFonts fonts = Fonts();
    PaintScene(painter, chart::DrawChart(Content(), layout, fonts, QtTextMetrics(font())), font());
}

} // namespace velor::ui
