// The --json summary of velor-cli: run status and every stored result, nodes in pre-order.
#pragma once

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

} // namespace velor
