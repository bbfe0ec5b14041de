#include "calc/calc_session.h"

#include "calc/solver_bridge.h"

#include <exception>
#include <new>
#include <utility>

namespace velor {

CalcSession::CalcSession(Model& model, CalcHost& host, SolveFunction solve)
    : model_(model), host_(host), solve_(std::move(solve)) {
    if (!solve_) {
        solve_ = [](const TConstraintModel& program) { return SolveModel(program); };
    }
}

TSolution SolveGuarded(const SolveFunction& solve, const TConstraintModel& program) {
    TSolution solution;
    try {
        solution = solve ? solve(program) : SolveModel(program);
    } catch (const std::bad_alloc&) {
        solution = TSolution{};
        solution.Error = "out of memory";
    } catch (const std::exception& error) {
        solution = TSolution{};
        solution.Error = error.what();
        if (solution.Error.empty()) {
            solution.Error = "unknown solver error";
        }
    }
    if (!solution.Error.empty()) {
        solution.Failed = 1;
    }
    return solution;
}

TSolution CalcSession::Solve(const TConstraintModel& program) {
    ++lpCount_;
    TSolution solution = SolveGuarded(solve_, program);
    if (!solution.Error.empty()) {
        if (fatalError_.empty()) {
            fatalError_ = solution.Error;
        }
    }
    return solution;
}

bool CalcSession::CancelPolled() {
    host_.ProcessEvents();
    return host_.CancelRequested();
}

} // namespace velor
