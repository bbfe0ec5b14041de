// The item model that mirrors the consequence table for the alternatives grid: item (r, c) is
// table cell (c + 1, r + 1); row 0 of the table (node names) is the horizontal header and column
// 0 (alternative names) the vertical header.
#pragma once

#include "model/model.h"

#include <QAbstractTableModel>

#include <functional>

namespace velor::ui {

class ConsequenceGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ConsequenceGridModel(const Model& model, QObject* parent = nullptr);

    // Called with table column, table row and the typed text when an in-place edit is committed.
    std::function<void(int, int, const QString&)> onCommit;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // What the texts of table column column are for (main goal: the names; other goals: the
    // levels a holistic comparison ranks; attributes: the consequences); empty outside 1..N.
    static QString ColumnToolTip(const Model& model, int column);

    // Follows the core: a reset when the table's shape changed, else a refresh of every text.
    void Refresh();

private:
    const Model& model_;
    int rows_ = 0;
    int cols_ = 0;
};

} // namespace velor::ui
