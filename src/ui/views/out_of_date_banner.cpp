#include "ui/views/out_of_date_banner.h"

namespace velor::ui {

OutOfDateBanner::OutOfDateBanner(const Document& document, QWidget* parent)
    : QLabel(parent), document_(document) {
    setObjectName(QStringLiteral("OutOfDateBanner"));
    setText(QStringLiteral("Results out of date: recalculate to update (Ctrl+F9)."));
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
    setVisible(document_.ResultsOutOfDate());
}

} // namespace velor::ui
