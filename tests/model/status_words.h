// The words the assessment list shows for a task's status, so tests read like the list does.
#pragma once

#include "model/records.h"

#include <string>

namespace velor {

inline std::string StatusWords(AssessmentStatus status) {
    switch (status) {
    case AssessmentStatus::Yes:
        return "Yes";
    case AssessmentStatus::Partially:
        return "Partially";
    case AssessmentStatus::No:
        break;
    }
    return "No";
}

} // namespace velor
