#include "ui/views/result_views.h"

#include "ui/views/acceptability_view.h"
#include "ui/views/decision_rules_view.h"
#include "ui/views/dominance_view.h"
#include "ui/views/value_intervals_view.h"
#include "ui/views/weights_view.h"
#include "ui/views/what_if_window.h"

namespace velor::ui {

QWidget* CreateResultView(ResultView view, const Document& document, Prompts& prompts) {
    switch (view) {
    case ResultView::ValueIntervals:
        return new ValueIntervalsView(document, prompts);
    case ResultView::Weights:
        return new WeightsView(document, prompts);
    case ResultView::Dominance:
        return new DominanceView(document);
    case ResultView::DecisionRules:
        return new DecisionRulesView(document);
    case ResultView::Acceptability:
        return new AcceptabilityView(document, prompts);
    }
    return nullptr;
}

void InstallResultViews(MainWindow& window, Prompts& prompts) {
    for (ResultView view : {ResultView::ValueIntervals, ResultView::Weights, ResultView::Dominance,
                            ResultView::DecisionRules, ResultView::Acceptability}) {
        window.SetResultViewFactory(view, [view, &prompts](const Document& document) {
            return CreateResultView(view, document, prompts);
        });
    }
    InstallWhatIfWindow(window, prompts);
}

} // namespace velor::ui
