#include "calc/calc_session.h"

#include "calc/solver_bridge.h"
#include "calc/warm_start_solver.h"
#include "lp/lpx.h"

#include <cmath>
#include <exception>
#include <new>
#include <utility>

namespace velor {

CalcSession::CalcSession(Model& model, CalcHost& host, SolveFunction solve, bool warmStart,
                         std::chrono::milliseconds pollInterval)
    : model_(model), host_(host), solve_(std::move(solve)), pollInterval_(pollInterval),
      lastPoll_(std::chrono::steady_clock::now()) {
    LP_SETINTERRUPT([this] { return SolverPoll(); });
    if (!solve_) {
        solve_ = [](const TConstraintModel& program) { return SolveModel(program); };
        if (warmStart) {
            warm_ = std::make_unique<WarmStartSolver>(model_);
        }
    }
}

CalcSession::~CalcSession() {
    LP_SETINTERRUPT({});
}

namespace {

// Runs solve, turning an exception into a failed solution whose Error names it.
template <typename Solve> TSolution Guarded(Solve solve) {
    TSolution solution;
    try {
        solution = solve();
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
        solution.Failed = kSolveFailed;
    }
    return solution;
}

} // namespace

TSolution SolveGuarded(const SolveFunction& solve, const TConstraintModel& program) {
    return Guarded([&] { return solve ? solve(program) : SolveModel(program); });
}

TSolution CalcSession::Solve(const TConstraintModel& program) {
    ++lpCount_;
    return Remember(SolveGuarded(solve_, program));
}

TSolution CalcSession::SolveProgram(const ProgramParts& parts) {
    if (observer_) {
        observer_(parts);
    }
    if (!warm_) {
        return Solve(AssembleProgram(model_, parts));
    }
    ++lpCount_;
    return Remember(Guarded([&] { return warm_->Solve(parts); }));
}

void CalcSession::SetRunFault(std::function<bool()> fault) {
    if (warm_) {
        warm_->SetRunFault(std::move(fault));
    }
}

double WithoutRoundingNoise(double value) {
    // Grid of 2^-20: fine enough that no value a model states by hand lies within the noise of a
    // grid point without being meant to be on it, coarse enough for every optimum that should be
    // 0, 1 or a simple fraction.
    constexpr int kGridBits = 20;
    constexpr double kNoise = 1e-12;
    const double nearest = std::ldexp(std::nearbyint(std::ldexp(value, kGridBits)), -kGridBits);
    return std::fabs(value - nearest) <= kNoise ? nearest : value;
}

TSolution CalcSession::Remember(TSolution solution) {
    if (!solution.Error.empty() && fatalError_.empty()) {
        fatalError_ = solution.Error;
    }
    if (solution.Failed == kSolveOptimal) {
        solution.Objective = WithoutRoundingNoise(solution.Objective);
    }
    return solution;
}

bool CalcSession::CancelPolled() {
    host_.ProcessEvents();
    lastPoll_ = std::chrono::steady_clock::now();
    cancelled_ = cancelled_ || host_.CancelRequested();
    return cancelled_;
}

bool CalcSession::SolverPoll() {
    if (cancelled_) {
        return true;
    }
    if (std::chrono::steady_clock::now() - lastPoll_ < pollInterval_) {
        return false;
    }
    return CancelPolled();
}

} // namespace velor
