#include "elicit/elicitation_tour.h"

#include "elicit/dialog_result.h"

#include <utility>

namespace velor::elicit {

namespace {

bool IsWeightEntry(const TAssessmentEntry& entry) {
    return entry.Kind == EntryKind::TopDownWeights || entry.Kind == EntryKind::BottomUpWeights;
}

bool Assessed(const TAssessmentEntry& entry) {
    return entry.Status == AssessmentStatus::Yes;
}

} // namespace

ElicitationTour::ElicitationTour(const Model& model, TourDialogs dialogs)
    : model_(model), dialogs_(std::move(dialogs)) {}

bool ElicitationTour::BelongsToTour(const Model& model, const TAssessmentEntry& entry) {
    if (entry.Kind == EntryKind::TopDownWeights) {
        return model.TopDownWeights();
    }
    if (entry.Kind == EntryKind::BottomUpWeights) {
        return !model.TopDownWeights();
    }
    return false;
}

int ElicitationTour::StepCount(const Model& model) {
    if (model.Assessments().empty() || model.BottomUpEntry() == kNone) {
        return 0;
    }
    int steps = 0;
    for (const auto& entry : model.Assessments()) {
        if (entry.Kind == EntryKind::ScoreAssessment) {
            ++steps;
        } else if (BelongsToTour(model, entry) && !Assessed(entry)) {
            ++steps;
        }
    }
    return steps;
}

NothingToAssess ElicitationTour::WhyNothingToAssess(const Model& model) {
    if (model.AttributeCount() == 0 || StepCount(model) == 0) {
        return NothingToAssess::NoAttributes;
    }
    if (model.M() == 0) {
        return NothingToAssess::NoAlternatives;
    }
    return NothingToAssess::No;
}

TourEnd ElicitationTour::Run() {
    steps_ = StepCount(model_);
    shown_.clear();
    if (steps_ == 0) {
        return TourEnd::NoSteps;
    }
    // history[k] is the list position of step k (1-based, history[0] unused).
    std::vector<int> history(1, 0);
    int n = 0;
    bool back = false;
    int i = 0;
    while (i < static_cast<int>(model_.Assessments().size())) {
        // Copy what is needed: the dialog changes the model and may move the list in memory.
        const TAssessmentEntry entry = model_.Assessments()[static_cast<std::size_t>(i)];
        const bool scoreStep = entry.Kind == EntryKind::ScoreAssessment;
        const bool weightStep =
            IsWeightEntry(entry) && BelongsToTour(model_, entry) && !(Assessed(entry) && !back);
        if (!scoreStep && !weightStep) {
            ++i;
            continue;
        }
        ++n;
        history.resize(static_cast<std::size_t>(n) + 1);
        history[static_cast<std::size_t>(n)] = i;
        back = false;
        shown_.push_back(i);
        const int result =
            scoreStep ? dialogs_.score(entry.Id, n, steps_)
                      : dialogs_.weight(entry.Kind == EntryKind::TopDownWeights ? entry.WeightNode
                                                                                : kNone,
                                        n, steps_);
        if (result == kResultAbort) {
            return TourEnd::Aborted;
        }
        if (result == kResultBack) {
            // Back is offered from step 2 on; from step 1 the same step is shown again.
            const int target = n > 1 ? n - 1 : 1;
            i = history[static_cast<std::size_t>(target)];
            n = target - 1;
            back = true;
            continue;
        }
        ++i;
    }
    return TourEnd::Completed;
}

} // namespace velor::elicit
