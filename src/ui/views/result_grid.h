// The grid of the Dominance and Decision Rules views: a table whose header row and header
// column stay in place, with symbols drawn centred in their cells and names in the headers
// (column headers centred, row headers left-aligned). Full names show as tooltips where a
// header is too narrow for them.
#pragma once

#include <QPixmap>
#include <QTableWidget>

#include <functional>

namespace velor::ui {

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

    // Width of the header column and height of the header row.
    void SetHeaderColumnWidth(int width);
    void SetHeaderRowHeight(int height);
    int HeaderColumnWidth() const;
    int HeaderRowHeight() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace velor::ui
