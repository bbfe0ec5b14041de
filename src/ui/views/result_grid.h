// The grid of the Dominance and Decision Rules views: a table whose header row and header
// column stay in place, with symbols drawn centred in their cells and names in the headers
// (column headers centred, row headers left-aligned). Full names show as tooltips where a
// header is too narrow for them.
#pragma once

#include <QHeaderView>
#include <QPixmap>
#include <QTableWidget>

#include <functional>

namespace velor::ui {

// Header sections whose names are elided at the right end when they do not fit, or, when
// wrapping is on and the section is tall enough, broken onto two lines.
class NameHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit NameHeader(Qt::Orientation orientation, QWidget* parent = nullptr);
    void SetWrapping(bool on) { wrapping_ = on; }
    // Height that shows every section's name on at most two lines at the given width.
    int WrappedHeight() const;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    bool wrapping_ = false;
};

class ResultGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit ResultGrid(QWidget* parent = nullptr);

    // Runs after every resize, so the owner can apply its sizing rules.
    std::function<void()> onResize;

    void SetColumnHeader(int column, const QString& text);
    void SetRowHeader(int row, const QString& text);
    void SetSymbol(int row, int column, const QPixmap& symbol, const QString& toolTip, int data);
    void SetCellText(int row, int column, const QString& text);
    // The number stored with a cell's symbol, -1 for a cell without one.
    int CellData(int row, int column) const;
    bool HasSymbol(int row, int column) const;
    QString CellText(int row, int column) const;

    // The grid's width less a vertical scroll bar, when rows of that total height need one.
    int UsableWidth(int contentHeight) const;
    // Width of the header column and height of the header row.
    void SetHeaderColumnWidth(int width);
    void SetHeaderRowHeight(int height);
    int HeaderColumnWidth() const;
    int HeaderRowHeight() const;
    NameHeader* ColumnHeader() const { return columnHeader_; }
    NameHeader* RowHeader() const { return rowHeader_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    NameHeader* columnHeader_ = nullptr;
    NameHeader* rowHeader_ = nullptr;
};

} // namespace velor::ui
