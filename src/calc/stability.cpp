#include "calc/stability.h"

#include "calc/constraint_generator.h"
#include "calc/dominance.h"
#include "calc/variant_solver.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <numeric>

namespace velor {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// A stored optimum still satisfies the bound's row at another value within this much.
constexpr double kRowTolerance = 1e-9;
// Optima this close are the same optimum found from two sides.
constexpr double kSameOptimum = 1e-12;

struct Stopped {};
struct Failed {};

// The linear programs whose optima decide the conclusions: min V(r) - V(s) for every ordered
// pair (the dominance codes and, through the margins, the maximum regrets), then min V(r) and
// min -V(r) of the main goal for every row (the value intervals of the other three rules).
struct Programs {
    int M = 0;
    std::vector<UnknownTerms> Objectives;
    std::vector<std::pair<int, int>> Pairs; // rows of the pair programs, in objective order

    explicit Programs(const Model& model) : M(model.M()) {
        for (int r = 1; r <= M; ++r) {
            for (int s = 1; s <= M; ++s) {
                if (r != s) {
                    Objectives.push_back(DominanceProgram(model, r, s).Objective);
                    Pairs.emplace_back(r, s);
                }
            }
        }
        const int root = model.ColumnOfNode(model.Root());
        for (int r = 1; r <= M; ++r) {
            Objectives.push_back(NodeValueTerms(model, root, r, 1.0));
            Objectives.push_back(NodeValueTerms(model, root, r, -1.0));
        }
    }
    std::size_t PairCount() const { return Pairs.size(); }
};

// The conclusions from the optima of all programs.
Conclusions Conclude(const Programs& programs, Model& scratch, const std::vector<double>& optima) {
    const int m = programs.M;
    Conclusions out;
    out.Dominates.assign(static_cast<std::size_t>((m + 1) * (m + 1)), 0);
    std::vector<double> regret(static_cast<std::size_t>(m) + 1, -kInfinity);
    for (std::size_t k = 0; k < programs.PairCount(); ++k) {
        const auto [r, s] = programs.Pairs[k];
        out.Dominates[static_cast<std::size_t>(r * m + s)] = optima[k] > kDominanceMargin ? 1 : 0;
        regret[static_cast<std::size_t>(r)] =
            std::max(regret[static_cast<std::size_t>(r)], -optima[k]);
    }
    for (int r = 1; r <= m; ++r) {
        TAlternativeData& data = ResultRecords(scratch).AlternativeData(r);
        const std::size_t k = programs.PairCount() + 2 * static_cast<std::size_t>(r - 1);
        data.ValueLower = optima[k];
        data.ValueUpper = -optima[k + 1];
        data.MaxRegret = m > 1 ? regret[static_cast<std::size_t>(r)] : 0.0;
    }
    UpdateRecommendations(scratch, {true, true});
    out.Recommended.assign(static_cast<std::size_t>((m + 1) * 4), 0);
    for (int r = 1; r <= m; ++r) {
        const auto& flags = scratch.Alternative(r).Recommended;
        for (std::size_t rule = 0; rule < 4; ++rule) {
            out.Recommended[static_cast<std::size_t>(r) * 4 + rule] = flags[rule] != 0 ? 1 : 0;
        }
    }
    return out;
}

std::vector<UnknownRow> PlainRows(const Model& model) {
    std::vector<UnknownRow> rows;
    ForEachModelRow(model, {}, [&](const UnknownRow& row) { rows.push_back(row); });
    return rows;
}

// Every unknown the rows name, in a fixed order.
std::vector<Unknown> RowUnknowns(const std::vector<UnknownRow>& rows) {
    std::vector<Unknown> out;
    for (const UnknownRow& row : rows) {
        for (const UnknownTerm& term : row.Terms) {
            out.push_back(term.Var);
        }
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

// The optima and optimal points of every program at the model's own values.
struct Baseline {
    std::vector<Unknown> Unknowns;
    std::vector<double> Optima;
    std::vector<std::vector<double>> Points;
    Conclusions Result;
};

SolveStatus SolveBaseline(const Model& model, const Programs& programs, Model& scratch,
                                     const std::function<bool()>& stop, Baseline& out,
                                     long long& solves) {
    const std::vector<UnknownRow> rows = PlainRows(model);
    out.Unknowns = RowUnknowns(rows);
    VariantSolver solver(rows, stop);
    for (const UnknownTerms& objective : programs.Objectives) {
        double optimum = 0.0;
        std::vector<double> point;
        const SolveStatus outcome =
            objective.empty() ? SolveStatus::Optimal
                              : solver.Minimize(objective, optimum, &out.Unknowns, &point);
        if (outcome != SolveStatus::Optimal) {
            solves += solver.SolveCount();
            return outcome;
        }
        out.Optima.push_back(optimum);
        out.Points.push_back(std::move(point));
    }
    solves += solver.SolveCount();
    out.Result = Conclude(programs, scratch, out.Optima);
    return SolveStatus::Optimal;
}

// Whether the conclusions hold with one bound at a trial value. Every program's optimum found at
// one value stays optimal at any tighter value at which its point still satisfies the bound's
// row (the feasible set only shrank around it), so each program keeps the optima it found with
// the part of the bound's row its point gives, A + value * B, and is solved again only where no
// stored point fits.
class ConclusionCheck {
public:
    // nested: the bound's feasible sets are nested (NestedInValue); only then are optima found
    // at one value known at others, and only then can a code change in one direction only.
    ConclusionCheck(const Programs& programs, const Baseline& baseline, Model& scratch,
                    BoundRows rows, const StatementBound& bound, double current, bool nested,
                    const std::function<bool()>& stop)
        : programs_(programs), baseline_(baseline), scratch_(scratch), bound_(bound),
          nested_(nested), rows_(std::move(rows)), unknowns_(rows_.Unknowns()),
          solver_(rows_.Rows, stop), stored_(programs.Objectives.size()) {
        std::map<Unknown, std::size_t> index;
        for (std::size_t i = 0; i < baseline.Unknowns.size(); ++i) {
            index[baseline.Unknowns[i]] = i;
        }
        for (std::size_t k = 0; k < stored_.size(); ++k) {
            std::vector<double> values;
            for (const Unknown& unknown : unknowns_) {
                const auto found = index.find(unknown);
                values.push_back(found != index.end() && !baseline.Points[k].empty()
                                     ? baseline.Points[k][found->second]
                                     : 0.0);
            }
            Store(k, current, baseline.Optima[k], values);
        }
    }

    // The conclusions hold at value (kInfinity: an upper bound dropped). Stops at the first
    // dominance code that changes, unless complete: then every optimum is found (and kept for
    // the values between this one and the bound's own).
    bool Holds(double value, const std::vector<std::size_t>& codeOrder, bool complete = false) {
        value_ = value;
        rowSet_ = false;
        std::vector<double> optima(programs_.Objectives.size(), 0.0);
        bool same = true;
        try {
            for (const std::size_t k : codeOrder) {
                optima[k] = Optimum(k);
                const auto [r, s] = programs_.Pairs[k];
                const std::size_t code = static_cast<std::size_t>(r * programs_.M + s);
                if ((optima[k] > kDominanceMargin ? 1 : 0) != baseline_.Result.Dominates[code]) {
                    same = false;
                    if (!complete) {
                        return false;
                    }
                }
            }
            for (std::size_t k = 0; k < optima.size(); ++k) {
                optima[k] = Optimum(k);
            }
        } catch (const Failed&) {
            return false; // infeasible or unsolvable: not the same conclusions
        }
        return same && Conclude(programs_, scratch_, optima) == baseline_.Result;
    }

    long long Solves() const { return solver_.SolveCount(); }

private:
    struct Record {
        double At;
        double A;
        double B;
        double Optimum;
    };

    bool LooserOrEqual(double at, double value) const {
        return bound_.IsLower() ? at <= value : at >= value;
    }

    void Store(std::size_t k, double at, double optimum, const std::vector<double>& point) {
        Record record{at, 0.0, 0.0, optimum};
        for (std::size_t i = 0; i < point.size(); ++i) {
            record.A += rows_.Base[i].Coefficient * point[i];
            record.B += rows_.Slope[i] * point[i];
        }
        stored_[k].push_back(record);
    }

    double Optimum(std::size_t k) {
        if (programs_.Objectives[k].empty()) {
            return 0.0;
        }
        const std::vector<Record>& records = stored_[k];
        for (const Record& record : records) {
            if (record.At == value_) {
                return record.Optimum;
            }
            const bool fits = std::isinf(value_) || record.A + value_ * record.B <= kRowTolerance;
            // An optimum found without the row (kInfinity), or at which the row has slack and so
            // no price, is optimal without the row: so at every value at which its point still
            // satisfies the row.
            const bool slack =
                std::isinf(record.At) || record.A + record.At * record.B < -kRowTolerance;
            if (fits && (slack || (nested_ && LooserOrEqual(record.At, value_)))) {
                return record.Optimum;
            }
        }
        // The optimum can only grow as the bound tightens: equal at a looser and at a tighter
        // value, it is the same at every value between them.
        for (const Record& looser : records) {
            if (!nested_ || !LooserOrEqual(looser.At, value_)) {
                continue;
            }
            for (const Record& tighter : records) {
                if (LooserOrEqual(value_, tighter.At) &&
                    std::abs(tighter.Optimum - looser.Optimum) <= kSameOptimum) {
                    return looser.Optimum;
                }
            }
        }
        if (!rowSet_) {
            const bool active = !std::isinf(value_);
            solver_.SetRow(rows_.Index, rows_.RowAt(active ? value_ : 0.0), active);
            rowSet_ = true;
        }
        double optimum = 0.0;
        std::vector<double> point;
        const SolveStatus outcome =
            solver_.Minimize(programs_.Objectives[k], optimum, &unknowns_, &point);
        if (outcome == SolveStatus::Cancelled) {
            throw Stopped{};
        }
        if (outcome != SolveStatus::Optimal) {
            throw Failed{};
        }
        Store(k, value_, optimum, point);
        return optimum;
    }

    const Programs& programs_;
    const Baseline& baseline_;
    Model& scratch_;
    StatementBound bound_;
    bool nested_;
    BoundRows rows_;
    std::vector<Unknown> unknowns_;
    VariantSolver solver_;
    std::vector<std::vector<Record>> stored_;
    double value_ = 0.0;
    bool rowSet_ = false;
};

// The pairs whose code can change in a direction, the likeliest first: loosening can only lose
// a dominance (smallest margins first), tightening can only gain one (margins closest to 0
// first).
std::vector<std::size_t> CodeOrder(const Programs& programs, const Baseline& baseline,
                                   bool loosening) {
    std::vector<std::size_t> order;
    for (std::size_t k = 0; k < programs.PairCount(); ++k) {
        if ((baseline.Optima[k] > kDominanceMargin) == loosening &&
            !programs.Objectives[k].empty()) {
            order.push_back(k);
        }
    }
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return std::abs(baseline.Optima[a]) < std::abs(baseline.Optima[b]);
    });
    return order;
}

// One end of the interval: the farthest value toward far (kInfinity: no bound) at which the
// conclusions hold, to the tolerance; nothing when they hold at far itself and far is a natural
// limit (natural false: far is the statement's other bound, which is returned).
std::optional<double> FindEnd(ConclusionCheck& check, double current, double far, bool natural,
                              const std::vector<std::size_t>& order) {
    if (far == current) {
        return current;
    }
    // Every optimum at the far end, so that the trials between find most of them unchanged.
    if (check.Holds(far, order, true)) {
        return natural ? std::nullopt : std::optional<double>(far);
    }
    double pass = current;
    double fail = far;
    if (std::isinf(far)) {
        // Upward without limit: find a finite value at which something changes.
        double trial = std::max(1.0, current);
        fail = kInfinity;
        while (std::isinf(fail)) {
            trial = std::min(trial * 2.0, kLargestBound);
            if (!check.Holds(trial, order)) {
                fail = trial;
            } else if (trial >= kLargestBound) {
                // Only taking the bound away changes a conclusion: no value does.
                return std::nullopt;
            } else {
                pass = trial;
            }
        }
    }
    const double tolerance = kStabilityTolerance * std::max(1.0, std::abs(current));
    while (std::abs(fail - pass) > tolerance) {
        const double mid = (pass + fail) / 2.0;
        (check.Holds(mid, order) ? pass : fail) = mid;
    }
    return pass;
}

} // namespace

double StabilityInterval::RelativeWidth() const {
    if (!Low || !High) {
        return kInfinity;
    }
    return (*High - *Low) / std::max(1.0, std::abs(Value));
}

bool CurrentConclusions(const Model& model, Conclusions& out) {
    const Programs programs(model);
    Model scratch = model;
    Baseline baseline;
    long long solves = 0;
    if (SolveBaseline(model, programs, scratch, {}, baseline, solves) !=
        SolveStatus::Optimal) {
        return false;
    }
    out = baseline.Result;
    return true;
}

StabilityOutcome AnalyzeStability(const Model& model, CalcHost* host, char decimalSeparator) {
    StabilityOutcome outcome;
    if (model.TreeEmpty() || model.M() == 0) {
        return outcome;
    }
    const std::function<bool()> stop = HostStopCheck(host);
    const Programs programs(model);
    Model scratch = model;
    Baseline baseline;
    long long solves = 0;
    const std::vector<StatementBound> bounds = StatedBounds(model);
    const int total = 2 * static_cast<int>(bounds.size()) + 1;
    int done = 0;
    const auto progress = [&] {
        ++done;
        if (host != nullptr) {
            host->ShowProgress(done, total);
        }
    };
    const auto cancelled = [&] {
        outcome.Status = AnalysisStatus::Cancelled;
        outcome.Message = "The analysis was cancelled.";
        outcome.Result = {};
        return outcome;
    };
    switch (SolveBaseline(model, programs, scratch, stop, baseline, solves)) {
    case SolveStatus::Optimal:
        break;
    case SolveStatus::Cancelled:
        return cancelled();
    case SolveStatus::Infeasible:
        outcome.Status = AnalysisStatus::Infeasible;
        outcome.Message =
            "The statements contradict each other: no weights and values satisfy all of them.";
        return outcome;
    default:
        outcome.Status = AnalysisStatus::Failed;
        outcome.Message = "A linear program could not be solved.";
        return outcome;
    }
    progress();
    const std::vector<std::size_t> looseningOrder = CodeOrder(programs, baseline, true);
    const std::vector<std::size_t> tighteningOrder = CodeOrder(programs, baseline, false);
    try {
        for (const StatementBound& bound : bounds) {
            std::optional<BoundRows> rows = MakeBoundRows(model, bound);
            const double value = BoundValue(model, bound);
            if (!rows) {
                progress();
                progress();
                continue;
            }
            const std::optional<bool> nested = NestedInValue(*rows, bound, stop);
            if (stop && stop()) {
                throw Stopped{};
            }
            ConclusionCheck check(programs, baseline, scratch, std::move(*rows), bound, value,
                                  nested.value_or(false), stop);
            const double other = OtherBoundValue(model, bound);
            StabilityInterval interval;
            interval.Bound = bound;
            interval.Value = value;
            interval.Text = DescribeBound(model, bound, value, decimalSeparator);
            std::optional<double> loose;
            std::optional<double> tight;
            if (bound.IsLower()) {
                loose = FindEnd(check, value, 0.0, true, looseningOrder);
                progress();
                tight = other == kNotGiven
                            ? FindEnd(check, value, kLargestBound, true, tighteningOrder)
                            : FindEnd(check, value, std::max(other, value), false, tighteningOrder);
                interval.Low = loose;
                interval.High = tight;
            } else {
                loose = FindEnd(check, value, kInfinity, true, looseningOrder);
                progress();
                tight = other == kNotGiven
                            ? FindEnd(check, value, 0.0, true, tighteningOrder)
                            : FindEnd(check, value, std::min(other, value), false, tighteningOrder);
                interval.Low = tight;
                interval.High = loose;
            }
            progress();
            solves += check.Solves();
            outcome.Result.Intervals.push_back(std::move(interval));
        }
    } catch (const Stopped&) {
        return cancelled();
    }
    outcome.Result.Programs = solves;
    std::stable_sort(outcome.Result.Intervals.begin(), outcome.Result.Intervals.end(),
                     [](const StabilityInterval& a, const StabilityInterval& b) {
                         return a.RelativeWidth() < b.RelativeWidth();
                     });
    return outcome;
}

} // namespace velor
