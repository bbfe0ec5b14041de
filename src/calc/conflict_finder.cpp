#include "calc/conflict_finder.h"

#include "calc/constraint_generator.h"
#include "calc/solver_rows.h"
#include "lp/lpx.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <new>
#include <optional>
#include <span>
#include <stdexcept>
#include <utility>

namespace velor {

namespace {

struct StopRequested {};

// Feasibility of chosen rows of one constraint system, each check a solver problem of its own
// over those rows. With no objective the slack basis is dual feasible, so the dual simplex
// settles most checks in a few iterations; the primal simplex finishes what it leaves open.
class RowFeasibility {
public:
    RowFeasibility(SolverRows all, std::function<bool()> stopRequested)
        : all_(std::move(all)), stopRequested_(std::move(stopRequested)) {
        // The parser appends the elements row by row.
        first_.assign(static_cast<std::size_t>(all_.RowCount()) + 2, all_.Elements.size());
        for (std::size_t e = all_.Elements.size(); e-- > 0;) {
            first_[static_cast<std::size_t>(all_.Elements[e].Row)] = e;
        }
        for (std::size_t row = first_.size() - 1; row-- > 0;) {
            first_[row] = std::min(first_[row], first_[row + 1]);
        }
        subset_.Names = all_.Names;
    }

    // Whether the rows (1-based) admit a solution. Throws StopRequested when the caller asked
    // to stop, std::runtime_error when the solver cannot tell, and the solver's own errors.
    bool Feasible(std::vector<int> rows) {
        if (stopRequested_ && stopRequested_()) {
            throw StopRequested{};
        }
        ++checks_;
        std::sort(rows.begin(), rows.end());
        Load(rows);
        return Solve(subset_, nullptr);
    }

    // The candidates that a proof of infeasibility of kept and candidates together uses: the
    // rows with a nonzero price at the optimum of the elastic program, which lets every
    // candidate row give way by a non-negative amount at a cost of 1 per unit. Those prices
    // combine the rows into a contradiction, so kept with these candidates admits no solution
    // either; the caller checks that. All candidates when the program has no optimum.
    std::vector<int> ElasticSupport(const std::vector<int>& kept,
                                    const std::vector<int>& candidates) {
        std::vector<int> rows = kept;
        rows.insert(rows.end(), candidates.begin(), candidates.end());
        std::sort(rows.begin(), rows.end());
        Load(rows);
        SolverRows elastic = subset_;
        std::vector<char> isCandidate(static_cast<std::size_t>(all_.RowCount()) + 1, 0);
        for (const int row : candidates) {
            isCandidate[static_cast<std::size_t>(row)] = 1;
        }
        for (int position = 1; position <= elastic.RowCount(); ++position) {
            const int row = rows[static_cast<std::size_t>(position - 1)];
            if (!isCandidate[static_cast<std::size_t>(row)]) {
                continue;
            }
            // Every statement row is homogeneous: "<= 0" gives way upwards, "= 0" both ways.
            const int relation = elastic.Relations[static_cast<std::size_t>(position - 1)];
            for (const double direction : {-1.0, 1.0}) {
                if (direction > 0 && relation != kRelationEqual) {
                    continue;
                }
                elastic.Names.push_back("elastic");
                const int column = elastic.ColumnCount();
                elastic.Elements.push_back({0, column, 1.0});
                elastic.Elements.push_back({position, column, direction});
            }
        }
        std::vector<double> prices(static_cast<std::size_t>(elastic.RowCount()) + 1, 0.0);
        if (!Solve(elastic, &prices)) {
            return candidates;
        }
        std::vector<int> support;
        for (int position = 1; position <= elastic.RowCount(); ++position) {
            const int row = rows[static_cast<std::size_t>(position - 1)];
            if (isCandidate[static_cast<std::size_t>(row)] &&
                std::fabs(prices[static_cast<std::size_t>(position)]) > kPriceTolerance) {
                support.push_back(row);
            }
        }
        return support;
    }

    int Checks() const { return checks_; }

private:
    static constexpr double kPriceTolerance = 1e-9;

    // Puts the rows (1-based, ascending) of the whole system into subset_, numbered from 1.
    void Load(const std::vector<int>& rows) {
        subset_.Names.resize(all_.Names.size());
        subset_.Elements.clear();
        subset_.Relations.clear();
        subset_.RightSides.clear();
        for (const int row : rows) {
            const auto at = static_cast<std::size_t>(row);
            const int position = subset_.RowCount() + 1;
            for (std::size_t e = first_[at]; e < first_[at + 1]; ++e) {
                const SolverRows::Element& element = all_.Elements[e];
                subset_.Elements.push_back({position, element.Column, element.Value});
            }
            subset_.Relations.push_back(all_.Relations[at - 1]);
            subset_.RightSides.push_back(all_.RightSides[at - 1]);
        }
    }

    // Whether rows has an optimum (a feasible point when it has no objective); prices, when
    // given, receive the prices of the rows at that optimum. Throws std::runtime_error when the
    // solver cannot tell.
    static bool Solve(const SolverRows& rows, std::vector<double>* prices) {
        LpModel* lp = NewSolverProblem(rows, false);
        int status = LP_FEASIBLE;
        try {
            const int budget = std::max(1000, 2 * rows.RowCount());
            LP_REINVERT(lp);
            LP_DUALBUDGET(budget, lp);
            status = LP_GETSTATUS(lp);
            if (status != LP_OPTIMAL && status != LP_INFEASIBLE) {
                LP_PRIMAL(lp);
                status = LP_GETSTATUS(lp);
            }
            if (status == LP_OPTIMAL && prices != nullptr) {
                LP_INVROW(prices->data(), 0, lp);
            }
        } catch (...) {
            LP_DELETE(&lp);
            throw;
        }
        LP_DELETE(&lp);
        if (status != LP_OPTIMAL && status != LP_INFEASIBLE) {
            throw std::runtime_error("the solver could not decide whether " +
                                     std::to_string(rows.RowCount()) + " rows admit a solution");
        }
        return status == LP_OPTIMAL;
    }

    SolverRows all_;
    std::vector<std::size_t> first_; // per row: its first element; row m + 1 ends the last
    SolverRows subset_;
    std::function<bool()> stopRequested_;
    int checks_ = 0;
};

// Divide and conquer: given that kept together with all candidates admits no solution, returns
// a minimal part of the candidates that kept does not admit either. checkKept says whether kept
// has grown since it was last known to admit a solution. Prefers earlier candidates: the later
// half is reduced first, with the whole earlier half kept.
std::vector<int> MinimalPart(RowFeasibility& check, std::vector<int>& kept, bool checkKept,
                             std::span<const int> candidates) {
    if (checkKept && !check.Feasible(kept)) {
        return {};
    }
    if (candidates.size() == 1) {
        return {candidates.front()};
    }
    const std::size_t half = candidates.size() / 2;
    const std::span<const int> earlier = candidates.first(half);
    const std::span<const int> later = candidates.subspan(half);
    const std::size_t mark = kept.size();
    kept.insert(kept.end(), earlier.begin(), earlier.end());
    const std::vector<int> fromLater = MinimalPart(check, kept, true, later);
    kept.resize(mark);
    kept.insert(kept.end(), fromLater.begin(), fromLater.end());
    std::vector<int> part = MinimalPart(check, kept, !fromLater.empty(), earlier);
    kept.resize(mark);
    part.insert(part.end(), fromLater.begin(), fromLater.end());
    return part;
}

// Every ranked attribute's best level is also its worst when no attribute can carry weight
// under the rows that hold in every model.
std::vector<ConflictStatement> FlatRankings(const Model& model) {
    std::vector<ConflictStatement> flat;
    for (const NodeId node : model.Attributes()) {
        const int column = model.ColumnOfNode(node);
        const int worst = WorstAlternativeRow(model, column);
        if (worst > 0 && worst == BestAlternativeRow(model, column)) {
            ConflictStatement statement;
            statement.Kind = ConflictKind::FlatRanking;
            statement.Node = node;
            flat.push_back(statement);
        }
    }
    return flat;
}

ConflictResult Failure(ConflictOutcome outcome, std::string error, int checks) {
    ConflictResult result;
    result.Outcome = outcome;
    result.Error = std::move(error);
    result.Checks = checks;
    return result;
}

} // namespace

ConflictResult FindConflict(const Model& model, const std::function<bool()>& stopRequested) {
    if (model.M() == 0 || model.AttributeCount() == 0) {
        return {};
    }
    TConstraintModel program(kMinimize, std::string());
    std::vector<RowOrigin> origins;
    AppendModelConstraints(model, program, "", &origins);
    assert(origins.size() == program.Constraints.size());

    // Rows from 1, as the solver numbers them; statements by row.
    std::vector<int> kept;
    std::vector<int> candidates;
    std::vector<std::optional<ConflictStatement>> statements(origins.size());
    for (std::size_t i = 0; i < origins.size(); ++i) {
        statements[i] = StatementOfRow(model, origins[i]);
        (statements[i] ? candidates : kept).push_back(static_cast<int>(i) + 1);
    }

    std::optional<RowFeasibility> check;
    const auto checks = [&check] { return check ? check->Checks() : 0; };
    try {
        SolverRows rows = ParseProgram(program);
        std::string error;
        if (!FitsSinglePrecision(rows, error)) {
            return Failure(ConflictOutcome::SolverError, error, 0);
        }
        check.emplace(std::move(rows), stopRequested);
        std::vector<int> all = kept;
        all.insert(all.end(), candidates.begin(), candidates.end());
        ConflictResult result;
        if (check->Feasible(all)) {
            result.Checks = checks();
            return result;
        }
        result.Outcome = ConflictOutcome::Conflict;
        if (!check->Feasible(kept)) {
            result.Statements = FlatRankings(model);
            result.Checks = checks();
            if (result.Statements.empty()) {
                return Failure(ConflictOutcome::SolverError,
                               "the rows that define the scale admit no solution", checks());
            }
            return result;
        }
        // Most statements play no part: narrow them down with one program first.
        std::vector<int> narrowed = check->ElasticSupport(kept, candidates);
        if (narrowed.size() < candidates.size()) {
            std::vector<int> trial = kept;
            trial.insert(trial.end(), narrowed.begin(), narrowed.end());
            if (narrowed.empty() || check->Feasible(trial)) {
                narrowed = candidates;
            }
        }
        std::vector<int> part = MinimalPart(*check, kept, false, narrowed);
        std::sort(part.begin(), part.end());
        for (const int row : part) {
            result.Rows.push_back(row - 1);
            result.Statements.push_back(*statements[static_cast<std::size_t>(row - 1)]);
        }
        result.Checks = checks();
        return result;
    } catch (const StopRequested&) {
        return Failure(ConflictOutcome::Stopped, {}, checks());
    } catch (const std::bad_alloc&) {
        return Failure(ConflictOutcome::SolverError, "out of memory", checks());
    } catch (const std::exception& error) {
        return Failure(ConflictOutcome::SolverError, error.what(), checks());
    }
}

} // namespace velor
