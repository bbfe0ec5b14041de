// The item model behind the alternatives grid, checked by Qt's model tester while the table
// changes shape, without a window.
#include "ui/consequence_grid_model.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>

namespace velor::ui {
namespace {

TEST(ConsequenceGridModel, StaysConsistentWhileTheTableChanges) {
    Model model;
    ConsequenceGridModel grid(model);
    QAbstractItemModelTester tester(&grid, QAbstractItemModelTester::FailureReportingMode::Fatal);
    // An empty table still has one empty row and column (rows and columns 1 of the table).
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.columnCount(), 1);
    EXPECT_FALSE(grid.flags(grid.index(0, 0)).testFlag(Qt::ItemIsEditable));

    const NodeId root = model.AddNode(kGoal, kNone);
    const NodeId a = model.AddNode(kAttribute, root);
    model.NewAlternative();
    grid.Refresh();
    model.NewAlternative();
    model.AddNode(kAttribute, root);
    grid.Refresh();
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.columnCount(), 3);
    EXPECT_TRUE(grid.flags(grid.index(1, 1)).testFlag(Qt::ItemIsEditable));
    EXPECT_EQ(grid.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Main Goal"));
    EXPECT_EQ(grid.headerData(1, Qt::Vertical, Qt::DisplayRole).toString(),
              QStringLiteral("Alternative 2"));

    QString committed;
    grid.onCommit = [&](int col, int row, const QString& text) {
        committed = QStringLiteral("%1,%2:%3").arg(col).arg(row).arg(text);
        model.CommitCellText(col, row, text.toStdString(), true);
    };
    EXPECT_TRUE(grid.setData(grid.index(1, 1), QStringLiteral("x"), Qt::EditRole));
    EXPECT_EQ(committed, QStringLiteral("2,2:x"));
    grid.Refresh();
    EXPECT_EQ(grid.data(grid.index(1, 1), Qt::DisplayRole).toString(), QStringLiteral("x"));

    model.DeleteSubtree(a);
    model.DeleteAlternative(1);
    grid.Refresh();
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.columnCount(), 2);
    model.ClearAlternatives();
    model.ClearTree();
    grid.Refresh();
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_FALSE(grid.flags(grid.index(0, 0)).testFlag(Qt::ItemIsEditable));
}

// Each column's header says what its texts are for.
TEST(ConsequenceGridModel, HeaderToolTipsSayWhatEachColumnHolds) {
    Model model;
    const NodeId root = model.AddNode(kGoal, kNone);
    const NodeId cost = model.AddNode(kGoal, root);
    model.AddNode(kAttribute, cost);
    model.NewAlternative();
    ConsequenceGridModel grid(model);
    auto tip = [&](NodeId node) {
        return grid.headerData(model.ColumnOfNode(node) - 1, Qt::Horizontal, Qt::ToolTipRole)
            .toString();
    };
    EXPECT_EQ(tip(root), QStringLiteral("Type the alternative's name here; the Name column shows it."));
    EXPECT_EQ(tip(cost), QStringLiteral("The levels a holistic comparison of this goal ranks."));
    EXPECT_TRUE(tip(model.Children(cost).front()).contains(QStringLiteral("consequence")));
    EXPECT_EQ(grid.headerData(3, Qt::Horizontal, Qt::ToolTipRole), QVariant()) << "no column 4";
}

} // namespace
} // namespace velor::ui
