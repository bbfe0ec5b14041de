// The edit history of a document: random sequences of edits (the model's operations, what the
// assessment dialogs store, calculations), undos, redos and saves, checked against a plain list
// of the states the model went through.
#include "calc/calculation_driver.h"
#include "calc_test_model.h"
#include "model/document.h"
#include "random_model.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace velor {
namespace {

using testing::MakeRandomModel;
using testing::RandomModelOptions;
using testing::ScriptedHost;

// A random edit of the model, with arguments taken from the model as it is. Some edits change
// nothing (a rename to the same name, a move refused); the history must then record no step.
void RandomEdit(Model& m, std::mt19937_64& rng, std::string& label) {
    const auto pick = [&rng](int n) {
        return static_cast<int>(std::uniform_int_distribution<int>(0, n - 1)(rng));
    };
    const auto anyNode = [&] { return m.NodeAt(pick(m.NodeCount())); };
    switch (m.TreeEmpty() ? 0 : pick(13)) {
    case 0:
        label = "New Node";
        m.AddNode(
            m.TreeEmpty() ? kGoal : static_cast<NodeKind>(pick(2)),
            m.TreeEmpty()
                ? kNone
                : m.Goals()[static_cast<std::size_t>(pick(static_cast<int>(m.Goals().size())))]);
        break;
    case 1:
        label = "Delete";
        if (m.NodeCount() > 3) {
            m.DeleteSubtree(anyNode());
        }
        break;
    case 2:
        label = "Rename";
        m.RenameNode(anyNode(), pick(2) == 0 ? "Same" : "Name " + std::to_string(pick(5)));
        break;
    case 3:
        label = "Move";
        m.MoveNode(anyNode(), anyNode(),
                   pick(2) == 0 ? Model::MoveMode::FirstChild : Model::MoveMode::SiblingBefore);
        break;
    case 4:
        label = "Convert";
        if (const NodeId node = anyNode(); m.CanConvert(node)) {
            m.ConvertNode(node);
        }
        break;
    case 5:
        label = "New Alternative";
        if (m.M() < 6) {
            m.NewAlternative();
        }
        break;
    case 6:
        label = "Delete Alternative";
        if (m.M() > 1) {
            m.DeleteAlternative(1 + pick(m.M()));
        }
        break;
    case 7:
        label = "Duplicate";
        if (m.M() > 0 && m.M() < 6) {
            m.DuplicateAlternative(1 + pick(m.M()));
        }
        break;
    case 8:
        label = "Typing";
        if (m.CellsEditable()) {
            m.CommitCellText(1 + pick(m.N()), 1 + pick(m.M()), "text " + std::to_string(pick(3)),
                             pick(2) == 0);
        }
        break;
    case 9: {
        // What a score assessment stores on OK: a ranking of the node's column.
        label = "Score Assessment";
        const NodeId node = anyNode();
        std::vector<int> ranks;
        for (int row = 1; row <= m.M(); ++row) {
            ranks.push_back(pick(m.M() + 1));
        }
        m.StoreRanking(node, ranks, {});
        break;
    }
    case 10: {
        // What a weight assessment stores on OK.
        label = "Weight Assessment";
        const std::vector<NodeId> attributes = m.Attributes();
        if (!attributes.empty()) {
            const NodeId node =
                attributes[static_cast<std::size_t>(pick(static_cast<int>(attributes.size())))];
            m.StoreWeightBounds(false, {{node, 10.0 * pick(5), 100}});
        }
        break;
    }
    case 11:
        label = "Clear Preferences";
        m.ClearPreferences();
        break;
    default:
        label = "Options";
        if (pick(2) == 0) {
            m.SetTopDownWeights(!m.TopDownWeights());
        } else {
            m.SetNormalizedIntervals(!m.NormalizedIntervals());
        }
        break;
    }
}

struct HistoryCase {
    std::size_t limit;
    int sequences;
    int steps;
};

class DocumentHistory : public ::testing::TestWithParam<HistoryCase> {};

TEST_P(DocumentHistory, UndoAndRedoRetraceEveryStateAndTheSavedPointDecidesChanged) {
    const HistoryCase c = GetParam();
    for (int sequence = 0; sequence < c.sequences; ++sequence) {
        std::mt19937_64 rng(static_cast<std::uint64_t>(sequence) * 7919 + c.limit);
        const auto pick = [&rng](int n) {
            return static_cast<int>(std::uniform_int_distribution<int>(0, n - 1)(rng));
        };
        RandomModelOptions options;
        options.maxAlternatives = 4;
        options.maxAttributes = 3;
        options.maxGoals = 1;
        Document doc(c.limit);
        doc.Reset(MakeRandomModel(static_cast<std::uint64_t>(sequence), options).model, "m.vlr");

        // The states the history can reach: states[p] is the current one; saved is the index
        // of the saved state, -1 once it can no longer be reached.
        std::vector<Model> states{doc.GetModel()};
        std::size_t p = 0;
        long saved = 0;
        std::size_t oldest = 0; // the oldest state still reachable by undo
        for (int step = 0; step < c.steps; ++step) {
            const std::string where =
                "sequence " + std::to_string(sequence) + ", step " + std::to_string(step);
            const int what = pick(10);
            if (what < 6) {
                std::string label;
                const Model before = doc.GetModel();
                const bool recorded =
                    doc.Apply("edit", [&](Model& m) { RandomEdit(m, rng, label); });
                ASSERT_EQ(recorded, doc.GetModel() != before) << where << " " << label;
                if (recorded) {
                    states.resize(p + 1);
                    states.push_back(doc.GetModel());
                    ++p;
                    if (saved > static_cast<long>(p - 1)) {
                        saved = -1; // the saved state was on the branch just dropped
                    }
                    if (p - oldest > c.limit) {
                        ++oldest;
                    }
                    // Undo gives the model before the step, redo the one after.
                    ASSERT_TRUE(doc.Undo());
                    ASSERT_EQ(doc.GetModel(), before) << where << " " << label;
                    ASSERT_TRUE(doc.Redo());
                    ASSERT_EQ(doc.GetModel(), states[p]) << where << " " << label;
                }
            } else if (what == 6) {
                // A calculation is one step too, and undo takes its results back.
                const bool recorded = doc.ApplyCalculation("Calculate Model", [](Model& m) {
                    ScriptedHost host;
                    CalculationDriver driver(m, host);
                    return CalculatedSets(m, kCalculateModel, driver.Run(kCalculateModel));
                });
                if (recorded) {
                    states.resize(p + 1);
                    states.push_back(doc.GetModel());
                    ++p;
                    if (saved > static_cast<long>(p - 1)) {
                        saved = -1;
                    }
                    if (p - oldest > c.limit) {
                        ++oldest;
                    }
                }
            } else if (what == 7) {
                const bool could = p > oldest;
                ASSERT_EQ(doc.Undo(), could) << where;
                if (could) {
                    --p;
                }
            } else if (what == 8) {
                const bool could = p + 1 < states.size();
                ASSERT_EQ(doc.Redo(), could) << where;
                if (could) {
                    ++p;
                }
            } else {
                doc.MarkSaved("m.vlr");
                saved = static_cast<long>(p);
            }
            ASSERT_EQ(doc.GetModel(), states[p]) << where;
            ASSERT_EQ(doc.Changed(), static_cast<long>(p) != saved) << where;
            ASSERT_EQ(doc.CanUndo(), p > oldest) << where;
            ASSERT_EQ(doc.CanRedo(), p + 1 < states.size()) << where;
        }
        // Undoing everything reachable gives the oldest state kept.
        while (doc.Undo()) {
        }
        ASSERT_EQ(doc.GetModel(), states[oldest]) << "sequence " << sequence;
        if (oldest == 0) {
            EXPECT_EQ(saved == 0, !doc.Changed());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(LongAndCapped, DocumentHistory,
                         ::testing::Values(HistoryCase{100, 1000, 40}, HistoryCase{5, 300, 40}));

TEST(DocumentResults, AreCurrentAfterACalculationUntilAnEditAndAgainAfterUndo) {
    testing::CalcTestModel m(3);
    const NodeId a = m.Attribute();
    m.Rank(a, {1, 2, 3});
    Document doc;
    doc.Reset(m.model, "");
    EXPECT_FALSE(doc.ResultsOutOfDate()) << "a loaded model counts as calculated";

    doc.Apply("Typing", [](Model& model) { model.CommitCellText(2, 1, "new level", true); });
    EXPECT_TRUE(doc.ResultsOutOfDate());
    ASSERT_TRUE(doc.ApplyCalculation("Calculate Model", [](Model& model) {
        ScriptedHost host;
        CalculationDriver driver(model, host);
        return CalculatedSets(model, kCalculateModel, driver.Run(kCalculateModel));
    }));
    EXPECT_FALSE(doc.ResultsOutOfDate());
    EXPECT_EQ(doc.UndoLabel(), "Calculate Model");

    // A new name changes no number; the other normalization was never calculated.
    doc.Apply(
        "Rename Node", [a](Model& model) { model.RenameNode(a, "Speed"); },
        Document::StepKind::KeepsResults);
    EXPECT_FALSE(doc.ResultsOutOfDate());
    doc.Apply(
        "Normalized Intervals", [](Model& model) { model.SetNormalizedIntervals(true); },
        Document::StepKind::KeepsResults);
    EXPECT_TRUE(doc.ResultsOutOfDate()) << "normalized intervals were never calculated";
    doc.Undo();
    EXPECT_FALSE(doc.ResultsOutOfDate());
    doc.Undo();
    doc.Undo(); // before the calculation
    EXPECT_TRUE(doc.ResultsOutOfDate());
    doc.Redo();
    EXPECT_FALSE(doc.ResultsOutOfDate());

    // A throwing edit leaves the model as it was and records nothing.
    const Model before = doc.GetModel();
    EXPECT_THROW(doc.Apply("Broken",
                           [](Model& model) {
                               model.NewAlternative();
                               throw std::runtime_error("disk on fire");
                           }),
                 std::runtime_error);
    EXPECT_EQ(doc.GetModel(), before);
    EXPECT_EQ(doc.UndoLabel(), "Calculate Model");
}

} // namespace
} // namespace velor

namespace velor {
namespace {

// The acceptability analysis lives beside the model: no step of its own, out of date after an
// edit, current again after undo, gone with a new model, and never in the model itself.
TEST(DocumentAcceptability, FollowsTheHistoryWithoutBeingAStep) {
    testing::CalcTestModel m(2);
    m.Rank(m.Attribute(), {1, 2});
    m.Rank(m.Attribute(), {2, 1});
    Document doc;
    doc.Reset(m.model, "");
    EXPECT_EQ(doc.Acceptability(), nullptr);
    EXPECT_FALSE(doc.AcceptabilityOutOfDate());

    auto result = std::make_shared<AcceptabilityResult>();
    result->Samples = 1000;
    doc.SetAcceptability(result);
    EXPECT_EQ(doc.Acceptability(), result.get());
    EXPECT_FALSE(doc.AcceptabilityOutOfDate());
    EXPECT_FALSE(doc.CanUndo()) << "an analysis is no edit";
    EXPECT_FALSE(doc.Changed());

    ASSERT_TRUE(doc.ApplyCalculation("Calculate Model", [](Model& model) {
        ScriptedHost host;
        CalculationDriver driver(model, host);
        return CalculatedSets(model, kCalculateModel, driver.Run(kCalculateModel));
    }));
    EXPECT_FALSE(doc.AcceptabilityOutOfDate()) << "a calculation changes no statement";

    doc.Apply("Typing", [](Model& model) { model.CommitCellText(1, 1, "new level", true); });
    EXPECT_TRUE(doc.AcceptabilityOutOfDate());
    EXPECT_EQ(doc.Acceptability(), result.get()) << "still shown, marked out of date";
    doc.Undo();
    EXPECT_FALSE(doc.AcceptabilityOutOfDate());
    doc.Undo(); // before the calculation, where the analysis had already run
    EXPECT_EQ(doc.Acceptability(), result.get());
    doc.Redo();
    doc.Redo();
    EXPECT_TRUE(doc.AcceptabilityOutOfDate());

    doc.Reset(m.model, "");
    EXPECT_EQ(doc.Acceptability(), nullptr);
}

} // namespace
} // namespace velor
