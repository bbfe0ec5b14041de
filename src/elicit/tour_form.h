// The elicitation tour with the real dialogs: every attribute's score assessment, then the
// weight assessments of the weight mode in force, each in its tour variant.
#pragma once

#include "elicit/dialog_context.h"
#include "elicit/elicitation_tour.h"

namespace velor::elicit {

// Runs the whole tour on the context's model and tells how it ended. Statements confirmed on
// the way stay in the model however the tour ends; nothing is recalculated.
TourEnd RunElicitationTour(const DialogContext& context);

} // namespace velor::elicit
