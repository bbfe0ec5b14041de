#include "elicit/feasibility_form.h"

#include "elicit/dialog_result.h"
#include "elicit/score_assessment.h"
#include "elicit/score_form.h"
#include "elicit/weight_form.h"
#include "model/document.h"
#include "ui/conflict_window.h"

#include <QApplication>

#include <utility>

namespace velor::elicit {

namespace {

// The conflict of the working model, in a modal window over the open question.
void ShowWorkingConflict(const DialogContext& context, const AssessmentTarget& own) {
    QWidget* over = QApplication::activeModalWidget();
    ui::ConflictWindow window(over != nullptr ? over : context.parent);
    window.setModal(true);
    window.SetOpenHandler([&context, &own, &window](const ConflictStatement& statement) {
        const AssessmentTarget target = AssessmentOf(context.model, statement);
        if (target.Kind == AssessmentTarget::Dialog::None) {
            return;
        }
        if (target == own) {
            // Changed in the dialog that asks, once the question is answered: say so rather
            // than open it a second time.
            context.prompts.Inform(QString::fromLatin1(kFeasibilityCaption),
                                   ui::kStatementInThisDialog, ui::Icon::Information);
            return;
        }
        // Another assessment edits the working model: on OK its changes become part of what
        // the asking dialog stores, on Cancel nothing changes.
        Document nested;
        nested.Reset(context.model, {});
        ShowAssessmentOf(AssessmentContext{nested, context.prompts, &window}, target);
        context.model = nested.GetModel();
        window.Search(context.model);
    });
    window.Search(context.model);
    window.exec();
}

} // namespace

int ShowAssessmentOf(const AssessmentContext& context, const AssessmentTarget& target) {
    const Model& model = context.document.GetModel();
    switch (target.Kind) {
    case AssessmentTarget::Dialog::Score:
        if (!model.Exists(target.Node)) {
            return kResultCancel;
        }
        return ShowScoreAssessment(context, model.Node(target.Node).Assessment, 0, 0,
                                   target.CurrentLevel, target.CurrentStatement);
    case AssessmentTarget::Dialog::Weight:
        return ShowWeightAssessment(context, target.Node, 0, 0, target.CurrentNode);
    case AssessmentTarget::Dialog::None:
        break;
    }
    return kResultCancel;
}

ui::Answer AskInfeasibleQuestion(const DialogContext& context, const QString& question,
                                 const AssessmentTarget& own) {
    const ui::MessageAction action{ui::kShowConflictLabel,
                                   [&context, &own] { ShowWorkingConflict(context, own); }};
    return context.prompts.Message(QString::fromLatin1(kFeasibilityCaption), question,
                                   ui::Icon::Warning, ui::Buttons::YesNo, action);
}

} // namespace velor::elicit
