// The main window's What If command: the window comes from the factory the result views install
// (it lives with the charts), and its analyses run in the progress dialog.
#include "ui/action_ids.h"
#include "ui/main_window.h"
#include "ui/progress_dialog.h"

#include <QAction>
#include <QMdiSubWindow>
#include <QMetaObject>

namespace velor::ui {

void MainWindow::SetWhatIfFactory(WhatIfFactory factory) {
    whatIfFactory_ = std::move(factory);
    for (const char* id : {action_id::kWhatIf, action_id::kWhatIfWindow}) {
        Action(id)->setEnabled(static_cast<bool>(whatIfFactory_));
    }
}

void MainWindow::ShowWhatIf() {
    if (whatIf_ == nullptr) {
        if (!whatIfFactory_) {
            return;
        }
        whatIf_ = whatIfFactory_(document_, [this](const std::function<void(CalcHost&)>& run) {
            progress_->runCalculation = run;
            progress_->RunModal();
        });
        whatIfWindow_ = AddChild(whatIf_, "WhatIf");
        whatIfWindow_->resize(whatIf_->sizeHint());
    } else {
        QMetaObject::invokeMethod(whatIf_, "Reopen");
    }
    BringForward(whatIfWindow_);
}

} // namespace velor::ui
