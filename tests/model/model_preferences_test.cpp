#include "model/model.h"
#include "model_invariants.h"
#include "status_words.h"

#include <gtest/gtest.h>

namespace velor {
namespace {

std::string Status(const Model& m, EntryId id) {
    return StatusWords(m.Entry(id)->Status);
}

struct Fixture {
    Model m;
    NodeId root, g, a, b, c;
    Fixture() {
        root = m.AddNode(kGoal, kNone);
        g = m.AddNode(kGoal, root);
        a = m.AddNode(kAttribute, g);
        b = m.AddNode(kAttribute, g);
        c = m.AddNode(kAttribute, root);
        for (int i = 0; i < 3; ++i) {
            m.NewAlternative();
        }
    }
};

TEST(AssessedStatus, ScoreAndHolisticEntries) {
    Fixture f;
    const EntryId score = f.m.Node(f.a).Assessment;
    const EntryId holistic = f.m.Node(f.g).Assessment;
    EXPECT_EQ(Status(f.m, score), "No");
    f.m.StoreRanking(f.a, {1, 0, 0}, {});
    EXPECT_EQ(Status(f.m, score), "No") << "one ranked level of three is not enough";
    f.m.StoreRanking(f.a, {1, 2, 0}, {});
    EXPECT_EQ(Status(f.m, score), "Yes");
    f.m.StoreRanking(f.g, {0, 1, 0}, {});
    EXPECT_EQ(Status(f.m, holistic), "Yes");

    Model single;
    const NodeId r = single.AddNode(kGoal, kNone);
    const NodeId x = single.AddNode(kAttribute, r);
    single.NewAlternative();
    single.StoreRanking(x, {1}, {});
    EXPECT_EQ(Status(single, single.Node(x).Assessment), "Yes") << "one of one alternative";
}

TEST(AssessedStatus, WeightEntriesNeedAReferenceAndEveryRow) {
    Fixture f;
    const EntryId topDown = f.m.WeightEntryOf(f.g);
    const EntryId bottomUp = f.m.BottomUpEntry();
    EXPECT_EQ(Status(f.m, topDown), "No");
    f.m.StoreWeightBounds(true, {{f.a, 100, 100}});
    EXPECT_EQ(Status(f.m, topDown), "Partially");
    f.m.StoreWeightBounds(true, {{f.b, 0, 0}});
    EXPECT_EQ(Status(f.m, topDown), "Yes");
    f.m.StoreWeightBounds(true, {{f.a, 50, 100}});
    EXPECT_EQ(Status(f.m, topDown), "No") << "no reference row left";

    f.m.StoreWeightBounds(false, {{f.a, 100, 100}, {f.b, 20, -1}, {f.c, 10, 30}});
    EXPECT_EQ(Status(f.m, bottomUp), "Partially");
    f.m.StoreWeightBounds(false, {{f.b, 20, 40}});
    EXPECT_EQ(Status(f.m, bottomUp), "Yes");

    Model empty;
    const NodeId r = empty.AddNode(kGoal, kNone);
    (void)r;
    EXPECT_EQ(Status(empty, empty.BottomUpEntry()), "No") << "no rows at all";
    EXPECT_EQ(Status(empty, empty.WeightEntryOf(r)), "No");
}

TEST(AssessedStatus, MarkersFollowTheWeightOption) {
    Fixture f;
    const auto* bu = f.m.Entry(f.m.BottomUpEntry());
    const auto* td = f.m.Entry(f.m.WeightEntryOf(f.g));
    EXPECT_TRUE(f.m.WeightModeMarked(*bu));
    EXPECT_FALSE(f.m.WeightModeMarked(*td));
    f.m.SetTopDownWeights(true);
    EXPECT_FALSE(f.m.WeightModeMarked(*bu));
    EXPECT_TRUE(f.m.WeightModeMarked(*td));
    EXPECT_EQ(f.m.WeightRows(*td), (std::vector<NodeId>{f.a, f.b}));
    EXPECT_EQ(f.m.WeightRows(*bu), (std::vector<NodeId>{f.a, f.b, f.c}));
}

TEST(Preferences, ClearPreferencesResetsEverythingButTheMainGoal) {
    Fixture f;
    const AltId a1 = f.m.AlternativeId(1), a2 = f.m.AlternativeId(2), a3 = f.m.AlternativeId(3);
    f.m.StoreRanking(f.a, {1, 2, 3}, {{a1, a2, a2, a3, 1, 2}});
    f.m.StoreRanking(f.g, {1, 1, 2}, {{a1, a3, a1, a3, 1, 1}});
    f.m.StoreWeightBounds(false, {{f.a, 100, 100}, {f.b, 10, 20}, {f.c, 30, 40}});
    f.m.StoreWeightBounds(true, {{f.a, 100, 100}, {f.b, 10, 20}});
    f.m.ClearPreferences();
    for (int col = 1; col <= f.m.N(); ++col) {
        for (int row = 1; row <= 3; ++row) {
            EXPECT_EQ(f.m.Rank(col, row), 0);
        }
    }
    EXPECT_TRUE(f.m.Preference(f.a)->Statements.empty());
    EXPECT_TRUE(f.m.Preference(f.g)->Statements.empty());
    EXPECT_EQ(f.m.Node(f.a).TopDownLower, -1);
    EXPECT_EQ(f.m.Node(f.c).BottomUpUpper, -1);
    EXPECT_EQ(f.m.Node(f.root).TopDownLower, 100);
    EXPECT_EQ(f.m.Node(f.root).BottomUpUpper, 100);
    for (const auto& e : f.m.Assessments()) {
        EXPECT_EQ(e.Status, AssessmentStatus::No) << e.Caption << " " << e.References;
    }
}

TEST(Preferences, StatusIsRecomputedOnlyAtItsPoints) {
    Fixture f;
    f.m.StoreRanking(f.a, {1, 2, 3}, {});
    const EntryId score = f.m.Node(f.a).Assessment;
    ASSERT_EQ(Status(f.m, score), "Yes");
    f.m.CommitCellText(f.m.Node(f.a).Column, 1, "x", /*keepRanking=*/false);
    f.m.CommitCellText(f.m.Node(f.a).Column, 2, "y", /*keepRanking=*/false);
    EXPECT_EQ(Status(f.m, score), "Yes") << "a consequence edit leaves the status until later";
    f.m.NewAlternative();
    EXPECT_EQ(Status(f.m, score), "No");
}

class CountingObserver : public ModelObserver {
public:
    void ModelChanged(ModelChange what) override { ++counts[static_cast<int>(what)]; }
    int counts[6] = {};
};

TEST(ModelValue, CopiesAreIndependentAndObserversStayBehind) {
    Fixture f;
    CountingObserver o;
    f.m.AddObserver(&o);
    Model copy = f.m;
    copy.AddNode(kAttribute, copy.Root());
    copy.DeleteAlternative(1);
    copy.RenameNode(f.a, "changed in copy");
    EXPECT_EQ(o.counts[static_cast<int>(ModelChange::Tree)], 0)
        << "a copy does not tell the original's observers";
    EXPECT_EQ(f.m.M(), 3);
    EXPECT_EQ(f.m.NodeCount(), 5);
    EXPECT_EQ(f.m.Node(f.a).Name, "Attribute");
    f.m.AddNode(kAttribute, f.m.Root());
    EXPECT_GT(o.counts[static_cast<int>(ModelChange::Tree)], 0);
    EXPECT_GT(o.counts[static_cast<int>(ModelChange::Assessments)], 0);
    EXPECT_EQ(testing::CheckInvariants(copy), "");
}

} // namespace
} // namespace velor
