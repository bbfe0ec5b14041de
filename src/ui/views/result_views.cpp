#include "ui/views/result_views.h"

#include "ui/views/decision_rules_view.h"
#include "ui/views/dominance_view.h"
#include "ui/views/value_intervals_view.h"
#include "ui/views/weights_view.h"

namespace velor::ui {

QWidget* CreateResultView(ResultView view, Model& model, Prompts& prompts) {
    switch (view) {
    case ResultView::ValueIntervals:
        return new ValueIntervalsView(model, prompts);
    case ResultView::Weights:
        return new WeightsView(model, prompts);
    case ResultView::Dominance:
        return new DominanceView(model);
    case ResultView::DecisionRules:
        return new DecisionRulesView(model);
    }
    return nullptr;
}

void InstallResultViews(MainWindow& window, Prompts& prompts) {
    for (ResultView view : {ResultView::ValueIntervals, ResultView::Weights, ResultView::Dominance,
                            ResultView::DecisionRules}) {
        window.SetResultViewFactory(view, [view, &prompts](Model& model) {
            return CreateResultView(view, model, prompts);
        });
    }
}

} // namespace velor::ui
