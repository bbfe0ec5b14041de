#include "ui/report_export.h"

#include "calc/results_report.h"
#include "report/decision_report.h"
#include "ui/chart_painter.h"

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgRenderer>
#include <QTextDocument>
#include <QUrl>

namespace velor::ui {

namespace {

// Charts are drawn at three times their size, so that they stay sharp on paper.
constexpr int kChartScale = 3;

bool WritePdf(const DecisionReport& report, const QString& path, QString* error) {
    QTextDocument document;
    document.setDefaultFont(QApplication::font());
    for (const DecisionReport::Chart& chart : report.charts) {
        QSvgRenderer renderer(QByteArray::fromStdString(chart.svg));
        if (!renderer.isValid()) {
            *error = QStringLiteral("a chart could not be drawn");
            return false;
        }
        QImage image(renderer.defaultSize() * kChartScale, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        document.addResource(QTextDocument::ImageResource, QUrl(QString::fromStdString(chart.name)),
                             image);
    }
    document.setHtml(QString::fromStdString(report.html));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    {
        QPdfWriter pdf(&file);
        // The report's sizes are CSS pixels: the page is laid out at 96 pixels to the inch.
        pdf.setResolution(96);
        pdf.setTitle(document.metaInformation(QTextDocument::DocumentTitle));
        pdf.setCreator(QStringLiteral("Velor Decisions"));
        pdf.setPageSize(QPageSize(QPageSize::A4));
        // QTextDocument::print keeps a margin of 2 cm on every side of the page by itself.
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        document.print(&pdf);
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

bool WriteDecisionReport(const Model& model, const QString& modelFile, bool resultsOutOfDate,
                         const QString& path, QString* error) {
    QString ignored;
    QString& reason = error != nullptr ? *error : ignored;
    const bool pdf =
        QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0;
    const QtTextMetrics metrics(QApplication::font());
    ReportOptions options;
    // A PDF is made to be passed on: it names the model file without the local folder it is in.
    options.fileName = (pdf ? QFileInfo(modelFile).fileName() : modelFile).toStdString();
    options.date = CurrentDateText();
    options.resultsOutOfDate = resultsOutOfDate;
    options.metrics = &metrics;
    options.chartsAsImages = pdf;
    // An A4 page less its margins of 2 cm is about 640 pixels wide.
    options.chartWidth = pdf ? 600.0 : options.chartWidth;
    const DecisionReport report = MakeDecisionReport(model, options);
    if (pdf) {
        return WritePdf(report, path, &reason);
    }
    std::string why;
    if (!WriteFileSafely(path.toStdString(), report.html, &why)) {
        reason = QString::fromStdString(why);
        return false;
    }
    return true;
}

} // namespace velor::ui
