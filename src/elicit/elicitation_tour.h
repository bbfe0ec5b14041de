// The elicitation tour: the score assessment of every attribute and then the weight assessments
// of the weight mode in force, one dialog after the other, with Skip, Back and Abort. The
// dialogs are reached through callbacks, so the walk can be driven by a script in tests.
#pragma once

#include "model/model.h"

#include <functional>
#include <vector>

namespace velor::elicit {

struct TourDialogs {
    // Each shows its dialog in the tour variant (step of steps) and returns its DialogResult.
    std::function<int(EntryId entry, int step, int steps)> score;
    std::function<int(NodeId goal, int step, int steps)> weight; // goal kNone = bottom up
};

enum class TourEnd {
    NoSteps,   // nothing to assess: no dialog was shown
    Completed, // walked past the last entry
    Aborted,   // Abort, or "continue anyway" after an infeasible OK
};

class ElicitationTour {
public:
    // The model is the live one the dialogs change: statuses are read as the tour goes.
    ElicitationTour(const Model& model, TourDialogs dialogs);

    // Weight entries of the mode in force: every top-down entry when top-down weights are on,
    // otherwise the bottom-up entry.
    static bool BelongsToTour(const Model& model, const TAssessmentEntry& entry);
    // Score entries plus the weight entries of the tour whose status is not "Yes"; 0 for an
    // empty list or a model without the bottom-up entry.
    static int StepCount(const Model& model);

    TourEnd Run();

    int Steps() const { return steps_; }
    // Every step shown, in order, as the list position of its entry (after Back a position
    // appears again).
    const std::vector<int>& Shown() const { return shown_; }

private:
    const Model& model_;
    TourDialogs dialogs_;
    int steps_ = 0;
    std::vector<int> shown_;
};

} // namespace velor::elicit
