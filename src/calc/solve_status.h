// How a linear program ended, and how a caller asks a running solve to stop. Every solve of the
// program, whichever backend and policy ran it, ends in one of these statuses.
#pragma once

#include <functional>
#include <utility>

namespace velor {

enum class SolveStatus {
    NotRun,           // nothing was solved (no objective direction to solve for)
    Optimal,          // an optimum, exact to the backend's tolerances
    Infeasible,       // the rows admit no point
    Unbounded,        // the objective has no finite optimum
    IterationLimit,   // the run spent its budget
    Cancelled,        // the caller's token asked the run to stop
    NumericalTrouble, // the run ended at a basis that is not an exact optimum, or failed
};

// Text of a status for messages and logs ("optimal", "infeasible", ...).
const char* SolveStatusText(SolveStatus status);

// Asked by a running solve at least after every simplex iteration: true stops it as at the end
// of its budget, with status Cancelled. A default token never cancels. The function decides how
// often it does real work (the calculation polls its host every 20 ms).
class CancelToken {
public:
    CancelToken() = default;
    explicit CancelToken(std::function<bool()> requested) : requested_(std::move(requested)) {}

    bool Requested() const { return requested_ && requested_(); }
    explicit operator bool() const { return static_cast<bool>(requested_); }
    // The function itself, for a solver that asks it from its own callbacks.
    const std::function<bool()>& Function() const { return requested_; }

private:
    std::function<bool()> requested_;
};

} // namespace velor
