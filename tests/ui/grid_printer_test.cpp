// Printed grids: rows move whole to the next page, every page carries the view's title and the
// model's name above and the date and "Page k of N" below, nothing comes closer than 15 mm to the
// paper's edge whatever the printer's margins, and the legend follows the grid.
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
    std::uniform_real_distribution<double> height(2.0, 60.0);
    for (int round = 0; round < 300; ++round) {
        std::vector<double> rows(random() % 80);
        for (double& h : rows) {
            h = random() % 25 == 0 ? 400.0 : height(random); // now and then taller than a page
        }
        const double body = 300.0;
        const double head = random() % 2 == 0 ? 0.0 : 20.0;
        const std::vector<std::size_t> starts = PageStarts(rows, body, head);
        ASSERT_FALSE(starts.empty());
        EXPECT_EQ(starts.front(), 0u);
        for (std::size_t p = 0; p < starts.size(); ++p) {
            const std::size_t end = p + 1 < starts.size() ? starts[p + 1] : rows.size();
            ASSERT_LT(starts[p], std::max<std::size_t>(end, 1)) << "no empty page";
            double used = head;
            for (std::size_t r = starts[p]; r < end; ++r) {
                used += rows[r];
            }
            // A page overflows only with a single row taller than the page.
            if (end - starts[p] > 1) {
                EXPECT_LE(used, body);
            }
            // The page took every row that fitted.
            if (end < rows.size()) {
                EXPECT_GT(used + rows[end], body);
            }
        }
    }
    EXPECT_EQ(PageStarts({}, 100, 10), std::vector<std::size_t>{0});
}

struct HeaderCase {
    const char* view;
    const char* model;
    const char* expected;
};

class PageHeader : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(PageHeader, NamesTheViewAndTheModel) {
    EXPECT_EQ(PageHeaderText(QString::fromUtf8(GetParam().view), QString::fromUtf8(GetParam().model)),
              QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Cases, PageHeader,
                         ::testing::Values(HeaderCase{"Dominance", "Choose a car",
                                                      "Dominance - Choose a car"},
                                           HeaderCase{"Decision Rules", "", "Decision Rules"},
                                           HeaderCase{"Decision Rules", "  ", "Decision Rules"},
                                           HeaderCase{"", "Choose a car", "Choose a car"}));

TEST(GridPrinter, PageNumbersCountAllPages) {
    EXPECT_EQ(PageNumberText(2, 3), QStringLiteral("Page 2 of 3"));
    EXPECT_EQ(PageNumberText(1, 1), QStringLiteral("Page 1 of 1"));
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

    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(60000));
    QStringList pages = QString::fromUtf8(text.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) {
        pages.removeLast();
    }
    ASSERT_GE(pages.size(), 2);
    const QString date = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
    for (int p = 0; p < pages.size(); ++p) {
        const QString& page = pages[p];
        EXPECT_TRUE(page.contains(QStringLiteral("Dominance - Choose a car"))) << p;
        EXPECT_TRUE(page.contains(date)) << p;
        EXPECT_TRUE(page.contains(QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages.size())))
            << p;
    }
    EXPECT_TRUE(pages.back().contains(QStringLiteral("Legendary meaning")));
    // Each row once: none is split over two pages.
    const QString all = pages.join(QLatin1Char('\n'));
    for (int r = 1; r <= grid.rowCount(); ++r) {
        const QRegularExpression name(QStringLiteral("\\bAlternative%1\\b").arg(r));
        EXPECT_EQ(all.count(name), 1) << r;
    }

    // Every word at least 15 mm (42.5 points) from the edges of the A4 paper.
    QProcess boxes;
    boxes.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    ASSERT_TRUE(boxes.waitForFinished(60000));
    const QString html = QString::fromUtf8(boxes.readAllStandardOutput());
    const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\""));
    const double limit = 15.0 / 25.4 * 72.0 - 0.5;
    const double width = 210.0 / 25.4 * 72.0;
    const double height = 297.0 / 25.4 * 72.0;
    int words = 0;
    for (auto it = word.globalMatch(html); it.hasNext(); ++words) {
        const auto match = it.next();
        EXPECT_GE(match.captured(1).toDouble(), limit);
        EXPECT_GE(match.captured(2).toDouble(), limit);
        EXPECT_LE(match.captured(3).toDouble(), width - limit);
        EXPECT_LE(match.captured(4).toDouble(), height - limit);
    }
    EXPECT_GT(words, 200);
}

} // namespace
} // namespace velor::ui::test
