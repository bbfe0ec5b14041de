// The default calculation path (one warm-started solver problem per constraint set) against the
// reference path (every program from its text, from the slack basis), on generated models.
//
// The reference simplex accepts a basis up to 1e-5 outside its bounds or short of optimal; the
// default path accepts only exact optima and otherwise takes the reference's own outcome. So
// program by program the two agree, except where the reference's result is itself off, which
// the test tells apart and counts. The reference must not give up on a program that has an
// optimum (it did, through cycling and through a reinversion that dropped a sound column).
#include "calc/calculation_driver.h"
#include "calc/constraint_generator.h"
#include "calc/solver_bridge.h"
#include "calc/solver_rows.h"
#include "calc/warm_start_solver.h"
#include "calc_test_model.h"
#include "calc/lp_backend.h"
#include "model/model_file.h"
#include "random_model.h"
#include "stored_results.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace velor {
namespace {

constexpr double kAgreement = 1e-6;
// Ties closer than this may be decided either way: the default path's optima may differ from the
// reference's in the last bit (another optimal basis), and the reference's own optima lie up to
// a few 1e-7 off where it stops at a basis optimal only to its tolerances of 1e-5 (a normalized
// value of 1.00000016, say, where every alternative's maximum is 1, which makes that alternative
// alone the best by Maximax). Flags decided by closer ties cannot tell the paths apart any better
// than the values themselves, which must agree to kAgreement.
constexpr double kTieNoise = kAgreement;
// Polls from inside the simplex come with time; tests that count polls do without them.
constexpr std::chrono::milliseconds kNoSolverPolls = std::chrono::hours(1);

class ScriptedHost : public CalcHost {
public:
    explicit ScriptedHost(int cancelAfterPolls = -1) : cancelAfter_(cancelAfterPolls) {}
    void ProcessEvents() override { ++polls; }
    bool CancelRequested() override {
        cancelSeen = cancelSeen || (cancelAfter_ >= 0 && polls > cancelAfter_);
        return cancelSeen;
    }
    void ShowProgress(int done, int total) override {
        progress.push_back(done);
        lastTotal = total;
    }
    bool AskContinue(const std::string&) override {
        ++questions;
        return true;
    }
    void ShowMessage(MessageKind, const std::string& text) override { messages.push_back(text); }

    int polls = 0;
    bool cancelSeen = false; // CancelRequested has answered true
    int questions = 0;
    int lastTotal = 0;
    std::vector<int> progress;
    std::vector<std::string> messages;

private:
    int cancelAfter_;
};

// Every stored number: value and weight intervals in both modes, the main-goal intervals,
// dominance margins and maximum regret, and the dominance codes whose margins (the pair's and the
// reverse pair's) lie clear of 0. A code decided by a margin within rounding of 0 (a pair that
// dominates with margin 1e-12 or not at all), and the recommendation flags that ties among such
// numbers decide, may go either way.
std::vector<double> StoredNumbers(const Model& model, bool withCodes = true) {
    std::vector<double> out;
    for (NodeId node : model.PreOrder()) {
        const TNodeData& data = model.Node(node);
        out.insert(out.end(), {data.WeightLower, data.WeightUpper, data.NormWeightLower,
                               data.NormWeightUpper});
        for (const TNodeValue& value : data.Values) {
            out.insert(out.end(), {value.Lower, value.Upper, value.NormLower, value.NormUpper});
        }
    }
    for (int row = 1; row <= model.M(); ++row) {
        const TAlternativeData& alternative = model.Alternative(row);
        out.insert(out.end(),
                   {alternative.ValueLower, alternative.ValueUpper, alternative.MaxRegret});
        for (std::size_t s = 0; s < alternative.Dominance.size(); ++s) {
            const double margin = alternative.DominanceMargin[s];
            out.push_back(margin);
            if (withCodes) {
                // The code is decided by this margin and by the reverse pair's.
                const double reverse = testing::PairMargin(model, static_cast<int>(s),
                                                           static_cast<std::size_t>(row), 1.0);
                const bool clear =
                    std::fabs(margin) > kAgreement && std::fabs(reverse) > kAgreement;
                out.push_back(clear ? alternative.Dominance[s] : 0.0);
            }
        }
    }
    return out;
}

// Simplex iterations so far, of our own solver and of the library solver.
long long Iterations() {
    return SolverIterationTotal();
}

double LargestDifference(const Model& a, const Model& b) {
    const std::vector<double> x = StoredNumbers(a);
    const std::vector<double> y = StoredNumbers(b);
    EXPECT_EQ(x.size(), y.size());
    double largest = 0.0;
    for (std::size_t i = 0; i < x.size() && i < y.size(); ++i) {
        largest = std::max(largest, std::fabs(x[i] - y[i]));
    }
    return largest;
}

// Whether a solution of the reference satisfies every row of its program to 1e-9, with the
// coefficients as the solver holds them (single precision).
bool ExactlyFeasible(const TConstraintModel& program, const TSolution& solution) {
    const SolverRows rows = ParseProgram(program);
    std::vector<double> activity(static_cast<std::size_t>(rows.RowCount()) + 1, 0.0);
    for (const SolverRows::Element& e : rows.Elements) {
        activity[static_cast<std::size_t>(e.Row)] +=
            static_cast<double>(static_cast<float>(e.Value)) *
            solution.Values.at(static_cast<std::size_t>(e.Column - 1));
    }
    constexpr double kTolerance = 1e-9;
    for (double x : solution.Values) {
        if (x < -kTolerance) {
            return false;
        }
    }
    for (int i = 1; i <= rows.RowCount(); ++i) {
        const double a = activity[static_cast<std::size_t>(i)];
        const double b = static_cast<float>(rows.RightSides[static_cast<std::size_t>(i - 1)]);
        const int relation = rows.Relations[static_cast<std::size_t>(i - 1)];
        if ((relation != kRelationGreaterEqual && a > b + kTolerance) ||
            (relation != kRelationLessEqual && a < b - kTolerance)) {
            return false;
        }
    }
    return true;
}

// From 2 alternatives and 1 attribute up to 9 and 8, below up to four goals.
testing::RandomModelOptions MixedSize(int seed) {
    testing::RandomModelOptions options;
    options.maxAlternatives = 3 + seed % 7;
    options.maxAttributes = 2 + seed % 7;
    options.maxGoals = 4;
    return options;
}

struct ProgramTally {
    int agreed = 0;
    int bothFailed = 0;      // e.g. a normalizer that no feasible point meets
    int referenceOff = 0;    // the reference's basis lies outside the rows by more than 1e-9
    int referenceFailed = 0; // the reference gave up on a program that has an exact optimum
    int split = 0;           // solved per attribute by the default path
};

std::string programsSummary(const ProgramTally& t) {
    std::ostringstream out;
    out << t.agreed << " programs agree (" << t.bothFailed << " failed both ways), "
        << t.referenceOff << " reference results off, " << t.referenceFailed
        << " reference failures, " << t.split << " solved per attribute";
    return out.str();
}

// Solves every program of a full calculation both ways, in the order the driver asks for them.
// Returns whether the two agreed on every program; scratchSolves, when given, receives the
// programs the default path had to solve from scratch.
bool CompareProgramByProgram(const Model& model, ProgramTally& tally, const std::string& what,
                             int* scratchSolves = nullptr) {
    std::vector<ProgramParts> programs;
    Model scratch = model;
    ScriptedHost host;
    CalculationDriver recorder(scratch, host);
    recorder.SetProgramObserver([&](const ProgramParts& parts) { programs.push_back(parts); });
    recorder.Run(kCalculateModel);

    WarmStartSolver fast(model);
    bool allAgreed = true;
    for (std::size_t k = 0; k < programs.size(); ++k) {
        const TConstraintModel text = AssembleProgram(model, programs[k]);
        const TSolution reference = SolveModel(text);
        const TSolution solution = fast.Solve(programs[k]);
        const std::string where = what + ", program " + std::to_string(k) + ": " + text.Objective;
        EXPECT_TRUE(solution.Error.empty()) << where;
        if (solution.Failed()) {
            // A failure is always the reference's own outcome.
            EXPECT_TRUE(reference.Failed()) << where;
            ++tally.agreed;
            ++tally.bothFailed;
            continue;
        }
        if (reference.Failed()) {
            ++tally.referenceFailed;
            allAgreed = false;
            continue;
        }
        const double gap = solution.Objective - reference.Objective;
        if (std::fabs(gap) <= kAgreement) {
            ++tally.agreed;
            continue;
        }
        allAgreed = false;
        if (ExactlyFeasible(text, reference)) {
            // The reference stopped at a feasible point short of the optimum: the default path
            // must be better, never worse.
            const bool better = programs[k].Direction == kMinimize ? gap < 0.0 : gap > 0.0;
            EXPECT_TRUE(better) << where << ": " << solution.Objective << " against "
                                << reference.Objective;
        }
        ++tally.referenceOff;
    }
    tally.split += fast.SplitSolves();
    if (scratchSolves != nullptr) {
        *scratchSolves = fast.ScratchSolves();
    }
    return allAgreed;
}

// One calculation of a model on the default path and on the reference path, without the polls
// from inside the simplex that come with time.
struct BothPaths {
    BothPaths(const Model& model, CalculationType type) : fast(model), reference(model) {
        CalculationDriver fastDriver(fast, fastHost);
        CalculationDriver referenceDriver(reference, referenceHost);
        referenceDriver.SetReferencePath(true);
        fastDriver.SetPollInterval(kNoSolverPolls);
        referenceDriver.SetPollInterval(kNoSolverPolls);
        fastOutcome = fastDriver.Run(type);
        referenceOutcome = referenceDriver.Run(type);
        fastLps = fastDriver.LpCount();
        referenceLps = referenceDriver.LpCount();
    }
    Model fast;
    Model reference;
    ScriptedHost fastHost;
    ScriptedHost referenceHost;
    RunOutcome fastOutcome;
    RunOutcome referenceOutcome;
    int fastLps = 0;
    int referenceLps = 0;
};

TEST(FastPath, AgreesWithTheReferenceOnGeneratedModels) {
    SetSolverConsole(nullptr);
    ProgramTally tally;
    int modelsComparedWhole = 0;
    for (int seed = 1; seed <= 70; ++seed) {
        const testing::RandomModel made =
            testing::MakeRandomModel(static_cast<std::uint64_t>(seed), MixedSize(seed));
        const bool agreed = CompareProgramByProgram(made.model, tally, made.description);

        const BothPaths run(made.model, kCalculateModel);
        EXPECT_EQ(run.fastOutcome, RunOutcome::Complete) << made.description;
        // Progress, the count of programs and the polls for Cancel do not depend on the path.
        EXPECT_EQ(run.fastLps, run.referenceLps) << made.description;
        EXPECT_EQ(run.fastHost.progress, run.referenceHost.progress) << made.description;
        EXPECT_EQ(run.fastHost.polls, run.referenceHost.polls) << made.description;
        if (agreed) {
            ++modelsComparedWhole;
            EXPECT_EQ(run.fastHost.questions, run.referenceHost.questions) << made.description;
            EXPECT_EQ(run.fastHost.messages, run.referenceHost.messages) << made.description;
            EXPECT_LE(LargestDifference(run.fast, run.reference), kAgreement) << made.description;
        }
    }
    std::cout << programsSummary(tally) << ", " << modelsComparedWhole << " models agree whole\n";
    EXPECT_GE(modelsComparedWhole, 50);
    EXPECT_EQ(tally.referenceFailed, 0) << programsSummary(tally);
    // The reference's own slips stay rare; a default path that disagreed often would show here.
    const int programs = tally.agreed + tally.referenceOff + tally.referenceFailed;
    EXPECT_GE(tally.agreed, programs * 97 / 100) << programsSummary(tally);
    // Models without holistic rankings split their programs per attribute.
    EXPECT_GE(tally.split, programs / 4) << programsSummary(tally);
}

// How many models the comparison below calculates and how large they get: a few seconds' worth
// by default, VELOR_LONG_COMPARISON=1 (scripts/compare-paths) for the long run (up to 20 x 20:
// the reference path takes minutes on larger models with a holistic main goal).
struct ComparisonRun {
    int models = 60;
    int largest = 9;
};
ComparisonRun ComparisonSettings() {
    const char* longRun = std::getenv("VELOR_LONG_COMPARISON");
    if (longRun != nullptr && std::string(longRun) == "1") {
        return {60, 20};
    }
    return {};
}

// Models of mixed sizes with holistic rankings on some goals (on some, the main goal ranks every
// alternative and ties those with the same levels everywhere), normalized and plain: the
// default path, which reorders, skips and recovers programs, stores what the reference path
// stores, every dominance code and recommendation flag the same except those that ties within
// kTieNoise decide.
TEST(FastPath, StoresWhatTheReferenceStoresWithHolisticRankings) {
    SetSolverConsole(nullptr);
    const ComparisonRun settings = ComparisonSettings();
    int holisticMain = 0;
    int referenceOff = 0;
    for (int seed = 1; seed <= settings.models; ++seed) {
        testing::RandomModelOptions options;
        const int size = 3 + (seed * 7) % (settings.largest - 2);
        options.minAlternatives = options.maxAlternatives = size;
        options.minAttributes = options.maxAttributes = std::max(2, size - seed % 3);
        options.minGoals = 0;
        options.maxGoals = seed % 4 == 0 ? 0 : 3;
        options.holisticShare = 0.5;
        options.duplicateShare = seed % 3 == 0 ? 0.3 : 0.0;
        options.normalizedShare = seed % 2 == 0 ? 1.0 : 0.0;
        const testing::RandomModel made =
            testing::MakeRandomModel(static_cast<std::uint64_t>(1000 + seed), options);
        holisticMain += made.model.Rank(1, 1) > 0 ? 1 : 0;
        const BothPaths run(made.model, kCalculateModel);
        ASSERT_EQ(run.fastOutcome, run.referenceOutcome) << made.description;
        EXPECT_EQ(run.fastHost.questions, run.referenceHost.questions) << made.description;
        const testing::StoredComparison c =
            testing::CompareStored(run.fast, run.reference, kTieNoise);
        if (c.largest > kAgreement) {
            // The reference accepts bases optimal only to its tolerances of 1e-5. Where a value
            // of it is that far off, solving every program both ways shows it, and shows the
            // default path's value to be the better one.
            ProgramTally tally;
            CompareProgramByProgram(made.model, tally, made.description);
            EXPECT_GT(tally.referenceOff, 0) << made.description << ": " << c.largestAt;
            ++referenceOff;
            continue;
        }
        EXPECT_EQ(c.flagsDiffer, 0) << made.description << ": " << c.first;
    }
    std::cout << settings.models << " models up to " << settings.largest << " x "
              << settings.largest << ", " << holisticMain << " with a holistic main goal, "
              << referenceOff << " where the reference's own value is off\n";
    EXPECT_GE(holisticMain, settings.models / 5);
}

// Attribute B's ratio statement asks its worst level to exceed its best by at least twice as much
// as the best exceeds the worst: the best is then worth no more than the worst, 0, and so is B's
// weight, which the weight rows alone do not say. Its programs cannot be split per attribute;
// without that statement they all can.
TEST(FastPath, ProgramsSplitPerAttributeOnlyWhereEveryAttributeAdmitsAWeight) {
    SetSolverConsole(nullptr);
    for (const bool pinned : {false, true}) {
        testing::CalcTestModel m(3);
        const NodeId a = m.Attribute();
        const NodeId b = m.Attribute();
        m.Rank(a, {1, 2, 3});
        m.Rank(b, {1, 2, 3});
        m.BottomUp(a, 100, 100);
        m.BottomUp(b, -1, 300);
        if (pinned) {
            m.Ratio(b, 3, 1, 1, 3, 2.0, -1.0);
        }
        ProgramTally tally;
        const std::string what = pinned ? "B's weight pinned at 0" : "B's weight free";
        EXPECT_TRUE(CompareProgramByProgram(m.model, tally, what)) << programsSummary(tally);
        if (pinned) {
            EXPECT_EQ(tally.split, 0) << what;
        } else {
            EXPECT_EQ(tally.split, tally.agreed) << what;
        }
    }
}

// A ratio statement's row -V(a1) + 0.999 * V(a3) + 0.001 * V(a2) <= 0, rounded to single precision
// term by term, no longer admits V(a1) = V(a2) = V(a3): a part's exact optimum then lies about
// 1e-8 below the model's own. The parts get their decimal rows exactly, so the maximum of a3's
// value on A is exactly 1 (every level of A at its best, B's weight 0).
TEST(FastPath, SplitPartsSolveDecimalRowsExactly) {
    SetSolverConsole(nullptr);
    testing::CalcTestModel m(4);
    const NodeId a = m.Attribute();
    const NodeId b = m.Attribute();
    m.Rank(a, {1, 1, 2, 3});
    m.Rank(b, {1, 2, 3, 4});
    m.Ratio(a, 1, 3, 2, 3, 0.001, -1.0);
    WarmStartSolver fast(m.model);
    const ProgramParts parts = ValueProgram(m.model, m.model.ColumnOfNode(a), 3, kMaximize, false);
    const TSolution solution = fast.Solve(parts);
    ASSERT_EQ(solution.Status, SolveStatus::Optimal);
    EXPECT_EQ(fast.SplitSolves(), 1);
    EXPECT_NEAR(solution.Objective, 1.0, 1e-12);
}

// A part whose program our own solver leaves without an exact optimum (its warm, slack and
// recovery runs fail) goes to the library solver, and the program stays split: without that, it
// went to the whole set, a hundred times larger in a large model.
TEST(FastPath, APartOurSolverCannotSettleGoesToTheLibrarySolverAndTheProgramStaysSplit) {
    SetSolverConsole(nullptr);
    testing::RandomModelOptions options;
    options.minAlternatives = options.maxAlternatives = 8;
    options.minAttributes = options.maxAttributes = 5;
    options.holisticShare = 0.0;
    options.duplicateShare = 0.3;
    for (const int seed : {2, 9}) {
        const testing::RandomModel made = testing::MakeRandomModel(seed, options);
        std::vector<ProgramParts> programs;
        Model scratch = made.model;
        ScriptedHost host;
        CalculationDriver recorder(scratch, host);
        recorder.SetProgramObserver([&](const ProgramParts& parts) { programs.push_back(parts); });
        ASSERT_EQ(recorder.Run(kCalculateModel), RunOutcome::Complete) << made.description;

        WarmStartSolver fast(made.model);
        int failuresLeft = 0;
        fast.SetRunFault([&] { return failuresLeft > 0 && failuresLeft-- > 0; });
        int stayedSplit = 0;
        for (std::size_t k = 0; k < programs.size(); ++k) {
            const std::string where = made.description + ", program " + std::to_string(k);
            failuresLeft = k % 2 == 0 ? 3 : 0;
            const int splitBefore = fast.SplitSolves();
            const TSolution solution = fast.Solve(programs[k]);
            const TSolution reference = SolveModel(AssembleProgram(made.model, programs[k]));
            ASSERT_EQ(solution.Optimal(), reference.Optimal()) << where;
            if (reference.Optimal()) {
                EXPECT_NEAR(solution.Objective, reference.Objective, kAgreement) << where;
            }
            stayedSplit += failuresLeft == 0 && k % 2 == 0 && fast.SplitSolves() > splitBefore;
        }
        EXPECT_GT(stayedSplit, static_cast<int>(programs.size()) / 20) << made.description;
    }
}

// A normalized calculation has one constraint set per node. With more nodes than the solver holds
// problems at a time, the sets take turns instead of ending the run with a solver error.
TEST(FastPath, MoreConstraintSetsThanTheSolverHoldsProblemsAtATime) {
    SetSolverConsole(nullptr);
    testing::CalcTestModel m(2);
    for (int k = 0; k < 210; ++k) {
        m.Rank(m.Attribute(), {1, 2});
    }
    m.model.SetNormalizedIntervals(true);
    const BothPaths run(m.model, kNormalizedIntervals);
    EXPECT_EQ(run.fastOutcome, RunOutcome::Complete);
    EXPECT_EQ(run.referenceOutcome, RunOutcome::Complete);
    EXPECT_EQ(run.fastHost.messages, run.referenceHost.messages);
    EXPECT_LE(LargestDifference(run.fast, run.reference), kAgreement);
}

TEST(FastPath, InfeasibleModelsAndCancelBehaveAsTheReference) {
    SetSolverConsole(nullptr);
    for (int seed = 1; seed <= 6; ++seed) {
        testing::RandomModelOptions options = MixedSize(seed);
        options.infeasible = seed % 2 == 0;
        const testing::RandomModel made =
            testing::MakeRandomModel(static_cast<std::uint64_t>(seed), options);
        Model complete = made.model;
        for (int cancelAfter : {-1, 0, 3, 17}) {
            Model fast = made.model;
            Model reference = made.model;
            ScriptedHost fastHost(cancelAfter);
            ScriptedHost referenceHost(cancelAfter);
            CalculationDriver fastDriver(fast, fastHost);
            CalculationDriver referenceDriver(reference, referenceHost);
            referenceDriver.SetReferencePath(true);
            fastDriver.SetPollInterval(kNoSolverPolls);
            referenceDriver.SetPollInterval(kNoSolverPolls);
            const std::string what =
                made.description + ", cancel after " + std::to_string(cancelAfter);
            EXPECT_EQ(fastDriver.Run(kCalculateModel), referenceDriver.Run(kCalculateModel))
                << what;
            EXPECT_EQ(fastHost.messages, referenceHost.messages) << what;
            if (cancelAfter < 0) {
                EXPECT_EQ(fastDriver.LpCount(), referenceDriver.LpCount()) << what;
                EXPECT_EQ(fastHost.progress, referenceHost.progress) << what;
                EXPECT_LE(LargestDifference(fast, reference), kAgreement) << what;
                complete = reference;
                continue;
            }
            // The default path solves the value intervals of a node in another order (all
            // minima, then all maxima), so a cancelled run has stored other programs than the
            // reference: every number is the one before the run or that of a complete run.
            const std::vector<double> before = StoredNumbers(made.model, false);
            const std::vector<double> after = StoredNumbers(complete, false);
            const std::vector<double> stored = StoredNumbers(fast, false);
            ASSERT_EQ(stored.size(), after.size()) << what;
            for (std::size_t i = 0; i < stored.size(); ++i) {
                EXPECT_TRUE(stored[i] == before[i] || std::fabs(stored[i] - after[i]) <= kAgreement)
                    << what << ", number " << i;
            }
            for (std::size_t i = 0; i < fastHost.progress.size(); ++i) {
                EXPECT_EQ(fastHost.progress[i], static_cast<int>(i) + 1) << what;
            }
        }
    }
}

// With the simplex polling after every iteration, Cancel at any point stops the program being
// solved at once: no iteration follows the poll that saw it, not even in the fallbacks of the
// default path. The run ends "not finished" and asks nothing; a stop inside the feasibility
// check is not taken for infeasible statements; and a stopped program stores nothing, not even
// the 0 that a failed program gets in normalized mode: every stored number is the one the model
// had before or the one of a complete run.
TEST(FastPath, CancelInsideAProgramStopsItAndStoresNothingFromIt) {
    SetSolverConsole(nullptr);
    for (const double normalizedShare : {0.0, 1.0}) {
        testing::RandomModelOptions options;
        options.minAlternatives = options.maxAlternatives = 8;
        options.minAttributes = options.maxAttributes = 6;
        options.normalizedShare = normalizedShare;
        const testing::RandomModel made = testing::MakeRandomModel(3, options);
        for (const bool referencePath : {false, true}) {
            Model complete = made.model;
            ScriptedHost completeHost;
            CalculationDriver completeDriver(complete, completeHost);
            completeDriver.SetReferencePath(referencePath);
            completeDriver.SetPollInterval(std::chrono::milliseconds(0));
            ASSERT_EQ(completeDriver.Run(kCalculateModel), RunOutcome::Complete);
            // Dominance codes are left out: a stopped matrix holds codes that its later pairs
            // would have changed.
            const std::vector<double> before = StoredNumbers(made.model, false);
            const std::vector<double> after = StoredNumbers(complete, false);
            ASSERT_GT(completeHost.polls, 200) << "the simplex polls after every iteration";
            for (int cancelAfter = 1; cancelAfter < completeHost.polls; cancelAfter += 97) {
                const std::string what = made.description + (referencePath ? ", reference" : "") +
                                         ", cancel after " + std::to_string(cancelAfter);
                Model model = made.model;
                ScriptedHost host(cancelAfter);
                CalculationDriver driver(model, host);
                driver.SetReferencePath(referencePath);
                driver.SetPollInterval(std::chrono::milliseconds(0));
                // Every iteration polls once until Cancel is seen, so the last program started
                // has made no more iterations than polls.
                long long lastStartIterations = 0;
                int lastStartPolls = 0;
                int startedAfterCancel = 0;
                driver.SetProgramObserver([&](const ProgramParts&) {
                    lastStartIterations = Iterations();
                    lastStartPolls = host.polls;
                    startedAfterCancel += host.cancelSeen ? 1 : 0;
                });
                EXPECT_EQ(driver.Run(kCalculateModel), RunOutcome::NotFinished) << what;
                EXPECT_EQ(startedAfterCancel, 0) << what;
                EXPECT_LE(Iterations() - lastStartIterations, host.polls - lastStartPolls) << what;
                EXPECT_EQ(host.messages, std::vector<std::string>{kNotFinishedMessage}) << what;
                EXPECT_EQ(host.questions, 0) << what;
                ASSERT_TRUE(host.cancelSeen) << what;
                const std::vector<double> stored = StoredNumbers(model, false);
                ASSERT_EQ(stored.size(), after.size()) << what;
                for (std::size_t i = 0; i < stored.size(); ++i) {
                    EXPECT_TRUE(stored[i] == before[i] || std::fabs(stored[i] - after[i]) <= 1e-12)
                        << what << ", number " << i << ": " << stored[i] << " (before " << before[i]
                        << ", complete " << after[i] << ")";
                }
            }
        }
    }
}

// On this model some warm starts end at bases optimal only to the simplex's own tolerances (a
// few rates or bounds off by less than 1e-5). Going on from there under tight tolerances
// finishes them where they stopped instead of solving them again from scratch; where the
// reference's own basis stops short of the optimum, the default path's value is the better one.
TEST(FastPath, AnOptimumToTheUsualTolerancesIsFinishedWhereItStopped) {
    SetSolverConsole(nullptr);
    testing::RandomModelOptions options;
    options.minAlternatives = options.maxAlternatives = 7;
    options.minAttributes = options.maxAttributes = 7;
    options.minGoals = options.maxGoals = 2;
    const testing::RandomModel made = testing::MakeRandomModel(34, options);
    ProgramTally tally;
    int scratchSolves = -1;
    CompareProgramByProgram(made.model, tally, made.description, &scratchSolves);
    EXPECT_EQ(scratchSolves, 0) << made.description;
    EXPECT_EQ(tally.referenceFailed, 0) << programsSummary(tally);
    EXPECT_EQ(tally.bothFailed, 0) << programsSummary(tally);
}

#ifdef VELOR_CLI_PATH
TEST(FastPath, CommandLineReferenceOptionStoresTheSameResults) {
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("velor_fast_path_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const fs::path model = fs::path(VELOR_SOURCE_DIR) / "examples" / "car.vlr";
    const auto run = [&](const std::string& extra, const fs::path& out) {
        const std::string command = std::string("'") + VELOR_CLI_PATH + "' calc '" +
                                    model.string() + "' --quiet " + extra + " -o '" + out.string() +
                                    "' >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(run("", folder / "fast.vlr"), 0);
    EXPECT_EQ(run("--reference", folder / "reference.vlr"), 0);
    const auto read = [](const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    };
    const std::string fast = read(folder / "fast.vlr");
    EXPECT_FALSE(fast.empty());
    EXPECT_EQ(fast, read(folder / "reference.vlr"));
    EXPECT_EQ(run("--reference --no-such-option", folder / "x.vlr"), 1);
    fs::remove_all(folder);
}
#endif

} // namespace
} // namespace velor
