#include "ui/grid_printer.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QFontMetricsF>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>

#include <algorithm>
#include <vector>

namespace velor::ui {

namespace {

// Smallest scale at which a wide grid is printed before its columns are split into bands.
constexpr double kMinimumScale = 0.6;
// Widest a single column may be, as a share of the page; longer texts wrap.
constexpr double kWidestColumn = 0.4;

struct Cell {
    QString text;
    QPixmap symbol;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

QPixmap SymbolOf(const QVariant& decoration) {
    if (decoration.canConvert<QPixmap>()) {
        return decoration.value<QPixmap>();
    }
    if (decoration.canConvert<QIcon>()) {
        return decoration.value<QIcon>().pixmap(16, 16);
    }
    return {};
}

Qt::Alignment AlignmentOf(const QVariant& value, Qt::Alignment fallback) {
    return value.isValid() ? Qt::Alignment(value.toInt()) : fallback;
}

// The grid as texts and symbols: row 0 holds the column headers and column 0 the row headers
// (empty when not printed).
std::vector<std::vector<Cell>> GridCells(const QAbstractItemModel& model,
                                         const GridPrintOptions& options) {
    const int rows = model.rowCount();
    const int columns = model.columnCount();
    std::vector<std::vector<Cell>> cells(static_cast<std::size_t>(rows) + 1,
                                         std::vector<Cell>(static_cast<std::size_t>(columns) + 1));
    for (int c = 0; c < columns; ++c) {
        Cell& cell = cells[0][static_cast<std::size_t>(c) + 1];
        if (options.columnHeaders) {
            cell.text = model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        }
        cell.alignment = Qt::AlignCenter;
    }
    for (int r = 0; r < rows; ++r) {
        auto& row = cells[static_cast<std::size_t>(r) + 1];
        if (options.rowHeaders) {
            row[0].text = model.headerData(r, Qt::Vertical, Qt::DisplayRole).toString();
        }
        for (int c = 0; c < columns; ++c) {
            const QModelIndex index = model.index(r, c);
            Cell& cell = row[static_cast<std::size_t>(c) + 1];
            cell.text = index.data(Qt::DisplayRole).toString();
            cell.symbol = SymbolOf(index.data(Qt::DecorationRole));
            cell.alignment = AlignmentOf(index.data(Qt::TextAlignmentRole),
                                         cell.symbol.isNull() ? Qt::AlignLeft | Qt::AlignVCenter
                                                              : Qt::AlignCenter);
        }
    }
    return cells;
}

class GridLayout {
public:
    GridLayout(const std::vector<std::vector<Cell>>& cells, const QFontMetricsF& fm,
               double pageWidth, bool rowHeaders)
        : cells_(cells), fm_(fm), pad_(fm.height() * 0.3), symbolSize_(fm.height()) {
        const std::size_t columns = cells.empty() ? 0 : cells[0].size();
        widths_.assign(columns, 0.0);
        const double widest = pageWidth * kWidestColumn;
        for (std::size_t c = 0; c < columns; ++c) {
            if (c == 0 && !rowHeaders) {
                continue;
            }
            double w = 0;
            for (const auto& row : cells) {
                w = std::max(w, fm.horizontalAdvance(row[c].text) + SymbolRoom(row[c]));
            }
            widths_[c] = std::min(w + 2 * pad_ + 1, widest);
        }
    }

    double Width(std::size_t column) const { return widths_[column]; }
    // Width a cell's symbol takes before its text (a symbol alone is centred instead).
    double SymbolRoom(const Cell& cell) const {
        if (cell.symbol.isNull()) {
            return 0;
        }
        return cell.text.isEmpty() ? symbolSize_ : symbolSize_ + pad_;
    }
    double Padding() const { return pad_; }
    double SymbolSize() const { return symbolSize_; }

    // Height of a row over the given columns, with texts wrapped in their column widths.
    double RowHeight(std::size_t row, const std::vector<std::size_t>& columns) const {
        double h = fm_.lineSpacing();
        for (std::size_t c : columns) {
            const Cell& cell = cells_[row][c];
            if (!cell.text.isEmpty()) {
                const QRectF room(0, 0, std::max(1.0, widths_[c] - 2 * pad_ - SymbolRoom(cell)),
                                  1e6);
                h = std::max(h, fm_.boundingRect(room, Qt::TextWordWrap, cell.text).height());
            }
        }
        return h + 2 * pad_;
    }

    // Splits the data columns into bands that fit the width beside the row-header column.
    std::vector<std::vector<std::size_t>> Bands(double width) const {
        std::vector<std::vector<std::size_t>> bands;
        std::vector<std::size_t> band{0};
        double used = widths_[0];
        for (std::size_t c = 1; c < widths_.size(); ++c) {
            if (band.size() > 1 && used + widths_[c] > width) {
                bands.push_back(band);
                band = {0};
                used = widths_[0];
            }
            band.push_back(c);
            used += widths_[c];
        }
        bands.push_back(band);
        return bands;
    }

private:
    const std::vector<std::vector<Cell>>& cells_;
    const QFontMetricsF& fm_;
    double pad_;
    double symbolSize_;
    std::vector<double> widths_;
};

void DrawCell(QPainter& painter, const Cell& cell, const QRectF& rect, const GridLayout& layout,
              bool header) {
    if (header) {
        painter.fillRect(rect, QColor(235, 235, 235));
    }
    painter.drawRect(rect);
    const QRectF inner =
        rect.adjusted(layout.Padding(), layout.Padding(), -layout.Padding(), -layout.Padding());
    QRectF textRect = inner;
    if (!cell.symbol.isNull()) {
        QSizeF size = cell.symbol.deviceIndependentSize();
        size.scale(layout.SymbolSize(), layout.SymbolSize(), Qt::KeepAspectRatio);
        QRectF target(QPointF(0, 0), size);
        target.moveCenter(inner.center());
        if (!cell.text.isEmpty()) {
            target.moveLeft(inner.left());
            textRect.setLeft(inner.left() + layout.SymbolRoom(cell));
        }
        painter.drawPixmap(target, cell.symbol, QRectF(cell.symbol.rect()));
    }
    if (!cell.text.isEmpty()) {
        painter.drawText(textRect, int(cell.alignment) | Qt::TextWordWrap, cell.text);
    }
}

} // namespace

bool PrintItemGrid(QPrinter& printer, const QString& title, const QAbstractItemModel& model,
                   GridPrintOptions options) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    QFont font = QApplication::font();
    font.setPointSizeF(9);
    QFont titleFont = font;
    titleFont.setBold(true);
    titleFont.setPointSizeF(11);
    painter.setFont(font);
    const QFontMetricsF fm(font, &printer);
    const QFontMetricsF titleMetrics(titleFont, &printer);

    const auto cells = GridCells(model, options);
    const GridLayout layout(cells, fm, page.width(), options.rowHeaders);
    double total = 0;
    for (std::size_t c = 0; c < cells[0].size(); ++c) {
        total += layout.Width(c);
    }
    const double scale = std::clamp(page.width() / std::max(total, 1.0), kMinimumScale, 1.0);
    const double width = page.width() / scale;
    const double height = page.height() / scale;
    painter.scale(scale, scale);
    painter.setPen(QPen(Qt::black, 0));

    const double titleHeight = titleMetrics.lineSpacing() * 1.6;
    const auto bands = layout.Bands(width);
    int pageNumber = 0;
    double y = 0;
    const auto startPage = [&](const std::vector<std::size_t>& band, bool first) {
        if (!first) {
            printer.newPage();
        }
        ++pageNumber;
        painter.setFont(titleFont);
        painter.drawText(QRectF(0, 0, width, titleHeight), Qt::AlignLeft | Qt::AlignTop, title);
        painter.setFont(font);
        y = titleHeight;
        if (options.columnHeaders) {
            const double h = layout.RowHeight(0, band);
            double x = 0;
            for (std::size_t c : band) {
                if (layout.Width(c) > 0) {
                    DrawCell(painter, cells[0][c], QRectF(x, y, layout.Width(c), h), layout, true);
                    x += layout.Width(c);
                }
            }
            y += h;
        }
    };
    bool first = true;
    for (const auto& band : bands) {
        startPage(band, first);
        first = false;
        for (std::size_t r = 1; r < cells.size(); ++r) {
            const double h = layout.RowHeight(r, band);
            if (y + h > height && y > titleHeight + layout.RowHeight(0, band)) {
                startPage(band, false);
            }
            double x = 0;
            for (std::size_t c : band) {
                if (layout.Width(c) > 0) {
                    DrawCell(painter, cells[r][c], QRectF(x, y, layout.Width(c), h), layout,
                             c == 0);
                    x += layout.Width(c);
                }
            }
            y += h;
        }
    }
    return painter.end();
}

} // namespace velor::ui
