// The menus: one access key per item of a menu, the value tree commands in the Model menu, and
// adding an attribute beside the current one.
#include "gui_fixture.h"

#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include <set>

namespace velor::ui::test {
namespace {

// The visible items of one menu (the menu bar counts as one) that take a key already taken.
void CollectClashes(const QList<QAction*>& items, QStringList& clashes) {
    std::set<QChar> taken;
    for (const QAction* a : items) {
        if (a->menu() != nullptr) {
            CollectClashes(a->menu()->actions(), clashes);
        }
        const QString text = QString(a->text()).remove(QStringLiteral("&&")); // no key
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        if (a->isVisible() && at >= 0 && at + 1 < text.size() &&
            !taken.insert(text.at(at + 1).toLower()).second) {
            clashes << a->text();
        }
    }
}

TEST_F(GuiTest, NoTwoItemsOfAMenuShareAnAccessKey) {
    QStringList clashes;
    const auto check = [&] {
        CollectClashes(window->menuBar()->actions(), clashes);
        CollectClashes(tree()->TreePopup()->actions(), clashes);
    };
    check(); // "New Main Goal"
    BuildSmallModel();
    for (const NodeId node : {root, price}) { // "Holistic Comparison...", "Score Assessment..."
        tree()->SelectNode(node);
        check();
    }
    EXPECT_EQ(clashes, QStringList());
}

TEST_F(GuiTest, TheModelMenuHoldsTheTreeCommands) {
    const QList<QAction*> items = window->findChild<QMenu*>(QStringLiteral("ModelMenu"))->actions();
    for (QAction* a : {tree()->NewGoalAction(), tree()->NewAttributeAction(),
                       tree()->NewAttributeBesideAction(), tree()->ScoreAssessmentAction(),
                       tree()->WeightAssessmentAction(), window->Action("NewAlternative2")}) {
        EXPECT_TRUE(items.contains(a) && a->isVisible()) << a->text().toStdString();
    }
}

TEST_F(GuiTest, CtrlShiftAAddsAnAttributeBesideTheCurrentOneAndCtrlASaysHow) {
    BuildSmallModel();
    QTreeWidget* view = tree()->TreeView();
    view->setFocus();
    for (const NodeId attribute : {price, space}) {
        const NodeId goal = model().Parent(attribute);
        std::vector<NodeId> children = model().Children(goal);
        tree()->SelectNode(attribute);
        window->statusBar()->clearMessage();
        QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(model().Children(goal), children);
        EXPECT_TRUE(window->statusBar()->currentMessage().contains(QStringLiteral("Ctrl+Shift+A")));

        prompts.textAnswers.push_back(QStringLiteral("Noise"));
        QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        children.push_back(tree()->SelectedNode()); // the last child of the goal
        EXPECT_EQ(model().Children(goal), children);
        EXPECT_TRUE(model().IsAttribute(children.back()));
        EXPECT_EQ(model().Node(children.back()).Name, "Noise");
        window->Action(QStringLiteral("Undo1"))->trigger(); // one step
        children.pop_back();
        EXPECT_EQ(model().Children(goal), children);
    }
}

} // namespace
} // namespace velor::ui::test
