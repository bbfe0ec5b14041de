#include "elicit/weight_form.h"

#include "calc/calculation_driver.h"
#include "elicit/decimal_entry.h"
#include "elicit/dialog_result.h"
#include "elicit/feasibility_form.h"
#include "elicit/score_assessment.h"
#include "model/ini_file.h"
#include "model/model.h"
#include "ui/prompts.h"
#include "ui/ui_text.h"
#include "ui/widget_placement.h"

#include <QAction>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>
#include <optional>

namespace velor::elicit {

namespace {

constexpr int kInfoHeight = 56;
constexpr int kButtonWidth = 85;
constexpr int kButtonHeight = 25;
constexpr int kRightMargin = 10;
constexpr int kGridMargin = 105; // the grid leaves this much of the width to the buttons
constexpr int kRowHeight = 20;
constexpr int kFixedColumnWidth = 120;
constexpr int kScrollBarAllowance = 16;
constexpr int kPopupMinWidth = 160;
constexpr int kPopupMaxWidth = 420;

std::optional<std::filesystem::path>& SettingsPath() {
    static std::optional<std::filesystem::path> path;
    return path;
}

const char* const kHeaders[kWeightColumnCount] = {"", "Worst Conseq.", "Best Conseq.",
                                                  "Lower bound", "Upper bound"};

QString InfeasibleQuestion(bool onTour) {
    QString text = QStringLiteral("The preferences you just gave have made the model infeasible.\n"
                                  "Please check the correctness of the given preferences.\n");
    if (onTour) {
        text += QStringLiteral("This will quit the elicitation tour.\n");
    }
    text += QStringLiteral("Do you want to continue anyway?\n");
    return text;
}

} // namespace

void SetWeightFormSettingsFile(std::filesystem::path path) {
    SettingsPath() = std::move(path);
}

int ShowWeightAssessment(const AssessmentContext& context, NodeId goal, int tourStep, int tourSteps,
                         NodeId current) {
    if (goal != kNone && !context.document.GetModel().Exists(goal)) {
        return kResultCancel; // the goal has gone: nothing to weigh
    }
    return RunOnWorkingCopy(context, "Weight Assessment", [&](const DialogContext& dialog) {
        WeightForm form(dialog, goal, tourStep, tourSteps, dialog.parent);
        form.SetCurrentNode(current);
        return form.exec();
    });
}

// ----- BoundEdit

BoundEdit::BoundEdit(char decimalSeparator, QWidget* parent)
    : QLineEdit(parent), separator_(decimalSeparator) {
    setObjectName(QStringLiteral("BoundEdit"));
    setFrame(false);
}

void BoundEdit::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    // Keys without a character (arrows, Home, Delete, shortcuts) keep their usual meaning; only
    // characters are filtered.
    char key = 0;
    if (event->key() == Qt::Key_Backspace) {
        key = kBoundBackspace;
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        key = kBoundEnter;
    } else if (typed.isEmpty() || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) ||
               typed.at(0).unicode() < 0x20 || typed.at(0).unicode() == 0x7f) {
        QLineEdit::keyPressEvent(event);
        return;
    } else if (typed.size() == 1 && typed.at(0).unicode() < 0x80) {
        key = static_cast<char>(typed.at(0).unicode());
    } else {
        event->accept(); // not a character a bound can hold
        return;
    }
    QString remaining = text();
    if (hasSelectedText()) {
        remaining.remove(selectionStart(), selectedText().size());
    }
    if (!AcceptBoundKey(ui::ToStd(remaining), key, separator_)) {
        event->accept();
        return;
    }
    const char entered = EnteredChar(key, separator_);
    if (entered != key) {
        insert(QString(QLatin1Char(entered))); // the point or comma as the locale writes it
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

QWidget* BoundDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                     const QModelIndex&) const {
    return new BoundEdit(separator_, parent);
}

bool BoundDelegate::eventFilter(QObject* watched, QEvent* event) {
    auto* editor = qobject_cast<QWidget*>(watched);
    if (editor != nullptr && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Keep what was typed and move on like Tab, without opening the next cell: typing
            // there opens it with its text replaced, as in a spreadsheet.
            Q_EMIT commitData(editor);
            Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
            if (auto* view = qobject_cast<WeightGridView*>(parent())) {
                view->setCurrentIndex(view->NextBoundIndex(false));
            }
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}

void BoundDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (table_ == nullptr || !table_->Enabled()) {
        return;
    }
    if (WeightTable::Editable(index.column()) &&
        ParseBound(ui::ToStd(option->text), separator_).has_value()) {
        option->text += QStringLiteral(" %");
    }
    if (table_->IsReference(index.row())) {
        // A tint of the selection colour, and bold bounds: a word beside the name, or a bold
        // name, would push the name out of its narrow column.
        option->font.setBold(WeightTable::Editable(index.column()));
        const QColor base = option->palette.color(QPalette::Base);
        const QColor mark = option->palette.color(QPalette::Highlight);
        option->backgroundBrush =
            QColor((3 * base.red() + mark.red()) / 4, (3 * base.green() + mark.green()) / 4,
                   (3 * base.blue() + mark.blue()) / 4);
    }
}

bool BoundDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                              const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() == QEvent::ToolTip && index.column() == kNameColumn && table_ != nullptr &&
        table_->IsReference(index.row())) {
        QToolTip::showText(event->globalPos(), QString::fromUtf8(kReferenceRowTip), view);
        return true;
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

// ----- WeightGridView

void WeightGridView::FinishEditing() {
    if (!Editing()) {
        return;
    }
    QWidget* editor = indexWidget(currentIndex());
    if (editor != nullptr) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

QModelIndex WeightGridView::NextBoundIndex(bool backwards) const {
    const GridCell next = NextBoundCell(rowCount(), {currentRow(), currentColumn()}, backwards);
    return model()->index(next.row, next.column);
}

QModelIndex WeightGridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    if ((action != MoveNext && action != MovePrevious) || rowCount() == 0) {
        return QTableWidget::moveCursor(action, modifiers);
    }
    return NextBoundIndex(action == MovePrevious);
}

bool WeightGridView::VerticalScrollBarNeeded() const {
    const int rowsHeight = rowCount() * verticalHeader()->defaultSectionSize();
    return rowsHeight >
           viewport()->height() +
               (horizontalScrollBar()->isVisible() ? horizontalScrollBar()->height() : 0);
}

// ----- WeightForm

WeightForm::WeightForm(const DialogContext& context, NodeId goal, int tourStep, int tourSteps,
                         QWidget* parent)
    : QDialog(parent), model_(context.model), prompts_(context.prompts),
      table_(context.model, goal, ui::DecimalSeparator()) {
    setObjectName(QStringLiteral("WeightForm"));
    setSizeGripEnabled(true);
    if (tourSteps > 0) {
        tourStep_ = tourStep;
        tourSteps_ = tourSteps;
    }
    setWindowTitle(ui::ToQ(table_.Caption(tourStep_, tourSteps_)));

    InfoPanel = new QFrame(this);
    InfoPanel->setObjectName(QStringLiteral("InfoPanel"));
    InfoPanel->setFrameShape(QFrame::StyledPanel);
    InfoLabel = new QLabel(QString::fromUtf8(kWeightInfoText), InfoPanel);
    InfoLabel->setObjectName(QStringLiteral("InfoLabel"));
    InfoLabel->setWordWrap(true);

    WeightGrid = new WeightGridView(this);
    WeightGrid->setObjectName(QStringLiteral("WeightGrid"));
    WeightGrid->setColumnCount(kWeightColumnCount);
    QStringList headers;
    for (const char* header : kHeaders) {
        headers << QString::fromUtf8(header);
    }
    WeightGrid->setHorizontalHeaderLabels(headers);
    WeightGrid->verticalHeader()->hide();
    WeightGrid->verticalHeader()->setMinimumSectionSize(1);
    WeightGrid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    WeightGrid->horizontalHeader()->setHighlightSections(false);
    WeightGrid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    WeightGrid->setEditTriggers(QAbstractItemView::AnyKeyPressed |
                                QAbstractItemView::DoubleClicked |
                                QAbstractItemView::EditKeyPressed);
    WeightGrid->setItemDelegate(new BoundDelegate(ui::DecimalSeparator(), &table_, WeightGrid));
    for (int column = 0; column <= kBestColumn; ++column) {
        WeightGrid->setColumnWidth(column, kFixedColumnWidth);
    }
    WeightGrid->viewport()->installEventFilter(this);

    auto makeButton = [this](const char* name, const QString& caption) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        return button;
    };
    const bool lastStep = tourSteps_ > 0 && tourStep_ == tourSteps_;
    const bool onTour = tourSteps_ > 0;
    OKButton = makeButton("OKButton",
                          onTour && !lastStep ? QStringLiteral("&OK >>") : QStringLiteral("&OK"));
    OKButton->setDefault(true);
    CancelButton = makeButton("CancelButton", !onTour    ? QStringLiteral("&Cancel")
                                              : lastStep ? QStringLiteral("&Skip")
                                                         : QStringLiteral("&Skip >>"));
    BackButton = makeButton("BackButton", QStringLiteral("<< &Back"));
    AbortButton = makeButton("AbortButton", QStringLiteral("&Abort"));
    BackButton->setVisible(onTour);
    AbortButton->setVisible(onTour);
    BackButton->setEnabled(onTour && tourStep_ > 1);
    connect(OKButton, &QPushButton::clicked, this, &WeightForm::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &WeightForm::CancelButtonClick);
    connect(BackButton, &QPushButton::clicked, this, &WeightForm::BackButtonClick);
    connect(AbortButton, &QPushButton::clicked, this, &WeightForm::AbortButtonClick);

    PopupInfo = new QFrame(this);
    PopupInfo->setObjectName(QStringLiteral("PopupInfo"));
    PopupInfo->setFrameShape(QFrame::Box);
    PopupInfo->setAutoFillBackground(true);
    QPalette popupPalette = PopupInfo->palette();
    popupPalette.setColor(QPalette::Window, QColor(255, 255, 225));
    popupPalette.setColor(QPalette::WindowText, Qt::black);
    PopupInfo->setPalette(popupPalette);
    PopupLabel = new QLabel(PopupInfo);
    PopupLabel->setObjectName(QStringLiteral("PopupLabel"));
    PopupLabel->setWordWrap(true);
    PopupLabel->setMargin(4);
    PopupInfo->hide();

    auto makeAction = [this](const char* name, const QString& caption, const QKeySequence& key,
                             void (WeightForm::*slot)()) {
        auto* action = new QAction(caption, WeightGrid);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetShortcut);
        WeightGrid->addAction(action);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    ClearCellAction = makeAction("ClearCell", QStringLiteral("Clear Cell"),
                                 QKeySequence(Qt::Key_Delete), &WeightForm::ClearCellClick);
    CopyCellsAction = makeAction("CopyCells", QStringLiteral("Copy Cells"),
                                 QKeySequence(Qt::CTRL | Qt::Key_C), &WeightForm::CopyCellsClick);
    PasteCellsAction =
        makeAction("PasteCells", QStringLiteral("Paste Cells"), QKeySequence(Qt::CTRL | Qt::Key_V),
                   &WeightForm::PasteCellsClick);
    CutCellsAction = makeAction("CutCells", QStringLiteral("Cut Cells"),
                                QKeySequence(Qt::CTRL | Qt::Key_X), &WeightForm::CutCellsClick);

    FillGrid();
    connect(WeightGrid, &QTableWidget::itemChanged, this, &WeightForm::WeightGridItemChanged);
    setMinimumSize(kButtonWidth + kGridMargin + 160, kInfoHeight + 5 * (kButtonHeight + 8) + 10);
    // At least the classic 640 pixels, wider where the names or consequences need it, never
    // wider than the screen.
    int width = std::max(640, NeededGridWidth() + kGridMargin);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        width = std::min(width, screen->availableGeometry().width());
    }
    resize(width, 300);
}

int WeightForm::NeededGridWidth() const {
    constexpr int kPadding = 12; // the cell's margins and a little air
    const QFontMetrics cells(WeightGrid->font());
    const QFontMetrics headers(WeightGrid->horizontalHeader()->font());
    int name = 0;
    int data = 0;
    for (int column = 0; column < kWeightColumnCount; ++column) {
        int& need = column == kNameColumn ? name : data;
        need = std::max(need,
                        headers.horizontalAdvance(QString::fromUtf8(kHeaders[column])) + kPadding);
        for (int row = 0; table_.Enabled() && row < table_.RowCount(); ++row) {
            need = std::max(need,
                            cells.horizontalAdvance(ui::ToQ(table_.Text(row, column))) + kPadding);
        }
    }
    // SizeColumns gives each data column a fifth of the grid (less a line) and the names what
    // is left after the frame, the lines and a scroll bar: about a fifth as well.
    const int lines = 2 * WeightGrid->frameWidth() + kWeightColumnCount + kScrollBarAllowance;
    return 5 * std::max(data + 1, name + lines);
}

WeightForm::~WeightForm() = default;

void WeightForm::SetCurrentNode(NodeId node) {
    for (int row = 0; node != kNone && row < table_.RowCount(); ++row) {
        if (table_.Row(row).node == node) {
            WeightGrid->setCurrentCell(row, kLowerColumn);
            return;
        }
    }
}

void WeightForm::FillGrid() {
    filling_ = true;
    if (!table_.Enabled()) {
        WeightGrid->setRowCount(1);
        WeightGrid->setEnabled(false);
        filling_ = false;
        return;
    }
    WeightGrid->setRowCount(table_.RowCount());
    const QColor fixedColor = palette().color(QPalette::Button);
    for (int row = 0; row < table_.RowCount(); ++row) {
        for (int column = 0; column < kWeightColumnCount; ++column) {
            auto* item = new QTableWidgetItem(ui::ToQ(table_.Text(row, column)));
            if (WeightTable::Editable(column)) {
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
            } else {
                item->setFlags(Qt::ItemIsEnabled);
                item->setBackground(fixedColor);
            }
            WeightGrid->setItem(row, column, item);
        }
    }
    WeightGrid->setCurrentCell(0, kLowerColumn);
    filling_ = false;
}

void WeightForm::RefreshCells() {
    filling_ = true;
    for (int row = 0; row < table_.RowCount(); ++row) {
        for (int column = kLowerColumn; column <= kUpperColumn; ++column) {
            if (QTableWidgetItem* item = WeightGrid->item(row, column)) {
                item->setText(ui::ToQ(table_.Text(row, column)));
            }
        }
    }
    filling_ = false;
    WeightGrid->viewport()->update();
}

void WeightForm::WeightGridItemChanged(QTableWidgetItem* item) {
    if (!filling_) {
        table_.SetText(item->row(), item->column(), ui::ToStd(item->text()));
        WeightGrid->viewport()->update(); // the row may have become or stopped being the reference
    }
}

CellRange WeightForm::SelectedRange() const {
    const auto ranges = WeightGrid->selectedRanges();
    CellRange range;
    if (ranges.isEmpty()) {
        range.top = range.bottom = WeightGrid->currentRow();
        range.left = range.right = WeightGrid->currentColumn();
    } else {
        // One rectangle: the bounding box of what is selected.
        const QTableWidgetSelectionRange& first = ranges.first();
        range = {first.topRow(), first.leftColumn(), first.bottomRow(), first.rightColumn()};
        for (const QTableWidgetSelectionRange& r : ranges) {
            range.top = std::min(range.top, r.topRow());
            range.left = std::min(range.left, r.leftColumn());
            range.bottom = std::max(range.bottom, r.bottomRow());
            range.right = std::max(range.right, r.rightColumn());
        }
    }
    // The fixed columns cannot be selected.
    range.left = std::max(range.left, static_cast<int>(kLowerColumn));
    return range;
}

void WeightForm::FocusCell(int row, int column) {
    WeightGrid->setCurrentCell(row, column);
    WeightGrid->setFocus();
}

void WeightForm::OKButtonClick() {
    if (table_.Enabled()) {
        WeightGrid->FinishEditing();
        const WeightCheck check = table_.Check();
        if (check.outcome != WeightCheck::Outcome::Accepted) {
            const QString caption = check.caption.empty() ? ui::kAppTitle : ui::ToQ(check.caption);
            prompts_.Message(caption, ui::ToQ(check.message), ui::Icon::Warning, ui::Buttons::Ok);
            if (check.row >= 0) {
                FocusCell(check.row, check.column);
            } else {
                WeightGrid->setFocus();
            }
            return;
        }
        model_.StoreWeightBounds(table_.TopDown(), check.bounds);
    }
    model_.RefreshAssessedStatus();
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    std::string solverError;
    const Feasibility feasibility = CheckFeasibility(model_, {}, &solverError);
    QGuiApplication::restoreOverrideCursor();
    if (feasibility == Feasibility::Feasible) {
        done(kResultOk);
        return;
    }
    if (feasibility == Feasibility::SolverError) {
        // Not a verdict on the bounds: say what happened and keep them.
        prompts_.Message(QStringLiteral("Model Feasibility Check"),
                         ui::ToQ(ScoreAssessment::CheckFailedMessage(solverError)),
                         ui::Icon::Warning, ui::Buttons::Ok);
        done(kResultOk);
        return;
    }
    const DialogContext asking{model_, prompts_, this};
    if (AskInfeasibleQuestion(asking, InfeasibleQuestion(tourSteps_ > 0),
                              {AssessmentTarget::Dialog::Weight, table_.Goal()}) ==
        ui::Answer::Yes) {
        done(kResultAbort);
        return;
    }
    // The bounds stay stored; the user corrects them and confirms again, or gives up with Yes.
    CancelButton->setEnabled(false);
    AbortButton->setEnabled(false);
    BackButton->setEnabled(false);
}

void WeightForm::CancelButtonClick() {
    if (CancelButton->isEnabled()) {
        done(kResultCancel);
    }
}

void WeightForm::BackButtonClick() {
    if (BackButton->isEnabled() && BackButton->isVisible()) {
        done(kResultBack);
    }
}

void WeightForm::AbortButtonClick() {
    if (AbortButton->isEnabled() && AbortButton->isVisible()) {
        done(kResultAbort);
    }
}

void WeightForm::reject() {
    // Escape and the close box mean Cancel, and are refused while Cancel is disabled.
    CancelButtonClick();
}

void WeightForm::ClearCellClick() {
    if (!table_.Enabled() || !WeightTable::Editable(WeightGrid->currentColumn()) ||
        WeightGrid->currentRow() < 0) {
        return;
    }
    table_.Clear(SelectedRange());
    RefreshCells();
}

void WeightForm::CopyCellsClick() {
    if (!table_.Enabled() || WeightGrid->currentRow() < 0) {
        return;
    }
    prompts_.SetClipboardText(ui::ToQ(table_.Copy(SelectedRange())));
}

void WeightForm::CutCellsClick() {
    CopyCellsClick();
    ClearCellClick();
}

void WeightForm::PasteCellsClick() {
    if (!table_.Enabled() || WeightGrid->currentRow() < 0) {
        return;
    }
    const QString text = prompts_.ClipboardText().left(static_cast<int>(kMaxPasteLength));
    table_.Paste(ui::ToStd(text), SelectedRange());
    RefreshCells();
}

void WeightForm::WeightGridMouseDown(const QPoint& viewportPos) {
    const int row = WeightGrid->rowAt(viewportPos.y());
    if (!table_.Enabled() || row < 0 || row >= table_.RowCount()) {
        return;
    }
    const QString text = ui::ToQ(table_.PopupText(row));
    PopupLabel->setText(text);
    // As wide as the longest line, within reason; longer lines wrap.
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        widest = std::max(widest, PopupLabel->fontMetrics().horizontalAdvance(line));
    }
    PopupLabel->setFixedWidth(
        std::clamp(widest + 2 * PopupLabel->margin() + 4, kPopupMinWidth, kPopupMaxWidth));
    PopupLabel->adjustSize();
    PopupInfo->resize(PopupLabel->size());
    QPoint at = WeightGrid->viewport()->mapTo(this, viewportPos) + QPoint(10, -10);
    at.setX(std::max(0, std::min(at.x(), width() - PopupInfo->width())));
    at.setY(std::max(0, std::min(at.y(), height() - PopupInfo->height())));
    PopupInfo->move(at);
    PopupInfo->show();
    PopupInfo->raise();
}

void WeightForm::WeightGridMouseUp() {
    PopupInfo->hide();
}

bool WeightForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == WeightGrid->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                WeightGridMouseDown(mouse->position().toPoint());
            }
        } else if (event->type() == QEvent::MouseButtonRelease) {
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                WeightGridMouseUp();
            }
        } else if (event->type() == QEvent::Resize) {
            SizeColumns();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void WeightForm::SizeControls() {
    const int w = width();
    const int h = height();
    InfoPanel->setGeometry(0, 0, w, kInfoHeight);
    InfoLabel->setGeometry(10, 4, std::max(1, w - 20), kInfoHeight - 8);
    const int gridWidth = std::max(1, w - kGridMargin);
    WeightGrid->setGeometry(0, kInfoHeight, gridWidth, std::max(1, h - kInfoHeight));
    const int x = w - kRightMargin - kButtonWidth;
    int y = kInfoHeight + 10;
    for (QPushButton* button : {OKButton, CancelButton, BackButton, AbortButton}) {
        button->setGeometry(x, y, kButtonWidth, kButtonHeight);
        y += kButtonHeight + 8;
    }
    SizeColumns();
}

void WeightForm::SizeColumns() {
    const int lineWidth = WeightGrid->showGrid() ? 1 : 0;
    const int gridWidth = WeightGrid->width();
    const int dataWidth = std::max(1, gridWidth / 5 - lineWidth);
    for (int column = 1; column < kWeightColumnCount; ++column) {
        WeightGrid->setColumnWidth(column, dataWidth);
    }
    int rest = gridWidth - 2 * WeightGrid->frameWidth() - 4 * (dataWidth + lineWidth) - lineWidth -
               kScrollBarAllowance;
    if (!WeightGrid->VerticalScrollBarNeeded()) {
        rest += kScrollBarAllowance;
    }
    WeightGrid->setColumnWidth(kNameColumn, std::max(1, rest));
    // A name or consequence too long for its column shows in full in its tooltip.
    const QFontMetrics metrics(WeightGrid->font());
    const bool wasFilling = filling_; // a tooltip is no edit
    filling_ = true;
    for (int row = 0; row < WeightGrid->rowCount(); ++row) {
        for (int column = 0; column <= kBestColumn; ++column) {
            if (QTableWidgetItem* item = WeightGrid->item(row, column)) {
                const bool cut =
                    metrics.horizontalAdvance(item->text()) + 8 > WeightGrid->columnWidth(column);
                item->setToolTip(cut ? item->text() : QString());
            }
        }
    }
    filling_ = wasFilling;
}

void WeightForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    SizeControls();
}

void WeightForm::showEvent(QShowEvent* event) {
    if (!placed_) {
        placed_ = true;
        ui::WidgetPlacement placement(this, "WeightForm");
        bool restored = false;
        if (SettingsPath()) {
            restored = RestorePlacement(IniFile(*SettingsPath()), placement);
        }
        if (!restored) {
            CentreOnScreen(placement);
        }
    }
    QDialog::showEvent(event);
    SizeControls();
}

void WeightForm::done(int result) {
    WeightGrid->FinishEditing();
    PopupInfo->hide();
    if (SettingsPath() && placed_) {
        IniFile settings(*SettingsPath());
        SavePlacement(settings, ui::WidgetPlacement(this, "WeightForm"));
    }
    QDialog::done(result);
}

} // namespace velor::elicit
