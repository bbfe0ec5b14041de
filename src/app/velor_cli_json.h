// The --json outputs of velor-cli: the summary of a calculation (run status and every stored
// result, nodes in pre-order), the summary of a model's stored results, and the conflicting
// statements of an infeasible model. Each document starts with "format": its name and the
// version of its layout (docs/velor-cli.schema.json describes every version in force). The
// version goes up whenever a field changes its meaning or goes away; new fields leave it.
#pragma once

#include "calc/calculation_driver.h"
#include "calc/acceptability.h"
#include "calc/conflict_finder.h"
#include "calc/group.h"
#include "model/model.h"

#include <nlohmann/json.hpp>

namespace velor {

struct RunSummary {
    bool Feasible = true;
    bool Complete = true;
    CalculationType Type = kCalculateModel;
    int LpCount = 0;
    double Seconds = 0.0;
};

inline constexpr int kJsonFormatVersion = 1;
// velor-results and velor-summary: version 2 has "warnings" and "calculated", and a margin that
// was not calculated since the model was opened is null.
inline constexpr int kResultsJsonVersion = 2;
// velor-acceptability 2: central weights as a list in the order of attributes (a list of names
// and columns), pairwise_winning left out beyond 200 alternatives ("pairwise"), the ranks
// counted per alternative in "ranks".
inline constexpr int kAcceptabilityJsonVersion = 2;

// calc --json: "velor-results".
nlohmann::ordered_json ResultsJson(const Model& model, const RunSummary& run);
// summary --json: "velor-summary", the options and every stored result.
nlohmann::ordered_json SummaryJson(const Model& model);

// check --json: "velor-conflict". Whether the model is feasible and, when a search ran (conflict
// given), the statements it found: kind, text, node (name and column) and alternatives (name and
// row), bound and value.
nlohmann::ordered_json ConflictJson(const Model& model, bool feasible,
                                    const ConflictResult* conflict);

// group --json: "velor-group". Each member's main-goal value intervals and recommendations, the
// consensus (values, dominance, recommendations, weights; or the conflicting statements, each
// with its member), and the common ground.
nlohmann::ordered_json GroupJson(const std::vector<GroupMember>& members,
                                 const GroupResults& results);

// acceptability --json: "velor-acceptability". Samples and seed, the attributes, and per
// alternative in row order its rank shares with their standard errors, its pairwise winning
// shares against every alternative in row order and its central weights by attribute name
// (null where it never ranks first).
nlohmann::ordered_json AcceptabilityJson(const AcceptabilityResult& result);

} // namespace velor
