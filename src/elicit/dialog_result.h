// Result codes of the modal elicitation dialogs.
#pragma once

namespace velor::elicit {

enum DialogResult : int {
    kResultOk = 1,
    kResultCancel = 2, // shown as "&Skip" on the elicitation tour
    kResultAbort = 3,  // also "continue anyway" after an infeasible OK
    kResultBack = 4,   // elicitation tour only
};

} // namespace velor::elicit
