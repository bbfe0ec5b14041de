// A solver that fails fatally in the middle of a calculation. Whatever linear program it fails
// on, and however it fails (an error raised inside the solver library, an exception thrown at
// the bridge, memory exhaustion, an error returned in the solution), the run stops with an error
// message that names the failure, the user's statements are untouched, and a second full
// calculation of the same model gives exactly the results of a calculation that never met the
// fault.
#include "calc_test_model.h"
#include "random_model.h"
#include "stored_results.h"

#include "calc/calculation_driver.h"
#include "calc/solver_bridge.h"
#include "calc/lp_backend.h"
#include "calc/solver_rows.h"
#include "model/model_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <new>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace velor {
namespace {

using testing::ScriptedHost;

Model LoadExample(const char* name) {
    std::ifstream in(std::filesystem::path(VELOR_SOURCE_DIR) / "examples" / name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    Model model;
    EXPECT_TRUE(ReadModelText(model, text.str())) << name;
    return model;
}

enum class Fault { LibraryError, Throw, OutOfMemory, ErrorInSolution };
constexpr int kFaultKinds = 4;

// A part of the message each kind of fault must leave in the final message.
const char* Named(Fault fault) {
    switch (fault) {
    case Fault::LibraryError:
        return "Too many LP models";
    case Fault::Throw:
        return "basis singular";
    case Fault::OutOfMemory:
        return "memory";
    case Fault::ErrorInSolution:
        break;
    }
    return "eta file full";
}

// Takes every free slot of the solver library's table of active problems, so that the next
// problem anyone creates meets a real fatal error of the library; gives them back when it ends.
// The library's console output goes to console() meanwhile.
class FullProblemTable {
public:
    FullProblemTable() {
        SetSolverConsole(&console_);
        SolverRows one;
        one.AddConstraint({{{Unknown{1, 1}, 1.0}}, kRelationLessEqual, 1.0});
        try {
            for (;;) {
                taken_.push_back(MakeBackend(BackendKind::OwnSimplex, one));
            }
        } catch (const std::runtime_error&) {
        }
        console_.str("");
    }
    ~FullProblemTable() {
        taken_.clear();
        SetSolverConsole(&std::cout);
    }
    FullProblemTable(const FullProblemTable&) = delete;
    FullProblemTable& operator=(const FullProblemTable&) = delete;

    std::string Console() const { return console_.str(); }

private:
    std::ostringstream console_;
    std::vector<std::unique_ptr<LpBackend>> taken_;
};

constexpr const char* kTableFull = "?LP_NEW: Too many LP models";
// Ties closer than this may be decided either way: the reference path and our own solver, where
// the default path falls back to it, take the coefficients in single precision, the library
// solver of the default path as the model states them, so the same optimum may come out about
// 1e-8 apart.
constexpr double kTieNoise = 1e-7;

// The real solver meets a real fatal error of its library: the problem the bridge creates
// cannot be made.
TSolution SolveWithFullProblemTable(const TConstraintModel& program) {
    const FullProblemTable full;
    TSolution solution = SolveModel(program);
    EXPECT_NE(full.Console().find(kTableFull), std::string::npos) << full.Console();
    return solution;
}

// SolveModel, except that call number failAt fails in the given way.
SolveFunction FaultySolver(int failAt, Fault fault, int* calls) {
    return [=](const TConstraintModel& program) {
        if (++*calls != failAt) {
            return SolveModel(program);
        }
        TSolution solution;
        switch (fault) {
        case Fault::LibraryError:
            return SolveWithFullProblemTable(program);
        case Fault::Throw:
            throw std::runtime_error("injected: basis singular"); // as the solver does
        case Fault::OutOfMemory:
            throw std::bad_alloc();
        case Fault::ErrorInSolution:
            solution.Status = SolveStatus::Infeasible;
            solution.Error = "injected: eta file full";
            break;
        }
        return solution;
    };
}

// The parts of a model a calculation must never change: tree, texts, ranks, statements, bounds.
std::string Statements(const Model& model) {
    Model copy = model;
    for (NodeId node : copy.PreOrder()) {
        TNodeData& data = ResultRecords(copy).NodeData(node);
        data.NormWeightLower = data.NormWeightUpper = data.WeightLower = data.WeightUpper = 0;
        for (TNodeValue& value : data.Values) {
            value = TNodeValue{};
        }
    }
    for (int row = 1; row <= copy.M(); ++row) {
        TAlternativeData& alternative = ResultRecords(copy).AlternativeData(row);
        const AltId id = alternative.Id;
        const int index = alternative.Index;
        alternative = TAlternativeData{};
        alternative.Id = id;
        alternative.Index = index;
        for (int column = 1; column <= copy.N(); ++column) {
            TConsequenceData& cell = ResultRecords(copy).ConsequenceData(column, row);
            const int rank = cell.Rank;
            cell = TConsequenceData{};
            cell.Rank = rank;
        }
    }
    return WriteModelText(copy);
}

struct Counts {
    int runs = 0;
    int faults = 0;
};

// Injects one fault at every stride-th linear program of a calculation of the given type (the
// kinds of fault take turns) and checks the run, the model and a second calculation.
void InjectEverywhere(const char* example, CalculationType type, int stride, Counts& counts) {
    const Model original = LoadExample(example);
    Model clean = original;
    ScriptedHost cleanHost;
    CalculationDriver cleanDriver(clean, cleanHost);
    ASSERT_EQ(cleanDriver.Run(type), RunOutcome::Complete) << example;
    const int programs = cleanDriver.LpCount();
    ASSERT_GT(programs, 1) << example;
    const std::string expected = WriteModelText(clean);
    const std::string statements = Statements(original);

    for (int failAt = 1; failAt <= programs; failAt += stride) {
        const Fault fault = static_cast<Fault>((failAt / stride) % kFaultKinds);
        SCOPED_TRACE(std::string(example) + " type " + std::to_string(static_cast<int>(type)) + ", fault of kind " +
                     std::to_string(static_cast<int>(fault)) + " at program " +
                     std::to_string(failAt));
        Model model = original;
        ScriptedHost host;
        int calls = 0;
        CalculationDriver driver(model, host, FaultySolver(failAt, fault, &calls));
        const RunOutcome outcome = driver.Run(type);
        ++counts.runs;
        ++counts.faults;
        ASSERT_EQ(outcome, RunOutcome::SolverError);
        EXPECT_EQ(calls, failAt) << "the run went on after the solver failed";
        EXPECT_TRUE(host.questions.empty()) << "a fatal error is not a question for the user";
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages.front().first, MessageKind::Error);
        EXPECT_NE(host.messages.front().second.find(Named(fault)), std::string::npos)
            << host.messages.front().second;
        // A failure in the first program (the feasibility check) comes before the run starts.
        EXPECT_EQ(host.status.size(), failAt > 1 ? 1u : 0u);
        EXPECT_EQ(host.finished, static_cast<int>(host.status.size()))
            << "the progress display was not closed";
        EXPECT_EQ(Statements(model), statements) << "a statement changed";

        // The same model, calculated again without the fault.
        ScriptedHost again;
        CalculationDriver second(model, again);
        ASSERT_EQ(second.Run(type), RunOutcome::Complete);
        EXPECT_EQ(WriteModelText(model), expected);
        ++counts.runs;
    }
}

TEST(CalculationFaults, ASolverFailureAnywhereStopsTheRunAndTheModelStaysUsable) {
    Counts counts;
    InjectEverywhere("car.vlr", kCalculateModel, 1, counts);
    InjectEverywhere("job_offers.vlr", kCalculateModel, 5, counts);
    InjectEverywhere("supplier.vlr", kCalculateModel, 5, counts);
    std::cout << "[ injected    ] " << counts.faults << " solver faults in " << counts.runs
              << " calculations\n";
}

TEST(CalculationFaults, EveryCalculationTypeStopsAtAFailure) {
    Counts counts;
    for (int type = 1; type < kCalculationTypeCount; ++type) {
        InjectEverywhere("car.vlr", *CalculationTypeOf(type), 7, counts);
    }
    std::cout << "[ injected    ] " << counts.faults << " solver faults in " << counts.runs
              << " calculations of types 1 to 7\n";
}

// The default calculation path keeps one solver problem per constraint set. From program
// failAt on, our own solver's problem table is full (and the library solver's runs fail): the next
// program that needs a new problem (or a solve from scratch) meets the library's fatal error, or,
// when none does, the run ends normally. Either way the model is left usable.
TEST(CalculationFaults, TheDefaultPathStopsAtALibraryErrorAndTheModelStaysUsable) {
    const Model original = LoadExample("supplier.vlr");
    Model clean = original;
    ScriptedHost cleanHost;
    CalculationDriver cleanDriver(clean, cleanHost);
    ASSERT_EQ(cleanDriver.Run(kCalculateModel), RunOutcome::Complete);
    const int programs = cleanDriver.LpCount();
    const std::string expected = WriteModelText(clean);
    const std::string statements = Statements(original);

    int stopped = 0;
    for (int failAt = 1; failAt <= programs; failAt += 3) {
        SCOPED_TRACE("table full from program " + std::to_string(failAt));
        Model model = original;
        ScriptedHost host;
        CalculationDriver driver(model, host);
        std::unique_ptr<FullProblemTable> full;
        int seen = 0;
        driver.SetProgramObserver([&](const ProgramParts&) {
            if (++seen == failAt) {
                full = std::make_unique<FullProblemTable>();
            }
        });
        // The library solver needs no problem of the table; its runs fail from then on, so
        // that programs go on to our own solver, which does.
        driver.SetRunFault([&] { return full != nullptr; });
        const RunOutcome outcome = driver.Run(kCalculateModel);
        const std::string console = full ? full->Console() : std::string();
        full.reset();
        ASSERT_TRUE(outcome == RunOutcome::SolverError || outcome == RunOutcome::Complete);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_TRUE(host.questions.empty());
        if (outcome == RunOutcome::SolverError) {
            ++stopped;
            EXPECT_EQ(host.messages.front().first, MessageKind::Error);
            EXPECT_NE(host.messages.front().second.find("Too many LP models"), std::string::npos)
                << host.messages.front().second;
            EXPECT_NE(console.find(kTableFull), std::string::npos) << console;
            EXPECT_LT(seen, programs) << "the run went on after the solver failed";
        } else {
            // Programs that could not be split for want of problems went whole to the
            // library solver: the same results, ties within rounding apart.
            const testing::StoredComparison c = testing::CompareStored(model, clean, kTieNoise);
            EXPECT_LE(c.largest, 1e-6);
            EXPECT_EQ(c.flagsDiffer, 0) << c.first;
        }
        EXPECT_EQ(Statements(model), statements) << "a statement changed";

        ScriptedHost again;
        CalculationDriver second(model, again);
        ASSERT_EQ(second.Run(kCalculateModel), RunOutcome::Complete);
        EXPECT_EQ(WriteModelText(model), expected);
    }
    std::cout << "[ injected    ] table full at " << (programs + 2) / 3 << " points of " << programs
              << " programs, " << stopped << " runs stopped\n";
    EXPECT_GT(stopped, 0);
}

// On the default path, the first `failures` simplex runs of one program end without an optimum
// (as when a run spends its budget among degenerate bases). The program is settled by the next
// way of solving it (slack basis, fresh basis, reference formulation) without asking the user,
// and the run stores what the reference path stores (ties within rounding apart).
TEST(CalculationFaults, AProgramWithoutAnOptimumOnTheDefaultPathIsRecoveredWithoutAQuestion) {
    SetSolverConsole(nullptr);
    testing::RandomModelOptions options;
    options.minAlternatives = options.maxAlternatives = 6;
    options.minAttributes = options.maxAttributes = 6;
    options.minGoals = options.maxGoals = 0;
    options.holisticShare = 1.0;
    options.duplicateShare = 0.3;
    const std::vector<std::pair<std::string, Model>> models{
        {"supplier.vlr", LoadExample("supplier.vlr")},
        {"holistic main goal", testing::MakeRandomModel(5, options).model},
        {"normalized", [] {
             Model model = LoadExample("car.vlr");
             model.SetNormalizedIntervals(true);
             return model;
         }()}};
    int injected = 0;
    for (const auto& [name, original] : models) {
        Model reference = original;
        ScriptedHost referenceHost;
        CalculationDriver referenceDriver(reference, referenceHost);
        referenceDriver.SetReferencePath(true);
        ASSERT_EQ(referenceDriver.Run(kCalculateModel), RunOutcome::Complete) << name;
        const int programs = referenceDriver.LpCount();
        for (const int failures : {1, 2, 3, 8}) {
            for (int failAt = 1 + failures % 3; failAt <= programs; failAt += 11) {
                SCOPED_TRACE(name + ": " + std::to_string(failures) + " failed runs in program " +
                             std::to_string(failAt));
                Model model = original;
                ScriptedHost host;
                CalculationDriver driver(model, host);
                int program = 0;
                int failed = 0;
                driver.SetProgramObserver([&](const ProgramParts&) { ++program; });
                driver.SetRunFault([&] {
                    if (program == failAt && failed < failures) {
                        ++failed;
                        return true;
                    }
                    return false;
                });
                ASSERT_EQ(driver.Run(kCalculateModel), RunOutcome::Complete);
                injected += failed;
                EXPECT_TRUE(host.questions.empty());
                EXPECT_EQ(host.Message().second, kCompleteMessage);
                // Ties within rounding may fall either way: later programs start from
                // another basis once one has been solved again.
                const testing::StoredComparison c =
                    testing::CompareStored(model, reference, kTieNoise);
                EXPECT_LE(c.largest, 1e-6);
                EXPECT_EQ(c.flagsDiffer, 0) << c.first;
            }
        }
    }
    std::cout << "[ injected    ] " << injected << " simplex runs without an optimum\n";
    EXPECT_GT(injected, 100);
}

// The feasibility check run when the statement dialogs close (one linear program) tells a
// solver failure apart from an infeasible model.
TEST(CalculationFaults, AFailedFeasibilityCheckIsReportedAsASolverError) {
    const Model model = LoadExample("car.vlr");
    for (int kind = 0; kind < kFaultKinds; ++kind) {
        const Fault fault = static_cast<Fault>(kind);
        int calls = 0;
        std::string error;
        EXPECT_EQ(CheckFeasibility(model, FaultySolver(1, fault, &calls), &error),
                  Feasibility::SolverError);
        EXPECT_NE(error.find(Named(fault)), std::string::npos) << error;
    }
    EXPECT_TRUE(CheckFeasibility(model));
}

} // namespace
} // namespace velor
