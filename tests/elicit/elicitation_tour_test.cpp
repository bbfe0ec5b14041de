#include "elicit/elicitation_tour.h"

#include "elicit/dialog_result.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>

namespace velor::elicit {
namespace {

// One dialog the tour opened, as the script saw it.
struct Shown {
    std::string what; // "score:<attribute>" or "weight:<goal>" / "weight:bottom-up"
    int step;
    int steps;
    bool operator==(const Shown&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Shown& s) {
    return out << s.what << " " << s.step << "/" << s.steps;
}

// Answers each dialog with the next scripted result (OK when the script is empty) and may run
// an action in place of the user, e.g. store statements as an OK would.
struct Script {
    Model& model;
    std::deque<int> answers;
    std::vector<Shown> shown;
    std::function<void(const Shown&)> onShow;

    TourDialogs Dialogs() {
        TourDialogs d;
        d.score = [this](EntryId entry, int step, int steps) {
            const NodeId node = model.Entry(entry)->Preference->Node;
            return Answer({"score:" + model.Node(node).Name, step, steps});
        };
        d.weight = [this](NodeId goal, int step, int steps) {
            return Answer(
                {"weight:" + (goal == kNone ? std::string("bottom-up") : model.Node(goal).Name),
                 step, steps});
        };
        return d;
    }
    int Answer(const Shown& s) {
        shown.push_back(s);
        if (onShow) {
            onShow(s);
        }
        if (answers.empty()) {
            return kResultOk;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// Main goal with attribute A and sub-goals G1 (attribute B) and G2 (attribute C).
struct ThreeAttributes {
    Model m;
    NodeId root, a, g1, b, g2, c;
    ThreeAttributes() {
        root = m.AddNode(kGoal, kNone);
        a = m.AddNode(kAttribute, root);
        g1 = m.AddNode(kGoal, root);
        b = m.AddNode(kAttribute, g1);
        g2 = m.AddNode(kGoal, root);
        c = m.AddNode(kAttribute, g2);
        m.RenameNode(a, "A");
        m.RenameNode(b, "B");
        m.RenameNode(c, "C");
        m.RenameNode(g1, "G1");
        m.RenameNode(g2, "G2");
        m.NewAlternative();
        m.NewAlternative();
    }
};

TEST(TourSteps, BottomUpCountsTheWeightStepUntilItIsYes) {
    ThreeAttributes f;
    EXPECT_EQ(ElicitationTour::StepCount(f.m), 4);
    Script script{f.m, {}, {}, {}};
    ElicitationTour tour(f.m, script.Dialogs());
    EXPECT_EQ(tour.Run(), TourEnd::Completed);
    EXPECT_EQ(
        script.shown,
        (std::vector<Shown>{
            {"score:A", 1, 4}, {"score:B", 2, 4}, {"score:C", 3, 4}, {"weight:bottom-up", 4, 4}}));

    f.m.StoreWeightBounds(false, {{f.a, 100, 100}});
    ASSERT_EQ(f.m.Entry(f.m.BottomUpEntry())->Status, AssessmentStatus::Partially);
    EXPECT_EQ(ElicitationTour::StepCount(f.m), 4) << "partially assessed weights are a step";

    f.m.StoreWeightBounds(false, {{f.b, 10, 20}, {f.c, 0, 50}});
    ASSERT_EQ(f.m.Entry(f.m.BottomUpEntry())->Status, AssessmentStatus::Yes);
    EXPECT_EQ(ElicitationTour::StepCount(f.m), 3);
    script.shown.clear();
    ElicitationTour(f.m, script.Dialogs()).Run();
    EXPECT_EQ(script.shown.size(), 3U) << "the weight dialog is never shown";
    EXPECT_EQ(script.shown.back(), (Shown{"score:C", 3, 3}));
}

TEST(TourSteps, TopDownTakesEveryGoalNotYetAssessed) {
    ThreeAttributes f;
    f.m.SetTopDownWeights(true);
    f.m.StoreWeightBounds(true, {{f.b, 100, 100}}); // G1's only child: "Yes"
    ASSERT_EQ(f.m.Entry(f.m.WeightEntryOf(f.g1))->Status, AssessmentStatus::Yes);
    f.m.StoreWeightBounds(true, {{f.a, 100, 100}}); // main goal: "Partially"
    EXPECT_EQ(ElicitationTour::StepCount(f.m), 5) << "three scores, main goal and G2";
    Script script{f.m, {}, {}, {}};
    ElicitationTour(f.m, script.Dialogs()).Run();
    EXPECT_EQ(script.shown, (std::vector<Shown>{{"score:A", 1, 5},
                                                {"score:B", 2, 5},
                                                {"score:C", 3, 5},
                                                {"weight:Main Goal", 4, 5},
                                                {"weight:G2", 5, 5}}));
    // Holistic comparisons are never part of the tour; the bottom-up entry is not either.
    EXPECT_FALSE(ElicitationTour::BelongsToTour(f.m, *f.m.Entry(f.m.BottomUpEntry())));
    EXPECT_FALSE(ElicitationTour::BelongsToTour(f.m, *f.m.Entry(f.m.Node(f.g1).Assessment)));
}

TEST(TourSteps, NothingToAssess) {
    Model empty;
    Script script{empty, {}, {}, {}};
    EXPECT_EQ(ElicitationTour(empty, script.Dialogs()).Run(), TourEnd::NoSteps);
    EXPECT_TRUE(script.shown.empty());
}

TEST(TourBack, CrossesFromTheWeightStepsBackIntoTheScoreSteps) {
    ThreeAttributes f;
    f.m.SetTopDownWeights(true);
    // G1 is assessed ("Yes") and not a step going forward.
    f.m.StoreWeightBounds(true, {{f.b, 100, 100}});
    Script script{f.m, {}, {}, {}};
    // Steps: A, B, C, Main Goal, G2 (5). Back on the main goal's weights returns to C, Back on
    // C to B, then OK to the end.
    script.answers = {kResultOk, kResultOk, kResultOk, kResultBack, kResultBack,
                      kResultOk, kResultOk, kResultOk, kResultOk};
    EXPECT_EQ(ElicitationTour(f.m, script.Dialogs()).Run(), TourEnd::Completed);
    EXPECT_EQ(script.shown, (std::vector<Shown>{{"score:A", 1, 5},
                                                {"score:B", 2, 5},
                                                {"score:C", 3, 5},
                                                {"weight:Main Goal", 4, 5},
                                                {"score:C", 3, 5},
                                                {"score:B", 2, 5},
                                                {"score:C", 3, 5},
                                                {"weight:Main Goal", 4, 5},
                                                {"weight:G2", 5, 5}}));
}

TEST(TourBack, ShowsACompletedWeightStepAgainOnlyWhenReachedByBack) {
    ThreeAttributes f;
    f.m.SetTopDownWeights(true);
    Script script{f.m, {}, {}, {}};
    // The main goal's weight step is answered OK and becomes "Yes" as the dialog stores it.
    script.onShow = [&f](const Shown& s) {
        if (s.what == "weight:Main Goal") {
            f.m.StoreWeightBounds(true, {{f.a, 100, 100}, {f.g1, 50, 60}, {f.g2, 10, 20}});
        }
    };
    // Steps: A, B, C, Main Goal, G1, G2 (6). Back from G1 shows the completed main-goal step.
    script.answers = {kResultOk, kResultOk, kResultOk, kResultOk, kResultBack, kResultOk};
    ElicitationTour(f.m, script.Dialogs()).Run();
    ASSERT_GE(script.shown.size(), 7U);
    EXPECT_EQ(script.shown[4], (Shown{"weight:G1", 5, 6}));
    EXPECT_EQ(script.shown[5], (Shown{"weight:Main Goal", 4, 6})) << "shown whatever its status";
    EXPECT_EQ(script.shown[6], (Shown{"weight:G1", 5, 6}));
    EXPECT_EQ(script.shown.back(), (Shown{"weight:G2", 6, 6}));

    // Going back from a score step over a "Yes" weight entry: forward again skips it.
    ThreeAttributes g;
    g.m.SetTopDownWeights(true);
    g.m.StoreWeightBounds(true, {{g.a, 100, 100}, {g.g1, 50, 60}, {g.g2, 10, 20}});
    Script second{g.m, {kResultOk, kResultBack, kResultOk, kResultOk}, {}, {}};
    ElicitationTour(g.m, second.Dialogs()).Run();
    EXPECT_EQ(second.shown, (std::vector<Shown>{{"score:A", 1, 5},
                                                {"score:B", 2, 5},
                                                {"score:A", 1, 5},
                                                {"score:B", 2, 5},
                                                {"score:C", 3, 5},
                                                {"weight:G1", 4, 5},
                                                {"weight:G2", 5, 5}}));
}

TEST(TourEnding, AbortOnAnyStepEndsAtOnce) {
    for (int abortAt = 0; abortAt < 4; ++abortAt) {
        ThreeAttributes f;
        Script script{f.m, {}, {}, {}};
        for (int k = 0; k < abortAt; ++k) {
            script.answers.push_back(kResultOk);
        }
        script.answers.push_back(kResultAbort);
        EXPECT_EQ(ElicitationTour(f.m, script.Dialogs()).Run(), TourEnd::Aborted);
        EXPECT_EQ(static_cast<int>(script.shown.size()), abortAt + 1)
            << "no dialog after the one answered with Abort";
    }
}

TEST(TourEnding, SkipOnEveryStepChangesNothing) {
    ThreeAttributes f;
    f.m.StoreRanking(f.a, {2, 1}, {});
    const Model before = f.m;
    Script script{f.m, {kResultCancel, kResultCancel, kResultCancel, kResultCancel}, {}, {}};
    EXPECT_EQ(ElicitationTour(f.m, script.Dialogs()).Run(), TourEnd::Completed);
    EXPECT_EQ(script.shown.size(), 4U);
    EXPECT_EQ(f.m, before);
    EXPECT_EQ(f.m.Assessments(), before.Assessments());
    EXPECT_EQ(f.m.Table(), before.Table());
    for (NodeId node : f.m.PreOrder()) {
        EXPECT_EQ(f.m.Node(node), before.Node(node));
    }
}

} // namespace
} // namespace velor::elicit
