#include "ui/views/acceptability_chart.h"
#include "ui/views/picture_file.h"

#include "model/number_format.h"
#include "ui/ui_text.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace velor::ui {

namespace {

constexpr qreal kMargin = 12;
constexpr qreal kTitleHeight = 26;
constexpr qreal kRowHeight = 24;
constexpr qreal kBarHeight = 16;
constexpr qreal kAxisHeight = 22;
constexpr qreal kLegendRowHeight = 20;
constexpr qreal kSwatch = 12;
constexpr qreal kLegendItemWidth = 64;
constexpr qreal kMinimumBarWidth = 200;
// With more ranks than this the legend is a colour band from rank 1 to rank M.
constexpr int kMostLegendItems = 12;

// A colour-blind-safe sequential scale from dark violet through blue and green to yellow; its
// lightness rises all the way.
constexpr std::array<std::array<int, 3>, 5> kScale{{{68, 1, 84},
                                                    {59, 82, 139},
                                                    {33, 145, 140},
                                                    {94, 201, 98},
                                                    {253, 231, 37}}};

QColor ScaleColour(double t) {
    const double x = std::clamp(t, 0.0, 1.0) * (kScale.size() - 1);
    const std::size_t i = std::min<std::size_t>(static_cast<std::size_t>(x), kScale.size() - 2);
    const double f = x - static_cast<double>(i);
    const auto mix = [&](int c) {
        return static_cast<int>(std::lround(kScale[i][static_cast<std::size_t>(c)] * (1 - f) +
                                            kScale[i + 1][static_cast<std::size_t>(c)] * f));
    };
    return QColor(mix(0), mix(1), mix(2));
}

QString Percent(double share) {
    const std::string text = FormatNumber(std::round(share * 1000.0) / 10.0, DecimalSeparator());
    return QString::fromStdString(text) + QStringLiteral(" %");
}

} // namespace

AcceptabilityChart::AcceptabilityChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("AcceptabilityChart"));
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void AcceptabilityChart::SetContent(const AcceptabilityResult* result, QStringList names) {
    result_ = result;
    names_ = std::move(names);
    updateGeometry();
    update();
}

QColor AcceptabilityChart::RankColour(int rank, int ranks) {
    // Rank 1 at the dark end; the other ranks spread over the rest of the scale from a third of
    // the way on, so that rank 2 never comes close to rank 1.
    if (rank <= 1 || ranks <= 1) {
        return ScaleColour(0.0);
    }
    if (ranks == 2) {
        return ScaleColour(0.6);
    }
    return ScaleColour(0.33 + 0.67 * static_cast<double>(rank - 2) / (ranks - 2));
}

QString AcceptabilityChart::FirstRankLabel(double share) {
    return QStringLiteral("first: ") + Percent(share);
}

std::vector<int> AcceptabilityChart::FirstRankOrder(
    const std::vector<std::vector<double>>& shares) {
    std::vector<int> order(shares.size());
    for (std::size_t a = 0; a < shares.size(); ++a) {
        order[a] = static_cast<int>(a);
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const auto& x = shares[static_cast<std::size_t>(a)];
        const auto& y = shares[static_cast<std::size_t>(b)];
        double sumX = 0;
        double sumY = 0;
        for (std::size_t r = 0; r < std::min(x.size(), y.size()); ++r) {
            sumX += x[r];
            sumY += y[r];
            if (std::abs(sumX - sumY) > 1e-12) {
                return sumX > sumY;
            }
        }
        return false;
    });
    return order;
}

void AcceptabilityChart::SetSortedByFirstRank(bool sorted) {
    sorted_ = sorted;
    update();
}

std::vector<int> AcceptabilityChart::DrawnOrder() const {
    if (result_ == nullptr) {
        return {};
    }
    if (sorted_) {
        return FirstRankOrder(result_->RankShares);
    }
    std::vector<int> order(result_->RankShares.size());
    for (std::size_t a = 0; a < order.size(); ++a) {
        order[a] = static_cast<int>(a);
    }
    return order;
}

qreal AcceptabilityChart::ShareWidth() const {
    return QFontMetricsF(ChartFont()).horizontalAdvance(FirstRankLabel(1.0)) + 12;
}

QFont AcceptabilityChart::ChartFont(qreal scale) const {
    QFont f = font();
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(12 * scale))));
    return f;
}

qreal AcceptabilityChart::NameWidth() const {
    const QFontMetricsF metrics(ChartFont());
    qreal width = 60;
    for (const QString& name : names_) {
        width = std::max(width, metrics.horizontalAdvance(name));
    }
    return std::min(width, 260.0) + 10;
}

QSizeF AcceptabilityChart::ContentSize() const {
    const int m = result_ != nullptr ? static_cast<int>(result_->RankShares.size()) : 0;
    const int legendRows = m > kMostLegendItems ? 1 : (m + 7) / 8; // eight swatches per legend row
    const qreal width = 2 * kMargin + NameWidth() + kMinimumBarWidth + ShareWidth();
    const qreal height = 2 * kMargin + kTitleHeight + m * kRowHeight + kAxisHeight +
                         std::max(1, legendRows) * kLegendRowHeight + 6;
    return {width, height};
}

QSize AcceptabilityChart::sizeHint() const {
    return ContentSize().expandedTo(QSizeF(560, 0)).toSize();
}

QSize AcceptabilityChart::minimumSizeHint() const {
    return ContentSize().toSize();
}

QSizeF AcceptabilityChart::PictureSize() const {
    return QSizeF(size()).expandedTo(ContentSize());
}

void AcceptabilityChart::Render(QPainter& painter, const QRectF& target) const {
    const QSizeF logical = PictureSize();
    RenderScaled(painter, target, logical, [&](QPainter& p) { Draw(p, logical); });
}

QImage AcceptabilityChart::ToImage(qreal scale) const {
    return RenderImage(PictureSize(), scale,
                       [this](QPainter& p, const QRectF& target) { Render(p, target); });
}

void AcceptabilityChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Draw(painter, QSizeF(size()));
}

void AcceptabilityChart::Draw(QPainter& painter, const QSizeF& size) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(QRectF(QPointF(), size), Qt::white);
    const QFont text = ChartFont();
    QFont bold = text;
    bold.setBold(true);
    bold.setPixelSize(text.pixelSize() + 2);
    const QFontMetricsF metrics(text);
    const QColor ink(40, 40, 40);

    painter.setFont(bold);
    painter.setPen(ink);
    painter.drawText(QRectF(kMargin, kMargin, size.width() - 2 * kMargin, kTitleHeight),
                     Qt::AlignLeft | Qt::AlignTop, Title());
    if (result_ == nullptr || result_->RankShares.empty()) {
        painter.restore();
        return;
    }
    const int m = static_cast<int>(result_->RankShares.size());
    const qreal nameWidth = NameWidth();
    const qreal left = kMargin + nameWidth;
    const qreal shareWidth = ShareWidth();
    const qreal barWidth = std::max(kMinimumBarWidth, size.width() - left - shareWidth - kMargin);
    const qreal top = kMargin + kTitleHeight;

    painter.setFont(text);
    const std::vector<int> order = DrawnOrder();
    for (int i = 0; i < m; ++i) {
        const int a = order[static_cast<std::size_t>(i)];
        const qreal y = top + i * kRowHeight;
        const QString name = a < names_.size() ? names_[a] : QString::number(a + 1);
        painter.setPen(ink);
        painter.drawText(QRectF(kMargin, y, nameWidth - 8, kRowHeight),
                         Qt::AlignRight | Qt::AlignVCenter,
                         metrics.elidedText(name, Qt::ElideRight, nameWidth - 8));
        const QRectF bar(left, y + (kRowHeight - kBarHeight) / 2, barWidth, kBarHeight);
        qreal x = bar.left();
        const auto& shares = result_->RankShares[static_cast<std::size_t>(a)];
        // Beyond 200 alternatives only the first ranks are counted; the rest of the bar stays
        // empty.
        for (int r = 0; r < static_cast<int>(shares.size()); ++r) {
            const qreal w = shares[static_cast<std::size_t>(r)] * barWidth;
            if (w > 0) {
                painter.fillRect(QRectF(x, bar.top(), w, bar.height()), RankColour(r + 1, m));
            }
            x += w;
        }
        painter.setPen(QPen(QColor(120, 120, 120), 0.8));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(bar);
        painter.setPen(ink);
        painter.drawText(QRectF(bar.right() + 6, y, shareWidth - 6, kRowHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, FirstRankLabel(shares[0]));
    }

    // The percent axis.
    const qreal axisY = top + m * kRowHeight + 2;
    painter.setPen(QPen(QColor(120, 120, 120), 0.8));
    painter.drawLine(QPointF(left, axisY), QPointF(left + barWidth, axisY));
    for (int tick = 0; tick <= 4; ++tick) {
        const qreal x = left + barWidth * tick / 4.0;
        painter.drawLine(QPointF(x, axisY), QPointF(x, axisY + 4));
        painter.drawText(QRectF(x - 30, axisY + 4, 60, kAxisHeight - 4),
                         Qt::AlignHCenter | Qt::AlignTop, Percent(tick / 4.0));
    }

    // The legend.
    qreal y = axisY + kAxisHeight + 4;
    painter.setPen(ink);
    if (m > kMostLegendItems) {
        const QString first = QStringLiteral("Rank 1");
        const QString last = QStringLiteral("Rank %1").arg(m);
        const qreal firstWidth = metrics.horizontalAdvance(first) + 6;
        painter.drawText(QRectF(left, y, firstWidth, kSwatch), Qt::AlignLeft | Qt::AlignVCenter,
                         first);
        const QRectF band(left + firstWidth, y, std::min(200.0, barWidth / 2), kSwatch);
        for (int r = 1; r <= m; ++r) {
            painter.fillRect(QRectF(band.left() + band.width() * (r - 1) / m, band.top(),
                                    band.width() / m + 0.5, band.height()),
                             RankColour(r, m));
        }
        painter.drawText(QRectF(band.right() + 6, y, 80, kSwatch), Qt::AlignLeft | Qt::AlignVCenter,
                         last);
    } else {
        for (int r = 1; r <= m; ++r) {
            const qreal x = left + ((r - 1) % 8) * kLegendItemWidth;
            const qreal rowY = y + ((r - 1) / 8) * kLegendRowHeight;
            painter.fillRect(QRectF(x, rowY, kSwatch, kSwatch), RankColour(r, m));
            painter.drawText(
                QRectF(x + kSwatch + 4, rowY - 2, kLegendItemWidth - kSwatch - 4, kSwatch + 4),
                Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Rank %1").arg(r));
        }
    }
    painter.restore();
}

} // namespace velor::ui
