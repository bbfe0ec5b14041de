// Random sequences of editing operations; every invariant is checked after each step, and a
// copy taken along the way must not change when the original does.
#include "model/model.h"
#include "model_invariants.h"

#include <gtest/gtest.h>

#include <random>

namespace velor {
namespace {

class RandomEditor {
public:
    explicit RandomEditor(unsigned seed) : rng_(seed) {}

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    NodeId AnyNode(const Model& m) { return m.TreeEmpty() ? kNone : m.NodeAt(Pick(m.NodeCount())); }

    std::string Step(Model& m) {
        const int op = Pick(13);
        switch (op) {
        case 0:
        case 1: {
            const NodeId parent = AnyNode(m);
            m.AddNode(Pick(2) ? kAttribute : kGoal, parent);
            return "add";
        }
        case 2:
            if (Pick(5) == 0 || m.NodeCount() > 3) {
                m.DeleteSubtree(AnyNode(m));
            }
            return "delete subtree";
        case 3:
            m.MoveNode(AnyNode(m), AnyNode(m),
                       Pick(2) ? Model::MoveMode::FirstChild : Model::MoveMode::SiblingBefore);
            return "move";
        case 4:
            m.ConvertNode(AnyNode(m));
            return "convert";
        case 5:
            if (m.M() < 7) {
                m.NewAlternative();
            }
            return "new alternative";
        case 6:
            if (m.M() > 0 && m.M() < 7) {
                m.DuplicateAlternative(1 + Pick(m.M()));
            }
            return "duplicate";
        case 7:
            if (m.M() > 0) {
                m.DeleteAlternative(1 + Pick(m.M()));
            }
            return "delete alternative";
        case 8:
            if (m.CellsEditable()) {
                static const char* texts[] = {"", " ", "low", "high", "mid"};
                m.CommitCellText(1 + Pick(m.N()), 1 + Pick(m.M()), texts[Pick(5)], Pick(2) == 0);
            }
            return "commit";
        case 9:
        case 10:
            if (m.CellsEditable()) {
                const NodeId n = AnyNode(m);
                std::vector<int> ranks(m.M());
                for (auto& r : ranks) {
                    r = Pick(4);
                }
                std::vector<TCardinalStatement> st;
                for (int k = Pick(3); k > 0; --k) {
                    st.push_back({m.AlternativeId(1 + Pick(m.M())),
                                  m.AlternativeId(1 + Pick(m.M())),
                                  m.AlternativeId(1 + Pick(m.M())),
                                  m.AlternativeId(1 + Pick(m.M())), 0.5, 2.0});
                }
                m.StoreRanking(n, ranks, st);
            }
            return "rank";
        case 11:
            if (!m.TreeEmpty()) {
                m.StoreWeightBounds(Pick(2) == 0, {{AnyNode(m), 100.0 * Pick(2), 100.0}});
            }
            return "weights";
        default:
            if (Pick(4) == 0) {
                m.ClearPreferences();
            } else if (Pick(8) == 0) {
                m.ClearAlternatives();
            } else {
                m.RenameNode(AnyNode(m), "N" + std::to_string(Pick(100)));
            }
            return "misc";
        }
    }

private:
    std::mt19937 rng_;
};

TEST(ModelRandom, EveryInvariantHoldsAfterEveryStep) {
    constexpr int kSequences = 3000;
    constexpr int kSteps = 40;
    for (int seq = 0; seq < kSequences; ++seq) {
        RandomEditor ed(static_cast<unsigned>(seq));
        Model m;
        Model snapshot;
        ConsequenceTable tableAtCopy;
        std::vector<TAssessmentEntry> entriesAtCopy;
        std::vector<NodeId> orderAtCopy;
        for (int step = 0; step < kSteps; ++step) {
            const std::string what = ed.Step(m);
            const std::string problem = testing::CheckInvariants(m);
            ASSERT_EQ(problem, "") << "sequence " << seq << " step " << step << " (" << what << ")";
            if (step == kSteps / 2) {
                snapshot = m;
                tableAtCopy = m.Table();
                entriesAtCopy = m.Assessments();
                orderAtCopy = m.PreOrder();
            }
        }
        // The copy taken halfway is untouched by everything done to the original since.
        ASSERT_EQ(testing::CheckInvariants(snapshot), "") << "sequence " << seq;
        EXPECT_EQ(snapshot.Table(), tableAtCopy) << "sequence " << seq;
        EXPECT_EQ(snapshot.Assessments(), entriesAtCopy) << "sequence " << seq;
        EXPECT_EQ(snapshot.PreOrder(), orderAtCopy) << "sequence " << seq;
    }
}

} // namespace
} // namespace velor
