// The tornado chart of the What If window: one row per weight, with two bars, the interval of
// V(A) - V(B) with that weight at the low end and at the high end of its interval, and the zero
// line, the weights that move the comparison most on top. It paints itself and, for printing,
// copying and picture files, into any painter.
#pragma once

#include "calc/what_if.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <vector>

namespace velor::ui {

class TornadoChart : public QWidget {
    Q_OBJECT
public:
    explicit TornadoChart(QWidget* parent = nullptr);

    // The bars in order, with the names of their nodes and the chart's title.
    void SetBars(std::vector<TornadoBar> bars, QStringList names, QString title);
    const std::vector<TornadoBar>& Bars() const { return bars_; }
    QString Title() const { return title_; }

    QSizeF PictureSize() const;
    // Draws the chart at PictureSize scaled to fit into target.
    void Render(QPainter& painter, const QRectF& target) const;
    QImage ToImage(qreal scale = 1.0) const;

    QSize sizeHint() const override { return PictureSize().toSize(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Draw(QPainter& painter, const QSizeF& size) const;

    std::vector<TornadoBar> bars_;
    QStringList names_;
    QString title_;
};

} // namespace velor::ui
