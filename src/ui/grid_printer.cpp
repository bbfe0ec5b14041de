#include "ui/grid_printer.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDate>
#include <QFontMetricsF>
#include <QIcon>
#include <QLocale>
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

// The grid's part of a page: one band of columns, rows [begin, end).
struct GridPage {
    std::size_t band = 0;
    std::size_t begin = 0;
    std::size_t end = 0;
    bool legendOnly = false;
};

double LegendHeight(const std::vector<GridLegendEntry>& legend, const QFontMetricsF& fm) {
    return legend.empty() ? 0.0 : fm.lineSpacing() * (static_cast<double>(legend.size()) + 1.0);
}

void DrawLegend(QPainter& painter, const std::vector<GridLegendEntry>& legend,
                const QFontMetricsF& fm, double top, double width) {
    double y = top + fm.lineSpacing() * 0.6;
    const double symbol = fm.height() * 0.9;
    for (const GridLegendEntry& entry : legend) {
        double x = 0;
        if (!entry.symbol.isNull()) {
            QSizeF size = entry.symbol.deviceIndependentSize();
            size.scale(symbol, symbol, Qt::KeepAspectRatio);
            painter.drawPixmap(QRectF(QPointF(x, y + (fm.lineSpacing() - size.height()) / 2), size),
                               entry.symbol, QRectF(entry.symbol.rect()));
        }
        x += symbol + fm.height() * 0.4;
        painter.drawText(QRectF(x, y, width - x, fm.lineSpacing()), Qt::AlignLeft | Qt::AlignVCenter,
                         entry.text);
        y += fm.lineSpacing();
    }
}

} // namespace

QString PageNumberText(int page, int pages) {
    return QStringLiteral("Page %1 of %2").arg(page).arg(pages);
}

QString PageHeaderText(const QString& viewTitle, const QString& modelName) {
    if (modelName.trimmed().isEmpty()) {
        return viewTitle;
    }
    return viewTitle.isEmpty() ? modelName : viewTitle + QStringLiteral(" - ") + modelName;
}

std::vector<std::size_t> PageStarts(const std::vector<double>& rowHeights, double bodyHeight,
                                    double headHeight) {
    std::vector<std::size_t> starts{0};
    double used = headHeight;
    for (std::size_t r = 0; r < rowHeights.size(); ++r) {
        if (r > starts.back() && used + rowHeights[r] > bodyHeight) {
            starts.push_back(r);
            used = headHeight;
        }
        used += rowHeights[r];
    }
    return starts;
}

bool PrintItemGrid(QPrinter& printer, const QString& title, const QAbstractItemModel& model,
                   GridPrintOptions options) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    // The printable area, narrowed where the printer's margins are below the minimum, in the
    // painter's coordinates (which start at the printable area unless the printer prints on the
    // full page).
    const double resolution = printer.resolution();
    const QPageLayout pageLayout = printer.pageLayout();
    const QRectF full = pageLayout.fullRectPixels(static_cast<int>(resolution));
    const QRectF paint = pageLayout.paintRectPixels(static_cast<int>(resolution));
    const double minimum = kMinimumPrintMargin / 25.4 * resolution;
    QRectF body = paint.intersected(full.adjusted(minimum, minimum, -minimum, -minimum));
    body.translate(-(printer.fullPage() ? full.topLeft() : paint.topLeft()));

    QFont font = QApplication::font();
    font.setPointSizeF(9);
    QFont headerFont = font;
    headerFont.setBold(true);
    headerFont.setPointSizeF(10);
    QFont footerFont = font;
    footerFont.setPointSizeF(8);
    const QFontMetricsF fm(font, &printer);
    const QFontMetricsF headerMetrics(headerFont, &printer);
    const QFontMetricsF footerMetrics(footerFont, &printer);
    const double headerHeight = headerMetrics.lineSpacing() * 1.8;
    const double footerHeight = footerMetrics.lineSpacing() * 1.8;
    const QRectF gridArea = body.adjusted(0, headerHeight, 0, -footerHeight);

    const auto cells = GridCells(model, options);
    const GridLayout layout(cells, fm, gridArea.width(), options.rowHeaders);
    double total = 0;
    for (std::size_t c = 0; c < cells[0].size(); ++c) {
        total += layout.Width(c);
    }
    const double scale = std::clamp(gridArea.width() / std::max(total, 1.0), kMinimumScale, 1.0);
    const double width = gridArea.width() / scale;
    const double height = gridArea.height() / scale;

    // Every page planned first, so that each can say how many there are.
    const auto bands = layout.Bands(width);
    std::vector<GridPage> pages;
    double lastUsed = 0;
    for (std::size_t b = 0; b < bands.size(); ++b) {
        const double head = options.columnHeaders ? layout.RowHeight(0, bands[b]) : 0.0;
        std::vector<double> heights;
        for (std::size_t r = 1; r < cells.size(); ++r) {
            heights.push_back(layout.RowHeight(r, bands[b]));
        }
        const std::vector<std::size_t> starts = PageStarts(heights, height, head);
        for (std::size_t i = 0; i < starts.size(); ++i) {
            const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : heights.size();
            pages.push_back({b, starts[i] + 1, end + 1, false});
            lastUsed = head;
            for (std::size_t r = starts[i]; r < end; ++r) {
                lastUsed += heights[r];
            }
        }
    }
    const double legendHeight = LegendHeight(options.legend, fm);
    if (legendHeight > 0 && lastUsed + legendHeight > height) {
        pages.push_back({0, 0, 0, true});
    }

    const QString header = PageHeaderText(title, printer.docName());
    const QString date = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
    const int pageCount = static_cast<int>(pages.size());
    for (int p = 0; p < pageCount; ++p) {
        if (p > 0) {
            printer.newPage();
        }
        painter.setPen(QPen(Qt::black, 0));
        painter.setFont(headerFont);
        painter.drawText(QRectF(body.left(), body.top(), body.width(), headerHeight),
                         Qt::AlignLeft | Qt::AlignTop,
                         headerMetrics.elidedText(header, Qt::ElideRight, body.width()));
        painter.setFont(footerFont);
        const QRectF foot(body.left(), body.bottom() - footerMetrics.lineSpacing(), body.width(),
                          footerMetrics.lineSpacing());
        painter.drawText(foot, Qt::AlignLeft | Qt::AlignBottom, date);
        painter.drawText(foot, Qt::AlignRight | Qt::AlignBottom, PageNumberText(p + 1, pageCount));
        painter.setPen(QPen(QColor(160, 160, 160), 0));
        painter.drawLine(QPointF(body.left(), gridArea.top() - headerHeight * 0.25),
                         QPointF(body.right(), gridArea.top() - headerHeight * 0.25));
        painter.drawLine(QPointF(body.left(), gridArea.bottom() + footerHeight * 0.25),
                         QPointF(body.right(), gridArea.bottom() + footerHeight * 0.25));

        painter.save();
        painter.translate(gridArea.topLeft());
        painter.scale(scale, scale);
        painter.setPen(QPen(Qt::black, 0));
        painter.setFont(font);
        const GridPage& page = pages[static_cast<std::size_t>(p)];
        double y = 0;
        if (!page.legendOnly) {
            const std::vector<std::size_t>& band = bands[page.band];
            const auto drawRow = [&](std::size_t r, bool head) {
                const double h = layout.RowHeight(r, band);
                double x = 0;
                for (std::size_t c : band) {
                    if (layout.Width(c) > 0) {
                        DrawCell(painter, cells[r][c], QRectF(x, y, layout.Width(c), h), layout,
                                 head || c == 0);
                        x += layout.Width(c);
                    }
                }
                y += h;
            };
            if (options.columnHeaders) {
                drawRow(0, true);
            }
            for (std::size_t r = page.begin; r < page.end; ++r) {
                drawRow(r, false);
            }
        }
        if (p + 1 == pageCount && legendHeight > 0) {
            DrawLegend(painter, options.legend, fm, y, width);
        }
        painter.restore();
    }
    return painter.end();
}

} // namespace velor::ui
