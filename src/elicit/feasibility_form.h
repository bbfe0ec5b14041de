// What the assessment dialogs show after an OK that made the model infeasible: the question
// "Model Feasibility Check" with "Show Conflict...", which lists the statements of the working
// model that cannot all hold together. Also opens the assessment dialog of a statement, for the
// conflict window of the main window.
#pragma once

#include "calc/conflict_statement.h"
#include "elicit/dialog_context.h"
#include "ui/prompts.h"

#include <QString>

namespace velor::elicit {

// Opens the score or weight assessment dialog that target names on the document; returns the
// dialog's result (Cancel when there is nothing to open).
int ShowAssessmentOf(const AssessmentContext& context, const AssessmentTarget& target);

// Asks the question (Yes/No) about the working model of context. "Show Conflict..." lists the
// statements of the working model in conflict, in a modal window over the question; a statement
// of another assessment opens that dialog on the working model, one of own (the dialog asking)
// closes the list, so that it is changed in the dialog after answering No.
ui::Answer AskInfeasibleQuestion(const DialogContext& context, const QString& question,
                                 const AssessmentTarget& own);

} // namespace velor::elicit
