#include "calc/calculation_driver.h"

#include "calc/constraint_generator.h"
#include "calc/dominance.h"
#include "calc/solve_policy.h"

#include <array>
#include <utility>

namespace velor {

namespace {

constexpr int kMin = 0;
constexpr int kMax = 1;

bool IsOneOf(CalculationType type, std::initializer_list<CalculationType> types) {
    for (const CalculationType t : types) {
        if (t == type) {
            return true;
        }
    }
    return false;
}

// Stores one bound of alternative row's value for node in the fields of the mode; the main
// goal's bounds also go to the alternative's own interval.
void StoreValue(Model& model, NodeId node, int row, int direction, bool normalized, double value) {
    const int column = model.ColumnOfNode(node);
    TNodeValue& nodeValue =
        ResultRecords(model).NodeData(node).Values.at(static_cast<std::size_t>(row) - 1);
    TConsequenceData& cell = ResultRecords(model).ConsequenceData(column, row);
    if (normalized) {
        (direction == kMin ? nodeValue.NormLower : nodeValue.NormUpper) = value;
        (direction == kMin ? cell.NormLower : cell.NormUpper) = value;
    } else {
        (direction == kMin ? nodeValue.Lower : nodeValue.Upper) = value;
        (direction == kMin ? cell.Lower : cell.Upper) = value;
    }
    if (column == 1) {
        TAlternativeData& alternative = ResultRecords(model).AlternativeData(row);
        (direction == kMin ? alternative.ValueLower : alternative.ValueUpper) = value;
    }
}

void StoreWeight(Model& model, NodeId node, int direction, bool normalized, double value) {
    TNodeData& data = ResultRecords(model).NodeData(node);
    if (normalized) {
        (direction == kMin ? data.NormWeightLower : data.NormWeightUpper) = value;
    } else {
        (direction == kMin ? data.WeightLower : data.WeightUpper) = value;
    }
}

// What to do after a solve: store its value, or handle the failure the way the mode asks.
// Returns false when the run must stop (fatal solver error, or No to the question).
template <typename Store>
bool Settle(CalcSession& session, const TSolution& solution, bool normalized, Store store) {
    if (session.Fatal() || (solution.Failed() && session.Cancelled())) {
        return false;
    }
    if (solution.Optimal()) {
        store(solution.Objective);
        return true;
    }
    if (normalized) {
        // A node whose weight cannot be 1 has no normalized value: store 0, no question.
        store(0.0);
        return true;
    }
    return session.AskContinue(); // Yes keeps the stored value
}

void Step(CalcSession& session, int& progress, int total) {
    ++progress;
    session.Host().ShowProgress(progress, total);
}

// One bound of one alternative's value for one node, solved and stored.
bool ValueBound(CalcSession& session, NodeId node, int row, int direction, bool normalized) {
    Model& model = session.GetModel();
    const int column = model.ColumnOfNode(node);
    const ProgramParts program = ValueProgram(model, column, row, direction, normalized);
    if (program.Objective.empty()) {
        // A goal with no twig-level attribute below it is worth nothing.
        TNodeValue& value =
            ResultRecords(model).NodeData(node).Values.at(static_cast<std::size_t>(row) - 1);
        (direction == kMin ? value.Lower : value.Upper) = 0.0;
        return true;
    }
    const TSolution solution = session.SolveProgram(program);
    return Settle(session, solution, normalized,
                  [&](double v) { StoreValue(model, node, row, direction, normalized, v); });
}

// Minimum and maximum of one alternative's value for one node: one step.
bool ValueIntervalStep(CalcSession& session, NodeId node, int row, bool normalized, int& progress,
                       int total) {
    if (session.CancelPolled()) {
        return false;
    }
    for (int direction : {kMin, kMax}) {
        if (!ValueBound(session, node, row, direction, normalized)) {
            return false;
        }
    }
    Step(session, progress, total);
    return true;
}

// Every alternative's value interval for one node, the minima first and then the maxima, with
// the same polls and steps as one ValueIntervalStep per alternative. A warm-started solver goes
// from one program to the next from the optimal basis of the previous one: consecutive
// objectives that differ in one alternative only, in the same direction, keep that basis close
// to the next optimum, where alternating directions send it across the feasible set each time.
// The alternatives go in order of their rank on the node, so that consecutive programs ask
// about levels next to each other.
bool NodeValueIntervals(CalcSession& session, NodeId node, bool normalized, int& progress,
                        int total) {
    const std::vector<int> rows =
        RowsInRankOrder(session.GetModel(), session.GetModel().ColumnOfNode(node));
    for (const int row : rows) {
        if (session.CancelPolled() || !ValueBound(session, node, row, kMin, normalized)) {
            return false;
        }
    }
    for (const int row : rows) {
        if (!ValueBound(session, node, row, kMax, normalized)) {
            return false;
        }
        Step(session, progress, total);
    }
    return true;
}

bool MainGoalPhase(CalcSession& session, bool normalized, int& progress, int total) {
    Model& model = session.GetModel();
    for (int row = 1; row <= model.M(); ++row) {
        if (!ValueIntervalStep(session, model.Root(), row, normalized, progress, total)) {
            return false;
        }
    }
    return true;
}

bool AllValuesPhase(CalcSession& session, bool normalized, int& progress, int total) {
    Model& model = session.GetModel();
    const std::vector<NodeId> nodes = model.PreOrder();
    if (session.WarmStart()) {
        for (NodeId node : nodes) {
            if (!NodeValueIntervals(session, node, normalized, progress, total)) {
                return false;
            }
        }
        return true;
    }
    for (int row = 1; row <= model.M(); ++row) {
        for (NodeId node : nodes) {
            if (!ValueIntervalStep(session, node, row, normalized, progress, total)) {
                return false;
            }
        }
    }
    return true;
}

bool WeightsPhase(CalcSession& session, bool normalized, int& progress, int total) {
    Model& model = session.GetModel();
    const std::vector<NodeId> nodes = model.PreOrder();
    for (std::size_t index = 1; index < nodes.size(); ++index) {
        const NodeId node = nodes[index];
        if (session.CancelPolled()) {
            return false;
        }
        for (int direction : {kMin, kMax}) {
            const ProgramParts program = WeightProgram(model, node, direction, normalized);
            if (program.Objective.empty()) {
                // Nothing below the goal: its weight is left open.
                StoreWeight(model, node, kMin, normalized, 0.0);
                StoreWeight(model, node, kMax, normalized, 1.0);
                break;
            }
            const TSolution solution = session.SolveProgram(program);
            if (!Settle(session, solution, normalized,
                        [&](double v) { StoreWeight(model, node, direction, normalized, v); })) {
                return false;
            }
        }
        Step(session, progress, total);
    }
    return true;
}

} // namespace

std::optional<CalculationType> CalculationTypeOf(int number) {
    if (number < 0 || number >= kCalculationTypeCount) {
        return std::nullopt;
    }
    return static_cast<CalculationType>(number);
}

int StepTotal(CalculationType type, int m, int k) {
    switch (type) {
    case kCalculateModel:
        return m * m + m * k + k - 1;
    case kCalculatePartially:
        return m * m + m + 1;
    case kAllValueIntervals:
    case kNormalizedIntervals:
    case kNonNormalizedIntervals:
        return m * k;
    case kWeights:
        return k - 1;
    case kDominances:
        return m * m;
    case kMainGoalIntervals:
        return m;
    default:
        return 0;
    }
}

const char* CalculationName(CalculationType type) {
    static constexpr std::array<const char*, kCalculationTypeCount> kNames = {
        "Calculate Model",           "Calculate Model Partially", "All Value Intervals",
        "Weights",                   "Dominance",                 "Main Goal Value Intervals",
        "Normalized Intervals",      "Non-Normalized Intervals"};
    return kNames[static_cast<std::size_t>(type)];
}

Document::ResultSets CalculatedSets(const Model& model, CalculationType type,
                                    RunOutcome outcome) {
    if (outcome != RunOutcome::Complete) {
        return {};
    }
    bool normalized = model.NormalizedIntervals();
    if (type == kNormalizedIntervals) {
        normalized = true;
    } else if (type == kNonNormalizedIntervals) {
        normalized = false;
    }
    return {normalized, !normalized};
}

const char* StatusText(CalculationType type) {
    static constexpr std::array<const char*, kCalculationTypeCount> texts = {
        "Calculating model...",
        "Calculating model partially...",
        "Calculating value intervals...",
        "Calculating weights...",
        "Calculating dominances...",
        "Calculating value intervals...",
        "Calculating normalized value intervals...",
        "Calculating non-normalized value intervals...",
    };
    return texts[static_cast<std::size_t>(type)];
}

std::string SolverErrorMessage(const std::string& error) {
    return "The linear program solver stopped with an error:\n" + error + "\n" +
           kNotFinishedMessage;
}

Feasibility CheckFeasibility(const Model& model, const SolveFunction& solve, std::string* error,
                             int* lpCount, const CancelToken& cancel) {
    if (model.M() == 0 || model.AttributeCount() == 0) {
        return Feasibility::Feasible;
    }
    if (lpCount != nullptr) {
        ++*lpCount;
    }
    TSolution solution;
    if (solve) {
        TConstraintModel program(kMinimize, TermsText(NodeValueTerms(model, 1, 1, 1.0)));
        AppendModelConstraints(model, program, {});
        solution = SolveGuarded(solve, program, cancel);
    } else {
        // The policy of the calculation's default path, so that a check never calls a model
        // infeasible that a calculation computes.
        try {
            ProgramParts parts;
            parts.Direction = kMinimize;
            parts.Objective = NodeValueTerms(model, 1, 1, 1.0);
            solution = MakeDefaultPolicy(model)->Solve(parts, cancel);
        } catch (const std::bad_alloc&) {
            throw;
        } catch (const std::exception& failure) {
            solution.Error = failure.what();
        }
    }
    if (!solution.Error.empty()) {
        if (error != nullptr) {
            *error = solution.Error;
        }
        return Feasibility::SolverError;
    }
    return solution.Optimal() ? Feasibility::Feasible : Feasibility::Infeasible;
}

namespace {

// CheckFeasibility's program (alternative 1's value for the main goal, minimized, under every
// statement), solved through the run's session.
Feasibility SessionFeasibility(CalcSession& session) {
    const Model& model = session.GetModel();
    if (model.M() == 0 || model.AttributeCount() == 0) {
        return Feasibility::Feasible;
    }
    ProgramParts parts;
    parts.Direction = kMinimize;
    parts.Objective = NodeValueTerms(model, 1, 1, 1.0);
    const TSolution solution = session.SolveProgram(parts);
    if (!solution.Error.empty()) {
        return Feasibility::SolverError;
    }
    return solution.Optimal() ? Feasibility::Feasible : Feasibility::Infeasible;
}

} // namespace

bool CheckFeasibility(const Model& model) {
    return CheckFeasibility(model, {}, nullptr) == Feasibility::Feasible;
}

CalculationDriver::CalculationDriver(Model& model, CalcHost& host, SolveFunction solve)
    : model_(model), host_(host), solve_(std::move(solve)) {}

RunOutcome CalculationDriver::Run(CalculationType type) {
    const int m = model_.M();
    const int k = model_.NodeCount();
    total_ = StepTotal(type, m, k);
    progress_ = 0;
    lpCount_ = 0;
    solverError_.clear();
    feasible_ = false;
    runParts_ = {};
    host_.ResetCancel();
    if (model_.TreeEmpty() || m == 0) {
        feasible_ = true;
        return RunOutcome::NothingToRun;
    }

    // The feasibility check is the first program of the plain constraint set, so on the default
    // path its solver problem and basis carry on into the run.
    CalcSession session(model_, host_, solve_, !referencePath_, pollInterval_);
    session.SetProgramObserver(observer_);
    session.SetRunFault(runFault_);
    const Feasibility feasibility = SessionFeasibility(session);
    if (feasibility != Feasibility::Feasible) {
        lpCount_ += session.LpCount();
        if (session.Cancelled()) { // the check was stopped, not answered
            host_.ResetCancel();
            host_.ShowMessage(MessageKind::Warning, kNotFinishedMessage);
            return RunOutcome::NotFinished;
        }
        if (feasibility == Feasibility::Infeasible) {
            host_.ShowInfeasibleMessage(kInfeasibleMessage);
            return RunOutcome::Infeasible;
        }
        solverError_ = session.FatalError();
        host_.ShowMessage(MessageKind::Error, SolverErrorMessage(solverError_));
        return RunOutcome::SolverError;
    }

    feasible_ = true;
    host_.RunStarted(StatusText(type));

    bool normalized = model_.NormalizedIntervals();
    if (type == kNormalizedIntervals) {
        normalized = true;
    } else if (type == kNonNormalizedIntervals) {
        normalized = false;
    }

    // Each phase that finishes marks its results calculated; one that stops leaves the mark as
    // it was (its results are then a mix, which the document counts as out of date).
    const auto set = static_cast<std::size_t>(ResultSetOf(normalized));
    const CalculatedResults current = current_.value_or(model_.Calculated());
    CalculatedResults& done = runParts_;
    bool ok = true;
    if (IsOneOf(type, {kCalculatePartially, kMainGoalIntervals})) {
        ok = MainGoalPhase(session, normalized, progress_, total_);
        done.MainValues[set] = ok;
    }
    bool dominance = false;
    if (ok && IsOneOf(type, {kCalculateModel, kCalculatePartially, kDominances})) {
        ok = CalculateDominance(session, progress_, total_);
        dominance = ok;
    }
    if (ok && IsOneOf(type, {kCalculateModel, kAllValueIntervals, kNormalizedIntervals,
                             kNonNormalizedIntervals})) {
        ok = AllValuesPhase(session, normalized, progress_, total_);
        done.MainValues[set] = ok;
        done.NodeValues[set] = ok;
    }
    if (ok && IsOneOf(type, {kCalculateModel, kWeights})) {
        ok = WeightsPhase(session, normalized, progress_, total_);
        done.Weights[set] = ok;
    }
    if (ok && dominance) {
        ok = CalculateMaxRegret(session, progress_, total_);
        done.Dominance = ok;
        done.Margins = ok;
    }
    CalculatedResults& calculated = ResultRecords(model_).Calculated();
    calculated = calculated.With(done);

    // Whatever happened, the flags follow what is stored now, as far as it is usable: results
    // of this run, or stored ones that are still current.
    const CalculatedResults usable = done.With(current.Common(calculated));
    UpdateRecommendations(model_, {usable.AnyMainValues(), usable.Dominance});
    model_.Notify(ModelChange::Results);
    host_.RunFinished();
    host_.ResetCancel();
    lpCount_ += session.LpCount();

    if (session.Fatal()) {
        solverError_ = session.FatalError();
        host_.ShowMessage(MessageKind::Error, SolverErrorMessage(solverError_));
        return RunOutcome::SolverError;
    }
    if (!ok) {
        host_.ShowMessage(MessageKind::Warning, kNotFinishedMessage);
        return RunOutcome::NotFinished;
    }
    host_.ShowMessage(MessageKind::Information,
                      type == kCalculatePartially ? kPartialCompleteMessage : kCompleteMessage);
    return RunOutcome::Complete;
}

} // namespace velor
