// The group commands of the File menu and the Group window: copies for each member, the
// members' conflict named member by member, and the window following a member's saved file.
#include "gui_fixture.h"
#include "model/model_file.h"
#include "ui/group_window.h"
#include "ui/ui_text.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTreeWidget>

namespace velor::ui::test {
namespace {

class GroupWindowTest : public GuiTest {
protected:
    // The small model with Price as the reference and Space's weight within [lower, upper] %.
    Model Member(double lower, double upper) {
        Model m = window->GetModel();
        for (const NodeId node : {price, space}) {
            const int column = m.ColumnOfNode(node);
            m.CommitCellText(column, 1, "good", false);
            m.CommitCellText(column, 2, "poor", false);
            m.StoreRanking(node, {1, 2}, {});
        }
        m.StoreWeightBounds(false, {{price, 100, 100}, {space, lower, upper}});
        return m;
    }
};

TEST_F(GroupWindowTest, CopiesForEachMemberOpenAsAGroupWithoutTheStatements) {
    BuildSmallModel();
    model() = Member(50, 200);
    GroupWindow* group = InstallGroupCommands(*window, prompts);
    auto* copies = window->findChild<QAction*>(QStringLiteral("SaveMemberCopies1"));
    ASSERT_NE(copies, nullptr);
    prompts.textAnswers.push_back(QStringLiteral("Ann, Bob"));
    prompts.answers.push_back(Answer::No); // without the statements
    prompts.fileAnswers.push_back(FilePath(QStringLiteral("team.vlg")));
    copies->trigger();
    ASSERT_TRUE(group->isVisible());
    ASSERT_EQ(group->MemberList()->topLevelItemCount(), 2);
    EXPECT_EQ(group->MemberList()->topLevelItem(1)->text(0), QStringLiteral("Bob"));
    Model bob;
    ASSERT_TRUE(LoadModelFile(bob, ToStd(FilePath(QStringLiteral("Bob.vlr")))));
    EXPECT_EQ(bob.Rank(bob.ColumnOfNode(price), 1), 0);
    EXPECT_EQ(bob.Node(space).BottomUpLower, kNotGiven);
    EXPECT_TRUE(group->ConsensusList()->isVisibleTo(group));
    // The result views show the consensus: a calculated model holding the other member's
    // statements.
    std::vector<ResultView> made;
    group->createView = [&made](ResultView view, const Document& shown) {
        made.push_back(view);
        EXPECT_TRUE(shown.GetModel().Calculated().Dominance);
        EXPECT_EQ(shown.GetModel().JointModels().size(), 1u);
        return new QLabel;
    };
    group->ConsensusViewsButtonClick();
    EXPECT_EQ(made.size(), 4u);
}

TEST_F(GroupWindowTest, ConflictNamesEachMemberAndASavedFixIsFollowed) {
    BuildSmallModel();
    const QString ann = FilePath(QStringLiteral("ann.vlr"));
    const QString bob = FilePath(QStringLiteral("bob.vlr"));
    ASSERT_TRUE(SaveModelFile(Member(150, kNotGiven), ToStd(ann)));
    ASSERT_TRUE(SaveModelFile(Member(kNotGiven, 50), ToStd(bob)));
    GroupWindow group(prompts);
    for (const QString& file : {ann, bob}) {
        prompts.fileAnswers.push_back(file);
        prompts.textAnswers.push_back(file == ann ? QStringLiteral("Ann") : QStringLiteral("Bob"));
        group.AddMemberButtonClick();
    }
    ASSERT_EQ(group.ConflictList()->count(), 2);
    EXPECT_EQ(group.ConflictList()->item(0)->text(),
              QStringLiteral("Ann: The weight of Space is at least 150 % of the weight of Price."));
    EXPECT_TRUE(group.ConflictList()->item(1)->text().startsWith(QStringLiteral("Bob: ")));
    prompts.fileAnswers.push_back(FilePath(QStringLiteral("report.txt")));
    group.ExportReportButtonClick();
    QFile report(FilePath(QStringLiteral("report.txt")));
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    EXPECT_TRUE(report.readAll().contains("  Ann: The weight of Space is at least 150 %"));
    // Bob takes his bound back in his own model; the window reads the saved file again.
    ASSERT_TRUE(SaveModelFile(Member(kNotGiven, kNotGiven), ToStd(bob)));
    group.Refresh();
    EXPECT_FALSE(group.ConflictList()->isVisibleTo(&group));
    EXPECT_EQ(group.ConsensusList()->topLevelItemCount(), 2 + 3);
}

TEST_F(GroupWindowTest, AMemberOfAnotherDecisionIsRefusedWithTheDifference) {
    BuildSmallModel();
    const QString ann = FilePath(QStringLiteral("ann.vlr"));
    ASSERT_TRUE(SaveModelFile(Member(50, 200), ToStd(ann)));
    Model other = Member(50, 200);
    other.RenameNode(space, "Room");
    const QString odd = FilePath(QStringLiteral("odd.vlr"));
    ASSERT_TRUE(SaveModelFile(other, ToStd(odd)));
    GroupWindow group(prompts);
    prompts.fileAnswers = {ann, odd};
    prompts.textAnswers = {QStringLiteral("Ann"), QStringLiteral("Odd")};
    group.AddMemberButtonClick();
    group.AddMemberButtonClick();
    EXPECT_EQ(group.Session().Members().size(), 1u);
    ASSERT_FALSE(prompts.messages.empty());
    EXPECT_TRUE(prompts.messages.back().text.contains(
        QStringLiteral("cannot join the group of Ann: node 4 of the value tree is \"Room\"")))
        << prompts.messages.back().text.toStdString();
}

// The picture of the Group window for the user guide. Runs only when VELOR_SCREENSHOT_DIR names
// a folder: the picture goes there as group-window.png.
TEST_F(GroupWindowTest, Screenshot) {
    const QString folder = qEnvironmentVariable("VELOR_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "VELOR_SCREENSHOT_DIR not set";
    }
    Model car;
    ASSERT_TRUE(LoadModelFile(car, VELOR_EXAMPLES_DIR "/car.vlr"));
    const auto attribute = [&car](const char* name) {
        for (const NodeId node : car.Attributes()) {
            if (car.Node(node).Name == name) {
                return node;
            }
        }
        return kNone;
    };
    Model bob = car;
    bob.StoreWeightBounds(false, {{attribute("Safety"), 90, 150}});
    Model carol = car;
    carol.StoreWeightBounds(false, {{attribute("Running cost"), 60, 100}});
    std::vector<GroupEntry> entries;
    for (const auto& [name, member] :
         {std::pair{"Ann", &car}, std::pair{"Bob", &bob}, std::pair{"Carol", &carol}}) {
        const std::string file = std::string(name) + ".vlr";
        ASSERT_TRUE(SaveModelFile(*member, ToStd(FilePath(ToQ(file)))));
        entries.push_back({name, file});
    }
    const QString groupPath = FilePath(QStringLiteral("family.vlg"));
    ASSERT_TRUE(SaveGroupFile(ToStd(groupPath), entries));
    GroupWindow group(prompts);
    group.createView = [](ResultView, const Document&) { return new QLabel; }; // as in the program
    ASSERT_TRUE(group.OpenGroup(groupPath));
    group.resize(860, 800);
    group.show();
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(group.grab().save(QDir(folder).filePath(QStringLiteral("group-window.png"))));
}

} // namespace
} // namespace velor::ui::test
