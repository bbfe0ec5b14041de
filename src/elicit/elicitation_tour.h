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

// Why a tour would have nothing to show.
enum class NothingToAssess {
    No,             // there are steps
    NoAttributes,   // the value tree has no attribute to assess
    NoAlternatives, // there are attributes but no alternative whose levels could be ranked
};

// What the tour tells the decision maker when it does not start, and when it has walked past
// its last step.
inline constexpr const char* kTourCaption = "Elicitation Tour";
inline constexpr const char* kTourNoAttributesMessage =
    "There is nothing to assess yet: the value tree has no attributes.\n"
    "Add attributes in the Value Tree window (Ctrl+A), then start the tour again.";
inline constexpr const char* kTourNoAlternativesMessage =
    "There is nothing to assess yet: the model has no alternatives.\n"
    "Add alternatives in the Alternatives window, then start the tour again.";
inline constexpr const char* kTourCompletedMessage =
    "The elicitation tour is complete.\n"
    "Calculate the model (Ctrl+F9) to see what the statements imply.";

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
    // Whether a tour on this model would be empty or pointless, and why: without attributes it
    // has no step; without alternatives its score steps would have no levels to rank.
    static NothingToAssess WhyNothingToAssess(const Model& model);

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
