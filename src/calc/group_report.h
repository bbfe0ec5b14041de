// The report of a group as text: what the members agree on, each member's main-goal value
// intervals and recommendations, and the consensus (its full results report when the members'
// statements hold together, the statements that contradict each other when they do not).
#pragma once

#include "calc/group.h"

#include <string>
#include <vector>

namespace velor {

// Lines end in CR LF, as in the results report.
std::string GroupReportText(const std::vector<GroupMember>& members, const GroupResults& results);

// What a member's run came to, in words ("infeasible", "not finished", ...); empty for a complete
// run.
std::string OutcomeWords(RunOutcome outcome);

} // namespace velor
