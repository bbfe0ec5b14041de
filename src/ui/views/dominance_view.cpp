#include "ui/views/dominance_view.h"

#include "ui/views/result_grid.h"
#include "ui/views/result_symbols.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace velor::ui {

namespace {

constexpr int kColumnWidth = 84;
constexpr int kRowHeight = 24;

QString Name(const Model& model, int row) {
    return QString::fromStdString(model.AlternativeName(row));
}

} // namespace

DominanceView::DominanceView(Model& model, QWidget* parent) : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("DominanceForm"));
    setWindowTitle(QStringLiteral("Dominance"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    matrix_ = new ResultGrid(this);
    matrix_->setObjectName(QStringLiteral("DMatrix"));
    matrix_->onResize = [this] { ApplySizing(); };
    layout->addWidget(matrix_);
    ResizeMatrix();
    model_.AddObserver(this);
}

DominanceView::~DominanceView() {
    model_.RemoveObserver(this);
}

QSize DominanceView::sizeHint() const {
    const int k = model_.M() < 2 ? 3 : model_.M() + 1;
    QSize size(k * 85 + 1, k * 25 + 1);
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
    matrix_->SetHeaderColumnWidth(headerW);
    matrix_->SetHeaderRowHeight(headerH);
    for (int c = 0; c < m; ++c) {
        matrix_->setColumnWidth(c, columnW);
    }
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
