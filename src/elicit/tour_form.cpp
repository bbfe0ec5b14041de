#include "elicit/tour_form.h"

#include "elicit/score_form.h"
#include "elicit/weight_form.h"

#include <utility>

namespace velor::elicit {

TourEnd RunElicitationTour(const DialogContext& context) {
    TourDialogs dialogs;
    dialogs.score = [&context](EntryId entry, int step, int steps) {
        return ShowScoreAssessment(context, entry, step, steps);
    };
    dialogs.weight = [&context](NodeId goal, int step, int steps) {
        return ShowWeightAssessment(context, goal, step, steps);
    };
    ElicitationTour tour(context.model, std::move(dialogs));
    return tour.Run();
}

} // namespace velor::elicit
