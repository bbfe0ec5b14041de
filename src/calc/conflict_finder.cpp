#include "calc/conflict_finder.h"

#include "calc/constraint_generator.h"
#include "calc/row_feasibility.h"
#include "calc/solver_rows.h"

#include <algorithm>
#include <cassert>
#include <iterator>
#include <map>
#include <new>
#include <optional>
#include <span>
#include <tuple>
#include <utility>

namespace velor {

namespace {

// A statement and its rows (from 1). A relation between two levels takes one row per
// alternative of the lower level; taking the statement back drops them all.
struct Candidate {
    ConflictStatement statement;
    std::vector<int> rows;
};

void AppendRows(std::vector<int>& rows, const std::vector<Candidate>& candidates,
                std::span<const int> chosen) {
    for (const int c : chosen) {
        const std::vector<int>& more = candidates[static_cast<std::size_t>(c)].rows;
        rows.insert(rows.end(), more.begin(), more.end());
    }
}

// Divide and conquer: given that the rows every model holds, the kept rows and the chosen
// candidates together admit no solution, returns a minimal part of the chosen candidates that
// they do not admit with the kept rows either. checkKept says whether kept has grown since it was
// last known to admit a solution. Prefers earlier candidates: the later half is reduced first,
// with the whole earlier half kept.
std::vector<int> MinimalPart(RowFeasibility& check, const std::vector<Candidate>& candidates,
                             std::vector<int>& kept, bool checkKept, std::span<const int> chosen) {
    if (checkKept && !check.Feasible(kept)) {
        return {};
    }
    if (chosen.size() == 1) {
        return {chosen.front()};
    }
    const std::size_t half = chosen.size() / 2;
    const std::span<const int> earlier = chosen.first(half);
    const std::span<const int> later = chosen.subspan(half);
    const std::size_t mark = kept.size();
    AppendRows(kept, candidates, earlier);
    const std::vector<int> fromLater = MinimalPart(check, candidates, kept, true, later);
    kept.resize(mark);
    AppendRows(kept, candidates, fromLater);
    std::vector<int> part = MinimalPart(check, candidates, kept, !fromLater.empty(), earlier);
    kept.resize(mark);
    part.insert(part.end(), fromLater.begin(), fromLater.end());
    return part;
}

// A level by its consequence text; a level without text is its alternative alone.
std::string LevelKey(const Model& model, int column, AltId alternative) {
    const int row = model.RowOfAlternative(alternative);
    const std::string& text = model.CellText(column, row);
    return Model::IsEmptyText(text) ? "\n" + std::to_string(row) : text;
}

// The statements of the rows, each with its rows, in the order of their first rows; rows that
// hold in every model go to always.
std::vector<Candidate> Candidates(const Model& model, const std::vector<RowOrigin>& origins,
                                  std::vector<int>& always) {
    using Key = std::tuple<int, NodeId, int, int, bool, bool, std::string, std::string>;
    std::map<Key, std::size_t> known;
    std::vector<Candidate> candidates;
    for (std::size_t i = 0; i < origins.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        const std::optional<ConflictStatement> statement = StatementOfRow(model, origins[i]);
        if (!statement) {
            always.push_back(row);
            continue;
        }
        const int column = origins[i].Column;
        const bool ranking = statement->Kind == ConflictKind::Ranking ||
                             statement->Kind == ConflictKind::HolisticRanking;
        const Key key{static_cast<int>(statement->Kind),
                      statement->Node,
                      static_cast<int>(statement->Bound),
                      statement->Statement,
                      statement->Equal,
                      statement->Unranked,
                      ranking ? LevelKey(model, column, statement->Better) : std::string(),
                      ranking ? LevelKey(model, column, statement->Worse) : std::string()};
        const auto [at, added] = known.emplace(key, candidates.size());
        if (added) {
            candidates.push_back({*statement, {}});
        }
        candidates[at->second].rows.push_back(row);
    }
    return candidates;
}

// The order in which the search tries to keep statements: it keeps as many of the earlier ones
// as it can and takes the later ones only where they are needed. A weight or ratio statement
// says much in one row where a ranking needs a chain of relations, so sets made of the former
// are shorter; and a number is more easily given wrong than an order.
int SearchRank(ConflictKind kind) {
    switch (kind) {
    case ConflictKind::BottomUpWeight:
    case ConflictKind::TopDownWeight:
        return 0;
    case ConflictKind::RatioBound:
        return 1;
    case ConflictKind::HolisticRanking:
        return 2;
    default:
        return 3;
    }
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
    AppendModelConstraints(model, program, {}, &origins);
    assert(origins.size() == program.Constraints.size());

    // Rows from 1, as the solver numbers them.
    std::vector<int> always;
    const std::vector<Candidate> candidates = Candidates(model, origins, always);
    std::vector<int> candidateRows;
    std::vector<int> order(candidates.size());
    for (std::size_t c = 0; c < candidates.size(); ++c) {
        order[c] = static_cast<int>(c);
    }
    AppendRows(candidateRows, candidates, order);

    std::optional<RowFeasibility> check;
    const auto checks = [&check] { return check ? check->Checks() : 0; };
    try {
        const SolverRows rows = ParseProgram(program);
        std::string error;
        if (!FitsSinglePrecision(rows, error)) {
            return Failure(ConflictOutcome::SolverError, error, 0);
        }
        check.emplace(rows, always, stopRequested);
        ConflictResult result;
        result.Outcome = ConflictOutcome::Conflict;
        if (!check->Feasible({})) {
            result.Statements = FlatRankings(model);
            result.Checks = checks();
            if (result.Statements.empty()) {
                return Failure(ConflictOutcome::SolverError,
                               "the rows that define the scale admit no solution", checks());
            }
            return result;
        }
        // Most statements play no part: one elastic program names those that a contradiction
        // combines. When they admit no solution, the model does not either; the search then
        // goes over them and every weight and ratio statement, which may give a shorter set.
        const std::vector<int> support = check->ElasticSupport(candidateRows);
        const auto inSupport = [&](int c) {
            const std::vector<int>& own = candidates[static_cast<std::size_t>(c)].rows;
            return std::any_of(own.begin(), own.end(), [&support](int row) {
                return std::binary_search(support.begin(), support.end(), row);
            });
        };
        std::vector<int> narrowed;
        std::copy_if(order.begin(), order.end(), std::back_inserter(narrowed), inSupport);
        std::vector<int> narrowedRows;
        AppendRows(narrowedRows, candidates, narrowed);
        if (!narrowed.empty() && !check->Feasible(narrowedRows)) {
            narrowed.clear();
            std::copy_if(order.begin(), order.end(), std::back_inserter(narrowed), [&](int c) {
                return SearchRank(candidates[static_cast<std::size_t>(c)].statement.Kind) <= 1 ||
                       inSupport(c);
            });
        } else if (check->Feasible(candidateRows)) {
            result.Outcome = ConflictOutcome::NoConflict;
            result.Checks = checks();
            return result;
        } else {
            narrowed = order;
        }
        std::stable_sort(narrowed.begin(), narrowed.end(), [&candidates](int a, int b) {
            return SearchRank(candidates[static_cast<std::size_t>(a)].statement.Kind) <
                   SearchRank(candidates[static_cast<std::size_t>(b)].statement.Kind);
        });
        std::vector<int> kept;
        std::vector<int> part = MinimalPart(*check, candidates, kept, false, narrowed);
        std::sort(part.begin(), part.end());
        for (const int c : part) {
            const Candidate& candidate = candidates[static_cast<std::size_t>(c)];
            result.Statements.push_back(candidate.statement);
            std::vector<int>& rowsOf = result.Rows.emplace_back();
            for (const int row : candidate.rows) {
                rowsOf.push_back(row - 1);
            }
        }
        result.Checks = checks();
        return result;
    } catch (const RowFeasibility::StopRequested&) {
        return Failure(ConflictOutcome::Stopped, {}, checks());
    } catch (const std::bad_alloc&) {
        return Failure(ConflictOutcome::SolverError, "out of memory", checks());
    } catch (const std::exception& error) {
        return Failure(ConflictOutcome::SolverError, error.what(), checks());
    }
}

} // namespace velor
