// The menus: unique access keys, the value tree commands in the Model menu, and adding an
// attribute beside the current one.
#include "gui_fixture.h"

#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include <map>

namespace velor::ui::test {
namespace {

// The key an item's text gives it ("Save &As..." gives 'a'; "&&" is a literal ampersand), or
// none.
QChar AccessKey(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (text[i + 1] != QLatin1Char('&')) {
                return text[i + 1].toLower();
            }
            ++i;
        }
    }
    return {};
}

// Every two visible items of one menu (and of its submenus, each on its own) that share a key.
void CollectClashes(const QMenu* menu, QStringList& clashes) {
    std::map<QChar, QString> taken;
    const QList<QAction*> actions = menu->actions();
    for (const QAction* action : actions) {
        if (action->isSeparator() || !action->isVisible()) {
            continue;
        }
        if (action->menu() != nullptr) {
            CollectClashes(action->menu(), clashes);
        }
        const QChar key = AccessKey(action->text());
        if (key.isNull()) {
            continue;
        }
        const auto [it, added] = taken.emplace(key, action->text());
        if (!added) {
            clashes << menu->title() + QStringLiteral(": ") + it->second + QStringLiteral(" / ") +
                           action->text();
        }
    }
}

QStringList MenuTexts(const QMenu* menu) {
    QStringList texts;
    const QList<QAction*> actions = menu->actions();
    for (const QAction* a : actions) {
        if (!a->isSeparator() && a->isVisible()) {
            texts << a->text() + (a->isEnabled() ? QString() : QStringLiteral(" (off)"));
        }
    }
    return texts;
}

class MenusTest : public GuiTest {
protected:
    QMenu* ModelMenu() { return window->findChild<QMenu*>(QStringLiteral("ModelMenu")); }
    QStringList Clashes() {
        // The menu bar's own titles (Alt+F, Alt+M, ...) are checked like the items of a menu.
        const QList<QAction*> titles = window->menuBar()->actions();
        QMenu barAsMenu;
        barAsMenu.addActions(titles);
        QStringList clashes;
        CollectClashes(&barAsMenu, clashes);
        CollectClashes(tree()->TreePopup(), clashes);
        return clashes;
    }
};

// Checked in every state that changes captions: an empty tree ("New Main Goal"), a goal
// ("Holistic Comparison..."), an attribute, and with recent files listed.
TEST_F(MenusTest, NoTwoItemsOfAMenuShareAnAccessKey) {
    tree()->TreePopupPopup();
    EXPECT_EQ(Clashes(), QStringList());
    BuildSmallModel();
    for (const NodeId node : {root, price, comfort, space}) {
        tree()->SelectNode(node);
        EXPECT_EQ(Clashes(), QStringList()) << model().Node(node).Name;
    }
    prompts.fileAnswers.push_back(FilePath(QStringLiteral("a&b.vlr")));
    ASSERT_TRUE(window->SaveAsClick());
    EXPECT_EQ(Clashes(), QStringList());
}

TEST_F(MenusTest, TheModelMenuOffersTheTreeCommandsAsTheContextMenuEnablesThem) {
    BuildSmallModel();
    tree()->SelectNode(price);
    const QStringList onAttribute = MenuTexts(ModelMenu());
    EXPECT_EQ(onAttribute.mid(1, 6),
              (QStringList{QStringLiteral("New &Goal (off)"), QStringLiteral("New &Attribute (off)"),
                           QStringLiteral("New Attribute &Beside"),
                           QStringLiteral("&New Alternative..."),
                           QStringLiteral("&Score Assessment... (off)"),
                           QStringLiteral("&Weight Assessment... (off)")}));
    tree()->SelectNode(comfort);
    EXPECT_EQ(MenuTexts(ModelMenu()).mid(1, 5),
              (QStringList{QStringLiteral("New &Goal"), QStringLiteral("New &Attribute"),
                           QStringLiteral("New Attribute &Beside (off)"),
                           QStringLiteral("&New Alternative..."),
                           QStringLiteral("&Holistic Comparison... (off)")}));

    // The menu's New Alternative adds a row like the editor's own command.
    const int m = model().M();
    window->Action(QStringLiteral("NewAlternative2"))->trigger();
    EXPECT_EQ(model().M(), m + 1);
}

// For every attribute: Ctrl+Shift+A adds a named attribute as the last child of its goal, as
// one step of the history; Ctrl+A on it adds nothing and says what to press instead.
TEST_F(MenusTest, CtrlShiftAAddsAnAttributeBesideTheCurrentOneAndCtrlASaysSo) {
    BuildSmallModel();
    QTreeWidget* view = tree()->TreeView();
    view->setFocus();
    for (const NodeId attribute : {price, space}) {
        const NodeId goal = model().Parent(attribute);
        const std::vector<NodeId> before = model().Children(goal);
        tree()->SelectNode(attribute);
        window->statusBar()->clearMessage();
        QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(model().Children(goal), before);
        EXPECT_TRUE(window->statusBar()->currentMessage().contains(QStringLiteral("Ctrl+Shift+A")));

        prompts.textAnswers.push_back(QStringLiteral("Noise"));
        QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        const std::vector<NodeId> after = model().Children(goal);
        ASSERT_EQ(after.size(), before.size() + 1);
        EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin()));
        EXPECT_TRUE(model().IsAttribute(after.back()));
        EXPECT_EQ(model().Node(after.back()).Name, "Noise");
        EXPECT_EQ(tree()->SelectedNode(), after.back());
        EXPECT_EQ(window->Action(QStringLiteral("Undo1"))->text(),
                  QStringLiteral("&Undo New Attribute"));
        window->Action(QStringLiteral("Undo1"))->trigger();
        EXPECT_EQ(model().Children(goal), before);
    }
    // On a goal the command is off and the key does nothing.
    tree()->SelectNode(comfort);
    const int nodes = model().NodeCount();
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(model().NodeCount(), nodes);
}

} // namespace
} // namespace velor::ui::test
