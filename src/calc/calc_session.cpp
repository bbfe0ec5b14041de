#include "calc/calc_session.h"

#include "calc/solver_bridge.h"
#include "calc/warm_start_solver.h"

#include <cmath>
#include <exception>
#include <new>
#include <utility>

namespace velor {

CalcSession::CalcSession(Model& model, CalcHost& host, SolveFunction solve, bool warmStart,
                         std::chrono::milliseconds pollInterval)
    : model_(model), host_(host), cancel_([this] { return SolverPoll(); }),
      pollInterval_(pollInterval), lastPoll_(std::chrono::steady_clock::now()) {
    if (warmStart && !solve) {
        auto warm = std::make_unique<WarmStartSolver>(model_);
        warm_ = warm.get();
        policy_ = std::move(warm);
    } else {
        policy_ = MakeReferencePolicy(model_, std::move(solve));
    }
}

CalcSession::~CalcSession() = default;

TSolution CalcSession::SolveProgram(const ProgramParts& parts) {
    if (observer_) {
        observer_(parts);
    }
    ++lpCount_;
    return Remember(Guarded([&] { return policy_->Solve(parts, cancel_); }));
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
    if (solution.Optimal()) {
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
