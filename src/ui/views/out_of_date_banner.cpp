#include "ui/views/out_of_date_banner.h"

namespace velor::ui {

OutOfDateBanner::OutOfDateBanner(const Document& document, QWidget* parent, Follows follows)
    : QLabel(parent), document_(document), follows_(follows) {
    setObjectName(QStringLiteral("OutOfDateBanner"));
    setText(follows == Follows::Results
                ? QStringLiteral("Results out of date: recalculate to update (Ctrl+F9).")
                : QStringLiteral("Out of date: the model changed since this analysis ran "
                                 "(Model > Acceptability Analysis... to update)."));
    setWordWrap(true);
    setContentsMargins(6, 3, 6, 3);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(255, 243, 205));
    colours.setColor(QPalette::WindowText, QColor(110, 80, 0));
    setPalette(colours);
    document_.GetModel().AddObserver(this);
    Follow();
}

OutOfDateBanner::~OutOfDateBanner() {
    document_.GetModel().RemoveObserver(this);
}

void OutOfDateBanner::ModelChanged(ModelChange what) {
    if (what == ModelChange::History || what == ModelChange::Options) {
        Follow();
    }
}

void OutOfDateBanner::Follow() {
    setVisible(follows_ == Follows::Results ? document_.ResultsOutOfDate()
                                            : document_.AcceptabilityOutOfDate());
}

} // namespace velor::ui
