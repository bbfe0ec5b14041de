// The elicitation tour with the real dialogs: every attribute's score assessment, then the
// weight assessments of the weight mode in force, each in its tour variant.
#pragma once

#include "elicit/dialog_context.h"
#include "elicit/elicitation_tour.h"

namespace velor::elicit {

// Runs the whole tour on the document's model and tells how it ended. Each dialog that stored
// statements is one step of the edit history; statements confirmed on the way stay however the
// tour ends; nothing is recalculated.
TourEnd RunElicitationTour(const AssessmentContext& context);

} // namespace velor::elicit
