#include "calc/constraint_file.h"

#include "calc/results_report.h"

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

bool WriteConstraintFile(const TConstraintModel& model, const std::string& path,
                         std::string* error) {
    return WriteFileSafely(path, FileText(model), error);
}

} // namespace velor
