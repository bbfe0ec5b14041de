#include "calc/constraint_file.h"

#include "calc/results_report.h"
#include "calc/solver_bridge.h"

#include <stdexcept>
#include <string_view>

namespace velor {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::string FileText(const TConstraintModel& model) {
    std::string text;
    if (model.Direction == kMinimize || model.Direction == kMaximize) {
        text += model.Direction == kMinimize ? "min " : "max ";
        text += model.Objective;
        text += ';';
        text += kLineEnd;
    } else {
        text += model.Objective;
        text += kLineEnd;
        text += kLineEnd;
    }
    for (const std::string& constraint : model.Constraints) {
        text += constraint;
        text += ';';
        text += kLineEnd;
    }
    return text;
}

} // namespace

bool ConstraintFileText(const TConstraintModel& model, std::string& text, std::string* error) {
    // Only what the constraint parser reads back is written: a number that is not finite has no
    // form it accepts.
    for (const std::string& constraint : model.Constraints) {
        try {
            ParseConstraint(constraint);
        } catch (const std::invalid_argument& invalid) {
            if (error != nullptr) {
                *error =
                    std::string("a constraint holds a number that is not valid: ") + invalid.what();
            }
            return false;
        }
    }
    text = FileText(model);
    return true;
}

bool WriteConstraintFile(const TConstraintModel& model, const std::string& path,
                         std::string* error) {
    std::string text;
    return ConstraintFileText(model, text, error) && WriteFileSafely(path, text, error);
}

} // namespace velor
