// The Decision Rules view: one row per alternative with a mark under each of the four decision
// rules that recommends it, and its possible loss (maximum regret).
#pragma once

#include "model/document.h"
#include "model/model.h"
#include "model/model_observer.h"
#include "ui/printable_view.h"

#include <QWidget>

class QLabel;

namespace velor::ui {

class ResultGrid;

class DecisionRulesView : public QWidget, public ModelObserver, public PrintableView {
    Q_OBJECT
public:
    explicit DecisionRulesView(const Document& document, QWidget* parent = nullptr);
    ~DecisionRulesView() override;

    ResultGrid* Grid() const { return grid_; }
    // Header texts of columns 1 to 5 (the rules and "Possible Loss").
    QString ColumnTitle(int column) const;
    QString RowName(int row) const;
    // Whether the cell of alternative row (1..M) under rule (0..3) shows the mark.
    bool Marked(int row, int rule) const;
    // The possible-loss text of alternative row (1..M).
    QString PossibleLoss(int row) const;

    // Sets the number of rows to the number of alternatives and redraws every cell.
    void ResizeGrid();

    void ModelChanged(ModelChange what) override;
    // Wide enough for the names (up to a limit) and high enough for every row.
    QSize sizeHint() const override;
    // Prints every row and column, whatever part of the grid is visible.
    void PrintView(QPrinter& printer) override;

private:
    void ApplySizing();
    // Height of every alternative's row and of the header row, and the width the name column
    // needs for the longest name (up to a limit).
    int RowHeight() const;
    int HeaderHeight() const;
    int NameWidth() const;

    const Model& model_;
    ResultGrid* grid_ = nullptr;
    QWidget* banner_ = nullptr;
    QLabel* note_ = nullptr; // how to read the grid
};

} // namespace velor::ui
