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

// With the captions the tree's commands take on a goal and on an attribute.
TEST_F(GuiTest, NoTwoItemsOfAMenuShareAnAccessKey) {
    BuildSmallModel();
    QStringList clashes;
    for (const NodeId node : {root, price}) {
        tree()->SelectNode(node);
        CollectClashes(window->menuBar()->actions(), clashes);
        CollectClashes(tree()->TreePopup()->actions(), clashes);
    }
    EXPECT_EQ(clashes, QStringList());
}

// Beside an attribute: a named attribute as the last child of its goal, in one step; Ctrl+A on
// the attribute adds nothing and says what to press instead. The Model menu offers the command.
TEST_F(GuiTest, CtrlShiftAAddsAnAttributeBesideTheCurrentOneAndCtrlASaysHow) {
    BuildSmallModel();
    QTreeWidget* view = tree()->TreeView();
    view->setFocus();
    std::vector<NodeId> children = model().Children(comfort);
    tree()->SelectNode(space);
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(model().Children(comfort), children);
    EXPECT_TRUE(window->statusBar()->currentMessage().contains(QStringLiteral("Ctrl+Shift+A")));
    prompts.textAnswers.push_back(QStringLiteral("Noise"));
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    children.push_back(tree()->SelectedNode());
    EXPECT_EQ(model().Children(comfort), children);
    EXPECT_TRUE(model().IsAttribute(children.back()) &&
                model().Node(children.back()).Name == "Noise");
    window->Action(QStringLiteral("Undo1"))->trigger();
    EXPECT_EQ(model().Children(comfort).size(), 1u);
    EXPECT_TRUE(window->findChild<QMenu*>(QStringLiteral("ModelMenu"))
                    ->actions()
                    .contains(tree()->NewAttributeBesideAction()));
}

} // namespace
} // namespace velor::ui::test
