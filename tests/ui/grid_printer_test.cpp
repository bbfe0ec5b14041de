// Printed grids: rows move whole to the next page, every page carries the view's title and the
// model's name ("Dominance - Choose a car") above and the date and "Page k of N" below, nothing
// comes closer than 15 mm to the paper's edge whatever the printer's margins, and the legend
// follows the grid.
#include "ui/grid_printer.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QLocale>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QTemporaryDir>

#include <random>

namespace velor::ui::test {
namespace {

TEST(GridPrinter, PagesHoldWholeRowsUnderTheirHeadRow) {
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        std::vector<double> rows(random() % 80);
        for (double& h : rows) {
            h = random() % 25 == 0 ? 400.0 : 2.0 + random() % 58; // now and then taller than a page
        }
        const double head = random() % 2 == 0 ? 0.0 : 20.0;
        const std::vector<std::size_t> starts = PageStarts(rows, 300.0, head);
        ASSERT_EQ(starts.front(), 0u);
        for (std::size_t p = 0; p < starts.size(); ++p) {
            const std::size_t end = p + 1 < starts.size() ? starts[p + 1] : rows.size();
            double used = head;
            for (std::size_t r = starts[p]; r < end; ++r) {
                used += rows[r];
            }
            // Over the page only with a single row taller than it; no row that fitted was left.
            EXPECT_TRUE(end - starts[p] <= 1 || used <= 300.0) << p;
            EXPECT_TRUE(end == rows.size() || used + rows[end] > 300.0) << p;
        }
    }
    EXPECT_EQ(PageStarts({}, 100, 10), std::vector<std::size_t>{0});
}

// A grid of many rows printed to a PDF with narrow printer margins, read back with pdftotext.
TEST(GridPrinter, EveryPageHasItsHeaderFooterAndMarginsAndTheLegendFollows) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QStandardItemModel grid(90, 3);
    for (int r = 0; r < grid.rowCount(); ++r) {
        grid.setHeaderData(r, Qt::Vertical, QStringLiteral("Alternative%1").arg(r + 1));
        for (int c = 0; c < grid.columnCount(); ++c) {
            grid.setItem(r, c, new QStandardItem(QStringLiteral("cell")));
        }
    }
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
    const QString path = dir.filePath(QStringLiteral("grid.pdf"));
    printer.setOutputFileName(path);
    printer.setDocName(QStringLiteral("Choose a car"));
    GridPrintOptions options;
    options.legend = {{QPixmap(), QStringLiteral("Legendary meaning")}};
    ASSERT_TRUE(PrintItemGrid(printer, QStringLiteral("Dominance"), grid, options));

    const auto pdfText = [&](const char* option) {
        QProcess process;
        process.start(QStringLiteral("pdftotext"), {QString::fromLatin1(option), path, QStringLiteral("-")});
        process.waitForFinished(60000);
        return QString::fromUtf8(process.readAllStandardOutput());
    };
    QStringList pages = pdfText("-layout").split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    pages.removeIf([](const QString& page) { return page.trimmed().isEmpty(); });
    ASSERT_GE(pages.size(), 2);
    const QString date = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
    for (int p = 0; p < pages.size(); ++p) {
        for (const QString& part : {QStringLiteral("Dominance - Choose a car"), date,
                                    QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages.size())}) {
            EXPECT_TRUE(pages[p].contains(part)) << p << part.toStdString();
        }
    }
    EXPECT_TRUE(pages.back().contains(QStringLiteral("Legendary meaning")));

    // Every word at least 15 mm (42.5 points) from the edges of the A4 paper.
    const QString html = pdfText("-bbox");
    const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\""));
    const double limit = 15.0 / 25.4 * 72.0 - 0.5;
    const double edges[] = {limit, limit, 210.0 / 25.4 * 72.0 - limit, 297.0 / 25.4 * 72.0 - limit};
    int words = 0;
    for (auto it = word.globalMatch(html); it.hasNext(); ++words) {
        const auto match = it.next();
        for (int i = 0; i < 4; ++i) {
            EXPECT_TRUE(i < 2 ? match.captured(i + 1).toDouble() >= edges[i]
                              : match.captured(i + 1).toDouble() <= edges[i]);
        }
    }
    EXPECT_GT(words, 200);
}

} // namespace
} // namespace velor::ui::test
