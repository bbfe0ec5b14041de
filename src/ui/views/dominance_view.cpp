#include "ui/views/dominance_view.h"

#include "ui/grid_printer.h"
#include "ui/views/out_of_date_banner.h"
#include "ui/views/result_grid.h"
#include "ui/views/result_symbols.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace velor::ui {

namespace {

constexpr int kColumnWidth = 84;
constexpr int kRowHeight = 24;
// Names wider than these are elided (row names) or broken onto two lines (column names), with
// the full name in the header's tooltip.
constexpr int kNameWidthLimit = 280;
constexpr int kColumnNameLimit = 180;

QString Name(const Model& model, int row) {
    return QString::fromStdString(model.AlternativeName(row));
}

// What each symbol of the matrix means, on the screen and on paper.
const struct {
    int code;
    const char* text;
} kLegendEntries[] = {{kDominates, "row dominates column"},
                      {kNotComputed, "not computed"},
                      {kDominated, "row is dominated by column"},
                      {kSelf, "same alternative"}};
constexpr const char* kEmptyCellText = "an empty cell: neither dominates";

// A small table under the matrix saying what each symbol means.
QWidget* MakeLegend(QWidget* parent) {
    auto* legend = new QWidget(parent);
    legend->setObjectName(QStringLiteral("DominanceLegend"));
    auto* grid = new QGridLayout(legend);
    grid->setContentsMargins(6, 3, 6, 3);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(1);
    int i = 0;
    for (const auto& entry : kLegendEntries) {
        auto* symbol = new QLabel(legend);
        symbol->setPixmap(DominanceSymbol(entry.code, 14));
        grid->addWidget(symbol, i / 2, (i % 2) * 2);
        grid->addWidget(new QLabel(QString::fromLatin1(entry.text), legend), i / 2,
                        (i % 2) * 2 + 1);
        ++i;
    }
    grid->addWidget(new QLabel(QString::fromLatin1(kEmptyCellText), legend), 2, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    for (QLabel* label : legend->findChildren<QLabel*>()) {
        QFont small = label->font();
        small.setPointSizeF(small.pointSizeF() * 0.9);
        label->setFont(small);
    }
    return legend;
}

} // namespace

DominanceView::DominanceView(const Document& document, QWidget* parent)
    : QWidget(parent), model_(document.GetModel()) {
    setObjectName(QStringLiteral("DominanceForm"));
    setWindowTitle(QStringLiteral("Dominance"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(new OutOfDateBanner(document, this));
    matrix_ = new ResultGrid(this);
    matrix_->setObjectName(QStringLiteral("DMatrix"));
    matrix_->onResize = [this] { ApplySizing(); };
    matrix_->ColumnHeader()->SetWrapping(true);
    layout->addWidget(matrix_);
    note_ = new QLabel(QStringLiteral("No alternative dominates another."), this);
    note_->setObjectName(QStringLiteral("NoDominanceNote"));
    note_->setAlignment(Qt::AlignCenter);
    note_->setWordWrap(true);
    note_->hide();
    layout->addWidget(note_, 1);
    legend_ = MakeLegend(this);
    layout->addWidget(legend_);
    ResizeMatrix();
    model_.AddObserver(this);
}

DominanceView::~DominanceView() {
    model_.RemoveObserver(this);
}

QSize DominanceView::sizeHint() const {
    // The classic (M + 1) x 85 by (M + 1) x 25, widened so that every name shows in full.
    const int k = model_.M() < 2 ? 3 : model_.M() + 1;
    const int frame = 2 * matrix_->frameWidth();
    const int named = NameWidth() + (k - 1) * (ColumnNameWidth() + 1) + frame;
    QSize size(std::max({k * 85 + 1, named, legend_->sizeHint().width()}),
               k * 25 + 1 + legend_->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        size = size.boundedTo(screen->availableSize());
    }
    return size;
}

void DominanceView::ResizeMatrix() {
    const int m = model_.M();
    if (m >= 1) {
        matrix_->setRowCount(m);
        matrix_->setColumnCount(m);
        matrix_->horizontalHeader()->show();
        matrix_->verticalHeader()->show();
    } else {
        // Without alternatives: one plain empty cell.
        matrix_->clear();
        matrix_->setRowCount(1);
        matrix_->setColumnCount(1);
        matrix_->horizontalHeader()->hide();
        matrix_->verticalHeader()->hide();
    }
    RepaintMatrix();
    ApplySizing();
}

void DominanceView::RepaintMatrix() {
    const int m = model_.M();
    const bool none = NoPairDominates();
    matrix_->setVisible(!none);
    legend_->setVisible(!none);
    note_->setVisible(none);
    if (m < 1 || matrix_->rowCount() != m) {
        return;
    }
    for (int c = 1; c <= m; ++c) {
        matrix_->SetColumnHeader(c - 1, Name(model_, c));
    }
    for (int r = 1; r <= m; ++r) {
        matrix_->SetRowHeader(r - 1, Name(model_, r));
        const TAlternativeData& alt = model_.Alternative(r);
        for (int c = 1; c <= m; ++c) {
            const int code = c < static_cast<int>(alt.Dominance.size())
                                 ? alt.Dominance[static_cast<std::size_t>(c)]
                                 : static_cast<int>(kNotComputed);
            QString tip;
            switch (code) {
            case kDominates:
                tip = Name(model_, r) + QStringLiteral(" dominates ") + Name(model_, c);
                break;
            case kDominated:
                tip = Name(model_, r) + QStringLiteral(" is dominated by ") + Name(model_, c);
                break;
            case kNeither:
                tip = QStringLiteral("Neither dominates the other");
                break;
            case kSelf:
                break;
            default:
                tip = QStringLiteral("Not computed");
                break;
            }
            matrix_->SetSymbol(r - 1, c - 1, DominanceSymbol(code), tip, code);
        }
    }
}

bool DominanceView::NoPairDominates() const {
    const int m = model_.M();
    if (m < 2) {
        return false;
    }
    for (int r = 1; r <= m; ++r) {
        const auto& codes = model_.Alternative(r).Dominance;
        for (int c = 1; c <= m; ++c) {
            const int code = c < std::ssize(codes) ? codes[static_cast<std::size_t>(c)]
                                                   : static_cast<int>(kNotComputed);
            if (c != r && code != kNeither) {
                return false;
            }
        }
    }
    return true;
}

void DominanceView::PrintView(QPrinter& printer) {
    GridPrintOptions options;
    for (const auto& entry : kLegendEntries) {
        options.legend.push_back({DominanceSymbol(entry.code, 32), QString::fromLatin1(entry.text)});
    }
    options.legend.push_back({QPixmap(), QString::fromLatin1(kEmptyCellText)});
    PrintItemGrid(printer, windowTitle(), *matrix_->model(), options);
}

int DominanceView::Code(int row, int column) const {
    if (row < 1 || column < 1 || row > matrix_->rowCount() || column > matrix_->columnCount()) {
        return -1;
    }
    return matrix_->CellData(row - 1, column - 1);
}

bool DominanceView::HasSymbol(int row, int column) const {
    return row >= 1 && column >= 1 && matrix_->HasSymbol(row - 1, column - 1);
}

QString DominanceView::ColumnName(int column) const {
    const QTableWidgetItem* item = matrix_->horizontalHeaderItem(column - 1);
    return item != nullptr ? item->text() : QString();
}

QString DominanceView::RowName(int row) const {
    const QTableWidgetItem* item = matrix_->verticalHeaderItem(row - 1);
    return item != nullptr ? item->text() : QString();
}

namespace {

int HeaderMargin(const ResultGrid* grid) {
    return 2 * grid->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, grid) + 8;
}

} // namespace

int DominanceView::NameWidth() const {
    const QFontMetrics fm(matrix_->RowHeader()->font());
    int widest = 0;
    for (int r = 1; r <= model_.M(); ++r) {
        widest = std::max(widest, fm.horizontalAdvance(Name(model_, r)));
    }
    return std::clamp(widest + HeaderMargin(matrix_), kColumnWidth, kNameWidthLimit);
}

int DominanceView::ColumnNameWidth() const {
    const QFontMetrics fm(matrix_->ColumnHeader()->font());
    int widest = 0;
    for (int c = 1; c <= model_.M(); ++c) {
        widest = std::max(widest, fm.horizontalAdvance(Name(model_, c)));
    }
    return std::clamp(widest + HeaderMargin(matrix_), kColumnWidth, kColumnNameLimit);
}

void DominanceView::ApplySizing() {
    const int m = model_.M();
    if (m < 1) {
        matrix_->setColumnWidth(0, kColumnWidth);
        matrix_->setRowHeight(0, kRowHeight);
        return;
    }
    const int k = m + 1;
    // Rows fill the grid once they can be 24 pixels high, columns once they can be wider than
    // the default; the header row and column take what the division leaves over.
    const int h = matrix_->height();
    const int rowH = h / k - 1;
    int headerH = kRowHeight;
    int rowHeight = kRowHeight;
    if (rowH >= kRowHeight) {
        rowHeight = rowH;
        headerH = rowH + h % k - 3;
    }
    const int w = matrix_->UsableWidth(headerH + m * rowHeight);
    const int colW = w / k - 1;
    int headerW = kColumnWidth;
    int columnW = kColumnWidth;
    if (colW > kColumnWidth - 1) {
        columnW = colW;
        headerW = colW + w % k - 3;
    }
    // The header column shows the row names in full; the columns share what is left.
    if (const int names = NameWidth(); headerW < names) {
        headerW = names;
        columnW = std::max(kColumnWidth, (w - headerW) / m - 1);
    }
    matrix_->SetHeaderColumnWidth(headerW);
    for (int c = 0; c < m; ++c) {
        matrix_->setColumnWidth(c, columnW);
    }
    // Column names too wide for their column go onto two lines.
    const int wrappedH = std::max(headerH, matrix_->ColumnHeader()->WrappedHeight());
    if (wrappedH > headerH && rowHeight > kRowHeight) {
        // The rows that filled the grid give the taller header row its room.
        rowHeight = std::max(kRowHeight, (h - wrappedH) / m - 1);
    }
    matrix_->SetHeaderRowHeight(wrappedH);
    for (int r = 0; r < m; ++r) {
        matrix_->setRowHeight(r, rowHeight);
    }
}

void DominanceView::ModelChanged(ModelChange what) {
    switch (what) {
    case ModelChange::Table:
        ResizeMatrix();
        break;
    case ModelChange::Tree:
    case ModelChange::Results:
        RepaintMatrix();
        break;
    default:
        break;
    }
}

} // namespace velor::ui
