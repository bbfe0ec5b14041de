#include "elicit/score_form.h"

#include "elicit/dialog_result.h"

namespace velor::elicit {

int ShowScoreAssessment(const DialogContext&, EntryId, int, int) {
    return kResultCancel;
}

} // namespace velor::elicit
