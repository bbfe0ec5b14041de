// The weight assessment dialog: a grid with one row per node being weighed, where the user sets
// a reference row to 100 and 100 and gives every other row an interval on the same scale.
#pragma once

#include "elicit/dialog_context.h"
#include "elicit/weight_table.h"
#include "model/records.h"

#include <QDialog>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include <filesystem>

class QAction;
class QFrame;
class QLabel;
class QPushButton;

namespace velor::elicit {

// The settings file in which the dialog keeps its placement (section "WeightForm"). Until one is
// set the dialog opens centred on the screen and remembers nothing.
void SetWeightFormSettingsFile(std::filesystem::path path);

// Opens the dialog for the children of goal (top down) or, with kNone, for every twig-level
// attribute (bottom up), and returns its DialogResult. tourStep and tourSteps are 0 outside the
// elicitation tour. current: the node whose row is current when the dialog opens (kNone: the
// first row).
int ShowWeightAssessment(const AssessmentContext& context, NodeId goal, int tourStep = 0,
                         int tourSteps = 0, NodeId current = kNone);

// The editor of a bound cell: keeps digits and one decimal separator (a typed point or comma
// shows as the locale's separator), at most seven characters.
class BoundEdit : public QLineEdit {
    Q_OBJECT
public:
    BoundEdit(char decimalSeparator, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    char separator_;
};

// Edits and draws the cells of the weight grid like a spreadsheet: Enter, like Tab, keeps what
// was typed and goes on to the next bound cell. Bound numbers show their unit (%), and a
// reference row is drawn on a tinted background with bold bounds, its name's tool tip saying why.
class BoundDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    BoundDelegate(char decimalSeparator, const WeightTable* table, QObject* parent)
        : QStyledItemDelegate(parent), separator_(decimalSeparator), table_(table) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    // The text, font and background a cell is drawn with.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    char separator_;
    const WeightTable* table_;
};

class WeightGridView : public QTableWidget {
    Q_OBJECT
public:
    using QTableWidget::QTableWidget;
    // Ends an open in-place edit, keeping what was typed.
    void FinishEditing();
    bool Editing() const { return state() == QAbstractItemView::EditingState; }
    bool VerticalScrollBarNeeded() const;
    // The bound cell after (or before) the current cell, see NextBoundCell.
    QModelIndex NextBoundIndex(bool backwards) const;

protected:
    // Tab and Shift+Tab (and so Enter in an editor) step through the bound cells only.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
};

class WeightForm : public QDialog {
    Q_OBJECT
public:
    WeightForm(const DialogContext& context, NodeId goal, int tourStep = 0, int tourSteps = 0,
                QWidget* parent = nullptr);
    ~WeightForm() override;

    const WeightTable& Table() const { return table_; }
    NodeId AssessedGoal() const { return table_.Goal(); }
    // Makes node's row current (a statement about it opened from elsewhere); no other node moves
    // the cursor.
    void SetCurrentNode(NodeId node);
    int TourStep() const { return tourStep_; }
    int TourSteps() const { return tourSteps_; }

    WeightGridView* WeightGrid = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* BackButton = nullptr;
    QPushButton* AbortButton = nullptr;
    QFrame* InfoPanel = nullptr;
    QLabel* InfoLabel = nullptr;
    QFrame* PopupInfo = nullptr;
    QLabel* PopupLabel = nullptr;
    QAction* ClearCellAction = nullptr;
    QAction* CopyCellsAction = nullptr;
    QAction* CutCellsAction = nullptr;
    QAction* PasteCellsAction = nullptr;

    // The selected cells, in data rows and grid columns (the current cell when nothing is
    // selected).
    CellRange SelectedRange() const;

    void OKButtonClick();
    void CancelButtonClick();
    void BackButtonClick();
    void AbortButtonClick();
    void ClearCellClick();
    void CopyCellsClick();
    void CutCellsClick();
    void PasteCellsClick();
    void WeightGridMouseDown(const QPoint& viewportPos);
    void WeightGridMouseUp();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    void done(int result) override;
    void reject() override;

private:
    void FillGrid();
    void RefreshCells();
    void WeightGridItemChanged(QTableWidgetItem* item);
    void SizeControls();
    void SizeColumns();
    // The grid width that shows every name, consequence and header in full with the columns
    // sized as SizeColumns sizes them.
    int NeededGridWidth() const;
    void FocusCell(int row, int column);

    Model& model_;
    ui::Prompts& prompts_;
    WeightTable table_;
    int tourStep_ = 0;
    int tourSteps_ = 0;
    bool placed_ = false;
    bool filling_ = false;
};

} // namespace velor::elicit
