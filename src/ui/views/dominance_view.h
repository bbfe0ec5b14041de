// The Dominance view: a matrix with one row and one column per alternative. The cell in row r
// and column c shows how alternative r stands against alternative c: a symbol when r
// dominates c, one when r is dominated by c, one on the diagonal, one when the pair has not
// been computed, and nothing when neither dominates the other.
#pragma once

#include "model/document.h"
#include "model/model.h"
#include "model/model_observer.h"
#include "ui/printable_view.h"

#include <QWidget>

class QLabel;

namespace velor::ui {

class ResultGrid;

class DominanceView : public QWidget, public ModelObserver, public PrintableView {
    Q_OBJECT
public:
    explicit DominanceView(const Document& document, QWidget* parent = nullptr);
    ~DominanceView() override;

    ResultGrid* Matrix() const { return matrix_; }
    // The code drawn in the cell of alternative row (1..M) and alternative column (1..M); -1
    // when there is no such cell.
    int Code(int row, int column) const;
    // Whether that cell shows a symbol.
    bool HasSymbol(int row, int column) const;
    // Names in the header row and the header column.
    QString ColumnName(int column) const;
    QString RowName(int row) const;

    // Redraws every cell from the stored codes.
    void RepaintMatrix();
    // Sets the number of rows and columns to the number of alternatives, then redraws.
    void ResizeMatrix();

    void ModelChanged(ModelChange what) override;
    QSize sizeHint() const override;
    // Prints every row and column, whatever part of the matrix is visible.
    void PrintView(QPrinter& printer) override;

    // Shown instead of the matrix when every pair has been computed and none dominates.
    QLabel* NoDominanceNote() const { return note_; }
    QWidget* Legend() const { return legend_; }

private:
    void ApplySizing();
    // What the widest row name and the widest column name need (within limits), margins
    // included.
    int NameWidth() const;
    int ColumnNameWidth() const;
    // Whether every pair of distinct alternatives is computed and neither dominates.
    bool NoPairDominates() const;

    const Model& model_;
    ResultGrid* matrix_ = nullptr;
    QLabel* note_ = nullptr;
    QWidget* legend_ = nullptr;
};

} // namespace velor::ui
