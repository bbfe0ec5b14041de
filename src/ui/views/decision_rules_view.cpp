#include "ui/views/decision_rules_view.h"

#include "calc/result_warnings.h"
#include "ui/grid_printer.h"
#include "ui/views/out_of_date_banner.h"
#include "ui/views/reading_note.h"
#include "ui/views/result_grid.h"
#include "ui/views/result_symbols.h"
#include "ui/views/view_numbers.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace velor::ui {

namespace {

constexpr int kColumnWidth = 80;
constexpr int kRowHeight = 24;
constexpr int kRuleColumns = 4;
constexpr int kLossColumn = 4; // the fifth data column
// The name column grows with the longest name up to this width; longer names are elided and
// shown in full as tooltips.
constexpr int kNameWidthLimit = 280;

} // namespace

DecisionRulesView::DecisionRulesView(const Document& document, QWidget* parent)
    : QWidget(parent), model_(document.GetModel()) {
    setObjectName(QStringLiteral("DecisionForm"));
    setWindowTitle(QStringLiteral("Decision Rules"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    banner_ = new OutOfDateBanner(document, this);
    layout->addWidget(banner_);
    grid_ = new ResultGrid(this);
    grid_->setObjectName(QStringLiteral("DecisionGrid"));
    grid_->onResize = [this] { ApplySizing(); };
    layout->addWidget(grid_);
    note_ = MakeReadingNote(QString::fromLatin1(reading::kDecisionRules), this);
    layout->addWidget(note_);
    grid_->setColumnCount(kRuleColumns + 1);
    for (int rule = 0; rule < kRuleColumns; ++rule) {
        grid_->SetColumnHeader(rule, QString::fromLatin1(kDecisionRuleNames[rule]));
    }
    grid_->SetColumnHeader(kLossColumn, QStringLiteral("Possible Loss"));
    grid_->ColumnHeader()->SetWrapping(true);
    ResizeGrid();
    model_.AddObserver(this);
}

DecisionRulesView::~DecisionRulesView() {
    model_.RemoveObserver(this);
}

QSize DecisionRulesView::sizeHint() const {
    // At least the classic 502 x (M + 1) x 26, and never less than what shows every row and the
    // whole header without scrolling.
    const int k = model_.M() < 2 ? 3 : model_.M() + 1;
    const int frame = 2 * grid_->frameWidth();
    const int rows = std::max(model_.M(), 1);
    QSize size(std::max(502, NameWidth() + (kRuleColumns + 1) * kColumnWidth + frame),
               std::max(k * 26, HeaderHeight() + rows * RowHeight() + frame) +
                   (banner_->isVisibleTo(this) ? banner_->sizeHint().height() : 0) +
                   note_->heightForWidth(std::max(502, NameWidth() + (kRuleColumns + 1) *
                                                                       kColumnWidth)));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        size = size.boundedTo(screen->availableSize());
    }
    return size;
}

int DecisionRulesView::RowHeight() const {
    return std::max(kRowHeight, grid_->fontMetrics().height() + 8);
}

int DecisionRulesView::HeaderHeight() const {
    return std::max(RowHeight(), grid_->ColumnHeader()->WrappedHeight());
}

int DecisionRulesView::NameWidth() const {
    const QFontMetrics fm(grid_->RowHeader()->font());
    int widest = 0;
    for (int r = 1; r <= model_.M(); ++r) {
        widest = std::max(widest,
                          fm.horizontalAdvance(QString::fromStdString(model_.AlternativeName(r))));
    }
    const int margin = 2 * grid_->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, grid_) + 8;
    return std::clamp(widest + margin, kColumnWidth, kNameWidthLimit);
}

void DecisionRulesView::PrintView(QPrinter& printer) {
    GridPrintOptions options;
    options.legend = {{RecommendationMark(32), QStringLiteral("the rule recommends the alternative")},
                      {QPixmap(), QStringLiteral("Possible Loss: the most the alternative can fall "
                                                 "short of the best")}};
    PrintItemGrid(printer, windowTitle(), *grid_->model(), options);
}

void DecisionRulesView::ResizeGrid() {
    const int m = model_.M();
    grid_->setRowCount(std::max(m, 1));
    if (m == 0) {
        grid_->SetRowHeader(0, QString());
        for (int c = 0; c <= kRuleColumns; ++c) {
            grid_->setItem(0, c, nullptr);
        }
    }
    const QPixmap mark = RecommendationMark();
    for (int r = 1; r <= m; ++r) {
        const TAlternativeData& alt = model_.Alternative(r);
        grid_->SetRowHeader(r - 1, QString::fromStdString(model_.AlternativeName(r)));
        for (int rule = 0; rule < kRuleColumns; ++rule) {
            const bool on = alt.Recommended[static_cast<std::size_t>(rule)] == 1;
            grid_->SetSymbol(r - 1, rule, on ? mark : QPixmap(),
                             on ? QStringLiteral("Recommended by ") +
                                      QString::fromLatin1(kDecisionRuleNames[rule])
                                : QString(),
                             on ? 1 : 0);
        }
        grid_->SetCellText(r - 1, kLossColumn,
                           model_.Calculated().Dominance
                               ? FormatThreeDecimals(alt.MaxRegret)
                               : QString::fromLatin1(kNotCalculatedText));
    }
    ApplySizing();
}

QString DecisionRulesView::ColumnTitle(int column) const {
    const QTableWidgetItem* item = grid_->horizontalHeaderItem(column - 1);
    return item != nullptr ? item->text() : QString();
}

QString DecisionRulesView::RowName(int row) const {
    const QTableWidgetItem* item = grid_->verticalHeaderItem(row - 1);
    return item != nullptr ? item->text() : QString();
}

bool DecisionRulesView::Marked(int row, int rule) const {
    return row >= 1 && row <= model_.M() && grid_->HasSymbol(row - 1, rule);
}

QString DecisionRulesView::PossibleLoss(int row) const {
    return row >= 1 ? grid_->CellText(row - 1, kLossColumn) : QString();
}

void DecisionRulesView::ApplySizing() {
    for (int c = 0; c <= kRuleColumns; ++c) {
        grid_->setColumnWidth(c, kColumnWidth);
    }
    // Rows keep the height of their text; the header row takes the lines its rule names need.
    const int rowHeight = RowHeight();
    const int headerHeight = HeaderHeight();
    grid_->SetHeaderRowHeight(headerHeight);
    // The name column is as wide as the longest name (within a limit) and takes any width the
    // five fixed columns leave over.
    const int w = grid_->UsableWidth(headerHeight + grid_->rowCount() * rowHeight);
    grid_->SetHeaderColumnWidth(std::max(NameWidth(), w - 409));
    for (int r = 0; r < grid_->rowCount(); ++r) {
        grid_->setRowHeight(r, rowHeight);
    }
}

void DecisionRulesView::ModelChanged(ModelChange what) {
    switch (what) {
    case ModelChange::Table:
    case ModelChange::Results:
    case ModelChange::Tree:
        ResizeGrid();
        break;
    default:
        break;
    }
}

} // namespace velor::ui
