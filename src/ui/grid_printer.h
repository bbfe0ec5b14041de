// Prints the whole content of a grid or list (any table-shaped item model) rather than a picture
// of its visible part: every row and column, each text in full, the column headers repeated on
// every page. A grid wider than the page is scaled down, and split into bands of columns (the
// row headers repeated on each) when scaling alone would make it too small to read.
#pragma once

#include <QString>

class QAbstractItemModel;
class QPrinter;

namespace velor::ui {

struct GridPrintOptions {
    bool rowHeaders = true;    // print the vertical header (names of the rows)
    bool columnHeaders = true; // print the horizontal header
};

// Prints title and grid; false when the printer could not be started.
bool PrintItemGrid(QPrinter& printer, const QString& title, const QAbstractItemModel& model,
                   GridPrintOptions options = {});

} // namespace velor::ui
