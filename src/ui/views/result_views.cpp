#include "ui/views/result_views.h"

#include "model/ini_file.h"
#include "model/window_placement.h"
#include "ui/tree_editor.h"
#include "ui/views/decision_rules_view.h"
#include "ui/views/dominance_view.h"
#include "ui/views/value_intervals_view.h"
#include "ui/views/weights_view.h"
#include "ui/widget_placement.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace velor::ui {

namespace {

constexpr const char* kPlacementNames[] = {"ValIntForm", "WeightsForm", "DominanceForm",
                                           "DecisionForm"};

// Saves the placement of a view's child window when the view is closed: closing a child
// window of the multi-document area closes its content first, while the frame still has its
// place and size.
class PlacementSaver : public QObject {
public:
    PlacementSaver(QWidget* view, std::filesystem::path file, const char* name)
        : QObject(view), view_(view), file_(std::move(file)), name_(name) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == view_ && event->type() == QEvent::Close &&
            view_->parentWidget() != nullptr) {
            IniFile settings(file_);
            WidgetPlacement placement(view_->parentWidget(), name_);
            SavePlacement(settings, placement);
        }
        return false;
    }

private:
    QWidget* view_;
    std::filesystem::path file_;
    std::string name_;
};

} // namespace

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

void InstallResultViews(MainWindow& window, Prompts& prompts, std::filesystem::path settingsFile) {
    for (ResultView view : {ResultView::ValueIntervals, ResultView::Weights, ResultView::Dominance,
                            ResultView::DecisionRules}) {
        window.SetResultViewFactory(view, [view, &prompts, settingsFile](Model& model) {
            QWidget* content = CreateResultView(view, model, prompts);
            if (content != nullptr && !settingsFile.empty()) {
                content->installEventFilter(new PlacementSaver(
                    content, settingsFile, kPlacementNames[static_cast<int>(view)]));
            }
            return content;
        });
    }
    // The main window's model is a member that dies before the window's child widgets; the
    // window deletes its value tree editor first, while the model still lives, so the open
    // result views go at that moment and never outlive the model they observe.
    QObject::connect(window.Tree(), &QObject::destroyed, window.MdiArea(), [&window] {
        for (ResultView view : {ResultView::ValueIntervals, ResultView::Weights,
                                ResultView::Dominance, ResultView::DecisionRules}) {
            if (QWidget* content = window.ResultViewWidget(view)) {
                delete content->parentWidget();
            }
        }
    });
}

} // namespace velor::ui
