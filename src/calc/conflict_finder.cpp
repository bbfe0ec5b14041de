#include "calc/conflict_finder.h"

#include "calc/column_sets.h"
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
    using Key = std::tuple<int, int, NodeId, int, int, bool, bool, std::string, std::string>;
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
                             statement->Kind == ConflictKind::HolisticRanking ||
                             statement->Kind == ConflictKind::UnrankedLevel;
        const Key key{statement->Member,
                      static_cast<int>(statement->Kind),
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

// A minimal part of the candidates of order (which the search keeps in that order of
// preference), in order; empty when they admit a solution together. One elastic program names
// through its prices the candidates a contradiction combines; when they admit no solution, the
// model does not either, and the search goes over them and every weight and ratio statement,
// which may give a shorter set. Then divide and conquer.
std::vector<int> MinimalSet(RowFeasibility& check, const std::vector<Candidate>& candidates,
                            const std::vector<int>& order) {
    std::vector<int> rows;
    AppendRows(rows, candidates, order);
    const std::vector<int> support = check.ElasticSupport(rows);
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
    if (!narrowed.empty() && !check.Feasible(narrowedRows)) {
        narrowed.clear();
        std::copy_if(order.begin(), order.end(), std::back_inserter(narrowed), [&](int c) {
            return SearchRank(candidates[static_cast<std::size_t>(c)].statement.Kind) <= 1 ||
                   inSupport(c);
        });
    } else if (check.Feasible(rows)) {
        return {};
    } else {
        narrowed = order;
    }
    std::vector<int> kept;
    return MinimalPart(check, candidates, kept, false, narrowed);
}

struct SplitOutcome {
    bool applies = false;
    std::vector<int> part; // the candidates of a minimal set; empty: no conflict
};

// Rows (typed) and candidates of one part of the search, in the numbering of its own rows.
struct SubSystem {
    SolverRows rows;
    std::vector<int> kept;
    std::vector<Candidate> candidates;
    std::vector<int> source; // per candidate: the candidate of the whole system, -1 none

    int Add(const UnknownRow& row) {
        rows.AddConstraint(row);
        return rows.RowCount();
    }
    void AddCandidate(const Candidate& whole, int index, const std::vector<UnknownRow>& typed) {
        Candidate own{whole.statement, {}};
        for (const int row : whole.rows) {
            own.rows.push_back(Add(typed[static_cast<std::size_t>(row - 1)]));
        }
        candidates.push_back(std::move(own));
        source.push_back(index);
    }
    std::vector<int> Order() const {
        std::vector<int> order(candidates.size());
        for (std::size_t c = 0; c < order.size(); ++c) {
            order[c] = static_cast<int>(c);
        }
        std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
            return SearchRank(candidates[static_cast<std::size_t>(a)].statement.Kind) <
                   SearchRank(candidates[static_cast<std::size_t>(b)].statement.Kind);
        });
        return order;
    }
};

bool IsWeightSource(RowSource source) {
    switch (source) {
    case RowSource::Scale:
    case RowSource::BottomUpUpper:
    case RowSource::BottomUpLower:
    case RowSource::TopDownUpper:
    case RowSource::TopDownLower:
        return true;
    default:
        return false;
    }
}

SplitOutcome SplitSearch(const Model& model, const std::vector<UnknownRow>& typed,
                         const std::vector<RowOrigin>& origins,
                         const std::vector<Candidate>& candidates, const std::vector<int>& always,
                         const std::function<bool()>& ask) {
    const int n = model.N();
    std::vector<int> best(static_cast<std::size_t>(n) + 1, 0);
    std::vector<char> attribute(static_cast<std::size_t>(n) + 1, 0);
    for (const NodeId node : model.Attributes()) {
        const int column = model.ColumnOfNode(node);
        attribute[static_cast<std::size_t>(column)] = 1;
        best[static_cast<std::size_t>(column)] = BestAlternativeRow(model, column);
    }
    // Per row (from 1): the attribute whose levels it names, 0 for a row of the weights' search.
    std::vector<int> home(typed.size() + 1, -1);
    ColumnSets group(n);
    for (std::size_t i = 0; i < typed.size(); ++i) {
        const UnknownTerms& terms = typed[i].Terms;
        if (IsWeightSource(origins[i].Source)) {
            for (const UnknownTerm& term : terms) {
                const int column = term.Var.Column;
                if (column < 1 || column > n || !attribute[static_cast<std::size_t>(column)] ||
                    term.Var.Row != best[static_cast<std::size_t>(column)]) {
                    return {};
                }
            }
            home[i + 1] = 0;
            continue;
        }
        const int column = terms.empty() ? 0 : terms.front().Var.Column;
        for (const UnknownTerm& term : terms) {
            const int other = term.Var.Column;
            if (other < 1 || other > n || !attribute[static_cast<std::size_t>(other)]) {
                return {};
            }
            group.Join(column, other);
        }
        if (column == 0) {
            return {};
        }
        home[i + 1] = column;
    }
    // A goal's ranking or ratio statement ties the levels of its attributes together: their
    // rows go to the search over the weights as they are.
    std::vector<int> members(static_cast<std::size_t>(n) + 1, 0);
    for (int column = 1; column <= n; ++column) {
        if (attribute[static_cast<std::size_t>(column)]) {
            ++members[static_cast<std::size_t>(group.Find(column))];
        }
    }
    for (std::size_t row = 1; row < home.size(); ++row) {
        if (home[row] > 0) {
            const int root = group.Find(home[row]);
            home[row] = members[static_cast<std::size_t>(root)] > 1 ? 0 : root;
        }
    }
    const auto homeOf = [&](const Candidate& candidate) {
        const int first = home[static_cast<std::size_t>(candidate.rows.front())];
        for (const int row : candidate.rows) {
            if (home[static_cast<std::size_t>(row)] != first) {
                return -1;
            }
        }
        return first;
    };
    std::vector<SubSystem> own(static_cast<std::size_t>(n) + 1);
    SubSystem weights;
    for (const int row : always) {
        const int at = home[static_cast<std::size_t>(row)];
        SubSystem& target = at == 0 ? weights : own[static_cast<std::size_t>(at)];
        target.kept.push_back(target.Add(typed[static_cast<std::size_t>(row - 1)]));
    }
    for (std::size_t column = 1; column <= static_cast<std::size_t>(n); ++column) {
        if (attribute[column] && members[column] == 1) {
            // The attribute carries weight: its best level at 1.
            SubSystem& target = own[column];
            UnknownRow weight{
                {{{static_cast<int>(column), best[column]}, 1.0}}, kRelationEqual, 1.0};
            target.kept.push_back(target.Add(weight));
        }
    }
    for (std::size_t c = 0; c < candidates.size(); ++c) {
        const int at = homeOf(candidates[c]);
        if (at < 0) {
            return {};
        }
        (at == 0 ? weights : own[static_cast<std::size_t>(at)])
            .AddCandidate(candidates[c], static_cast<int>(c), typed);
    }
    // Which attributes can carry no weight; each is a candidate of the weights' search.
    std::vector<int> zeroAt; // per candidate of weights beyond the weight rows: its attribute
    const std::size_t weightRows = weights.candidates.size();
    for (std::size_t column = 1; column <= static_cast<std::size_t>(n); ++column) {
        SubSystem& sub = own[column];
        if (!attribute[column] || members[column] != 1 || sub.candidates.empty()) {
            continue;
        }
        std::vector<int> rows;
        for (const Candidate& candidate : sub.candidates) {
            rows.insert(rows.end(), candidate.rows.begin(), candidate.rows.end());
        }
        RowFeasibility check(sub.rows, sub.kept, ask);
        if (!check.Feasible({})) {
            return {}; // left to the search over the whole system to report
        }
        if (check.Feasible(rows)) {
            continue;
        }
        Candidate zero;
        zero.statement.Kind = ConflictKind::FlatRanking; // searched last, as a ranking is
        UnknownRow row{{{{static_cast<int>(column), best[column]}, 1.0}}, kRelationEqual, 0.0};
        zero.rows.push_back(weights.Add(row));
        weights.candidates.push_back(std::move(zero));
        weights.source.push_back(-1);
        zeroAt.push_back(static_cast<int>(column));
    }
    SplitOutcome outcome;
    outcome.applies = true;
    RowFeasibility weightCheck(weights.rows, weights.kept, ask);
    if (!weightCheck.Feasible({})) {
        outcome.applies = false;
        return outcome;
    }
    const std::vector<int> weightPart =
        MinimalSet(weightCheck, weights.candidates, weights.Order());
    for (const int c : weightPart) {
        if (static_cast<std::size_t>(c) < weightRows) {
            outcome.part.push_back(weights.source[static_cast<std::size_t>(c)]);
            continue;
        }
        SubSystem& sub =
            own[static_cast<std::size_t>(zeroAt[static_cast<std::size_t>(c) - weightRows])];
        RowFeasibility check(sub.rows, sub.kept, ask);
        for (const int local : MinimalSet(check, sub.candidates, sub.Order())) {
            outcome.part.push_back(sub.source[static_cast<std::size_t>(local)]);
        }
    }
    std::sort(outcome.part.begin(), outcome.part.end());
    return outcome;
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
    SolverRows rows;
    std::vector<UnknownRow> typed;
    std::vector<RowOrigin> origins;
    std::vector<int> always; // rows from 1, as the solver numbers them
    std::vector<Candidate> candidates;
    std::optional<RowFeasibility> check;
    // Every check of every part of the search asks first, and counts when it goes on.
    int counted = 0;
    const std::function<bool()> ask = [&counted, &stopRequested] {
        if (stopRequested && stopRequested()) {
            return true;
        }
        ++counted;
        return false;
    };
    const auto checks = [&counted] { return counted; };
    try {
        const RowHandler add = [&rows, &typed](const UnknownRow& row) {
            rows.AddConstraint(row);
            typed.push_back(row);
        };
        AppendStatementRows(model, nullptr, &add, &origins);
        assert(origins.size() == static_cast<std::size_t>(rows.RowCount()));
        candidates = Candidates(model, origins, always);
        std::string error;
        if (!FitsSinglePrecision(rows, error)) {
            return Failure(ConflictOutcome::SolverError, error, 0);
        }
        check.emplace(rows, always, ask);
        ConflictResult result;
        const auto confirmed = [&](const std::vector<int>& part) {
            std::vector<int> partRows;
            AppendRows(partRows, candidates, part);
            return !part.empty() && !check->Feasible(partRows);
        };
        const auto found = [&](std::vector<int> part) {
            result.Outcome = ConflictOutcome::Conflict;
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
        };
        const SplitOutcome split = SplitSearch(model, typed, origins, candidates, always, ask);
        if (split.applies && split.part.empty()) {
            result.Checks = checks();
            return result;
        }
        if (split.applies && confirmed(split.part)) {
            return found(split.part);
        }
        if (!check->Feasible({})) {
            return Failure(ConflictOutcome::SolverError,
                           "the rows that define the scale admit no solution", checks());
        }
        std::vector<int> order(candidates.size());
        for (std::size_t c = 0; c < candidates.size(); ++c) {
            order[c] = static_cast<int>(c);
        }
        std::stable_sort(order.begin(), order.end(), [&candidates](int a, int b) {
            return SearchRank(candidates[static_cast<std::size_t>(a)].statement.Kind) <
                   SearchRank(candidates[static_cast<std::size_t>(b)].statement.Kind);
        });
        std::vector<int> part = MinimalSet(*check, candidates, order);
        if (part.empty()) {
            result.Checks = checks();
            return result;
        }
        return found(std::move(part));
    } catch (const RowFeasibility::StopRequested&) {
        return Failure(ConflictOutcome::Stopped, {}, checks());
    } catch (const std::bad_alloc&) {
        return Failure(ConflictOutcome::SolverError, "out of memory", checks());
    } catch (const std::exception& error) {
        return Failure(ConflictOutcome::SolverError, error.what(), checks());
    }
}

} // namespace velor
