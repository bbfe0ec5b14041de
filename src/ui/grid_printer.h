// Prints the whole content of a grid or list (any table-shaped item model) rather than a picture
// of its visible part: every row and column, each text in full, the column headers repeated on
// every page. A grid wider than the page is scaled down, and split into bands of columns (the
// row headers repeated on each) when scaling alone would make it too small to read. Every page
// has margins of at least 15 mm, a header with the view's title and the model's name (the
// printer's document name) and a footer with the date and "Page 2 of 3"; a legend of the grid's
// symbols follows the grid.
#pragma once

#include <QPixmap>
#include <QString>

#include <cstddef>
#include <vector>

class QAbstractItemModel;
class QPrinter;

namespace velor::ui {

struct GridLegendEntry {
    QPixmap symbol;
    QString text;
};

struct GridPrintOptions {
    bool rowHeaders = true;    // print the vertical header (names of the rows)
    bool columnHeaders = true; // print the horizontal header
    // What the symbols of the grid mean, printed under it.
    std::vector<GridLegendEntry> legend;
};

// Smallest margin of a printed page on every side, in millimetres.
inline constexpr double kMinimumPrintMargin = 15.0;

// "Page 2 of 3".
QString PageNumberText(int page, int pages);
// The header of a printed page: the view's title, then the model's name when there is one
// ("Dominance - Choose a car").
QString PageHeaderText(const QString& viewTitle, const QString& modelName);

// Where the pages of a grid begin: the index of the first row of each page, for rows of the
// given heights on pages of bodyHeight, each page starting with the head row of headHeight. A
// row moves whole to the next page instead of running over two; only a row taller than a page
// alone gets a page of its own. No rows: one page.
std::vector<std::size_t> PageStarts(const std::vector<double>& rowHeights, double bodyHeight,
                                    double headHeight);

// Prints the grid with the page header and footer; false when the printer could not be started.
bool PrintItemGrid(QPrinter& printer, const QString& title, const QAbstractItemModel& model,
                   GridPrintOptions options = {});

} // namespace velor::ui
