#include "calc/what_if.h"

#include "calc/constraint_generator.h"
#include "calc/variant_solver.h"
#include "model/number_format.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

namespace velor {

namespace {

// A proposed value must give at least this margin, so that the calculation, whose solver may end
// at a slightly different optimum, sees the dominance too.
constexpr double kProposedMargin = 1e-7;

std::string LevelOf(const Model& model, int column, AltId alternative) {
    const int row = model.RowOfAlternative(alternative);
    if (row < 1 || row > model.M()) {
        return "?";
    }
    const std::string& text = model.CellText(column, row);
    return Model::IsEmptyText(text) ? model.AlternativeName(row) : text;
}

std::string NodeName(const Model& model, NodeId node) {
    return model.Exists(node) ? model.Node(node).Name : std::string("?");
}

bool HasAttributeBelow(const Model& model, NodeId node) {
    return !NodeValueTerms(model, model.ColumnOfNode(node), -1, 1.0).empty();
}

// The bounds of node against reference, lower and upper.
void AddWeightPair(std::vector<StatementBound>& out, NodeId node, NodeId reference, bool topDown) {
    for (const BoundKind kind : {BoundKind::WeightLower, BoundKind::WeightUpper}) {
        out.push_back({kind, node, reference, topDown, -1});
    }
}

// The minimum of V(A) - V(B) with the bound at one value, over a solver that holds the model's
// rows with the bound's row parameterized.
class BoundSearch {
public:
    BoundSearch(BoundRows rows, UnknownTerms objective, std::function<bool()> stop)
        : rows_(std::move(rows)), objective_(std::move(objective)),
          solver_(rows_.Rows, std::move(stop)) {}

    SolveStatus Margin(double value, double& margin) {
        solver_.SetRow(rows_.Index, rows_.RowAt(value == kNotGiven ? 0.0 : value),
                       value != kNotGiven);
        return solver_.Minimize(objective_, margin);
    }

private:
    BoundRows rows_;
    UnknownTerms objective_;
    VariantSolver solver_;
};

struct Stopped {};

// Threshold search for one bound, in the direction that tightens it: the minimum of V(A) - V(B)
// can only grow as the feasible set shrinks, so it is monotone in the bound, and so is
// feasibility. The threshold is found by bisection: first the value beyond which the model
// becomes infeasible (when the far end is), then the value at which the minimum crosses 0.
// Each trial value changes the coefficient of the bound's one row and solves once.
std::optional<WhatIfChange> FindThreshold(const Model& model, const StatementBound& bound,
                                          const UnknownTerms& objective,
                                          const std::function<bool()>& stop) {
    std::optional<BoundRows> rows = MakeBoundRows(model, bound);
    if (!rows) {
        return std::nullopt;
    }
    const double current = BoundValue(model, bound);
    const double other = OtherBoundValue(model, bound);
    const bool lower = bound.IsLower();
    double start = current;
    double far = 0.0;
    if (lower) {
        far = other == kNotGiven ? kLargestBound : other;
        start = current != kNotGiven ? current : std::min(kSmallestBound, far / 2.0);
        if (!(far > start)) {
            return std::nullopt;
        }
    } else {
        start = current == kNotGiven ? kLargestBound : current;
        far = other == kNotGiven ? 0.0 : other;
        if (!(start > far)) {
            return std::nullopt;
        }
    }
    // The bisections rely on the minimum growing as the bound tightens; a ratio statement whose
    // second increase can be negative has no single threshold, and is left out.
    const std::optional<bool> nested = NestedInValue(*rows, bound, stop);
    if (!nested || !*nested) {
        if (stop && stop()) {
            throw Stopped{};
        }
        return std::nullopt;
    }
    BoundSearch search(std::move(*rows), objective, stop);
    const auto margin = [&](double value, double& out) {
        const SolveStatus outcome = search.Margin(value, out);
        if (outcome == SolveStatus::Cancelled) {
            throw Stopped{};
        }
        return outcome == SolveStatus::Optimal;
    };
    double m = 0.0;
    bool solved = margin(start, m);
    // A bound not given today starts at kLargestBound (upper) or kSmallestBound (lower); where
    // such a coefficient is beyond what the solver resolves (the model is feasible at every
    // looser value, as it is without the bound), it starts nearer to 100 %.
    while (!solved && current == kNotGiven &&
           (lower ? start < 1.0 && start * 10.0 < far : start > 100.0 && start / 10.0 > far)) {
        start = lower ? start * 10.0 : start / 10.0;
        solved = margin(start, m);
    }
    if (!solved) {
        return std::nullopt;
    }
    // A bound not given today that gives the dominance already at the start: stating it at all
    // is what counts (a weight bounded by the reference's cannot be positive while the
    // reference's is 0, and the other way round), and the threshold given is the start.
    const bool anyValue = m > kDominanceMargin;
    if (anyValue && current != kNotGiven) {
        return std::nullopt;
    }
    // The feasible side of the far end.
    double inside = far;
    double farMargin = 0.0;
    if (!margin(far, farMargin)) {
        double good = start;
        double bad = far;
        const double tolerance = 1e-9 * std::max(1.0, std::abs(far));
        while (std::abs(bad - good) > tolerance) {
            const double mid = (good + bad) / 2.0;
            double value = 0.0;
            (margin(mid, value) ? good : bad) = mid;
        }
        inside = good;
        if (!margin(inside, farMargin)) {
            return std::nullopt;
        }
    }
    if (!(farMargin > kDominanceMargin)) {
        return std::nullopt; // no value that keeps the model feasible makes A dominate B
    }
    double off = start;                    // no dominance
    double on = anyValue ? start : inside; // dominance
    while (std::abs(on - off) > kThresholdTolerance) {
        const double mid = (off + on) / 2.0;
        double value = 0.0;
        (margin(mid, value) && value > kDominanceMargin ? on : off) = mid;
    }
    WhatIfChange change;
    change.Bound = bound;
    change.Current = current;
    change.Threshold = (off + on) / 2.0;
    // A value a step beyond, to three decimals, else closer to the far end.
    const double step = std::max(1e-3, 1e-3 * std::abs(change.Threshold));
    const double direction = lower ? 1.0 : -1.0;
    std::vector<double> trials;
    const double rounded = lower ? std::ceil((on + step) * 1000.0) / 1000.0
                                 : std::floor((on - step) * 1000.0) / 1000.0;
    trials.push_back(rounded);
    for (const double share : {0.01, 0.1, 0.5, 1.0}) {
        trials.push_back(on + (inside - on) * share);
    }
    change.Proposed = inside;
    for (const double trial : trials) {
        const bool within = direction * (trial - on) >= 0.0 && direction * (inside - trial) >= 0.0;
        double value = 0.0;
        if (within && trial >= 0.0 && margin(trial, value) && value > kProposedMargin) {
            change.Proposed = trial;
            break;
        }
    }
    return change;
}

// One bar of the tornado chart; nothing when a program fails.
std::optional<TornadoBar> TornadoOf(VariantSolver& solver, const Model& model, NodeId node,
                                    const UnknownTerms& difference) {
    const UnknownTerms weight = NodeValueTerms(model, model.ColumnOfNode(node), -1, 1.0);
    UnknownTerms negated = weight;
    for (UnknownTerm& term : negated) {
        term.Coefficient = -term.Coefficient;
    }
    UnknownTerms negatedDifference = difference;
    for (UnknownTerm& term : negatedDifference) {
        term.Coefficient = -term.Coefficient;
    }
    const auto solve = [&](const UnknownTerms& objective, double& out) {
        const SolveStatus outcome = solver.Minimize(objective, out);
        if (outcome == SolveStatus::Cancelled) {
            throw Stopped{};
        }
        return outcome == SolveStatus::Optimal;
    };
    TornadoBar bar;
    bar.Node = node;
    double negatedHigh = 0.0;
    if (!solve(weight, bar.WeightLow) || !solve(negated, negatedHigh)) {
        return std::nullopt;
    }
    bar.WeightHigh = -negatedHigh;
    const std::size_t base = solver.RowCount();
    // The weight held at one end, to within the solver's own accuracy.
    const auto at = [&](double w, double& low, double& high) {
        constexpr double kSlack = 1e-9;
        solver.AddRow({weight, kRelationGreaterEqual, w - kSlack});
        solver.AddRow({weight, kRelationLessEqual, w + kSlack});
        double negatedMax = 0.0;
        const bool ok = solve(difference, low) && solve(negatedDifference, negatedMax);
        high = -negatedMax;
        solver.TruncateRows(base);
        return ok;
    };
    if (!at(bar.WeightLow, bar.LowMin, bar.LowMax) ||
        !at(bar.WeightHigh, bar.HighMin, bar.HighMax)) {
        return std::nullopt;
    }
    return bar;
}

} // namespace

double TornadoBar::Swing() const {
    return std::max(std::abs(HighMin - LowMin), std::abs(HighMax - LowMax));
}

std::function<bool()> HostStopCheck(CalcHost* host) {
    if (host == nullptr) {
        return {};
    }
    using Clock = std::chrono::steady_clock;
    auto last = std::make_shared<Clock::time_point>(Clock::now() - std::chrono::seconds(1));
    return [host, last] {
        const Clock::time_point now = Clock::now();
        if (now - *last >= std::chrono::milliseconds(20)) {
            *last = now;
            host->ProcessEvents();
        }
        return host->CancelRequested();
    };
}

std::vector<StatementBound> CandidateBounds(const Model& model) {
    std::vector<StatementBound> out;
    if (model.TreeEmpty() || model.M() == 0) {
        return out;
    }
    if (!model.TopDownWeights()) {
        const std::vector<NodeId> attributes = model.Attributes();
        const int referenceColumn = ReferenceAttributeColumn(model);
        const NodeId reference = referenceColumn > 0 ? model.NodeByColumn(referenceColumn) : kNone;
        for (const NodeId node : attributes) {
            if (reference != kNone) {
                if (node != reference) {
                    AddWeightPair(out, node, reference, false);
                }
                continue;
            }
            for (const NodeId other : attributes) {
                if (other != node) {
                    AddWeightPair(out, node, other, false);
                }
            }
        }
    } else {
        for (const NodeId node : model.PreOrder()) {
            const NodeId parent = model.Parent(node);
            if (parent == kNone || !HasAttributeBelow(model, node)) {
                continue;
            }
            const int referenceColumn = ReferenceSiblingColumn(model, model.ColumnOfNode(node));
            if (referenceColumn > 0) {
                const NodeId reference = model.NodeByColumn(referenceColumn);
                if (reference != node) {
                    AddWeightPair(out, node, reference, true);
                }
                continue;
            }
            for (const NodeId sibling : model.Children(parent)) {
                if (sibling != node && HasAttributeBelow(model, sibling)) {
                    AddWeightPair(out, node, sibling, true);
                }
            }
        }
    }
    for (const NodeId node : model.PreOrder()) {
        const TPreferenceData* preference = model.Preference(node);
        if (preference == nullptr) {
            continue;
        }
        for (std::size_t i = 0; i < preference->Statements.size(); ++i) {
            if (ComparesWithItself(preference->Statements[i])) {
                continue;
            }
            for (const BoundKind kind : {BoundKind::RatioLower, BoundKind::RatioUpper}) {
                out.push_back({kind, node, kNone, false, static_cast<int>(i)});
            }
        }
    }
    return out;
}

std::string DescribeChange(const Model& model, const WhatIfChange& change, int better, int than,
                           char decimalSeparator) {
    const StatementBound& bound = change.Bound;
    const bool lower = bound.IsLower();
    const std::string threshold = FormatNumber(change.Threshold, decimalSeparator);
    std::string now = change.Current == kNotGiven
                          ? std::string("now not stated")
                          : std::string("now ") + (lower ? "at least " : "at most ") +
                                FormatNumber(change.Current, decimalSeparator);
    std::string text = "If";
    if (bound.IsWeight()) {
        if (change.Current != kNotGiven) {
            now += " %";
        }
        if (bound.TopDown && model.Parent(bound.Node) != kNone) {
            text += ", within " + NodeName(model, model.Parent(bound.Node)) + ",";
        }
        text += " the weight of " + NodeName(model, bound.Node) + " were " +
                (lower ? "above " : "below ") + threshold + " % of the weight of " +
                NodeName(model, bound.Reference);
    } else {
        const TPreferenceData* preference = model.Preference(bound.Node);
        const TCardinalStatement& ratio =
            preference->Statements[static_cast<std::size_t>(bound.Statement)];
        const int column = model.ColumnOfNode(bound.Node);
        text += ", on " + NodeName(model, bound.Node) + ", the increase in value from " +
                LevelOf(model, column, ratio.Num2) + " to " + LevelOf(model, column, ratio.Num1) +
                " were " + (lower ? "more than " : "less than ") + threshold +
                " times the increase from " + LevelOf(model, column, ratio.Den2) + " to " +
                LevelOf(model, column, ratio.Den1);
    }
    return text + " (" + now + "), " + model.AlternativeName(better) + " would dominate " +
           model.AlternativeName(than) + ".";
}

void ApplyChange(Model& model, const WhatIfChange& change) {
    SetBoundValue(model, change.Bound, change.Proposed);
}

WhatIfOutcome AnalyzePair(const Model& model, int better, int than, CalcHost* host,
                          char decimalSeparator) {
    WhatIfOutcome outcome;
    WhatIfResult& result = outcome.Result;
    result.Better = better;
    result.Than = than;
    if (better < 1 || better > model.M() || than < 1 || than > model.M() || better == than) {
        outcome.Status = AnalysisStatus::Failed;
        outcome.Message = "Choose two different alternatives.";
        return outcome;
    }
    const UnknownTerms difference = DominanceProgram(model, better, than).Objective;
    const std::function<bool()> stop = HostStopCheck(host);
    std::vector<UnknownRow> rows;
    ForEachModelRow(model, {}, [&](const UnknownRow& row) { rows.push_back(row); });
    VariantSolver solver(std::move(rows), stop);
    const std::vector<StatementBound> candidates = CandidateBounds(model);
    const std::vector<NodeId> nodes = [&] {
        std::vector<NodeId> out;
        for (const NodeId node : model.PreOrder()) {
            if (model.Parent(node) != kNone && HasAttributeBelow(model, node)) {
                out.push_back(node);
            }
        }
        return out;
    }();
    const int total = static_cast<int>(candidates.size() + nodes.size()) + 1;
    int done = 0;
    const auto progress = [&] {
        ++done;
        if (host != nullptr) {
            host->ShowProgress(done, total);
        }
    };
    try {
        if (difference.empty()) {
            result.MarginNow = 0.0; // no attribute: both values are 0
        } else {
            const SolveStatus now = solver.Minimize(difference, result.MarginNow);
            if (now == SolveStatus::Cancelled) {
                throw Stopped{};
            }
            if (now == SolveStatus::Infeasible) {
                outcome.Status = AnalysisStatus::Infeasible;
                outcome.Message = "The statements contradict each other: no weights and values "
                                  "satisfy all of them.";
                return outcome;
            }
            if (now != SolveStatus::Optimal) {
                outcome.Status = AnalysisStatus::Failed;
                outcome.Message = "A linear program could not be solved.";
                return outcome;
            }
        }
        result.DominatesNow = result.MarginNow > 0.0;
        progress();
        for (const StatementBound& bound : candidates) {
            if (!result.DominatesNow && !difference.empty()) {
                if (std::optional<WhatIfChange> change =
                        FindThreshold(model, bound, difference, stop)) {
                    change->Text = DescribeChange(model, *change, better, than, decimalSeparator);
                    result.Changes.push_back(std::move(*change));
                }
            }
            progress();
        }
        for (const NodeId node : nodes) {
            if (!difference.empty()) {
                if (std::optional<TornadoBar> bar = TornadoOf(solver, model, node, difference)) {
                    result.Tornado.push_back(*bar);
                }
            }
            progress();
        }
    } catch (const Stopped&) {
        outcome.Status = AnalysisStatus::Cancelled;
        outcome.Message = "The analysis was cancelled.";
        return outcome;
    }
    std::stable_sort(
        result.Tornado.begin(), result.Tornado.end(),
        [](const TornadoBar& a, const TornadoBar& b) { return a.Swing() > b.Swing(); });
    return outcome;
}

} // namespace velor
