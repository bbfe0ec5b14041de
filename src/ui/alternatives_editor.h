// The alternatives editor: a child window showing the consequence table in a grid, where the
// user adds, duplicates and deletes alternatives, types consequences and exchanges blocks of
// cells with the clipboard as tab-separated text.
#pragma once

#include "model/document.h"
#include "model/model.h"
#include "model/model_observer.h"
#include "ui/printable_view.h"

#include <QRect>
#include <QTableView>
#include <QWidget>

class QAction;
class QMenu;

namespace velor::ui {

class ConsequenceGridModel;
class Prompts;

// The grid: a table view whose headers show row 0 and column 0 of the table, with "Name" in the
// corner.
class AltGridView : public QTableView {
    Q_OBJECT
public:
    explicit AltGridView(QWidget* parent = nullptr);
    bool IsEditing() const { return state() == QAbstractItemView::EditingState; }
    // The tooltips of a cell and of a header section: the full text first where the column is
    // too narrow for it, then what the model says about it.
    QString CellToolTip(const QModelIndex& index) const;
    QString HeaderToolTip(Qt::Orientation orientation, int section) const;
    // The width a column needs to show its header and every cell in full, and that of the
    // names' header column; both within a limit, beyond which texts are elided.
    int NeededColumnWidth(int column) const;
    int NeededNameWidth() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
};

class AlternativesEditor : public QWidget, public ModelObserver, public PrintableView {
    Q_OBJECT
public:
    AlternativesEditor(Document& document, Prompts& prompts, QWidget* parent = nullptr);
    ~AlternativesEditor() override;

    void ModelChanged(ModelChange what) override;
    // Prints the whole table: every alternative and every node's column.
    void PrintView(QPrinter& printer) override;

    AltGridView* AltGrid() const { return grid_; }
    QMenu* AltPopup() const { return popup_; }

    // Current cell in table coordinates (column, row); row 0 when there is none.
    int CurrentColumn() const;
    int CurrentRow() const;
    void SetCurrentCell(int column, int row);
    // Selects the block of table cells from (left, top) to (right, bottom) and makes (left, top)
    // current.
    void SelectCells(int left, int top, int right, int bottom);
    // The selected block in table coordinates (left, top, right, bottom as x, y, right, bottom);
    // the current cell alone when no block is selected; null when there is no current cell.
    QRect Selection() const;

    // Computes the enabled state of the context-menu commands (what opening the menu does).
    void AltPopupPopup();

    // The commands, as the menu and their shortcuts run them.
    void NewAlternativeClick();
    void DuplicateAlternativeClick();
    void DeleteAlternativeClick();
    void ClearCellsClick();
    void CopyCellsClick();
    void CutCellsClick();
    void PasteCellsClick();
    void CopyAlternativesToClipboardClick();

    // Commits a typed cell text (in-place editing ends here).
    void AltGridSetEditText(int column, int row, const QString& text);

    // Text of a block of cells in the clipboard form.
    QString BlockText(int left, int top, int right, int bottom) const;

    QAction* NewAlternativeAction() const { return newAlternative_; }
    QAction* DuplicateAlternativeAction() const { return duplicate_; }
    QAction* DeleteAlternativeAction() const { return delete_; }
    QAction* ClearCellsAction() const { return clearCells_; }
    QAction* CopyAction() const { return copy_; }
    QAction* CutAction() const { return cut_; }
    QAction* PasteAction() const { return paste_; }
    QAction* CopyMatrixAction() const { return copyMatrix_; }

private:
    bool AnyRanked(const QRect& block) const;
    void ApplyColumnWidths();

    // Empties the selected cells as one step with the given label (Clear Cells, Cut).
    void ClearCells(const char* label);

    Document& document_;
    const Model& model_;
    Prompts& prompts_;
    AltGridView* grid_;
    ConsequenceGridModel* gridModel_;
    QMenu* popup_;
    QAction* newAlternative_;
    QAction* duplicate_;
    QAction* delete_;
    QAction* clearCells_;
    QAction* copy_;
    QAction* cut_;
    QAction* paste_;
    QAction* copyMatrix_;
    bool committing_ = false;
};

} // namespace velor::ui
