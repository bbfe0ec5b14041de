// Solves arbitrary small constraint models: the first byte gives the direction (low bit), the
// rest of the input is split into lines, the first line the objective and each further line one
// constraint (at most 12). SolveModel either refuses a text that does not parse with
// std::invalid_argument or returns a solution: failed or optimal, one value per variable, and an
// optimal solution that honours every constraint and the non-negativity of the variables, with
// the objective equal to its value at the solution. The check of the solution is made only for
// models whose numbers lie in the range the constraint generator writes (multipliers of up to
// seven digits): with wilder scales the solver's absolute tolerances make the check meaningless,
// and such models are solved only to see that nothing breaks.
#include "calc/solver_bridge.h"
#include "calc/lp_backend.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

constexpr std::size_t kMaxInput = 1024;
constexpr int kMaxConstraints = 12;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

// The coefficients as the solver sees them: rounded to single precision.
double Single(double value) {
    return static_cast<double>(static_cast<float>(value));
}

bool OrdinaryScale(const velor::ParsedConstraint& parsed) {
    const auto ordinary = [](double value) {
        const double a = std::fabs(value);
        return a == 0.0 || (a >= 1e-4 && a <= 1e7);
    };
    for (const auto& term : parsed.Terms)
        if (!ordinary(term.Coefficient))
            return false;
    return !parsed.HasRightSide || ordinary(parsed.RightSide);
}

struct Activity {
    double value = 0.0;
    double scale = 0.0;
};

Activity Evaluate(const velor::ParsedConstraint& parsed, const std::map<std::string, double>& x) {
    Activity a;
    for (const auto& term : parsed.Terms) {
        const auto it = x.find(term.Name);
        if (it == x.end())
            Fail("a variable of the model has no value in the solution");
        const double product = Single(term.Coefficient) * it->second;
        a.value += product;
        a.scale += std::fabs(product);
    }
    return a;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    velor::SetSolverConsole(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > kMaxInput)
        return 0;
    const velor::Direction direction = (data[0] & 1U) != 0 ? velor::kMaximize : velor::kMinimize;
    std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string objective;
    std::vector<std::string> lines;
    bool first = true;
    while (true) {
        const auto lf = text.find('\n');
        const std::string_view line = text.substr(0, lf);
        if (first)
            objective = std::string(line);
        else
            lines.emplace_back(line);
        first = false;
        if (lf == std::string_view::npos || lines.size() >= kMaxConstraints)
            break;
        text.remove_prefix(lf + 1);
    }
    velor::TConstraintModel model(direction, objective);
    for (const auto& line : lines)
        model.AddConstraint(line);

    velor::TSolution solution;
    try {
        solution = velor::SolveModel(model);
    } catch (const std::invalid_argument&) {
        return 0;
    }
    if (solution.Status == velor::SolveStatus::NotRun)
        Fail("a solved model has no outcome");
    if (!solution.Error.empty() && solution.Optimal())
        Fail("a solver error is not reported as a failure");
    if (solution.Direction != direction)
        Fail("the solution does not carry the model's direction");
    if (solution.Failed())
        return 0;
    if (solution.Names.size() != solution.Values.size())
        Fail("names and values differ in number");

    std::map<std::string, double> x;
    for (std::size_t j = 0; j < solution.Names.size(); ++j) {
        const double v = solution.Values[j];
        if (!std::isfinite(v))
            Fail("an optimal value is not finite");
        if (!x.emplace(solution.Names[j], v).second)
            Fail("a variable is named twice");
        // Non-negativity, with the solver's feasibility tolerance.
        if (v < -1e-5 * (1.0 + std::fabs(v)))
            Fail("an optimal value is negative");
    }
    // The objective and the constraints, all parsed without error by SolveModel already.
    if (!OrdinaryScale(velor::ParseConstraint(model.Objective)))
        return 0;
    for (const auto& line : lines)
        if (!OrdinaryScale(velor::ParseConstraint(line)))
            return 0;
    const Activity z = Evaluate(velor::ParseConstraint(model.Objective), x);
    if (!(std::fabs(z.value - solution.Objective) <= 1e-6 * (1.0 + z.scale)))
        Fail("the objective does not match its value at the solution");
    for (const auto& line : lines) {
        const velor::ParsedConstraint parsed = velor::ParseConstraint(line);
        const Activity a = Evaluate(parsed, x);
        const double rhs = Single(parsed.RightSide);
        const double tolerance = 1e-5 * (1.0 + a.scale + std::fabs(rhs));
        if (parsed.Relation != velor::kRelationGreaterEqual && a.value > rhs + tolerance)
            Fail("an optimal solution exceeds a '<=' or '=' row");
        if (parsed.Relation != velor::kRelationLessEqual && a.value < rhs - tolerance)
            Fail("an optimal solution falls short of a '>=' or '=' row");
    }
    return 0;
}
