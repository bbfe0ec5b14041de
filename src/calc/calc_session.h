// One calculation run's shared state: the model it writes, the host it reports to, the solver it
// calls, and what the run has seen so far (linear programs solved, a fatal solver error). The
// driver and the dominance and regret phases work through it.
#pragma once

#include "calc/calc_host.h"
#include "calc/constraint_generator.h"
#include "calc/constraint_model.h"
#include "calc/solve_policy.h"
#include "model/model.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace velor {


// Asked whenever a linear program fails where the user may skip it.
inline constexpr const char* kFailedProgramQuestion =
    "A linear program ended up with an infeasible solution.\n"
    "It may result from inconsistent constraints.\n"
    "Do you continue with next calculations?";

// An optimum as the calculation stores it. The simplex leaves rounding noise of about 1e-16 on
// its results, which depends on the path it took: an optimum of exactly 1 may come out as
// 0.9999999999999998 from one basis and as 1 from another. The dominance and recommendation
// rules compare results exactly, so such noise would decide ties. A value within 1e-12 of a
// multiple of 2^-20 (0, 1, 0.5, ...) is therefore taken as that multiple; any other value is
// kept as it is.
double WithoutRoundingNoise(double value);

class WarmStartSolver;

// Longest stretch of simplex iterations between two polls of the host for pending input and
// Cancel; a single program of a large model can take many seconds.
inline constexpr std::chrono::milliseconds kSolverPollInterval{20};

// Called with every program a session solves through SolveProgram, before it is solved.
using ProgramObserver = std::function<void(const ProgramParts&)>;

class CalcSession {
public:
    // With warmStart (and no substitute solve), programs given to SolveProgram go to the default
    // policy, a WarmStartSolver that keeps one solver problem per constraint set; otherwise to
    // the reference policy, which assembles every program as text and solves it from scratch.
    // Every solve gets the session's cancel token: the solver asks it after every iteration,
    // and it polls the host whenever pollInterval has passed since the last poll.
    CalcSession(Model& model, CalcHost& host, SolveFunction solve = {}, bool warmStart = false,
                std::chrono::milliseconds pollInterval = kSolverPollInterval);
    ~CalcSession();
    CalcSession(const CalcSession&) = delete;
    CalcSession& operator=(const CalcSession&) = delete;

    Model& GetModel() { return model_; }
    CalcHost& Host() { return host_; }

    // Solves the program given by its parts through the session's policy and counts it. A
    // solver error (exception or TSolution::Error) comes back as a failed solution with Error
    // set, and is remembered in FatalError(). An optimum comes back WithoutRoundingNoise.
    TSolution SolveProgram(const ProgramParts& parts);
    void SetProgramObserver(ProgramObserver observer) { observer_ = std::move(observer); }
    // For tests, on the default path: see WarmStartSolver::SetRunFault.
    void SetRunFault(std::function<bool()> fault);

    // Lets pending input run, then tells whether the user asked to stop.
    bool CancelPolled();
    // Whether a poll, here or inside the simplex, has seen the user ask to stop. A program the
    // simplex stopped for that reason comes back failed, and is neither stored nor asked about.
    bool Cancelled() const { return cancelled_; }
    // Failed program where the user decides: true to skip it and go on.
    bool AskContinue() { return host_.AskContinue(kFailedProgramQuestion); }

    // Whether programs given to SolveProgram go to a warm-started solver.
    bool WarmStart() const { return warm_ != nullptr; }

    int LpCount() const { return lpCount_; }
    bool Fatal() const { return !fatalError_.empty(); }
    const std::string& FatalError() const { return fatalError_; }

private:
    // Keeps the first solver error of the run and takes the noise off an optimum.
    TSolution Remember(TSolution solution);
    // The cancel token's question, asked by the solver after every iteration: polls the host
    // once the interval has passed.
    bool SolverPoll();

    Model& model_;
    CalcHost& host_;
    std::unique_ptr<SolvePolicy> policy_;
    WarmStartSolver* warm_ = nullptr; // the policy, when it is the default one
    CancelToken cancel_;
    ProgramObserver observer_;
    int lpCount_ = 0;
    std::string fatalError_;
    std::chrono::milliseconds pollInterval_;
    std::chrono::steady_clock::time_point lastPoll_;
    bool cancelled_ = false;
};

} // namespace velor
