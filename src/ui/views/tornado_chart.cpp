#include "ui/views/tornado_chart.h"

#include "ui/views/picture_file.h"

#include <QLocale>
#include <QPainter>

#include <algorithm>

namespace velor::ui {

namespace {

constexpr qreal kRowHeight = 34.0;
constexpr qreal kTop = 48.0;
constexpr qreal kBottom = 40.0;
constexpr qreal kNameWidth = 170.0;
constexpr qreal kMargin = 16.0;
const QColor kLowColor(70, 120, 190);
const QColor kHighColor(230, 150, 40);

QString Number(double value) {
    return QLocale().toString(value, 'f', 3);
}

} // namespace

TornadoChart::TornadoChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TornadoChart"));
    setMinimumSize(300, 160);
}

void TornadoChart::SetBars(std::vector<TornadoBar> bars, QStringList names, QString title) {
    bars_ = std::move(bars);
    names_ = std::move(names);
    title_ = std::move(title);
    updateGeometry();
    update();
}

QSizeF TornadoChart::PictureSize() const {
    return {640.0, kTop + kBottom +
                       kRowHeight * static_cast<qreal>(std::max<std::size_t>(bars_.size(), 1))};
}

void TornadoChart::Render(QPainter& painter, const QRectF& target) const {
    RenderScaled(painter, target, PictureSize(), [this](QPainter& p) { Draw(p, PictureSize()); });
}

QImage TornadoChart::ToImage(qreal scale) const {
    return RenderImage(PictureSize(), scale,
                       [this](QPainter& p, const QRectF& target) { Render(p, target); });
}

void TornadoChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    Render(painter, QRectF(rect()));
}

void TornadoChart::Draw(QPainter& painter, const QSizeF& size) const {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRectF(QPointF(0, 0), size), Qt::white);
    QFont titleFont = painter.font();
    titleFont.setBold(true);
    painter.setFont(titleFont);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(kMargin, 6, size.width() - 2 * kMargin, 20), Qt::AlignLeft, title_);
    QFont font = painter.font();
    font.setBold(false);
    painter.setFont(font);
    if (bars_.empty()) {
        painter.drawText(QRectF(kMargin, kTop, size.width() - 2 * kMargin, kRowHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, tr("No weight to show."));
        return;
    }
    double low = 0.0;
    double high = 0.0;
    for (const TornadoBar& bar : bars_) {
        low = std::min({low, bar.LowMin, bar.HighMin});
        high = std::max({high, bar.LowMax, bar.HighMax});
    }
    if (high - low < 1e-12) {
        high = low + 1.0;
    }
    const qreal left = kMargin + kNameWidth;
    const qreal width = size.width() - left - kMargin;
    const auto x = [&](double value) { return left + (value - low) / (high - low) * width; };
    // Legend.
    const qreal legendY = 28.0;
    painter.fillRect(QRectF(left, legendY + 3, 14, 8), kLowColor);
    painter.drawText(QRectF(left + 18, legendY - 2, 200, 18), Qt::AlignLeft,
                     tr("weight at its low end"));
    painter.fillRect(QRectF(left + 200, legendY + 3, 14, 8), kHighColor);
    painter.drawText(QRectF(left + 218, legendY - 2, 200, 18), Qt::AlignLeft,
                     tr("weight at its high end"));
    for (std::size_t i = 0; i < bars_.size(); ++i) {
        const TornadoBar& bar = bars_[i];
        const qreal y = kTop + kRowHeight * static_cast<qreal>(i);
        const QString name = i < static_cast<std::size_t>(names_.size())
                                 ? names_[static_cast<qsizetype>(i)]
                                 : QString();
        painter.setPen(Qt::black);
        painter.drawText(QRectF(kMargin, y, kNameWidth - 8, kRowHeight),
                         Qt::AlignRight | Qt::AlignVCenter,
                         painter.fontMetrics().elidedText(name, Qt::ElideRight,
                                                          static_cast<int>(kNameWidth - 8)));
        const qreal barHeight = (kRowHeight - 10) / 2;
        // The swing from one end to the other in grey, each end's interval in its colour (at
        // least a few pixels wide: at the end of a weight's interval the others are often
        // fixed, and the interval shrinks to a point).
        const double from = std::min({bar.LowMin, bar.HighMin});
        const double to = std::max({bar.LowMax, bar.HighMax});
        painter.fillRect(QRectF(x(from), y + 4, x(to) - x(from), 2 * barHeight + 2),
                         QColor(225, 225, 225));
        const auto interval = [&](double lower, double upper, qreal top, const QColor& color) {
            const qreal width = std::max<qreal>(4.0, x(upper) - x(lower));
            const qreal centre = (x(lower) + x(upper)) / 2.0;
            painter.fillRect(QRectF(centre - width / 2.0, top, width, barHeight), color);
        };
        interval(bar.LowMin, bar.LowMax, y + 4, kLowColor);
        interval(bar.HighMin, bar.HighMax, y + 6 + barHeight, kHighColor);
    }
    // Zero line and axis.
    const qreal bottom = kTop + kRowHeight * static_cast<qreal>(bars_.size());
    painter.setPen(QPen(Qt::black, 1.0));
    painter.drawLine(QPointF(x(0.0), kTop - 4), QPointF(x(0.0), bottom + 4));
    painter.drawLine(QPointF(left, bottom + 4), QPointF(left + width, bottom + 4));
    for (const double value : {low, 0.0, high}) {
        painter.drawText(QRectF(x(value) - 40, bottom + 8, 80, 18), Qt::AlignHCenter,
                         Number(value));
    }
}

} // namespace velor::ui
