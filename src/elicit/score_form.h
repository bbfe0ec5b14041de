// The score assessment dialog: ranking the achievement levels of one node (an attribute's
// consequences, or the alternatives under a goal) and stating ratio statements between
// differences of those levels.
#pragma once

#include "elicit/dialog_context.h"
#include "model/records.h"

namespace velor::elicit {

// Opens the dialog for an assessment entry of kind "Score Assessment" or "Holistic Comparison"
// and returns its DialogResult. tourStep and tourSteps are both 0 outside the elicitation tour.
int ShowScoreAssessment(const DialogContext& context, EntryId entry, int tourStep = 0,
                        int tourSteps = 0);

} // namespace velor::elicit
