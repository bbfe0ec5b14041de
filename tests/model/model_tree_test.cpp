#include "model/model.h"
#include "model_invariants.h"
#include "status_words.h"

#include <gtest/gtest.h>

namespace velor {
namespace {

// A model hands out no writable record: editors and forms change it through its operations only,
// and the calculation stores its results through ResultRecords.
template <typename M>
concept HandsOutRecords = requires(M& m) {
    m.NodeData(NodeId{});
}
|| requires(M& m) {
    m.ConsequenceData(1, 1);
}
|| requires(M& m) {
    m.AlternativeData(1);
};
static_assert(!HandsOutRecords<Model>);
static_assert(HandsOutRecords<ResultRecords>);

using testing::CheckInvariants;

std::vector<std::string> Headers(const Model& m) {
    std::vector<std::string> out;
    for (int c = 1; c <= m.N(); ++c) {
        out.push_back(m.Table().Text(c, 0));
    }
    return out;
}

std::vector<std::string> EntryRows(const Model& m) {
    std::vector<std::string> out;
    for (const auto& e : m.Assessments()) {
        out.push_back(e.Caption + "|" + e.References + "|" + StatusWords(e.Status) + "|" +
                      e.Remarks);
    }
    return out;
}

TEST(ValueTree, FirstNodeIsTheMainGoalWithReferenceBounds) {
    Model m;
    EXPECT_EQ(m.AddNode(kAttribute, kNone), kNone) << "an empty tree starts with the main goal";
    const NodeId root = m.AddNode(kGoal, kNone);
    ASSERT_NE(root, kNone);
    const auto& d = m.Node(root);
    EXPECT_EQ(d.Name, "Main Goal");
    EXPECT_EQ(d.Column, 1);
    EXPECT_EQ(d.WeightLower, 1.0);
    EXPECT_EQ(d.NormWeightUpper, 1.0);
    EXPECT_EQ(d.TopDownLower, 100.0);
    EXPECT_EQ(d.BottomUpUpper, 100.0);
    EXPECT_EQ(m.Caption(root), "Main Goal [1 ... 1]");
    EXPECT_EQ(m.Table().ColWidth(1), 120);
    EXPECT_EQ(EntryRows(m),
              (std::vector<std::string>{"Weight Assessment|Twig-level attributes|No|Bottom up",
                                        "Weight Assessment|Main Goal|No|Top Down",
                                        "Holistic Comparison|Main Goal|No|Optional"}));
    const NodeId goal = m.AddNode(kGoal, root);
    EXPECT_EQ(m.Caption(goal), "Goal [0 ... 1]");
    EXPECT_EQ(m.Node(goal).TopDownUpper, -1.0);
    EXPECT_EQ(m.AddNode(kGoal, m.AddNode(kAttribute, root)), kNone)
        << "attributes have no children";
    EXPECT_EQ(m.AddNode(kGoal, kNone), kNone) << "nothing selected";
    EXPECT_EQ(CheckInvariants(m), "");
}

TEST(ValueTree, ChildOfFirstSiblingGetsColumnRightAfterItsSubtree) {
    Model m;
    const NodeId root = m.AddNode(kGoal, kNone);
    const NodeId g1 = m.AddNode(kGoal, root);
    const NodeId g2 = m.AddNode(kGoal, root);
    m.RenameNode(g1, "G1");
    m.RenameNode(g2, "G2");
    m.NewAlternative();
    m.CommitCellText(3, 1, "under G2", true);
    const NodeId a = m.AddNode(kAttribute, g1);
    m.RenameNode(a, "A");
    EXPECT_EQ(Headers(m), (std::vector<std::string>{"Main Goal", "G1", "A", "G2"}));
    EXPECT_EQ(m.Node(a).Column, 3);
    EXPECT_EQ(m.Node(g2).Column, 4);
    EXPECT_EQ(m.CellText(4, 1), "under G2") << "texts move with their column";
    EXPECT_EQ(m.CellText(3, 1), "");
    EXPECT_EQ(CheckInvariants(m), "");
    // Score entries come first, the new attribute's top-down and holistic ones keep order.
    EXPECT_EQ(m.Assessments().front().Caption, "Score Assessment");
}

TEST(ValueTree, DeleteSubtreeRemovesExactlyItsColumnsAndEntries) {
    Model m;
    const NodeId root = m.AddNode(kGoal, kNone);
    const NodeId g1 = m.AddNode(kGoal, root);
    const NodeId a1 = m.AddNode(kAttribute, g1);
    const NodeId g11 = m.AddNode(kGoal, g1);
    m.AddNode(kAttribute, g11);
    const NodeId a2 = m.AddNode(kAttribute, root);
    m.RenameNode(a2, "Keep");
    m.RenameNode(a1, "A1");
    m.NewAlternative();
    m.NewAlternative();
    m.CommitCellText(m.Node(a2).Column, 2, "kept text", true);
    const int before = m.N();
    m.DeleteSubtree(g1);
    EXPECT_EQ(m.N(), before - 4);
    EXPECT_EQ(Headers(m), (std::vector<std::string>{"Main Goal", "Keep"}));
    EXPECT_EQ(m.CellText(2, 2), "kept text");
    EXPECT_EQ(CheckInvariants(m), "");
    EXPECT_EQ(m.Assessments().size(), 4u); // score of Keep, bottom-up, root top-down, root holistic
}

TEST(ValueTree, DeletingTheRootKeepsAlternativesAndOneEmptyColumn) {
    Model m;
    const NodeId root = m.AddNode(kGoal, kNone);
    m.AddNode(kAttribute, root);
    m.NewAlternative();
    m.NewAlternative();
    m.CommitCellText(2, 1, "x", true);
    m.DeleteSubtree(root);
    EXPECT_TRUE(m.TreeEmpty());
    EXPECT_EQ(m.N(), 0);
    EXPECT_EQ(m.Table().ColCount(), 2);
    EXPECT_EQ(m.Table().Text(1, 0), "");
    EXPECT_EQ(m.Table().Text(1, 1), "");
    EXPECT_FALSE(m.Table().Consequence(1, 1).has_value());
    EXPECT_TRUE(m.Assessments().empty());
    EXPECT_EQ(m.BottomUpEntry(), kNone);
    EXPECT_EQ(m.AlternativeName(2), "Alternative 2");
    EXPECT_FALSE(m.CellsEditable());
    EXPECT_EQ(CheckInvariants(m), "");
    // A new root reuses the single data column, with empty texts and fresh records.
    const NodeId again = m.AddNode(kGoal, kNone);
    EXPECT_EQ(m.Node(again).Column, 1);
    EXPECT_EQ(m.Table().ColCount(), 2);
    EXPECT_EQ(m.CellText(1, 1), "");
    EXPECT_EQ(m.Consequence(1, 2).Upper, 0.0);
    EXPECT_EQ(CheckInvariants(m), "");
}

TEST(ValueTree, RenameWritesEveryPlaceAndIgnoresEmptyNames) {
    Model m;
    const NodeId root = m.AddNode(kGoal, kNone);
    const NodeId g = m.AddNode(kGoal, root);
    const Model before = m;
    EXPECT_FALSE(m.RenameNode(g, ""));
    EXPECT_EQ(m, before) << "an empty name changes nothing";
    EXPECT_TRUE(m.RenameNode(g, "Comfort"));
    EXPECT_NE(m, before);
    EXPECT_EQ(m.Table().Text(m.Node(g).Column, 0), "Comfort");
    EXPECT_EQ(m.Entry(m.Node(g).Assessment)->References, "Comfort");
    EXPECT_EQ(m.Entry(m.WeightEntryOf(g))->References, "Comfort");
    EXPECT_TRUE(m.RenameNode(g, std::string(300, 'n')));
    EXPECT_EQ(m.Node(g).Name.size(), 255u) << "names stay within a file line";
}

TEST(ValueTree, MovesFollowTheTargetKindAndKeepRecords) {
    Model m;
    const NodeId root = m.AddNode(kGoal, kNone);
    const NodeId g1 = m.AddNode(kGoal, root);
    const NodeId g2 = m.AddNode(kGoal, root);
    const NodeId a = m.AddNode(kAttribute, g1);
    const NodeId b = m.AddNode(kAttribute, g2);
    m.RenameNode(g1, "G1");
    m.RenameNode(g2, "G2");
    m.RenameNode(a, "A");
    m.RenameNode(b, "B");
    m.NewAlternative();
    m.CommitCellText(m.Node(a).Column, 1, "a-text", true);
    ResultRecords(m).NodeData(a).BottomUpLower = 30;
    const auto entriesBefore = EntryRows(m);

    EXPECT_FALSE(m.MoveNode(g1, a, Model::MoveMode::FirstChild)) << "onto its own subtree";
    EXPECT_FALSE(m.MoveNode(a, a, Model::MoveMode::FirstChild));
    EXPECT_FALSE(m.MoveNode(a, kNone, Model::MoveMode::FirstChild));

    // Onto an attribute: before it as a sibling, across goals.
    EXPECT_TRUE(m.MoveNode(a, b, Model::MoveMode::FirstChild));
    EXPECT_EQ(m.Parent(a), g2);
    EXPECT_EQ(Headers(m), (std::vector<std::string>{"Main Goal", "G1", "G2", "A", "B"}));
    EXPECT_EQ(m.CellText(m.Node(a).Column, 1), "a-text");
    EXPECT_EQ(m.Node(a).BottomUpLower, 30);
    EXPECT_EQ(EntryRows(m), entriesBefore) << "a move does not reorder the assessment list";
    EXPECT_EQ(CheckInvariants(m), "");

    // Onto the root: first child of the root whatever the mode.
    EXPECT_TRUE(m.MoveNode(b, root, Model::MoveMode::SiblingBefore));
    EXPECT_EQ(m.FirstChild(root), b);
    // Onto another goal: as asked.
    EXPECT_TRUE(m.MoveNode(g2, g1, Model::MoveMode::FirstChild));
    EXPECT_EQ(m.Parent(g2), g1);
    EXPECT_TRUE(m.MoveNode(g2, g1, Model::MoveMode::SiblingBefore));
    EXPECT_EQ(m.NextSibling(g2), g1);
    EXPECT_EQ(Headers(m), (std::vector<std::string>{"Main Goal", "B", "G2", "A", "G1"}));
    EXPECT_EQ(CheckInvariants(m), "");
}

TEST(ValueTree, ConvertKeepsRanksAndStatementsAndRebuildsEntries) {
    Model m;
    const NodeId root = m.AddNode(kGoal, kNone);
    const NodeId g = m.AddNode(kGoal, root);
    const NodeId a = m.AddNode(kAttribute, root);
    m.RenameNode(a, "Price");
    for (int i = 0; i < 3; ++i) {
        m.NewAlternative();
    }
    TCardinalStatement s{
        m.AlternativeId(1), m.AlternativeId(2), m.AlternativeId(2), m.AlternativeId(3), 0.5, 2};
    m.StoreRanking(a, {1, 2, 3}, {s});
    EXPECT_FALSE(m.CanConvert(root));
    m.AddNode(kAttribute, g);
    EXPECT_FALSE(m.CanConvert(g)) << "goals with children are never converted";

    ASSERT_TRUE(m.ConvertNode(a));
    EXPECT_TRUE(m.IsGoal(a));
    EXPECT_EQ(m.Rank(m.Node(a).Column, 3), 3);
    ASSERT_NE(m.Preference(a), nullptr);
    EXPECT_EQ(m.Preference(a)->Statements, std::vector<TCardinalStatement>{s});
    EXPECT_EQ(m.Preference(a)->Holistic, 1);
    EXPECT_EQ(m.Entry(m.Node(a).Assessment)->Caption, "Holistic Comparison");
    const int bu = m.EntryPosition(m.BottomUpEntry());
    EXPECT_EQ(m.Assessments()[bu + 1].WeightNode, a) << "new top-down entry right after bottom-up";
    EXPECT_EQ(CheckInvariants(m), "");

    ASSERT_TRUE(m.ConvertNode(a));
    EXPECT_TRUE(m.IsAttribute(a));
    EXPECT_EQ(m.Entry(m.Node(a).Assessment)->Caption, "Score Assessment");
    EXPECT_EQ(m.WeightEntryOf(a), kNone);
    EXPECT_EQ(m.Preference(a)->Statements.size(), 1u);
    EXPECT_EQ(CheckInvariants(m), "");
}

TEST(ValueTree, CaptionFollowsTheNormalizedOption) {
    Model m;
    const NodeId root = m.AddNode(kGoal, kNone);
    const NodeId a = m.AddNode(kAttribute, root);
    m.RenameNode(a, "Cost");
    auto& d = ResultRecords(m).NodeData(a);
    d.NormWeightLower = 0.33333;
    d.NormWeightUpper = 0.5;
    d.WeightLower = 0.2;
    d.WeightUpper = 0.25;
    EXPECT_EQ(m.Caption(a), "Cost [0.2 ... 0.25]");
    m.SetNormalizedIntervals(true);
    EXPECT_EQ(m.Caption(a), "Cost [0.333 ... 0.5]");
    EXPECT_EQ(m.Caption(a, ','), "Cost [0,333 ... 0,5]");
}

} // namespace
} // namespace velor
