// The human-readable summary printed by "velor-cli summary": options, alternatives with their
// overall value, regret and recommendations, and the value tree with weights and values.
#pragma once

#include "model/model.h"

#include <iosfwd>

namespace velor {

void PrintSummary(const Model& model, std::ostream& out);

} // namespace velor
