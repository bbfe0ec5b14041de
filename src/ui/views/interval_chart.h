// The interval chart as a widget: the chart's layout and drawing are the core's
// (report/chart_layout.h, report/chart_scene.h), measured with the widget's font and painted with
// QPainter, so the same drawing goes to the screen, a printer, an image, an SVG or a PDF file,
// and the decision report shows the same chart. This class holds the content in Qt's types and
// gives the layout in them.
#pragma once

#include "report/chart_layout.h"
#include "ui/chart_painter.h"

#include <QFont>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <vector>

class QPainter;

namespace velor::ui {

struct ChartBar {
    QString label;
    double lower = 0.0;
    double upper = 0.0;
    double position = 0.0; // place on the category axis; bars are listed from the top
    QString mark;          // the text shown beside the bar
};

// Where everything of one drawing goes, in the coordinates of that drawing.
struct ChartLayout {
    struct Row {
        QRectF band;  // the row's strip of the plot area
        QRectF bar;   // the interval bar
        QRectF label; // the bar label, left of the plot area
        QStringList labelLines;
        QRectF mark; // the mark text
        bool markInsideBar = false;
    };
    struct Tick {
        double value = 0.0;
        double x = 0.0;
        QString text;
        QRectF textRect;
    };

    QSizeF size;
    QRectF title;
    QStringList titleLines;
    QRectF plot;
    QRectF categoryTitle; // before rotation: a vertical strip left of the labels
    QRectF valueTitle;
    double axisMaximum = 1.0; // the value at the right end of the axis
    int labelStep = 1;        // a label on every labelStep-th increment
    std::vector<double> grid; // x of the vertical grid lines
    std::vector<double> minorTicks;
    std::vector<Tick> labels;
    std::vector<Row> rows;
    QSizeF minimum; // smallest size at which nothing overlaps or is cut
};

class IntervalChart : public QWidget {
    Q_OBJECT
public:
    // Distance between two value-axis ticks, and minor ticks between two of them.
    static constexpr double kLabelIncrement = chart::kLabelIncrement;
    static constexpr int kMinorTicks = chart::kMinorTicks;

    explicit IntervalChart(QWidget* parent = nullptr);

    void SetAxisTitles(const QString& valueTitle, const QString& categoryTitle);
    void SetContent(const QString& title, std::vector<ChartBar> bars);
    // The content as the core describes it (axis titles included), e.g. from result_charts.h.
    void SetContent(const chart::ChartContent& content);
    void ClearContent() { SetContent(QString(), {}); }

    const QString& Title() const { return title_; }
    const std::vector<ChartBar>& Bars() const { return bars_; }
    const QString& ValueAxisTitle() const { return valueTitle_; }
    const QString& CategoryAxisTitle() const { return categoryTitle_; }
    double AxisMinimum() const { return 0.0; }
    // The smallest multiple of the increment at or above every bar end (1 without bars). A
    // drawing too narrow to label every increment rounds it further up to its label step
    // (ChartLayout::axisMaximum), so that the axis always ends on a label.
    double AxisMaximum() const;

    ChartLayout Layout(const QSizeF& size) const;
    ChartLayout CurrentLayout() const { return Layout(QSizeF(size())); }

    // The size pictures (print, copy, save) are drawn at: the widget's size, at least the
    // minimum at which the chart reads well.
    QSizeF PictureSize() const;
    // Draws the chart at PictureSize(), scaled to fit target and centred in it.
    void Render(QPainter& painter, const QRectF& target) const;
    QImage ToImage(qreal scale = 1.0) const;

    // The row (0 for the first bar) whose label, bar or mark lies at a point of the widget;
    // -1 for none.
    int RowAt(const QPointF& point) const;

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    chart::ChartContent Content() const;
    chart::ChartFonts Fonts() const;
    chart::ChartLayout CoreLayout(const QSizeF& size) const;
    void Draw(QPainter& painter, const chart::ChartLayout& layout) const;

    QString title_;
    QString valueTitle_;
    QString categoryTitle_;
    std::vector<ChartBar> bars_;
};

} // namespace velor::ui
