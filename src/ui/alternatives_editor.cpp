#include "ui/alternatives_editor.h"

#include "model/records.h"
#include "ui/clipboard_block.h"
#include "ui/consequence_grid_model.h"
#include "ui/grid_printer.h"
#include "ui/node_icons.h"
#include "ui/prompts.h"
#include "ui/ui_text.h"
#include "ui/utf8_limit_validator.h"
#include "ui/widget_actions.h"

#include <QAbstractButton>
#include <QAction>
#include <QEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScopedValueRollback>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <QToolTip>

#include <QVBoxLayout>
#include <algorithm>
#include <climits>

namespace velor::ui {

namespace {

// Text pasted from the clipboard is read up to this many characters.
constexpr int kMaxPasteLength = 65535;
// Cell (0, 0): the header of the column of alternative names.
constexpr const char* kCornerText = "Name";

// The in-place editor keeps every text within what a model file line can hold.
class CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setValidator(new Utf8LimitValidator(static_cast<int>(kMaxTextLength), line));
            line->setObjectName(QStringLiteral("AltGridEditor"));
        }
        return editor;
    }
};

} // namespace

// ----- AltGridView

AltGridView::AltGridView(QWidget* parent) : QTableView(parent) {
    setObjectName(QStringLiteral("AltGrid"));
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(true);
    setShowGrid(true);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setItemDelegate(new CellDelegate(this));
    horizontalHeader()->setDefaultSectionSize(100);
    horizontalHeader()->setSectionsClickable(false);
    verticalHeader()->setSectionsClickable(false);
    verticalHeader()->setMinimumWidth(120);
    verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setCornerButtonEnabled(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    if (auto* corner = findChild<QAbstractButton*>()) {
        corner->installEventFilter(this);
    }
    horizontalHeader()->viewport()->installEventFilter(this);
    verticalHeader()->viewport()->installEventFilter(this);
}

namespace {

// Columns grow to show their texts up to this width; longer texts are elided, in full in the
// tooltip.
constexpr int kWidestColumn = 260;

// A text followed by a further tooltip line, either of them possibly empty.
QString JoinTips(const QString& first, const QString& second) {
    if (first.isEmpty() || second.isEmpty()) {
        return first.isEmpty() ? second : first;
    }
    return first + QLatin1Char('\n') + second;
}

int CellPadding(const QWidget* view) {
    return 2 * view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 8;
}

int HeaderPadding(const QHeaderView* header) {
    return 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) + 8;
}

} // namespace

int AltGridView::NeededColumnWidth(int column) const {
    if (model() == nullptr || column < 0 || column >= model()->columnCount()) {
        return 0;
    }
    const QFontMetrics headerMetrics(horizontalHeader()->font());
    int need =
        headerMetrics.horizontalAdvance(model()->headerData(column, Qt::Horizontal).toString()) +
        HeaderPadding(horizontalHeader());
    const QFontMetrics cellMetrics(font());
    for (int row = 0; row < model()->rowCount(); ++row) {
        const QString text = model()->index(row, column).data().toString();
        need = std::max(need, cellMetrics.horizontalAdvance(text) + CellPadding(this));
    }
    return std::min(need, kWidestColumn);
}

int AltGridView::NeededNameWidth() const {
    if (model() == nullptr) {
        return 0;
    }
    const QFontMetrics metrics(verticalHeader()->font());
    int need = 0;
    for (int row = 0; row < model()->rowCount(); ++row) {
        need = std::max(
            need, metrics.horizontalAdvance(model()->headerData(row, Qt::Vertical).toString()) +
                      HeaderPadding(verticalHeader()));
    }
    return std::min(need, kWidestColumn);
}

QString AltGridView::CellToolTip(const QModelIndex& index) const {
    if (!index.isValid()) {
        return {};
    }
    const QString text = index.data().toString();
    const bool cut = QFontMetrics(font()).horizontalAdvance(text) + CellPadding(this) >
                     columnWidth(index.column());
    return JoinTips(cut ? text : QString(), index.data(Qt::ToolTipRole).toString());
}

QString AltGridView::HeaderToolTip(Qt::Orientation orientation, int section) const {
    if (model() == nullptr) {
        return {};
    }
    const QHeaderView* header =
        orientation == Qt::Horizontal ? horizontalHeader() : verticalHeader();
    const QString text = model()->headerData(section, orientation).toString();
    const int room = orientation == Qt::Horizontal ? columnWidth(section) : header->width();
    const bool cut =
        QFontMetrics(header->font()).horizontalAdvance(text) + HeaderPadding(header) > room;
    return JoinTips(cut ? text : QString(),
                    model()->headerData(section, orientation, Qt::ToolTipRole).toString());
}

bool AltGridView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = CellToolTip(indexAt(help->pos()));
        if (tip.isEmpty()) {
            QToolTip::hideText();
        } else {
            QToolTip::showText(help->globalPos(), tip, viewport());
        }
        return true;
    }
    return QTableView::viewportEvent(event);
}

bool AltGridView::eventFilter(QObject* watched, QEvent* event) {
    for (const QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
        if (watched == header->viewport() && event->type() == QEvent::ToolTip) {
            const auto* help = static_cast<QHelpEvent*>(event);
            const QString tip =
                HeaderToolTip(header->orientation(), header->logicalIndexAt(help->pos()));
            if (tip.isEmpty()) {
                QToolTip::hideText();
            } else {
                QToolTip::showText(help->globalPos(), tip, header->viewport());
            }
            return true;
        }
    }
    // The corner above the alternative names reads "Name", like cell (0, 0) of the table.
    auto* corner = qobject_cast<QAbstractButton*>(watched);
    if (corner != nullptr && event->type() == QEvent::Paint) {
        QPainter painter(corner);
        QStyleOptionHeader option;
        option.initFrom(corner);
        option.rect = corner->rect();
        option.text = QString::fromLatin1(kCornerText);
        option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        option.position = QStyleOptionHeader::OnlyOneSection;
        option.state |= QStyle::State_Raised | QStyle::State_Enabled;
        option.palette.setCurrentColorGroup(QPalette::Active);
        style()->drawControl(QStyle::CE_Header, &option, &painter, corner);
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

// ----- AlternativesEditor

AlternativesEditor::AlternativesEditor(Document& document, Prompts& prompts, QWidget* parent)
    : QWidget(parent), document_(document), model_(document.GetModel()), prompts_(prompts) {
    setObjectName(QStringLiteral("AlternativeForm"));
    setWindowTitle(QStringLiteral("Alternatives"));
    setWindowIcon(TableIcon());
    grid_ = new AltGridView(this);
    gridModel_ = new ConsequenceGridModel(model_, this);
    grid_->setModel(gridModel_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grid_);

    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("AltPopup"));
    auto makeAction = [this](const char* name, const QString& caption, const QKeySequence& key) {
        return AddShortcutAction(this, name, caption, key);
    };
    newAlternative_ = makeAction("NewAlternative1", QStringLiteral("&New Alternative"),
                                 QKeySequence(Qt::CTRL | Qt::Key_A));
    duplicate_ = makeAction("DuplicateAlternative1", QStringLiteral("D&uplicate Alternative"),
                            QKeySequence(Qt::CTRL | Qt::Key_U));
    delete_ = makeAction("DeleteAlternative1", QStringLiteral("&Delete Alternative"),
                         QKeySequence(Qt::CTRL | Qt::Key_D));
    clearCells_ =
        makeAction("ClearCells1", QStringLiteral("Clear Cells"), QKeySequence(Qt::Key_Delete));
    copy_ = makeAction("CopyCells1", QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C));
    cut_ = makeAction("CutCells1", QStringLiteral("Cut"), QKeySequence(Qt::CTRL | Qt::Key_X));
    paste_ = makeAction("PasteCells1", QStringLiteral("Paste"), QKeySequence(Qt::CTRL | Qt::Key_V));
    copyMatrix_ = makeAction("CopyAlternativestoClipboard1",
                             QStringLiteral("Copy Matrix to Clipboard"), QKeySequence());
    popup_->addAction(newAlternative_);
    popup_->addAction(duplicate_);
    popup_->addSeparator();
    popup_->addAction(delete_);
    popup_->addSeparator();
    popup_->addAction(copy_);
    popup_->addAction(cut_);
    popup_->addAction(paste_);
    popup_->addSeparator();
    popup_->addAction(copyMatrix_);
    // "Clear Cells" is not shown in the menu; only its shortcut acts.

    connect(newAlternative_, &QAction::triggered, this, &AlternativesEditor::NewAlternativeClick);
    connect(duplicate_, &QAction::triggered, this, &AlternativesEditor::DuplicateAlternativeClick);
    connect(delete_, &QAction::triggered, this, &AlternativesEditor::DeleteAlternativeClick);
    connect(clearCells_, &QAction::triggered, this, &AlternativesEditor::ClearCellsClick);
    connect(copy_, &QAction::triggered, this, &AlternativesEditor::CopyCellsClick);
    connect(cut_, &QAction::triggered, this, &AlternativesEditor::CutCellsClick);
    connect(paste_, &QAction::triggered, this, &AlternativesEditor::PasteCellsClick);
    connect(copyMatrix_, &QAction::triggered, this,
            &AlternativesEditor::CopyAlternativesToClipboardClick);
    connect(grid_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        AltPopupPopup();
        popup_->popup(grid_->viewport()->mapToGlobal(pos));
    });
    connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { AltPopupPopup(); });
    connect(gridModel_, &QAbstractItemModel::modelReset, this, [this] {
        ApplyColumnWidths();
        AltPopupPopup();
    });
    gridModel_->onCommit = [this](int column, int row, const QString& text) {
        AltGridSetEditText(column, row, text);
    };

    model_.AddObserver(this);
    ApplyColumnWidths();
    AltPopupPopup();
}

AlternativesEditor::~AlternativesEditor() {
    model_.RemoveObserver(this);
}

void AlternativesEditor::PrintView(QPrinter& printer) {
    PrintItemGrid(printer, windowTitle(), *grid_->model());
}

void AlternativesEditor::ModelChanged(ModelChange what) {
    if (what == ModelChange::Table || what == ModelChange::Tree || what == ModelChange::Results) {
        const int col = CurrentColumn();
        const int row = CurrentRow();
        gridModel_->Refresh();
        if (!grid_->currentIndex().isValid() && row > 0) {
            SetCurrentCell(col, row);
        }
        AltPopupPopup();
    }
}

void AlternativesEditor::ApplyColumnWidths() {
    // The table's widths, widened where a header or a text needs more (up to a limit).
    const auto& table = model_.Table();
    grid_->verticalHeader()->setMinimumWidth(std::max(table.ColWidth(0), grid_->NeededNameWidth()));
    for (int c = 1; c < table.ColCount(); ++c) {
        grid_->setColumnWidth(c - 1, std::max(table.ColWidth(c), grid_->NeededColumnWidth(c - 1)));
    }
}

int AlternativesEditor::CurrentColumn() const {
    const QModelIndex index = grid_->currentIndex();
    return index.isValid() ? index.column() + 1 : 0;
}

int AlternativesEditor::CurrentRow() const {
    const QModelIndex index = grid_->currentIndex();
    return index.isValid() ? index.row() + 1 : 0;
}

void AlternativesEditor::SetCurrentCell(int column, int row) {
    const int r = std::clamp(row, 1, std::max(1, gridModel_->rowCount())) - 1;
    const int c = std::clamp(column, 1, std::max(1, gridModel_->columnCount())) - 1;
    const QModelIndex index = gridModel_->index(r, c);
    if (index.isValid()) {
        grid_->setCurrentIndex(index);
    }
}

void AlternativesEditor::SelectCells(int left, int top, int right, int bottom) {
    const QModelIndex from = gridModel_->index(top - 1, left - 1);
    const QModelIndex to = gridModel_->index(bottom - 1, right - 1);
    if (!from.isValid() || !to.isValid()) {
        return;
    }
    grid_->selectionModel()->setCurrentIndex(from, QItemSelectionModel::NoUpdate);
    grid_->selectionModel()->select(QItemSelection(from, to), QItemSelectionModel::ClearAndSelect);
}

QRect AlternativesEditor::Selection() const {
    const QItemSelection selection = grid_->selectionModel()->selection();
    if (!selection.isEmpty()) {
        int left = INT_MAX;
        int top = INT_MAX;
        int right = -1;
        int bottom = -1;
        for (const QItemSelectionRange& range : selection) {
            left = std::min(left, range.left());
            top = std::min(top, range.top());
            right = std::max(right, range.right());
            bottom = std::max(bottom, range.bottom());
        }
        return QRect(QPoint(left + 1, top + 1), QPoint(right + 1, bottom + 1));
    }
    const QModelIndex current = grid_->currentIndex();
    if (!current.isValid()) {
        return {};
    }
    return QRect(current.column() + 1, current.row() + 1, 1, 1);
}

void AlternativesEditor::AltPopupPopup() {
    const int row = CurrentRow();
    const bool onAlternative = model_.M() > 0 && row >= 1 && row <= model_.M();
    delete_->setEnabled(onAlternative);
    duplicate_->setEnabled(onAlternative);
    copy_->setEnabled(onAlternative);
    cut_->setEnabled(onAlternative);
    paste_->setEnabled(onAlternative);
    newAlternative_->setEnabled(true);
    clearCells_->setEnabled(true);
    copyMatrix_->setEnabled(true);
}

void AlternativesEditor::NewAlternativeClick() {
    int row = 0;
    document_.Apply("New Alternative", [&row](Model& m) { row = m.NewAlternative(); });
    // The name of a new alternative is typed in the main goal's column: the cursor waits there.
    SetCurrentCell(1, row);
    grid_->scrollTo(grid_->currentIndex());
}

void AlternativesEditor::DuplicateAlternativeClick() {
    const int row = CurrentRow();
    if (row < 1 || row > model_.M()) {
        return;
    }
    int copy = 0;
    document_.Apply("Duplicate Alternative",
                    [&copy, row](Model& m) { copy = m.DuplicateAlternative(row); });
    SetCurrentCell(std::max(1, CurrentColumn()), copy);
}

void AlternativesEditor::DeleteAlternativeClick() {
    const int row = CurrentRow();
    if (row < 1 || row > model_.M()) {
        return;
    }
    const QString text = QStringLiteral("Are you sure to delete alternative named '") +
                         ToQ(model_.AlternativeName(row)) + QStringLiteral("'?");
    if (prompts_.Message(QStringLiteral("Confirm Deletion"), text, Icon::Question,
                         Buttons::YesNo) == Answer::Yes) {
        const int col = CurrentColumn();
        document_.Apply("Delete Alternative", [row](Model& m) { m.DeleteAlternative(row); });
        SetCurrentCell(col, std::min(row, std::max(1, model_.M())));
    }
}

bool AlternativesEditor::AnyRanked(const QRect& block) const {
    for (int col = block.left(); col <= block.right(); ++col) {
        for (int row = block.top(); row <= block.bottom(); ++row) {
            if (col >= 1 && col <= model_.N() && row >= 1 && row <= model_.M() &&
                model_.Rank(col, row) > 0) {
                return true;
            }
        }
    }
    return false;
}

void AlternativesEditor::AltGridSetEditText(int column, int row, const QString& text) {
    if (column < 1 || column > model_.N() || row < 1 || row > model_.M()) {
        return;
    }
    const std::string typed = ToStd(text);
    if (typed == model_.CellText(column, row) || committing_) {
        // Nothing was changed, or this is the second commit the editor sends when the question
        // box takes its focus away while the first one waits for the answer.
        return;
    }
    const QScopedValueRollback<bool> guard(committing_, true);
    bool keep = true;
    if (model_.Rank(column, row) > 0) {
        keep = prompts_.Message(kAppTitle,
                                QStringLiteral("You have changed a ranked consequence. Do you want "
                                               "to keep its ranking?\nIf no, all cardinal rankings "
                                               "related to it will be deleted!"),
                                Icon::Question, Buttons::YesNo) == Answer::Yes;
    }
    // A typed consequence is a step like every other edit, so that closing or replacing the
    // model asks before the typing is lost, and Undo takes it back.
    document_.Apply("Typing", [&](Model& m) { m.CommitCellText(column, row, typed, keep); });
}

void AlternativesEditor::ClearCellsClick() {
    ClearCells("Clear Cells");
}

void AlternativesEditor::ClearCells(const char* label) {
    if (grid_->IsEditing()) {
        return;
    }
    const QRect block = Selection();
    if (block.isNull() || !model_.CellsEditable()) {
        return;
    }
    Answer answer = Answer::Yes;
    if (AnyRanked(block)) {
        answer = prompts_.Message(
            kAppTitle,
            QStringLiteral("You have changed at least one ranked consequence. Do you want to keep "
                           "their rankings?\nIf no, all cardinal rankings related to them will be "
                           "deleted!"),
            Icon::Question, Buttons::YesNoCancel);
        if (answer == Answer::Cancel) {
            return;
        }
    }
    document_.Apply(label, [&](Model& m) {
        for (int col = block.left(); col <= block.right(); ++col) {
            for (int row = block.top(); row <= block.bottom(); ++row) {
                if (m.CommitCellText(col, row, std::string(), true, false) &&
                    answer == Answer::No) {
                    m.UnrankConsequence(col, row);
                }
            }
        }
    });
}

QString AlternativesEditor::BlockText(int left, int top, int right, int bottom) const {
    const auto& table = model_.Table();
    std::vector<std::vector<std::string>> rows;
    for (int row = top; row <= bottom; ++row) {
        std::vector<std::string> cells;
        for (int col = left; col <= right; ++col) {
            if (col == 0 && row == 0) {
                cells.emplace_back(kCornerText); // the header of the names column
            } else if (col < table.ColCount() && row < table.RowCount()) {
                cells.push_back(table.Text(col, row));
            } else {
                cells.emplace_back();
            }
        }
        rows.push_back(std::move(cells));
    }
    return ToQ(JoinBlock(rows));
}

void AlternativesEditor::CopyCellsClick() {
    const QRect block = Selection();
    if (block.isNull()) {
        return;
    }
    prompts_.SetClipboardText(BlockText(block.left(), block.top(), block.right(), block.bottom()));
}

void AlternativesEditor::CutCellsClick() {
    CopyCellsClick();
    ClearCells("Cut");
}

void AlternativesEditor::CopyAlternativesToClipboardClick() {
    const auto& table = model_.Table();
    prompts_.SetClipboardText(BlockText(0, 0, table.ColCount() - 1, table.RowCount() - 1));
}

void AlternativesEditor::PasteCellsClick() {
    const QRect block = Selection();
    const std::string text = ToStd(prompts_.ClipboardText().left(kMaxPasteLength));
    if (block.isNull()) {
        return;
    }
    Answer answer = Answer::Yes;
    if (AnyRanked(block)) {
        answer = prompts_.Message(
            kAppTitle,
            QStringLiteral("You may have changed at least one ranked consequence. Do you want to "
                           "keep their rankings?\nIf no, all cardinal rankings related to them "
                           "will be deleted!"),
            Icon::Question, Buttons::YesNoCancel);
        if (answer == Answer::Cancel) {
            return;
        }
    }
    const std::vector<PastePiece> pieces = SplitPaste(text);
    document_.Apply("Paste", [&](Model& m) {
        for (int row = block.top(); row <= block.bottom(); ++row) {
            for (int col = block.left(); col <= block.right(); ++col) {
                for (const PastePiece& piece : pieces) {
                    const int c = col + piece.columnOffset;
                    const int r = row + piece.rowOffset;
                    if (c > m.N() || r > m.M()) {
                        continue; // beyond the table: dropped
                    }
                    if (m.CommitCellText(c, r, piece.text, true, false) && answer == Answer::No) {
                        m.UnrankConsequence(c, r);
                    }
                }
            }
        }
    });
}

} // namespace velor::ui
