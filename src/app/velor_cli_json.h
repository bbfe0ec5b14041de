// The --json outputs of velor-cli: the summary of a calculation (run status and every stored
// result, nodes in pre-order) and the conflicting statements of an infeasible model.
#pragma once

#include "calc/conflict_finder.h"
#include "model/model.h"

#include <nlohmann/json.hpp>

namespace velor {

struct RunSummary {
    bool Feasible = true;
    bool Complete = true;
    int Type = 0;
    int LpCount = 0;
    double Seconds = 0.0;
};

nlohmann::ordered_json ResultsJson(const Model& model, const RunSummary& run);

// Whether the model is feasible and, when a search ran (conflict given), the statements it
// found: kind, text, node (name and column) and alternatives (name and row), bound and value.
nlohmann::ordered_json ConflictJson(const Model& model, bool feasible,
                                    const ConflictResult* conflict);

} // namespace velor
