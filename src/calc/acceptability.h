// Acceptability analysis: how often each alternative ranks first, second, ... among all the value
// functions and weights that the model's statements allow. Points are drawn uniformly from the
// feasible set of the calculation's linear programs (plain normalization: the attribute weights
// sum to 1) by a hit-and-run walk, and every point ranks the alternatives by overall value.
//
// The run is deterministic for a seed: a fixed number of independent walks, each with its own
// seed derived from the run's seed, share the samples in a fixed way, and their tallies are added
// in walk order, so the result does not depend on how many threads run the walks.
#pragma once

#include "calc/feasible_polytope.h"
#include "model/acceptability_result.h"
#include "model/model.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velor {

struct AcceptabilityOptions {
    int Samples = 10000;
    std::uint64_t Seed = 1;
    int Threads = 0; // 0: as many as the machine has, at most one per walk
};

// The fewest samples a run takes: every batch of the error estimate needs a few.
inline constexpr int kMinimumAcceptabilitySamples = 100;
// Up to this many alternatives a run counts every rank and the pairwise table; beyond, it
// counts the first this many ranks of each alternative and leaves the pairwise table out, so
// that its memory grows linearly with the alternatives.
inline constexpr int kFullTableAlternatives = 200;

inline constexpr const char* kInfeasibleAcceptabilityMessage =
    "The model is infeasible: the statements contradict each other.";
// Why a run ended when memory ran out, wherever it did.
inline constexpr const char* kOutOfMemoryMessage = "Out of memory.";

enum class AcceptabilityStatus {
    Completed,
    Stopped,    // the caller asked to stop; no result
    Infeasible, // the statements contradict each other (by the calculation's feasibility check)
    Failed,     // no sampling possible (no alternatives, no room to vary, solver error, memory)
};

struct AcceptabilityOutcome {
    AcceptabilityStatus Status = AcceptabilityStatus::Failed;
    std::string Message; // why, when not completed
    AcceptabilityResult Result;
};

struct AcceptabilityCallbacks {
    // Polled on the calling thread every few milliseconds; true stops the run.
    std::function<bool()> StopRequested;
    // Work done out of the total, on the calling thread.
    std::function<void(int done, int total)> Progress;
};

// The rows of the calculation's constraint system (plain normalization) over its value unknowns,
// numbered from 0: every "va<column>a<row>" of a twig-level attribute first, in attribute and
// row order, then any other unknown the rows name.
struct FeasibleRows {
    std::vector<LinearRow> Rows;
    std::vector<std::string> Names; // per unknown
};
FeasibleRows FeasibleRowsOf(const Model& model);

// Whether the statements admit any solution is decided first, by the calculation's own
// feasibility program on its default path, so that the analysis calls a model infeasible exactly
// when a calculation does; a feasible model is sampled however thin its set. A run that runs out
// of memory anywhere ends as Failed with kOutOfMemoryMessage. Throws std::invalid_argument for
// fewer than kMinimumAcceptabilitySamples samples.
AcceptabilityOutcome ComputeAcceptability(const Model& model, const AcceptabilityOptions& options,
                                          const AcceptabilityCallbacks& callbacks = {});

} // namespace velor
