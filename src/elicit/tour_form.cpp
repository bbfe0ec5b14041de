#include "elicit/tour_form.h"

#include "elicit/score_form.h"
#include "elicit/weight_form.h"
#include "ui/prompts.h"

#include <utility>

namespace velor::elicit {

TourEnd RunElicitationTour(const AssessmentContext& context) {
    const auto inform = [&context](const char* text) {
        context.prompts.Inform(QString::fromLatin1(kTourCaption), QString::fromLatin1(text),
                               ui::Icon::Information);
    };
    switch (ElicitationTour::WhyNothingToAssess(context.document.GetModel())) {
    case NothingToAssess::NoAttributes:
        inform(kTourNoAttributesMessage);
        return TourEnd::NoSteps;
    case NothingToAssess::NoAlternatives:
        inform(kTourNoAlternativesMessage);
        return TourEnd::NoSteps;
    case NothingToAssess::No:
        break;
    }
    TourDialogs dialogs;
    dialogs.score = [&context](EntryId entry, int step, int steps) {
        return ShowScoreAssessment(context, entry, step, steps);
    };
    dialogs.weight = [&context](NodeId goal, int step, int steps) {
        return ShowWeightAssessment(context, goal, step, steps);
    };
    ElicitationTour tour(context.document.GetModel(), std::move(dialogs));
    const TourEnd end = tour.Run();
    if (end == TourEnd::Completed) {
        inform(kTourCompletedMessage);
    }
    return end;
}

} // namespace velor::elicit
