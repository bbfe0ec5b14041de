#include "ui/views/interval_chart.h"

#include "ui/views/view_numbers.h"

#include <QEvent>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace velor::ui {

namespace {

constexpr qreal kMargin = 10.0;
constexpr qreal kGap = 6.0;
constexpr qreal kTickLength = 4.0;
// Labels longer than this wrap onto further lines instead of squeezing the plot.
constexpr qreal kMaxLabelWidth = 230.0;
constexpr qreal kMinLabelWidth = 40.0;
constexpr qreal kMinPlotWidth = 160.0;
constexpr double kLargestAxisValue = 1e6;

const QColor kBackground(Qt::white);
const QColor kPlotBackground(0xfb, 0xfc, 0xfe);
const QColor kGridColor(0xdd, 0xe1, 0xe6);
const QColor kAxisColor(0x55, 0x5b, 0x63);
const QColor kTextColor(0x1f, 0x23, 0x28);
const QColor kBarColor(0x2f, 0x6f, 0xb3);
const QColor kBarEdge(0x1d, 0x4a, 0x7a);

// Label steps tried in turn: every increment, every 2nd, 4th, 10th, ... (0.05, 0.1, 0.2, 0.5,
// 1, 2, 5, ... for the 0.05 increment).
int NextLabelStep(int step) {
    int decade = 1;
    while (step >= decade * 10) {
        decade *= 10;
    }
    const int lead = step / decade;
    if (lead == 1) {
        return 2 * decade;
    }
    if (lead == 2) {
        return 4 * decade;
    }
    return 10 * decade;
}

qreal MaxAdvance(const QFontMetricsF& fm, const QStringList& lines) {
    qreal w = 0;
    for (const QString& line : lines) {
        w = std::max(w, fm.horizontalAdvance(line));
    }
    return w;
}

} // namespace

QStringList WrapText(const QString& text, const QFont& font, qreal width) {
    if (text.isEmpty()) {
        return {QString()};
    }
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) {
            break;
        }
        line.setLineWidth(std::max<qreal>(width, 1.0));
        QString part = text.mid(line.textStart(), line.textLength());
        while (!part.isEmpty() && part.back().isSpace()) {
            part.chop(1);
        }
        lines << part;
    }
    layout.endLayout();
    if (lines.isEmpty()) {
        lines << QString();
    }
    return lines;
}

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

double IntervalChart::AxisMaximum() const {
    double top = 0.0;
    for (const ChartBar& bar : bars_) {
        if (std::isfinite(bar.upper)) {
            top = std::max(top, bar.upper);
        }
        if (std::isfinite(bar.lower)) {
            top = std::max(top, bar.lower);
        }
    }
    if (top <= 0.0) {
        return 1.0;
    }
    // Values and weights lie far below this; an absurd stored number must not make the axis
    // count billions of ticks. Longer bars end at the axis.
    top = std::min(top, kLargestAxisValue);
    // Rounded up to the next tick, with a little slack so that 0.1 stays 0.1.
    const double steps = std::ceil(top / kLabelIncrement - 1e-9);
    return std::max(1.0, steps) * kLabelIncrement;
}

QFont IntervalChart::TextFont() const {
    // Pixel sizes, so that a drawing scaled onto a printer or into a file keeps its proportions.
    QFont f = font();
    f.setPixelSize(std::max(QFontInfo(font()).pixelSize(), 11));
    return f;
}

QFont IntervalChart::TitleFont() const {
    QFont f = TextFont();
    f.setPixelSize(f.pixelSize() * 5 / 4);
    f.setBold(true);
    return f;
}

ChartLayout IntervalChart::Layout(const QSizeF& size) const {
    ChartLayout out;
    out.size = size;
    const QFont textFont = TextFont();
    const QFont titleFont = TitleFont();
    const QFontMetricsF fm(textFont);
    const QFontMetricsF tfm(titleFont);
    const qreal lineH = fm.height();
    const qreal width = size.width();
    const qreal height = size.height();
    out.axisMaximum = AxisMaximum();

    // Title, wrapped to the width.
    qreal top = kMargin;
    if (!title_.isEmpty()) {
        out.titleLines = WrapText(title_, titleFont, std::max<qreal>(width - 2 * kMargin, 60));
        const qreal h = tfm.height() * out.titleLines.size();
        out.title = QRectF(kMargin, top, std::max<qreal>(width - 2 * kMargin, 0), h);
        top += h + kGap;
    }

    // Bar labels: as wide as the widest, within limits; longer ones wrap.
    qreal labelW = 0;
    for (const ChartBar& bar : bars_) {
        labelW = std::max(labelW, fm.horizontalAdvance(bar.label));
    }
    labelW =
        bars_.empty() ? 0.0 : std::clamp(std::ceil(labelW) + 1, kMinLabelWidth, kMaxLabelWidth);
    std::vector<QStringList> labelLines;
    labelLines.reserve(bars_.size());
    for (const ChartBar& bar : bars_) {
        labelLines.push_back(WrapText(bar.label, textFont, labelW));
        labelW = std::max(labelW, std::ceil(MaxAdvance(fm, labelLines.back())));
    }

    const qreal catTitleW = categoryTitle_.isEmpty() ? 0.0 : lineH;
    const qreal catTitleLen = fm.horizontalAdvance(categoryTitle_);
    const qreal labelX = kMargin + catTitleW + (catTitleW > 0 ? kGap : 0.0);
    const qreal plotLeft = labelX + labelW + (labelW > 0 ? kGap + kTickLength : 0.0);

    // Widest tick label decides the right margin and how many labels fit.
    const qreal tickTextW =
        std::max(fm.horizontalAdvance(FormatValue(out.axisMaximum)),
                 fm.horizontalAdvance(FormatValue(out.axisMaximum - kLabelIncrement)));
    const qreal rightMargin = std::max(kMargin, tickTextW / 2 + 2);
    const qreal plotRight = std::max(plotLeft + 1, width - rightMargin);

    const qreal valueTitleH = valueTitle_.isEmpty() ? 0.0 : lineH;
    const qreal bottomArea =
        kTickLength + 2 + lineH + (valueTitleH > 0 ? 2 + valueTitleH : 0.0) + kMargin;
    const qreal plotBottomLimit = height - bottomArea;

    // Rows: tall enough for the bar, its label lines and its mark.
    const qreal minRow = lineH + 10;
    std::vector<qreal> needed;
    qreal neededSum = 0;
    for (const QStringList& lines : labelLines) {
        const qreal h = std::max(minRow, lines.size() * lineH + 6);
        needed.push_back(h);
        neededSum += h;
    }
    const qreal plotMinHeight = std::max(neededSum, catTitleLen + 8);
    const qreal available = std::max<qreal>(plotBottomLimit - top, 0.0);
    const qreal extra =
        bars_.empty() ? 0.0 : std::max<qreal>(available - neededSum, 0.0) / bars_.size();
    const qreal plotHeight = std::max(available, plotMinHeight);
    out.plot = QRectF(plotLeft, top, plotRight - plotLeft, plotHeight);

    // Smallest size that holds everything.
    qreal widestMark = 0;
    for (const ChartBar& bar : bars_) {
        widestMark = std::max(widestMark, fm.horizontalAdvance(bar.mark));
    }
    const qreal minPlotW = std::max(kMinPlotWidth, widestMark * 1.6 + 2 * kGap);
    out.minimum = QSizeF(std::ceil(plotLeft + minPlotW + rightMargin),
                         std::ceil(top + plotMinHeight + bottomArea));

    // Value axis: grid lines on every increment while they are far enough apart, labels on
    // every labelStep-th increment so that they never touch.
    // The axis then ends on a labelled tick: the maximum is rounded up to the label step.
    const qreal plotW = out.plot.width();
    const double dataMaximum = out.axisMaximum;
    qreal pxPerIncrement = 0;
    int step = 1;
    for (int round = 0; round < 4; ++round) {
        pxPerIncrement = plotW * kLabelIncrement / out.axisMaximum;
        step = 1;
        while (step * pxPerIncrement < tickTextW + 6 && step < 100000000) {
            step = NextLabelStep(step);
        }
        const double span = step * kLabelIncrement;
        const double rounded = std::max(1.0, std::ceil(dataMaximum / span - 1e-9)) * span;
        if (std::abs(rounded - out.axisMaximum) < 1e-12) {
            break;
        }
        out.axisMaximum = rounded;
    }
    out.labelStep = step;
    const long long increments = std::llround(out.axisMaximum / kLabelIncrement);
    auto xOf = [&](double value) { return plotLeft + value / out.axisMaximum * plotW; };
    const int gridStep = pxPerIncrement >= 6 ? 1 : step;
    for (long long i = 0; i <= increments; i += gridStep) {
        out.grid.push_back(xOf(static_cast<double>(i) * kLabelIncrement));
    }
    const qreal minorSpacing = pxPerIncrement / (kMinorTicks + 1);
    if (minorSpacing >= 3.0) {
        for (long long i = 0; i < increments; ++i) {
            for (int k = 1; k <= kMinorTicks; ++k) {
                out.minorTicks.push_back(
                    xOf((static_cast<double>(i) + k / 10.0) * kLabelIncrement));
            }
        }
    }
    const qreal tickTextY = out.plot.bottom() + kTickLength + 2;
    for (long long i = 0; i <= increments; i += step) {
        ChartLayout::Tick tick;
        tick.value = static_cast<double>(i) * kLabelIncrement;
        tick.x = xOf(tick.value);
        tick.text = FormatValue(tick.value);
        const qreal w = fm.horizontalAdvance(tick.text);
        tick.textRect = QRectF(tick.x - w / 2, tickTextY, w, lineH);
        out.labels.push_back(tick);
    }
    if (valueTitleH > 0) {
        out.valueTitle = QRectF(out.plot.left(), tickTextY + lineH + 2, plotW, valueTitleH);
    }
    if (catTitleW > 0) {
        out.categoryTitle = QRectF(kMargin, out.plot.top(), catTitleW, out.plot.height());
    }

    // Rows from the top, the bar centred in its row, the mark beside it.
    qreal y = out.plot.top();
    for (std::size_t i = 0; i < bars_.size(); ++i) {
        const ChartBar& bar = bars_[i];
        ChartLayout::Row row;
        const qreal rowH = needed[i] + extra;
        row.band = QRectF(out.plot.left(), y, plotW, rowH);
        const qreal thickness = std::clamp(rowH * 0.55, std::min<qreal>(10.0, rowH - 4), 34.0);
        const double lo =
            std::isfinite(bar.lower) ? std::clamp(bar.lower, 0.0, out.axisMaximum) : 0.0;
        const double hi =
            std::isfinite(bar.upper) ? std::clamp(bar.upper, 0.0, out.axisMaximum) : 0.0;
        qreal x0 = xOf(std::min(lo, hi));
        qreal x1 = xOf(std::max(lo, hi));
        if (x1 - x0 < 3) { // a point interval stays visible
            const qreal c = (x0 + x1) / 2;
            x0 = std::max(out.plot.left(), c - 1.5);
            x1 = x0 + 3;
        }
        const qreal cy = y + rowH / 2;
        row.bar = QRectF(x0, cy - thickness / 2, x1 - x0, thickness);

        row.labelLines = labelLines[i];
        const qreal labelH = row.labelLines.size() * lineH;
        row.label = QRectF(labelX, cy - labelH / 2, labelW, labelH);

        const qreal markW = fm.horizontalAdvance(bar.mark);
        if (x1 + kGap + markW <= out.plot.right() - 2) {
            row.mark = QRectF(x1 + kGap, cy - lineH / 2, markW, lineH);
        } else if (x0 - kGap - markW >= out.plot.left() + 2) {
            row.mark = QRectF(x0 - kGap - markW, cy - lineH / 2, markW, lineH);
        } else {
            row.markInsideBar = true;
            const qreal left =
                std::clamp((x0 + x1 - markW) / 2, out.plot.left() + 2,
                           std::max(out.plot.left() + 2, out.plot.right() - markW - 2));
            row.mark = QRectF(left, cy - lineH / 2, markW, lineH);
        }
        out.rows.push_back(row);
        y += rowH;
    }
    return out;
}

QSize IntervalChart::minimumSizeHint() const {
    const ChartLayout layout = Layout(QSizeF(1, 1));
    return layout.minimum.toSize();
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
    const ChartLayout layout = Layout(logical);
    const qreal scale =
        std::min(target.width() / logical.width(), target.height() / logical.height());
    painter.save();
    painter.translate(target.left() + (target.width() - logical.width() * scale) / 2, target.top());
    painter.scale(scale, scale);
    Draw(painter, layout);
    painter.restore();
}

QImage IntervalChart::ToImage(qreal scale) const {
    const QSizeF logical = PictureSize();
    QImage image((logical * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(kBackground);
    QPainter painter(&image);
    Render(painter, QRectF(QPointF(), logical * scale));
    painter.end();
    return image;
}

void IntervalChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Draw(painter, CurrentLayout());
}

void IntervalChart::Draw(QPainter& p, const ChartLayout& layout) const {
    const QFont textFont = TextFont();
    const QFont titleFont = TitleFont();
    const QFontMetricsF fm(textFont);
    const QFontMetricsF tfm(titleFont);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.fillRect(QRectF(QPointF(), layout.size), kBackground);

    // Title.
    p.setPen(kTextColor);
    p.setFont(titleFont);
    qreal y = layout.title.top();
    for (const QString& line : layout.titleLines) {
        p.drawText(QRectF(layout.title.left(), y, layout.title.width(), tfm.height()),
                   Qt::AlignHCenter | Qt::AlignVCenter, line);
        y += tfm.height();
    }

    // Plot area and grid.
    const QRectF plot = layout.plot;
    p.fillRect(plot, kPlotBackground);
    p.setPen(QPen(kGridColor, 1.0));
    for (const ChartLayout::Row& row : layout.rows) {
        p.drawLine(QPointF(plot.left(), row.band.bottom()),
                   QPointF(plot.right(), row.band.bottom()));
    }
    for (double x : layout.grid) {
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    }

    // Bars and their marks.
    p.setFont(textFont);
    for (std::size_t i = 0; i < layout.rows.size(); ++i) {
        const ChartLayout::Row& row = layout.rows[i];
        p.setPen(QPen(kBarEdge, 1.0));
        p.setBrush(kBarColor);
        p.drawRect(row.bar);
        p.setBrush(Qt::NoBrush);
        if (row.markInsideBar) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 255, 255, 225));
            p.drawRoundedRect(row.mark.adjusted(-3, 0, 3, 0), 3, 3);
            p.setBrush(Qt::NoBrush);
        }
        p.setPen(kTextColor);
        p.drawText(row.mark, Qt::AlignLeft | Qt::AlignVCenter, bars_[i].mark);

        // Label, right-aligned next to the axis.
        qreal ly = row.label.top();
        for (const QString& line : row.labelLines) {
            p.drawText(QRectF(row.label.left(), ly, row.label.width(), fm.height()),
                       Qt::AlignRight | Qt::AlignVCenter, line);
            ly += fm.height();
        }
        p.setPen(QPen(kAxisColor, 1.0));
        const qreal cy = row.bar.center().y();
        p.drawLine(QPointF(plot.left() - kTickLength, cy), QPointF(plot.left(), cy));
    }

    // Axes with ticks and labels.
    p.setPen(QPen(kAxisColor, 1.0));
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    p.drawLine(plot.bottomLeft(), plot.topLeft());
    for (double x : layout.minorTicks) {
        p.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + kTickLength / 2));
    }
    p.setPen(kTextColor);
    for (const ChartLayout::Tick& tick : layout.labels) {
        p.setPen(QPen(kAxisColor, 1.0));
        p.drawLine(QPointF(tick.x, plot.bottom()), QPointF(tick.x, plot.bottom() + kTickLength));
        p.setPen(kTextColor);
        p.drawText(tick.textRect, Qt::AlignCenter, tick.text);
    }

    // Axis titles.
    QFont axisFont = textFont;
    axisFont.setBold(true);
    p.setFont(axisFont);
    if (!layout.valueTitle.isEmpty()) {
        p.drawText(layout.valueTitle, Qt::AlignHCenter | Qt::AlignVCenter, valueTitle_);
    }
    if (!layout.categoryTitle.isEmpty()) {
        const QRectF r = layout.categoryTitle;
        p.save();
        p.translate(r.center());
        p.rotate(-90);
        p.drawText(QRectF(-r.height() / 2, -r.width() / 2, r.height(), r.width()),
                   Qt::AlignHCenter | Qt::AlignVCenter, categoryTitle_);
        p.restore();
    }
}

} // namespace velor::ui
