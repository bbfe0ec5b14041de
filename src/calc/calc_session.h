// One calculation run's shared state: the model it writes, the host it reports to, the solver it
// calls, and what the run has seen so far (linear programs solved, a fatal solver error). The
// driver and the dominance and regret phases work through it.
#pragma once

#include "calc/calc_host.h"
#include "calc/constraint_model.h"
#include "model/model.h"

#include <functional>
#include <string>

namespace velor {

// Solves one linear program; SolveModel unless a test or tool substitutes its own.
using SolveFunction = std::function<TSolution(const TConstraintModel&)>;

// Asked whenever a linear program fails where the user may skip it.
inline constexpr const char* kFailedProgramQuestion =
    "A linear program ended up with an infeasible solution.\n"
    "It may result from inconsistent constraints.\n"
    "Do you continue with next calculations?";

// Calls solve, turning an exception (LpFatalError, std::bad_alloc, ...) into a failed solution
// whose Error names it; a solution with Error set is always marked failed.
TSolution SolveGuarded(const SolveFunction& solve, const TConstraintModel& program);

class CalcSession {
public:
    CalcSession(Model& model, CalcHost& host, SolveFunction solve = {});

    Model& GetModel() { return model_; }
    CalcHost& Host() { return host_; }

    // Solves one program and counts it. A solver error (exception or TSolution::Error) comes
    // back as a failed solution with Error set, and is remembered in FatalError().
    TSolution Solve(const TConstraintModel& program);

    // Lets pending input run, then tells whether the user asked to stop.
    bool CancelPolled();
    // Failed program where the user decides: true to skip it and go on.
    bool AskContinue() { return host_.AskContinue(kFailedProgramQuestion); }

    int LpCount() const { return lpCount_; }
    bool Fatal() const { return !fatalError_.empty(); }
    const std::string& FatalError() const { return fatalError_; }

private:
    Model& model_;
    CalcHost& host_;
    SolveFunction solve_;
    int lpCount_ = 0;
    std::string fatalError_;
};

} // namespace velor
