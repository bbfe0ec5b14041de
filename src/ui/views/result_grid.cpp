#include "ui/views/result_grid.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace velor::ui {

namespace {

constexpr int kDataRole = Qt::UserRole + 1;

// Draws a cell's background and text as usual and its symbol centred.
class CentredSymbolDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QPixmap symbol = index.data(Qt::DecorationRole).value<QPixmap>();
        opt.icon = QIcon();
        opt.features &= ~QStyleOptionViewItem::HasDecoration;
        const QWidget* widget = opt.widget;
        QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        if (!symbol.isNull()) {
            const QSizeF size = symbol.deviceIndependentSize();
            const QPointF topLeft(opt.rect.center().x() - size.width() / 2 + 1,
                                  opt.rect.center().y() - size.height() / 2 + 1);
            painter->drawPixmap(topLeft, symbol);
        }
    }
};

} // namespace

ResultGrid::ResultGrid(QWidget* parent) : QTableWidget(parent) {
    setItemDelegate(new CentredSymbolDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::StrongFocus);
    setCornerButtonEnabled(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    verticalHeader()->setHighlightSections(false);
    verticalHeader()->setMinimumSectionSize(1);
}

void ResultGrid::SetColumnHeader(int column, const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setToolTip(text);
    item->setTextAlignment(Qt::AlignCenter);
    setHorizontalHeaderItem(column, item);
}

void ResultGrid::SetRowHeader(int row, const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setToolTip(text);
    item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setVerticalHeaderItem(row, item);
}

void ResultGrid::SetSymbol(int row, int column, const QPixmap& symbol, const QString& toolTip,
                           int data) {
    auto* item = new QTableWidgetItem;
    if (!symbol.isNull()) {
        item->setData(Qt::DecorationRole, symbol);
    }
    item->setData(kDataRole, data);
    item->setToolTip(toolTip);
    item->setFlags(Qt::ItemIsEnabled);
    setItem(row, column, item);
}

void ResultGrid::SetCellText(int row, int column, const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    item->setFlags(Qt::ItemIsEnabled);
    setItem(row, column, item);
}

int ResultGrid::CellData(int row, int column) const {
    const QTableWidgetItem* cell = item(row, column);
    if (cell == nullptr || !cell->data(kDataRole).isValid()) {
        return -1;
    }
    return cell->data(kDataRole).toInt();
}

bool ResultGrid::HasSymbol(int row, int column) const {
    const QTableWidgetItem* cell = item(row, column);
    return cell != nullptr && !cell->data(Qt::DecorationRole).value<QPixmap>().isNull();
}

QString ResultGrid::CellText(int row, int column) const {
    const QTableWidgetItem* cell = item(row, column);
    return cell != nullptr ? cell->text() : QString();
}

void ResultGrid::SetHeaderColumnWidth(int width) {
    verticalHeader()->setFixedWidth(width);
}

void ResultGrid::SetHeaderRowHeight(int height) {
    horizontalHeader()->setFixedHeight(height);
}

int ResultGrid::HeaderColumnWidth() const {
    return verticalHeader()->maximumWidth();
}

int ResultGrid::HeaderRowHeight() const {
    return horizontalHeader()->maximumHeight();
}

void ResultGrid::resizeEvent(QResizeEvent* event) {
    QTableWidget::resizeEvent(event);
    if (onResize) {
        onResize();
    }
}

} // namespace velor::ui
