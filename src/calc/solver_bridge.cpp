#include "calc/solver_bridge.h"

#include "calc/solver_rows.h"
#include "calc/lp_backend.h"

#include <charconv>
#include <cmath>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>

namespace velor {

namespace {

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
        velor::Relation Code;
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

void Solve(const TConstraintModel& model, SolverRows rows, TSolution& solution,
           const CancelToken& cancel) {
    if (!FitsSinglePrecision(rows, solution.Error)) {
        solution.Status = SolveStatus::NumericalTrouble;
        return;
    }
    if (model.Direction == kMaximize) {
        // The solver minimizes: a maximized objective is loaded negated.
        for (SolverRows::Element& element : rows.Elements) {
            if (element.Row == 0) {
                element.Value = -element.Value;
            }
        }
    }
    const std::unique_ptr<LpBackend> backend = MakeBackend(BackendKind::OwnSimplex, rows);
    backend->Restart();
    RunOptions run;
    run.RequireExact = false;
    solution.Status = backend->Minimize(run, cancel);
    solution.Iterations = backend->Iterations();
    const double objective = backend->Objective();
    solution.Objective = model.Direction == kMinimize ? objective : -objective;
    solution.Names = rows.Names;
    std::vector<double> point = backend->Point();
    solution.Values.assign(point.begin() + 1, point.end());
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

TSolution SolveModel(const TConstraintModel& model, const CancelToken& cancel) {
    TSolution solution;
    solution.Direction = model.Direction;
    if (model.Direction != kMinimize && model.Direction != kMaximize) {
        return solution;
    }
    try {
        Solve(model, ParseProgram(model), solution, cancel);
    } catch (const std::runtime_error& error) { // the solver's fatal errors
        solution = TSolution{};
        solution.Direction = model.Direction;
        solution.Status = SolveStatus::NumericalTrouble;
        solution.Error = error.what();
    } catch (const std::bad_alloc&) {
        solution = TSolution{};
        solution.Direction = model.Direction;
        solution.Status = SolveStatus::NumericalTrouble;
        solution.Error = "out of memory";
    }
    return solution;
}

} // namespace velor
