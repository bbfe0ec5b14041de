// What an elicitation dialog needs from the application. A dialog edits a working model (a copy
// of the document's model) and shows messages through the prompts; what it stored is applied to
// the document as one step of the edit history when it closes.
#pragma once

#include "model/document.h"

#include <functional>
#include <string>
#include <utility>

class QWidget;

namespace velor {
class Model;
namespace ui {
class Prompts;
}
} // namespace velor

namespace velor::elicit {

// A dialog's own view of the application: the model it edits and may check, the prompts, and
// the window it is centred over.
struct DialogContext {
    Model& model;
    ui::Prompts& prompts;
    QWidget* parent = nullptr;
};

// What opening an assessment needs: the document whose model the assessment changes.
struct AssessmentContext {
    Document& document;
    ui::Prompts& prompts;
    QWidget* parent = nullptr;
};

// Runs a dialog on a copy of the document's model and applies what the dialog stored there as
// one step labelled label (no step when it stored nothing, as after Cancel). Returns the
// dialog's result.
inline int RunOnWorkingCopy(const AssessmentContext& context, const std::string& label,
                            const std::function<int(const DialogContext&)>& dialog) {
    Model working = context.document.GetModel();
    const int result = dialog(DialogContext{working, context.prompts, context.parent});
    context.document.Apply(label, [&working](Model& model) {
        model = std::move(working);
        model.NotifyAll();
    });
    return result;
}

} // namespace velor::elicit
