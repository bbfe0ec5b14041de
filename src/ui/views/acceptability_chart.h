// The rank acceptability chart: one horizontal bar per alternative, split into the shares of
// the samples in which it ranks first, second, ... (rank 1 at the left), coloured along a scale
// from green (rank 1) to red (last rank), with the first-rank share at the end of each bar, a
// percent axis under the bars and a legend of the ranks.
#pragma once

#include "model/acceptability_result.h"

#include <QColor>
#include <QImage>
#include <QStringList>
#include <QWidget>

namespace velor::ui {

class AcceptabilityChart : public QWidget {
    Q_OBJECT
public:
    explicit AcceptabilityChart(QWidget* parent = nullptr);

    // The result to draw (null: nothing) and the names to show for its alternatives.
    void SetContent(const AcceptabilityResult* result, QStringList names);
    QString Title() const { return QStringLiteral("Rank acceptability"); }

    // The colour of rank (1-based) among ranks.
    static QColor RankColour(int rank, int ranks);

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

    const AcceptabilityResult* result_ = nullptr;
    QStringList names_;
};

} // namespace velor::ui
