#include "calc/feasible_polytope.h"

#include "calc/constraint_model.h"
#include "calc/solver_bridge.h"
#include "calc/solver_rows.h"
#include "calc/polytope_program.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <map>
#include <new>
#include <string>
#include <utility>

namespace velor {

namespace {

// Coefficients smaller than this, relative to the largest of their row, are rounding left over
// from substitution and are dropped.
constexpr double kNegligible = 1e-12;
// A right side within this of 0 counts as 0; the generator writes 0 and 1 exactly.
constexpr double kRightSideTolerance = 1e-9;
// A largest inner ball smaller than this leaves no room to walk in double precision.
constexpr double kSmallestRadius = 1e-9;
// A row that no point of the set lies farther from than this (relative to the values, which
// lie between 0 and 1) holds as an equality for the walk: a set that thin is the face it nearly
// is, with the points moved onto it by at most this much.
constexpr double kThinness = 1e-7;

enum class State { Free, Fixed, Dependent };

using Expression = std::map<int, double>; // unknown -> coefficient

struct Reduced {
    double Constant = 0.0;
    Expression Terms;
};

struct WorkRow {
    Expression Terms;
    RowRelation Relation = RowRelation::LessEqual;
    double RightSide = 0.0;
    bool Dropped = false;
    // How far the row may miss being satisfied, relative to its largest coefficient, and still
    // count as holding: kRightSideTolerance for the rows as stated, kThinness for rows that
    // hold only nearly with equality.
    double Tolerance = kRightSideTolerance;
};

double Largest(const Expression& terms) {
    double largest = 0.0;
    for (const auto& [index, value] : terms) {
        largest = std::max(largest, std::fabs(value));
    }
    return largest;
}

void DropNegligible(Expression& terms) {
    double largest = 0.0;
    for (const auto& [index, value] : terms) {
        largest = std::max(largest, std::fabs(value));
    }
    std::erase_if(terms, [&](const auto& term) {
        return std::fabs(term.second) <= kNegligible * std::max(1.0, largest);
    });
}

[[noreturn]] void Infeasible() {
    throw PolytopeError(PolytopeError::Kind::Infeasible, "the statements contradict each other");
}

class Reducer {
public:
    explicit Reducer(int unknownCount)
        : state_(static_cast<std::size_t>(unknownCount), State::Free),
          value_(static_cast<std::size_t>(unknownCount), 0.0),
          dependent_(static_cast<std::size_t>(unknownCount)) {}

    State StateOf(int unknown) const { return state_[static_cast<std::size_t>(unknown)]; }

    // The terms in free unknowns only.
    Reduced Substitute(const Expression& terms) const {
        Reduced out;
        for (const auto& [index, value] : terms) {
            const auto i = static_cast<std::size_t>(index);
            switch (state_[i]) {
            case State::Free:
                out.Terms[index] += value;
                break;
            case State::Fixed:
                out.Constant += value * value_[i];
                break;
            case State::Dependent:
                out.Constant += value * dependent_[i].Constant;
                for (const auto& [other, coefficient] : dependent_[i].Terms) {
                    out.Terms[other] += value * coefficient;
                }
                break;
            }
        }
        DropNegligible(out.Terms);
        return out;
    }

    void FixAtZero(int unknown) {
        assert(StateOf(unknown) == State::Free);
        state_[static_cast<std::size_t>(unknown)] = State::Fixed;
    }

    // Solves terms = rightSide for its largest unknown and substitutes it everywhere. A row that
    // the equalities already taken imply to within tolerance (relative to its own largest
    // coefficient) is left out.
    void Eliminate(const Expression& terms, double rightSide, double tolerance) {
        Reduced reduced = Substitute(terms);
        const double right = rightSide - reduced.Constant;
        const double scale = std::max(1.0, Largest(terms));
        if (tolerance > kRightSideTolerance && Largest(reduced.Terms) <= tolerance * scale) {
            reduced.Terms.clear(); // what is left of the row is rounding of a near-duplicate
        }
        if (reduced.Terms.empty()) {
            if (std::fabs(right) > tolerance * scale) {
                Infeasible();
            }
            return; // implied by the equalities already taken
        }
        auto pivot = reduced.Terms.begin();
        for (auto it = reduced.Terms.begin(); it != reduced.Terms.end(); ++it) {
            if (std::fabs(it->second) > std::fabs(pivot->second)) {
                pivot = it;
            }
        }
        const int p = pivot->first;
        const double a = pivot->second;
        Reduced solved;
        solved.Constant = right / a;
        for (const auto& [index, value] : reduced.Terms) {
            if (index != p) {
                solved.Terms[index] = -value / a;
            }
        }
        for (Reduced& other : dependent_) {
            const auto it = other.Terms.find(p);
            if (it == other.Terms.end()) {
                continue;
            }
            const double factor = it->second;
            other.Terms.erase(it);
            other.Constant += factor * solved.Constant;
            for (const auto& [index, value] : solved.Terms) {
                other.Terms[index] += factor * value;
            }
            DropNegligible(other.Terms);
        }
        state_[static_cast<std::size_t>(p)] = State::Dependent;
        dependent_[static_cast<std::size_t>(p)] = std::move(solved);
    }

    const Reduced& DependentForm(int unknown) const {
        return dependent_[static_cast<std::size_t>(unknown)];
    }
    double FixedValue(int unknown) const { return value_[static_cast<std::size_t>(unknown)]; }

private:
    std::vector<State> state_;
    std::vector<double> value_;
    std::vector<Reduced> dependent_;
};

// Fixes at 0 the unknowns of every "= 0" row with coefficients of one sign and of every
// "<= 0" row with only positive coefficients (all unknowns being non-negative), until no row
// gives more.
void FixForcedZeros(std::vector<WorkRow>& rows, Reducer& reducer) {
    bool changed = true;
    while (changed) {
        changed = false;
        for (const WorkRow& row : rows) {
            const Reduced reduced = reducer.Substitute(row.Terms);
            const double right = row.RightSide - reduced.Constant;
            if (reduced.Terms.empty()) {
                continue;
            }
            const bool allPositive = std::all_of(reduced.Terms.begin(), reduced.Terms.end(),
                                                 [](const auto& t) { return t.second > 0.0; });
            const bool allNegative = std::all_of(reduced.Terms.begin(), reduced.Terms.end(),
                                                 [](const auto& t) { return t.second < 0.0; });
            bool forced = false;
            const double tolerance = row.Tolerance * std::max(1.0, Largest(row.Terms));
            if (row.Relation == RowRelation::Equal && (allPositive || allNegative)) {
                if ((allPositive && right < -tolerance) || (allNegative && right > tolerance)) {
                    Infeasible();
                }
                forced = std::fabs(right) <= tolerance;
            } else if (row.Relation == RowRelation::LessEqual && allPositive) {
                if (right < -tolerance) {
                    Infeasible();
                }
                forced = right <= tolerance;
            }
            if (forced) {
                for (const auto& [index, value] : reduced.Terms) {
                    reducer.FixAtZero(index);
                }
                changed = true;
            }
        }
    }
}

// Two "<=" rows a x <= b and -a x <= -b together say a x = b: the first becomes that equality
// and the second is dropped.
void JoinOppositeRows(std::vector<WorkRow>& rows) {
    using Key = std::vector<std::pair<int, double>>;
    std::map<Key, std::vector<std::size_t>> byKey;
    std::vector<double> scale(rows.size(), 0.0);
    std::vector<int> sign(rows.size(), 0);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        WorkRow& row = rows[i];
        if (row.Relation != RowRelation::LessEqual || row.Terms.empty()) {
            continue;
        }
        const double first = row.Terms.begin()->second;
        scale[i] = std::fabs(first);
        sign[i] = first > 0.0 ? 1 : -1;
        Key key;
        for (const auto& [index, value] : row.Terms) {
            key.emplace_back(index, sign[i] * value / scale[i]);
        }
        byKey[std::move(key)].push_back(i);
    }
    for (const auto& [key, members] : byKey) {
        for (const std::size_t i : members) {
            for (const std::size_t j : members) {
                if (rows[i].Dropped || rows[j].Dropped || sign[i] != 1 || sign[j] != -1 ||
                    rows[i].Relation != RowRelation::LessEqual) {
                    continue;
                }
                const double upper = rows[i].RightSide / scale[i];
                const double lower = -rows[j].RightSide / scale[j];
                if (std::fabs(upper - lower) <= kRightSideTolerance) {
                    rows[i].Relation = RowRelation::Equal;
                    rows[j].Dropped = true;
                }
            }
        }
    }
}

std::string Coordinate(int k) {
    return "y" + std::to_string(k);
}

// The terms of a row of G over the columns "y<k>".
std::vector<ParsedTerm> RowTerms(const std::vector<SparseTerm>& row) {
    std::vector<ParsedTerm> terms;
    terms.reserve(row.size() + 1);
    for (const SparseTerm& term : row) {
        terms.push_back({Coordinate(term.Index), term.Value});
    }
    return terms;
}

[[noreturn]] void SolverGaveUp() {
    throw PolytopeError(PolytopeError::Kind::Solver,
                        "the linear program for a starting point did not finish");
}

} // namespace

FeasiblePolytope::FeasiblePolytope(const std::vector<LinearRow>& rows, int unknownCount,
                                   const std::function<bool()>& stopRequested) {
    std::vector<LinearRow> current = rows;
    std::vector<char> pinned(rows.size(), 0); // per row of current: made an equality here
    // Each round that finds no room turns the rows that hold with equality (or nearly) at every
    // point into equalities; there are at most as many rounds as rows.
    for (std::size_t round = 0; round <= rows.size() + static_cast<std::size_t>(unknownCount);
         ++round) {
        Reduce(current, unknownCount, pinned);
        if (FindInnerPoint(stopRequested)) {
            return;
        }
        const std::vector<int> found = PinnedRows(stopRequested);
        if (found.empty()) {
            break;
        }
        for (const int r : found) {
            const int origin = rowOrigins_[static_cast<std::size_t>(r)];
            if (origin >= 0) {
                current[static_cast<std::size_t>(origin)].Relation = RowRelation::Equal;
                pinned[static_cast<std::size_t>(origin)] = 1;
            } else {
                current.push_back({{{-origin - 1, 1.0}}, RowRelation::Equal, 0.0});
                pinned.push_back(1);
            }
        }
    }
    throw PolytopeError(PolytopeError::Kind::NoRoom,
                        "the statements leave the values no room to vary");
}

void FeasiblePolytope::Reduce(const std::vector<LinearRow>& rows, int unknownCount,
                              const std::vector<char>& pinned) {
    unknowns_.clear();
    freeUnknowns_.clear();
    rows_.clear();
    rowOrigins_.clear();
    rightSides_.clear();
    columnStarts_.clear();
    rowIndices_.clear();
    coefficients_.clear();
    innerPoint_.clear();
    innerRadius_ = 0.0;
    std::vector<WorkRow> work;
    work.reserve(rows.size());
    for (const LinearRow& row : rows) {
        WorkRow w;
        const double sign = row.Relation == RowRelation::GreaterEqual ? -1.0 : 1.0;
        for (const SparseTerm& term : row.Terms) {
            assert(term.Index >= 0 && term.Index < unknownCount);
            w.Terms[term.Index] += sign * term.Value;
        }
        std::erase_if(w.Terms, [](const auto& t) { return t.second == 0.0; });
        w.Relation =
            row.Relation == RowRelation::Equal ? RowRelation::Equal : RowRelation::LessEqual;
        w.RightSide = sign * row.RightSide;
        if (pinned[work.size()] != 0) {
            w.Tolerance = kThinness;
        }
        work.push_back(std::move(w));
    }
    // Equalities that hold only nearly may leave what the others reduce to a constant missing
    // by about as much.
    const double tolerance = std::find(pinned.begin(), pinned.end(), 1) != pinned.end()
                                 ? kThinness
                                 : kRightSideTolerance;

    Reducer reducer(unknownCount);
    FixForcedZeros(work, reducer);
    for (WorkRow& row : work) {
        // Fixed unknowns out of the rows, so that opposite rows are recognized as such.
        const Reduced reduced = reducer.Substitute(row.Terms);
        row.Terms = reduced.Terms;
        row.RightSide -= reduced.Constant;
    }
    JoinOppositeRows(work);
    // The equalities as stated first, so that one that holds only nearly and merely repeats
    // them is recognized as such.
    for (const bool stated : {true, false}) {
        for (const WorkRow& row : work) {
            if (!row.Dropped && row.Relation == RowRelation::Equal &&
                (row.Tolerance == kRightSideTolerance) == stated) {
                reducer.Eliminate(row.Terms, row.RightSide, row.Tolerance);
            }
        }
    }

    std::vector<int> coordinateOf(static_cast<std::size_t>(unknownCount), -1);
    for (int u = 0; u < unknownCount; ++u) {
        if (reducer.StateOf(u) == State::Free) {
            coordinateOf[static_cast<std::size_t>(u)] = static_cast<int>(freeUnknowns_.size());
            freeUnknowns_.push_back(u);
        }
    }
    const auto toForm = [&](const Reduced& reduced) {
        AffineForm form;
        form.Constant = reduced.Constant;
        for (const auto& [index, value] : reduced.Terms) {
            form.Terms.push_back({coordinateOf[static_cast<std::size_t>(index)], value});
        }
        return form;
    };
    unknowns_.resize(static_cast<std::size_t>(unknownCount));
    for (int u = 0; u < unknownCount; ++u) {
        AffineForm& form = unknowns_[static_cast<std::size_t>(u)];
        switch (reducer.StateOf(u)) {
        case State::Free:
            form.Terms.push_back({coordinateOf[static_cast<std::size_t>(u)], 1.0});
            break;
        case State::Fixed:
            form.Constant = reducer.FixedValue(u);
            break;
        case State::Dependent:
            form = toForm(reducer.DependentForm(u));
            break;
        }
    }

    // G y <= h: the "<=" rows, then x >= 0 for each unknown that is not fixed.
    // origin: the index of the row in rows, or -(u + 1) for x[u] >= 0.
    const auto addRow = [&](const AffineForm& form, double rightSide, int origin) {
        const double right = rightSide - form.Constant;
        if (form.Terms.empty()) {
            if (right < -tolerance) {
                Infeasible();
            }
            return;
        }
        rows_.push_back(form.Terms);
        rightSides_.push_back(right);
        rowOrigins_.push_back(origin);
    };
    for (std::size_t i = 0; i < work.size(); ++i) {
        const WorkRow& row = work[i];
        if (!row.Dropped && row.Relation == RowRelation::LessEqual) {
            addRow(toForm(reducer.Substitute(row.Terms)), row.RightSide, static_cast<int>(i));
        }
    }
    for (int u = 0; u < unknownCount; ++u) {
        if (reducer.StateOf(u) != State::Fixed) {
            AffineForm negated = unknowns_[static_cast<std::size_t>(u)];
            negated.Constant = -negated.Constant;
            for (SparseTerm& term : negated.Terms) {
                term.Value = -term.Value;
            }
            addRow(negated, 0.0, -(u + 1));
        }
    }

    const int d = Dimension();
    std::vector<int> counts(static_cast<std::size_t>(d) + 1, 0);
    for (const auto& row : rows_) {
        for (const SparseTerm& term : row) {
            ++counts[static_cast<std::size_t>(term.Index) + 1];
        }
    }
    columnStarts_.assign(static_cast<std::size_t>(d) + 1, 0);
    for (int k = 0; k < d; ++k) {
        columnStarts_[static_cast<std::size_t>(k) + 1] =
            columnStarts_[static_cast<std::size_t>(k)] + counts[static_cast<std::size_t>(k) + 1];
    }
    const auto total = static_cast<std::size_t>(columnStarts_.back());
    rowIndices_.resize(total);
    coefficients_.resize(total);
    std::vector<int> next(columnStarts_.begin(), columnStarts_.end() - 1);
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        for (const SparseTerm& term : rows_[r]) {
            const auto at = static_cast<std::size_t>(next[static_cast<std::size_t>(term.Index)]++);
            rowIndices_[at] = static_cast<int>(r);
            coefficients_[at] = term.Value;
        }
    }
    // A coordinate that no row bounds from above lets the walk run off to infinity.
    for (int k = 0; k < d; ++k) {
        bool bounded = false;
        for (int at = columnStarts_[static_cast<std::size_t>(k)];
             at < columnStarts_[static_cast<std::size_t>(k) + 1]; ++at) {
            bounded = bounded || coefficients_[static_cast<std::size_t>(at)] > 0.0;
        }
        if (!bounded) {
            throw PolytopeError(PolytopeError::Kind::Unbounded,
                                "the statements leave some value without an upper limit");
        }
    }
}

bool FeasiblePolytope::FindInnerPoint(const std::function<bool()>& stopRequested) {
    const int d = Dimension();
    if (d == 0) {
        innerRadius_ = 0.0;
        return true; // a single point; the walk has nowhere to go
    }
    // max t over y = y' + t (y' >= 0, so every y_k keeps a distance t from its own bound)
    // subject to g y' + (sum g + |g|) t <= h for every other row: the ball of radius t around y
    // lies inside every row.
    PolytopeProgram program;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        const auto& row = rows_[r];
        if (row.size() == 1 && row.front().Value == -1.0 && rightSides_[r] == 0.0) {
            continue; // y_k >= 0, held by y' >= 0
        }
        double sum = 0.0;
        double norm = 0.0;
        for (const SparseTerm& term : row) {
            sum += term.Value;
            norm += term.Value * term.Value;
        }
        std::vector<ParsedTerm> terms = RowTerms(row);
        terms.push_back({"t", sum + std::sqrt(norm)});
        program.AddRow(std::move(terms), rightSides_[r]);
    }
    program.Maximize("t");
    const bool optimal = program.Solve(stopRequested);
    const double t = program.ValueOf("t");
    innerPoint_.assign(static_cast<std::size_t>(d), 0.0);
    for (int k = 0; k < d; ++k) {
        innerPoint_[static_cast<std::size_t>(k)] = program.ValueOf(Coordinate(k)) + t;
    }
    innerRadius_ = t;
    const std::vector<double> slacks = Slacks(innerPoint_);
    const double smallest = slacks.empty() ? 0.0 : *std::min_element(slacks.begin(), slacks.end());
    const bool inside = t >= kSmallestRadius && smallest > 0.0;
    if (!inside && !optimal) {
        // Any inner point will do; without one and without an optimum nothing can be said.
        SolverGaveUp();
    }
    return inside;
}

std::vector<int> FeasiblePolytope::PinnedRows(const std::function<bool()>& stopRequested) const {
    // max sum s_r over 0 <= s_r <= 1 with g_r y + |g_r| s_r <= h_r: every row that some point
    // keeps more than kThinness away from its boundary gets s_r > kThinness at some optimum.
    // Rows found so leave the objective and the program runs again; when none is found, the
    // rows left are pinned: they hold with equality at every point, or so nearly that no
    // point lies farther than kThinness from them.
    std::vector<double> norms(rows_.size(), 0.0);
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        for (const SparseTerm& term : rows_[r]) {
            norms[r] += term.Value * term.Value;
        }
        norms[r] = std::sqrt(norms[r]);
    }
    std::vector<char> strict(rows_.size(), 0);
    for (;;) {
        PolytopeProgram program;
        for (std::size_t r = 0; r < rows_.size(); ++r) {
            std::vector<ParsedTerm> terms = RowTerms(rows_[r]);
            if (strict[r] == 0) {
                const std::string slack = "s" + std::to_string(r);
                terms.push_back({slack, norms[r]});
                program.AddRow({{slack, 1.0}}, 1.0);
                program.Maximize(slack);
            }
            program.AddRow(std::move(terms), rightSides_[r]);
        }
        if (!program.HasObjective()) {
            return {}; // every row can be strict: the set is merely thin
        }
        if (!program.Solve(stopRequested)) {
            SolverGaveUp();
        }
        bool found = false;
        for (std::size_t r = 0; r < rows_.size(); ++r) {
            if (strict[r] == 0 && program.ValueOf("s" + std::to_string(r)) > kThinness) {
                strict[r] = 1;
                found = true;
            }
        }
        if (!found) {
            std::vector<int> pinned;
            for (std::size_t r = 0; r < rows_.size(); ++r) {
                if (strict[r] == 0) {
                    pinned.push_back(static_cast<int>(r));
                }
            }
            return pinned;
        }
    }
}

std::vector<double> FeasiblePolytope::Slacks(const std::vector<double>& point) const {
    std::vector<double> slacks(rightSides_);
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        for (const SparseTerm& term : rows_[r]) {
            slacks[r] -= term.Value * point[static_cast<std::size_t>(term.Index)];
        }
    }
    return slacks;
}

} // namespace velor
