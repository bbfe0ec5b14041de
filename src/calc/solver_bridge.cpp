#include "calc/solver_bridge.h"

#include "lp/lpx.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <new>
#include <stdexcept>
#include <unordered_map>
#include <utility>

namespace velor {

namespace {

// Bound of a logical variable that the solver treats as infinite.
constexpr float kInfiniteBound = 1e31F;

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// Reads a whole text as a finite real with a point as decimal separator.
double ReadNumber(std::string_view text) {
    std::string_view t = Trim(text);
    if (!t.empty() && t.front() == '+') {
        t.remove_prefix(1);
    }
    double value = 0.0;
    const auto result = std::from_chars(t.data(), t.data() + t.size(), value);
    if (t.empty() || result.ec != std::errc() || result.ptr != t.data() + t.size() ||
        !std::isfinite(value)) {
        throw std::invalid_argument("'" + std::string(text) + "' is not a valid number");
    }
    return value;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// True when the sign at the end of term belongs to an exponent: the term so far is a mantissa
// ("1", "2.5") followed by "e" or "E".
bool EndsInExponentMark(std::string_view term) {
    if (term.size() < 2 || (term.back() != 'e' && term.back() != 'E')) {
        return false;
    }
    bool digit = false;
    for (const char c : term.substr(0, term.size() - 1)) {
        if (IsDigit(c)) {
            digit = true;
        } else if (c != '.') {
            return false;
        }
    }
    return digit;
}

// Position of the "+" or "-" that ends the term starting at 0, npos if none.
std::size_t TermEnd(std::string_view text) {
    std::size_t from = 0;
    while (true) {
        const auto pos = text.find_first_of("+-", from);
        if (pos == std::string_view::npos || !EndsInExponentMark(text.substr(0, pos))) {
            return pos;
        }
        from = pos + 1;
    }
}

void AppendTerm(ParsedConstraint& parsed, std::string_view term, double sign) {
    term = Trim(term);
    if (term.empty()) {
        return;
    }
    const auto star = term.find('*');
    if (star == std::string_view::npos) {
        parsed.Terms.push_back({std::string(term), sign});
        return;
    }
    const std::string_view name = Trim(term.substr(star + 1));
    if (name.empty()) {
        throw std::invalid_argument("'" + std::string(term) + "' names no variable");
    }
    parsed.Terms.push_back({std::string(name), sign * ReadNumber(term.substr(0, star))});
}

// Splits text into its left side and relation, and stores the right side.
std::string_view SplitRelation(std::string_view text, ParsedConstraint& parsed) {
    struct Relation {
        const char* Text;
        int Code;
    };
    static constexpr Relation kRelations[] = {
        {"<=", kRelationLessEqual}, {">=", kRelationGreaterEqual}, {"=", kRelationEqual}};
    for (const Relation& relation : kRelations) {
        const auto pos = text.find(relation.Text);
        if (pos == std::string_view::npos) {
            continue;
        }
        const std::string_view right =
            Trim(text.substr(pos + std::char_traits<char>::length(relation.Text)));
        if (!right.empty()) {
            parsed.HasRightSide = true;
            parsed.Relation = relation.Code;
            parsed.RightSide = ReadNumber(right);
        }
        return text.substr(0, pos);
    }
    return text;
}

// One linear program in solver numbering: row 0 the objective, rows 1..m the constraints,
// columns 1..n the variables in order of first appearance.
struct LoadedProblem {
    struct Element {
        int Row;
        int Column;
        double Value;
    };
    std::vector<std::string> Names;
    std::vector<Element> Elements;
    std::vector<int> Relations;           // per constraint row
    std::vector<double> RightSides;       // per constraint row
    std::vector<int> lastRow;             // per column: the last row it occurred in
    std::vector<std::size_t> lastElement; // per column: its element in that row
    std::unordered_map<std::string, int> columns;

    void AddRow(int row, const ParsedConstraint& parsed) {
        for (const ParsedTerm& term : parsed.Terms) {
            auto [it, inserted] = columns.try_emplace(term.Name, 0);
            if (inserted) {
                Names.push_back(term.Name);
                it->second = static_cast<int>(Names.size());
                lastRow.push_back(-1);
                lastElement.push_back(0);
            }
            const auto index = static_cast<std::size_t>(it->second - 1);
            if (lastRow[index] == row) {
                Elements[lastElement[index]].Value += term.Coefficient;
            } else {
                lastRow[index] = row;
                lastElement[index] = Elements.size();
                Elements.push_back({row, it->second, term.Coefficient});
            }
        }
    }
};

LoadedProblem Load(const TConstraintModel& model) {
    LoadedProblem problem;
    problem.AddRow(0, ParseConstraint(model.Objective));
    const int m = model.ConstraintCount();
    problem.Relations.reserve(static_cast<std::size_t>(m));
    problem.RightSides.reserve(static_cast<std::size_t>(m));
    for (int i = 0; i < m; ++i) {
        const ParsedConstraint parsed = ParseConstraint(model.Constraint(i));
        if (!parsed.HasRightSide) {
            // A row without a right-hand side would leave the row's kind undefined.
            throw std::invalid_argument("constraint '" + model.Constraint(i) +
                                        "' has no relation and right-hand side");
        }
        problem.AddRow(i + 1, parsed);
        problem.Relations.push_back(parsed.Relation);
        problem.RightSides.push_back(parsed.RightSide);
    }
    return problem;
}

// Frees the solver problem however the solve ends.
class ProblemGuard {
public:
    explicit ProblemGuard(LpModel* lp) : lp_(lp) {}
    ProblemGuard(const ProblemGuard&) = delete;
    ProblemGuard& operator=(const ProblemGuard&) = delete;
    ~ProblemGuard() {
        if (lp_ != nullptr) {
            try {
                LP_DELETE(&lp_);
            } catch (...) {
                // nothing more can be done for a problem that cannot be freed
            }
        }
    }
    LpModel* get() const { return lp_; }

private:
    LpModel* lp_;
};

// Coefficients cross the solver interface in single precision; a larger magnitude would reach
// the solver as infinity.
bool FitsSinglePrecision(const LoadedProblem& problem, std::string& error) {
    const auto fits = [](double value) {
        return std::fabs(value) <= std::numeric_limits<float>::max();
    };
    for (const auto& element : problem.Elements) {
        if (!fits(element.Value)) {
            error = "coefficient of " +
                    problem.Names[static_cast<std::size_t>(element.Column - 1)] +
                    " is too large for the solver";
            return false;
        }
    }
    for (const double value : problem.RightSides) {
        if (!fits(value)) {
            error = "right-hand side is too large for the solver";
            return false;
        }
    }
    return true;
}

void Solve(const TConstraintModel& model, const LoadedProblem& problem, TSolution& solution) {
    if (!FitsSinglePrecision(problem, solution.Error)) {
        solution.Failed = kSolveFailed;
        return;
    }
    const int n = static_cast<int>(problem.Names.size());
    const int m = static_cast<int>(problem.Relations.size());
    ProblemGuard guard(LP_NEW(n, m));
    LpModel* lp = guard.get();
    for (int i = 1; i <= m; ++i) {
        LP_PUTELEM(static_cast<float>(problem.RightSides[static_cast<std::size_t>(i - 1)]), 0, i,
                   lp);
    }
    for (const auto& element : problem.Elements) {
        const double value =
            element.Row == 0 && model.Direction == kMaximize ? -element.Value : element.Value;
        LP_PUTELEM(static_cast<float>(value), element.Column, element.Row, lp);
    }
    for (int i = 1; i <= m; ++i) {
        switch (problem.Relations[static_cast<std::size_t>(i - 1)]) {
        case kRelationLessEqual:
            LP_PUTLBOUND(0.0F, -i, lp);
            LP_PUTUBOUND(kInfiniteBound, -i, lp);
            break;
        case kRelationGreaterEqual:
            LP_PUTLBOUND(-kInfiniteBound, -i, lp);
            LP_PUTUBOUND(0.0F, -i, lp);
            break;
        default:
            LP_PUTLBOUND(0.0F, -i, lp);
            LP_PUTUBOUND(0.0F, -i, lp);
            break;
        }
    }
    LP_REINVERT(lp);
    LP_PRIMAL(lp);
    solution.Failed = LP_GETSTATUS(lp) == LP_OPTIMAL ? kSolveOptimal : kSolveFailed;
    const double objective = LP_GETSOL(0, lp);
    solution.Objective = model.Direction == kMinimize ? -objective : objective;
    solution.Names = problem.Names;
    solution.Values.reserve(problem.Names.size());
    for (int j = 1; j <= n; ++j) {
        solution.Values.push_back(LP_GETSOL(j, lp));
    }
}

} // namespace

ParsedConstraint ParseConstraint(std::string_view text) {
    ParsedConstraint parsed;
    std::string_view left = SplitRelation(text, parsed);
    double sign = 1.0;
    while (!left.empty()) {
        const std::size_t end = TermEnd(left);
        if (end == std::string_view::npos) {
            AppendTerm(parsed, left, sign);
            break;
        }
        AppendTerm(parsed, left.substr(0, end), sign);
        sign = left[end] == '+' ? 1.0 : -1.0;
        left.remove_prefix(end + 1);
    }
    return parsed;
}

TSolution SolveModel(const TConstraintModel& model) {
    TSolution solution;
    solution.Direction = model.Direction;
    if (model.Direction != kMinimize && model.Direction != kMaximize) {
        return solution;
    }
    try {
        Solve(model, Load(model), solution);
    } catch (const LpFatalError& error) {
        solution = TSolution{};
        solution.Direction = model.Direction;
        solution.Failed = kSolveFailed;
        solution.Error = error.what();
    } catch (const std::bad_alloc&) {
        solution = TSolution{};
        solution.Direction = model.Direction;
        solution.Failed = kSolveFailed;
        solution.Error = "out of memory";
    }
    return solution;
}

} // namespace velor
