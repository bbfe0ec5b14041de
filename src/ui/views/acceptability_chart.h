// The rank acceptability chart: one horizontal bar per alternative, split into the shares of
// the samples in which it ranks first, second, ... (rank 1 at the left), coloured along a
// sequential scale that colour-blind readers can follow too (dark for rank 1, light for the last
// rank), with the first-rank share labelled at the end of each bar ("first: 73.2 %"), a percent
// axis under the bars and a legend of the ranks. The bars can be sorted by first-rank share.
#pragma once

#include "model/acceptability_result.h"

#include <QColor>
#include <QImage>
#include <QStringList>
#include <QWidget>

#include <vector>

namespace velor::ui {

class AcceptabilityChart : public QWidget {
    Q_OBJECT
public:
    explicit AcceptabilityChart(QWidget* parent = nullptr);

    // The result to draw (null: nothing) and the names to show for its alternatives.
    void SetContent(const AcceptabilityResult* result, QStringList names);
    QString Title() const { return QStringLiteral("Rank acceptability"); }

    // Sorted by first-rank share (largest first) instead of in the model's order.
    void SetSortedByFirstRank(bool sorted);
    bool SortedByFirstRank() const { return sorted_; }
    // The alternatives (indices into the result) in the order the bars are drawn.
    std::vector<int> DrawnOrder() const;

    // The colour of rank (1-based) among ranks: darkest for rank 1 and lighter with every rank,
    // along a scale whose lightness alone tells the ranks apart; rank 2 stands well apart from
    // rank 1 however many ranks there are.
    static QColor RankColour(int rank, int ranks);
    // The label after a bar: "first: 73.2 %".
    static QString FirstRankLabel(double share);
    // Alternatives by first-rank share, largest first; equal shares by the share of the first two
    // ranks, then the first three, ..., then in the model's order.
    static std::vector<int> FirstRankOrder(const std::vector<std::vector<double>>& shares);

    // The size the chart is drawn at: the widget's size, at least the size its content needs.
    QSizeF PictureSize() const;
    // Draws the chart at PictureSize scaled to fit into target.
    void Render(QPainter& painter, const QRectF& target) const;
    QImage ToImage(qreal scale = 1.0) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Draws into a canvas of the given size.
    void Draw(QPainter& painter, const QSizeF& size) const;
    QSizeF ContentSize() const;
    QFont ChartFont(qreal scale = 1.0) const;
    qreal NameWidth() const;
    qreal ShareWidth() const;

    const AcceptabilityResult* result_ = nullptr;
    QStringList names_;
    bool sorted_ = false;
};

} // namespace velor::ui
