#include "ui/consequence_grid_model.h"

#include "ui/ui_text.h"

#include <QBrush>
#include <QColor>
#include <QGuiApplication>
#include <QPalette>

namespace velor::ui {

ConsequenceGridModel::ConsequenceGridModel(const Model& model, QObject* parent)
    : QAbstractTableModel(parent), model_(model) {
    rows_ = model_.Table().RowCount() - 1;
    cols_ = model_.Table().ColCount() - 1;
}

int ConsequenceGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int ConsequenceGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cols_;
}

QVariant ConsequenceGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_ || index.column() >= cols_) {
        return {};
    }
    const int col = index.column() + 1;
    const int row = index.row() + 1;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return ToQ(model_.CellText(col, row));
    case Qt::ToolTipRole:
    case Qt::BackgroundRole: {
        if (col > model_.N() || row > model_.M()) {
            return {};
        }
        const int rank = model_.Rank(col, row);
        if (rank <= 0) {
            return {};
        }
        if (role == Qt::ToolTipRole) {
            return QStringLiteral("Preferred as %1").arg(rank);
        }
        return QBrush(QColor(255, 248, 220));
    }
    default:
        return {};
    }
}

QString ConsequenceGridModel::ColumnToolTip(const Model& model, int column) {
    if (column < 1 || column > model.N()) {
        return {};
    }
    if (column == 1) {
        return QStringLiteral("Type the alternative's name here; the Name column shows it.");
    }
    if (model.IsGoal(model.NodeByColumn(column))) {
        return QStringLiteral("The levels a holistic comparison of this goal ranks.");
    }
    return QStringLiteral("What each alternative achieves on this attribute: its consequence.");
}

QVariant ConsequenceGridModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
    if (role == Qt::ToolTipRole) {
        if (orientation == Qt::Horizontal) {
            return section < cols_ ? ColumnToolTip(model_, section + 1) : QVariant();
        }
        return section < rows_ && model_.N() > 0
                   ? QStringLiteral("The alternative's name, typed in the column of %1.")
                         .arg(ToQ(model_.CellText(1, 0)))
                   : QVariant();
    }
    // The names are typed in the main goal's column, not here: they read as read-only, in a
    // grey halfway between the header's text and disabled text, which alone is too faint.
    if (role == Qt::ForegroundRole && orientation == Qt::Vertical) {
        const QPalette palette = QGuiApplication::palette();
        const QColor text = palette.color(QPalette::Active, QPalette::ButtonText);
        const QColor faint = palette.color(QPalette::Disabled, QPalette::ButtonText);
        return QBrush(QColor((text.red() + faint.red()) / 2, (text.green() + faint.green()) / 2,
                             (text.blue() + faint.blue()) / 2));
    }
    if (role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (orientation == Qt::Horizontal) {
        return section < cols_ ? ToQ(model_.CellText(section + 1, 0)) : QVariant();
    }
    return section < rows_ ? ToQ(model_.CellText(0, section + 1)) : QVariant();
}

Qt::ItemFlags ConsequenceGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (model_.CellsEditable()) {
        f |= Qt::ItemIsEditable;
    }
    return f;
}

bool ConsequenceGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || !onCommit) {
        return false;
    }
    onCommit(index.column() + 1, index.row() + 1, value.toString());
    return true;
}

void ConsequenceGridModel::Refresh() {
    const int rows = model_.Table().RowCount() - 1;
    const int cols = model_.Table().ColCount() - 1;
    if (rows != rows_ || cols != cols_) {
        beginResetModel();
        rows_ = rows;
        cols_ = cols;
        endResetModel();
        return;
    }
    if (rows_ > 0 && cols_ > 0) {
        Q_EMIT dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1));
    }
    if (cols_ > 0) {
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, cols_ - 1);
    }
    if (rows_ > 0) {
        Q_EMIT headerDataChanged(Qt::Vertical, 0, rows_ - 1);
    }
}

} // namespace velor::ui
