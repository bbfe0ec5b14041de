// The value tree editor driven through its context menu, shortcuts, mouse and drops.
#include "gui_fixture.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QStatusBar>

namespace velor::ui::test {
namespace {

QStringList VisibleMenuTexts(QMenu* menu) {
    QStringList texts;
    const QList<QAction*> actions = menu->actions();
    for (QAction* a : actions) {
        if (!a->isSeparator() && a->isVisible()) {
            texts << a->text() + (a->isEnabled() ? QString() : QStringLiteral(" (off)"));
        }
    }
    return texts;
}

TEST_F(GuiTest, EmptyTreeOffersOnlyTheMainGoalAndTheRenamePromptOpensAtOnce) {
    tree()->TreeMenuAboutToShow();
    EXPECT_EQ(
        VisibleMenuTexts(tree()->TreePopup()),
        (QStringList{
            QStringLiteral("New &Attribute (off)"), QStringLiteral("New Attribute &Beside (off)"),
            QStringLiteral("New Main &Goal"), QStringLiteral("&Rename (off)"),
            QStringLiteral("&Convert to Goal (off)"), QStringLiteral("&Score Assessment... (off)"),
            QStringLiteral("&Weight Assessment... (off)"), QStringLiteral("&Delete (off)"),
            QStringLiteral("Copy Tree to Clipboard")}));

    prompts.textAnswers.push_back(QStringLiteral("Choose a car"));
    tree()->NewGoalAction()->trigger();
    ASSERT_EQ(prompts.prompts.size(), 1u);
    EXPECT_EQ(prompts.prompts[0].title, QStringLiteral("New Node Name"));
    EXPECT_EQ(prompts.prompts[0].label, QStringLiteral("Enter new name for 'Main Goal'."));
    EXPECT_EQ(prompts.prompts[0].initial, QStringLiteral("Main Goal"));
    EXPECT_EQ(prompts.prompts[0].maxLength, 255);
    ASSERT_EQ(tree()->TreeView()->topLevelItemCount(), 1);
    EXPECT_EQ(tree()->TreeView()->topLevelItem(0)->text(0),
              QStringLiteral("Choose a car [1 ... 1]"));
    EXPECT_EQ(Panel(4), QStringLiteral("Changed"));
}

TEST_F(GuiTest, ContextMenuBuildsATreeAndFollowsTheEnablingRules) {
    BuildSmallModel();
    ASSERT_EQ(model().NodeCount(), 4);
    EXPECT_EQ(model().Node(model().Root()).Name, "Car");
    EXPECT_EQ(model().Children(root), (std::vector<NodeId>{price, comfort}));
    EXPECT_EQ(model().Children(comfort), (std::vector<NodeId>{space}));
    QTreeWidgetItem* rootItem = tree()->TreeView()->topLevelItem(0);
    ASSERT_EQ(rootItem->childCount(), 2);
    EXPECT_TRUE(rootItem->child(0)->text(0).startsWith(QStringLiteral("Price [")));
    EXPECT_TRUE(rootItem->child(1)->text(0).startsWith(QStringLiteral("Comfort [0 ... 1]")));

    // An attribute: no "New" items, converts to a goal.
    tree()->SelectNode(price);
    tree()->TreeMenuAboutToShow();
    EXPECT_FALSE(tree()->NewAttributeAction()->isEnabled());
    EXPECT_FALSE(tree()->NewGoalAction()->isEnabled());
    EXPECT_EQ(tree()->NewGoalAction()->text(), QStringLiteral("New &Goal"));
    EXPECT_EQ(tree()->ConvertAction()->text(), QStringLiteral("&Convert to Goal"));
    EXPECT_TRUE(tree()->ConvertAction()->isEnabled());
    EXPECT_EQ(tree()->ScoreAssessmentAction()->text(), QStringLiteral("&Score Assessment..."));
    EXPECT_TRUE(tree()->DeleteAction()->isEnabled());

    // A goal with children cannot be converted; the root never.
    tree()->SelectNode(comfort);
    tree()->TreeMenuAboutToShow();
    EXPECT_EQ(tree()->ConvertAction()->text(), QStringLiteral("&Convert to Attribute"));
    EXPECT_FALSE(tree()->ConvertAction()->isEnabled());
    EXPECT_EQ(tree()->ScoreAssessmentAction()->text(), QStringLiteral("&Holistic Comparison..."));
    tree()->SelectNode(root);
    tree()->TreeMenuAboutToShow();
    EXPECT_FALSE(tree()->ConvertAction()->isEnabled());
    EXPECT_TRUE(tree()->NewAttributeAction()->isEnabled());
    // The assessment dialogs are not part of this window yet.
    EXPECT_FALSE(tree()->ScoreAssessmentAction()->isEnabled());
    EXPECT_FALSE(tree()->WeightAssessmentAction()->isEnabled());

    // Both new columns and alternatives show up in the size panel: N = 4, M = 2.
    EXPECT_EQ(Panel(5), QStringLiteral("Model Size: %1").arg((2 * 4 - 2) * 3 + 2 * 4));
}

TEST_F(GuiTest, RightClickSelectsTheNodeUnderThePointerAndCtrlRRenamesTheRememberedNode) {
    BuildSmallModel();
    QTreeWidget* view = tree()->TreeView();
    const QRect priceRect = view->visualItemRect(tree()->ItemOf(price));
    const QRect spaceRect = view->visualItemRect(tree()->ItemOf(space));
    ASSERT_FALSE(priceRect.isEmpty());

    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, priceRect.center());
    EXPECT_EQ(tree()->SelectedNode(), price);
    // The window system follows a right click with a context-menu request.
    QContextMenuEvent request(QContextMenuEvent::Mouse, priceRect.center(),
                              view->viewport()->mapToGlobal(priceRect.center()));
    QCoreApplication::sendEvent(view->viewport(), &request);
    EXPECT_TRUE(tree()->TreePopup()->isVisible());
    EXPECT_EQ(tree()->RememberedNode(), price);
    tree()->TreePopup()->hide();

    prompts.textAnswers.push_back(QStringLiteral("Purchase price"));
    tree()->RenameAction()->trigger();
    EXPECT_EQ(model().Node(price).Name, "Purchase price");
    EXPECT_EQ(model().CellText(model().ColumnOfNode(price), 0), "Purchase price");

    // Left click on another node, then Ctrl+R: the clicked node is the one renamed.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, spaceRect.center());
    EXPECT_EQ(tree()->SelectedNode(), space);
    EXPECT_EQ(tree()->RememberedNode(), space);
    view->setFocus();
    prompts.textAnswers.push_back(QStringLiteral("Room"));
    QTest::keyClick(view, Qt::Key_R, Qt::ControlModifier);
    ASSERT_EQ(prompts.prompts.size(), 6u);
    EXPECT_EQ(prompts.prompts.back().label, QStringLiteral("Enter new name for 'Space'."));
    EXPECT_EQ(model().Node(price).Name, "Purchase price");
    EXPECT_EQ(model().Node(space).Name, "Room");
    EXPECT_EQ(tree()->SelectedNode(), space);
}

// Every tree command works from the keyboard alone: the commands follow the current node and
// their enabled states follow it too, without the context menu ever being opened.
TEST_F(GuiTest, BuildsRenamesAndDeletesATreeWithTheKeyboardAlone) {
    QTreeWidget* view = tree()->TreeView();
    view->setFocus();
    const auto key = [view](Qt::Key k, Qt::KeyboardModifiers mods = {}) {
        QTest::keyClick(view, k, mods);
    };
    prompts.textAnswers.push_back(QStringLiteral("Car"));
    key(Qt::Key_G, Qt::ControlModifier); // New Main Goal
    prompts.textAnswers.push_back(QStringLiteral("Comfort"));
    key(Qt::Key_G, Qt::ControlModifier); // a goal under the main goal
    prompts.textAnswers.push_back(QStringLiteral("Space"));
    key(Qt::Key_A, Qt::ControlModifier); // an attribute under Comfort
    prompts.textAnswers.push_back(QStringLiteral("Price"));
    key(Qt::Key_Up);
    key(Qt::Key_Up); // back on the main goal
    key(Qt::Key_A, Qt::ControlModifier);
    ASSERT_EQ(model().NodeCount(), 4);
    const NodeId car = model().Root();
    ASSERT_EQ(model().Children(car).size(), 2u);
    const NodeId comfortGoal = model().Children(car)[0];
    EXPECT_EQ(model().Node(comfortGoal).Name, "Comfort");
    ASSERT_EQ(model().Children(comfortGoal).size(), 1u);
    EXPECT_EQ(model().Node(model().Children(comfortGoal)[0]).Name, "Space");
    EXPECT_EQ(model().Node(model().Children(car)[1]).Name, "Price");

    // F2 renames the current node, Del deletes it after asking.
    key(Qt::Key_Up); // Space
    EXPECT_FALSE(tree()->NewAttributeAction()->isEnabled());
    prompts.textAnswers.push_back(QStringLiteral("Room"));
    key(Qt::Key_F2);
    EXPECT_EQ(model().Node(model().Children(comfortGoal)[0]).Name, "Room");
    key(Qt::Key_Up); // Comfort
    EXPECT_TRUE(tree()->NewAttributeAction()->isEnabled());
    prompts.answers.push_back(Answer::Yes);
    key(Qt::Key_Delete);
    EXPECT_EQ(prompts.LastText(),
              QStringLiteral("Are you sure you want to delete goal named 'Comfort' and all its "
                             "children?"));
    EXPECT_EQ(model().NodeCount(), 2);
    EXPECT_EQ(tree()->SelectedNode(), car);
}

TEST_F(GuiTest, RenameCancelAndEmptyAnswerKeepTheNameAndChangeNothing) {
    BuildSmallModel();
    MarkSaved();
    tree()->SelectNode(space);
    prompts.textAnswers.push_back(QString());
    TreeMenu(tree()->RenameAction());
    EXPECT_EQ(model().Node(space).Name, "Space");
    EXPECT_FALSE(Changed());

    prompts.textAnswers.push_back(std::nullopt);
    TreeMenu(tree()->RenameAction());
    EXPECT_EQ(model().Node(space).Name, "Space");
    EXPECT_FALSE(Changed());
    EXPECT_EQ(Panel(4), QStringLiteral("No changes"));

    // A long answer is cut to what a model file holds.
    prompts.textAnswers.push_back(QString(300, QLatin1Char('x')));
    TreeMenu(tree()->RenameAction());
    EXPECT_EQ(model().Node(space).Name.size(), 255u);
}

TEST_F(GuiTest, DeleteAndConvertAskFirst) {
    BuildSmallModel();
    tree()->SelectNode(comfort);
    prompts.answers.push_back(Answer::No);
    TreeMenu(tree()->DeleteAction());
    EXPECT_EQ(prompts.messages.back().text,
              QStringLiteral("Are you sure you want to delete goal named 'Comfort' and all its "
                             "children?"));
    EXPECT_EQ(prompts.messages.back().caption, QStringLiteral("Confirm deletion"));
    EXPECT_EQ(model().NodeCount(), 4);

    tree()->SelectNode(price);
    prompts.answers.push_back(Answer::Yes);
    TreeMenu(tree()->ConvertAction());
    EXPECT_EQ(prompts.messages.back().text,
              QStringLiteral("Are you sure to change the selected attribute into a goal?"));
    EXPECT_EQ(prompts.messages.back().caption, QStringLiteral("Confirm Change"));
    EXPECT_TRUE(model().IsGoal(price));
    EXPECT_EQ(tree()->ItemOf(price)->text(0).left(5), QStringLiteral("Price"));

    tree()->SelectNode(space);
    prompts.answers.push_back(Answer::Yes);
    TreeMenu(tree()->DeleteAction());
    EXPECT_EQ(prompts.messages.back().text,
              QStringLiteral("Are you sure you want to delete attribute named 'Space'?"));
    EXPECT_FALSE(model().Exists(space));
    EXPECT_EQ(tree()->ItemOf(space), nullptr);
    // The selection after a deletion is remembered: Delete now acts on the parent.
    EXPECT_EQ(tree()->RememberedNode(), comfort);
    prompts.answers.push_back(Answer::Yes);
    tree()->DeleteAction()->trigger();
    EXPECT_FALSE(model().Exists(comfort));
}

TEST_F(GuiTest, DroppingANodeMovesItByTheTargetAndTheAnswer) {
    BuildSmallModel();
    prompts.textAnswers.push_back(QStringLiteral("Safety"));
    tree()->SelectNode(root);
    TreeMenu(tree()->NewGoalAction());
    const NodeId safety = tree()->SelectedNode();
    // Car: Price, Comfort(Space), Safety

    // Onto its own descendant or itself: refused while dragging.
    EXPECT_FALSE(tree()->CanDrop(comfort, space));
    EXPECT_FALSE(tree()->CanDrop(comfort, comfort));
    EXPECT_TRUE(tree()->CanDrop(space, price));

    // Onto an attribute: before it, as its sibling, without a question.
    tree()->DropNode(space, price);
    EXPECT_EQ(model().Children(root), (std::vector<NodeId>{space, price, comfort, safety}));

    // Onto another goal: Cancel moves nothing and leaves no step.
    MarkSaved();
    prompts.answers.push_back(Answer::Cancel);
    tree()->DropNode(price, safety);
    EXPECT_EQ(prompts.messages.back().text,
              QStringLiteral("Do you want to move node 'Price' as a child of 'Safety'?"));
    EXPECT_EQ(prompts.messages.back().caption, QStringLiteral("Move as a child node"));
    EXPECT_EQ(prompts.messages.back().buttons, Buttons::YesNoCancel);
    EXPECT_EQ(model().Children(root), (std::vector<NodeId>{space, price, comfort, safety}));
    EXPECT_FALSE(Changed());

    // Yes: the target's first child.
    prompts.answers.push_back(Answer::Yes);
    tree()->DropNode(price, safety);
    EXPECT_EQ(model().Children(safety), (std::vector<NodeId>{price}));

    // No: before the target, as its sibling.
    prompts.answers.push_back(Answer::No);
    tree()->DropNode(space, comfort);
    EXPECT_EQ(model().Children(root), (std::vector<NodeId>{space, comfort, safety}));

    // Onto the root: its first child, without a question.
    tree()->DropNode(price, root);
    EXPECT_EQ(model().Children(root), (std::vector<NodeId>{price, space, comfort, safety}));

    // The tree widget and the table columns follow the model.
    QTreeWidgetItem* rootItem = tree()->TreeView()->topLevelItem(0);
    ASSERT_EQ(rootItem->childCount(), 4);
    EXPECT_TRUE(rootItem->child(0)->text(0).startsWith(QStringLiteral("Price")));
    EXPECT_EQ(model().CellText(2, 0), "Price");
    EXPECT_EQ(alts()->AltGrid()->model()->headerData(1, Qt::Horizontal).toString(),
              QStringLiteral("Price"));
}

TEST_F(GuiTest, CopyTreeToClipboardPutsAPictureThereOrSaysItFailed) {
    BuildSmallModel();
    TreeMenu(tree()->CopyTreeAction());
    EXPECT_FALSE(prompts.clipboardImage.isNull());
    prompts.refuseImage = true;
    TreeMenu(tree()->CopyTreeAction());
    EXPECT_EQ(prompts.LastText(), QStringLiteral("Failed to copy tree to clipboard!"));
}

TEST_F(GuiTest, ForgetsTheRememberedNodeWhenTheModelIsCleared) {
    BuildSmallModel();
    tree()->SelectNode(comfort);
    tree()->TreeMenuAboutToShow();
    MarkSaved();
    window->NewClick();
    EXPECT_EQ(tree()->RememberedNode(), kNone);
    // Ctrl+G on the empty tree now starts a new main goal instead of acting on a lost node.
    prompts.textAnswers.push_back(QStringLiteral("Goal"));
    tree()->NewGoalAction()->trigger();
    EXPECT_EQ(model().NodeCount(), 1);
}

} // namespace
} // namespace velor::ui::test

namespace velor::ui::test {
namespace {

TEST_F(GuiTest, DoubleClickOpensTheScoreAssessmentOrTheWeightAssessmentByTheOption) {
    BuildSmallModel();
    std::vector<NodeId> scored;
    std::vector<NodeId> weighted;
    tree()->SetScoreAssessmentHandler([&](NodeId node) { scored.push_back(node); });
    tree()->SetWeightAssessmentHandler([&](NodeId goal) { weighted.push_back(goal); });
    QTreeWidget* view = tree()->TreeView();
    auto doubleClick = [view, this](NodeId node) {
        const QPoint at = view->visualItemRect(tree()->ItemOf(node)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    };
    doubleClick(price);
    EXPECT_EQ(scored, std::vector<NodeId>{price});
    EXPECT_EQ(tree()->RememberedNode(), price);
    // A goal, bottom up: the weight assessment of all attributes (no goal).
    doubleClick(comfort);
    EXPECT_EQ(weighted, std::vector<NodeId>{kNone});
    // Top down: the goal's own weight assessment; F4 on an attribute opens its parent's.
    model().SetTopDownWeights(true);
    doubleClick(comfort);
    EXPECT_EQ(weighted.back(), comfort);
    tree()->SelectNode(space);
    tree()->TreeMenuAboutToShow();
    EXPECT_TRUE(tree()->ScoreAssessmentAction()->isEnabled());
    ASSERT_TRUE(tree()->WeightAssessmentAction()->isEnabled());
    tree()->WeightAssessmentAction()->trigger();
    EXPECT_EQ(weighted.back(), comfort);
}

// Beside an attribute: a named attribute as the last child of its goal, in one step; Ctrl+A on
// the attribute adds nothing and says what to press instead.
TEST_F(GuiTest, CtrlShiftAAddsAnAttributeBesideTheCurrentOneAndCtrlASaysHow) {
    BuildSmallModel();
    QTreeWidget* view = tree()->TreeView();
    view->setFocus();
    tree()->SelectNode(price);
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(window->statusBar()->currentMessage().contains(QStringLiteral("Ctrl+Shift+A")));
    prompts.textAnswers.push_back(QStringLiteral("Noise"));
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    const NodeId noise = tree()->SelectedNode();
    EXPECT_EQ(model().Children(root), (std::vector<NodeId>{price, comfort, noise}));
    EXPECT_TRUE(model().IsAttribute(noise) && model().Node(noise).Name == "Noise");
    window->Action(QStringLiteral("Undo1"))->trigger();
    EXPECT_EQ(model().Children(root), (std::vector<NodeId>{price, comfort}));
}

} // namespace
} // namespace velor::ui::test
