#include "ui/report_export.h"

#include "calc/results_report.h"
#include "report/decision_report.h"
#include "ui/chart_painter.h"
#include "ui/grid_printer.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextObjectInterface>
#include <QTextTable>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace velor::ui {

namespace {

// The charts are the report's images: this handler takes the place of the one that loads
// pictures and paints each chart's primitives with the painter of the page, so that the PDF holds
// them as lines and text in the report's subset fonts instead of large pictures.
class ChartObject : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    explicit ChartObject(const DecisionReport& report) : report_(report) {}
    QSizeF intrinsicSize(QTextDocument*, int, const QTextFormat& format) override {
        const QTextImageFormat image = format.toImageFormat();
        return QSizeF(image.width(), image.height());
    }
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int,
                    const QTextFormat& format) override {
        const std::string name = format.toImageFormat().name().toStdString();
        for (const DecisionReport::Chart& chart : report_.charts) {
            if (chart.name == name) {
                painter->save();
                painter->translate(rect.topLeft());
                painter->scale(rect.width() / chart.size.w, rect.height() / chart.size.h);
                PaintScene(*painter, chart.scene, QApplication::font());
                painter->restore();
            }
        }
    }

private:
    const DecisionReport& report_;
};

// A page of the report in pixels: its size and the margin on every side.
struct PageGeometry {
    PageGeometry(QSizeF pageSize, double pageMargin) : size(pageSize), margin(pageMargin) {}
    QSizeF size;
    double margin;
    int PageOf(double y) const { return static_cast<int>(std::floor(y / size.height())); }
    double BodyHeight() const { return size.height() - 2 * margin; }
};

// Every table of a frame and of the frames inside it, in the order of the document.
void CollectTables(QTextFrame* frame, std::vector<QTextTable*>& tables) {
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child)) {
            tables.push_back(table);
        }
        CollectTables(child, tables);
    }
}

// The first body row of the data tables (those with a head row), counted through the document as
// the report counts them, that the page layout splits over two pages; -1 when there is none. A
// row taller than a page cannot be kept on one and is not counted as split.
int FirstSplitRow(QTextDocument& document, const PageGeometry& page) {
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    std::vector<QTextTable*> tables;
    CollectTables(document.rootFrame(), tables);
    int counted = 0;
    for (QTextTable* table : tables) {
        const int head = table->format().headerRowCount();
        if (head <= 0) {
            continue;
        }
        for (int row = head; row < table->rows(); ++row, ++counted) {
            // From the top of the row's first line to the foot of its last.
            double top = 1e300;
            double bottom = -1e300;
            for (int c = 0; c < table->columns(); ++c) {
                const QTextTableCell cell = table->cellAt(row, c);
                for (QTextBlock block = document.findBlock(cell.firstPosition());
                     block.isValid() && block.position() <= cell.lastPosition();
                     block = block.next()) {
                    const QRectF rect = layout->blockBoundingRect(block);
                    top = std::min(top, rect.top());
                    bottom = std::max(bottom, rect.bottom());
                }
            }
            if (page.PageOf(top) != page.PageOf(bottom - 0.5) && bottom - top < page.BodyHeight()) {
                return counted;
            }
        }
    }
    return -1;
}

// Sets a page break before the headings of the given places among the headings of the page flow.
void BreakBeforeHeadings(QTextDocument& document, const std::vector<int>& headings) {
    int place = 0;
    for (auto it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        const QTextBlock block = it.currentBlock();
        if (!block.isValid() || block.blockFormat().headingLevel() == 0) {
            continue;
        }
        if (std::find(headings.begin(), headings.end(), place++) != headings.end()) {
            QTextBlockFormat format = block.blockFormat();
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(block).setBlockFormat(format);
        }
    }
}

// The place among the headings of the page flow of the first heading left alone at the foot of
// a page, with what it heads on the next page; -1 for none.
int LoneHeading(QTextDocument& document, const PageGeometry& page) {
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    const auto topOf = [&](const QTextFrame::iterator& it) {
        if (QTextFrame* frame = it.currentFrame()) {
            auto* table = qobject_cast<QTextTable*>(frame);
            return table != nullptr && table->rows() > 0
                       ? layout->blockBoundingRect(table->cellAt(0, 0).firstCursorPosition().block())
                             .top()
                       : layout->frameBoundingRect(frame).top();
        }
        // Where the first line is: a line that does not fit at the foot of a page starts the
        // next one, below the top of its block.
        const QTextBlock next = it.currentBlock();
        const QTextLayout* lines = next.layout();
        return layout->blockBoundingRect(next).top() +
               (lines != nullptr && lines->lineCount() > 0 ? lines->lineAt(0).y() : 0.0);
    };
    int place = -1;
    for (auto it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        const QTextBlock block = it.currentBlock();
        if (!block.isValid() || block.blockFormat().headingLevel() == 0) {
            continue;
        }
        ++place;
        auto next = it;
        ++next;
        if (next.atEnd() || block.blockFormat().pageBreakPolicy() != QTextFormat::PageBreak_Auto) {
            continue;
        }
        const int headingPage = page.PageOf(layout->blockBoundingRect(block).top());
        if (page.PageOf(topOf(next)) > headingPage) {
            return place;
        }
    }
    return -1;
}

// The report laid out on the pages of pdf.
class PdfReport {
public:
    // headings: the places among the headings of those that begin a page.
    PdfReport(const DecisionReport& report, QPdfWriter& pdf, const PageGeometry& page,
              const std::vector<int>& headings)
        : charts_(report) {
        document_.documentLayout()->setPaintDevice(&pdf);
        document_.setDefaultFont(QApplication::font());
        // Lines break between words only: a name is never split inside ("Purcha se"); a column
        // widens to its longest word instead.
        QTextOption option = document_.defaultTextOption();
        option.setWrapMode(QTextOption::WordWrap);
        document_.setDefaultTextOption(option);
        document_.documentLayout()->registerHandler(QTextFormat::ImageObject, &charts_);
        document_.setHtml(QString::fromStdString(report.html));
        BreakBeforeHeadings(document_, headings);
        // The page's margins, on every page.
        QTextFrameFormat root = document_.rootFrame()->frameFormat();
        root.setMargin(page.margin);
        root.setPadding(0);
        document_.rootFrame()->setFrameFormat(root);
        document_.setPageSize(page.size);
    }
    QTextDocument& Document() { return document_; }

private:
    ChartObject charts_;
    QTextDocument document_;
};

bool WritePdf(const Model& model, ReportOptions options, const QString& path, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    {
        QPdfWriter pdf(&file);
        // The report's sizes are CSS pixels: the page is laid out at 96 pixels to the inch.
        pdf.setResolution(96);
        pdf.setCreator(QStringLiteral("Velor Decisions"));
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        // Margins of 2 cm, the bottom one holding the page number.
        const PageGeometry page(pdf.pageLayout().fullRectPixels(pdf.resolution()).size(),
                                20.0 / 25.4 * pdf.resolution());

        // Laid out again with a page break before each row the layout splits, until none is;
        // a heading never stays behind at the foot of a page.
        DecisionReport report = MakeDecisionReport(model, options);
        std::vector<int> headings;
        auto laidOut = std::make_unique<PdfReport>(report, pdf, page, headings);
        // Each round lays the whole report out again; a report of very large tables (whose
        // matrices no page can show well anyway) gets fewer rounds, so that writing it stays
        // within seconds.
        std::vector<QTextTable*> tables;
        CollectTables(laidOut->Document().rootFrame(), tables);
        long long cells = 1;
        for (const QTextTable* table : tables) {
            cells += static_cast<long long>(table->rows()) * table->columns();
        }
        const long long rounds = std::clamp<long long>(60000 / cells, 2, 300);
        for (long long round = 0; round < rounds; ++round) {
            // Lone headings first: their page breaks are kept when the report is made again.
            if (const int heading = LoneHeading(laidOut->Document(), page); heading >= 0) {
                headings.push_back(heading);
                BreakBeforeHeadings(laidOut->Document(), {heading});
                continue;
            }
            const int split = FirstSplitRow(laidOut->Document(), page);
            const auto& breaks = options.pageBreakRows;
            // A row that a page under its head row cannot hold stays split.
            if (split < 0 || std::find(breaks.begin(), breaks.end(), split) != breaks.end()) {
                break;
            }
            options.pageBreakRows.push_back(split);
            laidOut.reset();
            report = MakeDecisionReport(model, options);
            laidOut = std::make_unique<PdfReport>(report, pdf, page, headings);
        }
        QTextDocument& document = laidOut->Document();
        pdf.setTitle(document.metaInformation(QTextDocument::DocumentTitle));

        QPainter painter;
        if (!painter.begin(&pdf)) {
            *error = QStringLiteral("the PDF could not be started");
            return false;
        }
        const int pages = document.pageCount();
        QFont footerFont = QApplication::font();
        footerFont.setPixelSize(11);
        const QString title = document.metaInformation(QTextDocument::DocumentTitle);
        for (int i = 0; i < pages; ++i) {
            if (i > 0) {
                pdf.newPage();
            }
            const QRectF view(0, i * page.size.height(), page.size.width(), page.size.height());
            painter.save();
            painter.translate(0, -view.top());
            painter.setClipRect(view);
            QAbstractTextDocumentLayout::PaintContext context;
            context.clip = view;
            context.palette.setColor(QPalette::Text, Qt::black);
            document.documentLayout()->draw(&painter, context);
            painter.restore();
            // The report's title and the page number in the bottom margin.
            painter.setFont(footerFont);
            painter.setPen(QColor(0x55, 0x5b, 0x63));
            const QRectF foot(page.margin, page.size.height() - page.margin + 8,
                              page.size.width() - 2 * page.margin, 20);
            painter.drawText(foot, Qt::AlignLeft | Qt::AlignTop,
                             QFontMetricsF(footerFont).elidedText(title, Qt::ElideRight,
                                                                  foot.width() * 0.7));
            painter.drawText(foot, Qt::AlignRight | Qt::AlignTop, PageNumberText(i + 1, pages));
        }
        if (!painter.end()) {
            *error = QStringLiteral("the PDF could not be written");
            return false;
        }
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

bool WriteDecisionReport(const Model& model, const QString& modelFile, bool resultsOutOfDate,
                         const QString& path, QString* error,
                         const AcceptabilityResult* acceptability, bool acceptabilityOutOfDate) {
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
    options.paged = pdf;
    options.acceptability = acceptability;
    options.acceptabilityOutOfDate = acceptabilityOutOfDate;
    // An A4 page less its margins of 2 cm is about 640 pixels wide.
    options.chartWidth = pdf ? 640.0 : options.chartWidth;
    if (pdf) {
        return WritePdf(model, options, path, &reason);
    }
    const DecisionReport report = MakeDecisionReport(model, options);
    std::string why;
    if (!WriteFileSafely(path.toStdString(), report.html, &why)) {
        reason = QString::fromStdString(why);
        return false;
    }
    return true;
}

} // namespace velor::ui

#include "report_export.moc"
