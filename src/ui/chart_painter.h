// The window system's side of the charts: text measured with Qt's fonts, and a chart's scene
// (report/chart_scene.h) painted with QPainter on a widget, a printer, an image or a PDF.
#pragma once

#include "report/chart_scene.h"

#include <QFont>
#include <QStringList>

class QPainter;

namespace velor::ui {

// A chart font as a QFont: the base font (family, hinting) at the chart font's pixel size and
// weight.
QFont ChartQFont(const QFont& base, const chart::Font& font);

// Widths and line heights of the base font's family, and lines wrapped by Qt's text layout.
class QtTextMetrics : public chart::TextMetrics {
public:
    explicit QtTextMetrics(QFont base) : base_(std::move(base)) {}
    double Advance(std::string_view text, const chart::Font& font) const override;
    double LineHeight(const chart::Font& font) const override;
    std::vector<std::string> Wrap(const std::string& text, const chart::Font& font,
                                  double width) const override;

private:
    QFont base_;
};

// Paints the primitives in order with the base font's family.
void PaintScene(QPainter& painter, const chart::Scene& scene, const QFont& base);

// Splits text into lines no wider than width, at word boundaries where it can and anywhere
// where a single word is wider than the line.
QStringList WrapText(const QString& text, const QFont& font, qreal width);

} // namespace velor::ui
