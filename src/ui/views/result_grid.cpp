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
        // Nothing is selected in a result grid, so no cell is highlighted as current.
        opt.state &= ~(QStyle::State_HasFocus | QStyle::State_Selected);
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

NameHeader::NameHeader(Qt::Orientation orientation, QWidget* parent)
    : QHeaderView(orientation, parent) {}

int NameHeader::WrappedHeight() const {
    const QFontMetrics fm(font());
    const int margin = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    int lines = 1;
    for (int i = 0; i < count(); ++i) {
        const QString text = model()->headerData(i, orientation(), Qt::DisplayRole).toString();
        if (fm.horizontalAdvance(text) > sectionSize(i) - margin) {
            lines = 2;
        }
    }
    return lines * fm.lineSpacing() + 8;
}

void NameHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!rect.isValid()) {
        return;
    }
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    opt.rect = rect;
    opt.section = logicalIndex;
    const QVariant alignment =
        model()->headerData(logicalIndex, orientation(), Qt::TextAlignmentRole);
    opt.textAlignment = alignment.isValid() ? Qt::Alignment(alignment.toInt()) : defaultAlignment();
    const QString text =
        model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString();
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, &opt, this);
    const QRect textRect = rect.adjusted(margin, 0, -margin, 0);
    const QFontMetrics fm(font());
    const bool fits = fm.horizontalAdvance(text) <= textRect.width();
    const bool wrap = !fits && wrapping_ && textRect.height() >= 2 * fm.lineSpacing();
    opt.text = fits   ? text
               : wrap ? QString()
                      : fm.elidedText(text, Qt::ElideRight, textRect.width());
    painter->save();
    style()->drawControl(QStyle::CE_Header, &opt, painter, this);
    painter->restore();
    if (wrap) {
        painter->save();
        painter->setPen(palette().color(QPalette::ButtonText));
        painter->drawText(textRect, int(opt.textAlignment) | Qt::TextWordWrap, text);
        painter->restore();
    }
}

ResultGrid::ResultGrid(QWidget* parent) : QTableWidget(parent) {
    columnHeader_ = new NameHeader(Qt::Horizontal, this);
    rowHeader_ = new NameHeader(Qt::Vertical, this);
    setHorizontalHeader(columnHeader_);
    setVerticalHeader(rowHeader_);
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
    if (verticalHeader()->maximumWidth() != width) {
        verticalHeader()->setFixedWidth(width);
        // The cells and the column headers move with the header column at once, also when
        // this runs inside a resize.
        updateGeometries();
    }
}

void ResultGrid::SetHeaderRowHeight(int height) {
    if (horizontalHeader()->maximumHeight() != height) {
        horizontalHeader()->setFixedHeight(height);
        updateGeometries();
    }
}

int ResultGrid::UsableWidth(int contentHeight) const {
    const bool scrolls = contentHeight > height() - 2 * frameWidth();
    return width() -
           (scrolls ? style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) : 0);
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
