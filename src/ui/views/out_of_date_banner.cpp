#include "ui/views/out_of_date_banner.h"

#include "calc/result_warnings.h"

#include <QStringList>

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
    if (what == ModelChange::History || what == ModelChange::Options ||
        what == ModelChange::Results) {
        Follow();
    }
}

void OutOfDateBanner::Follow() {
    if (follows_ == Follows::Acceptability) {
        setVisible(document_.AcceptabilityOutOfDate());
        return;
    }
    // The out-of-date line, then why the results may not be read as a decision.
    QStringList lines;
    if (document_.ResultsOutOfDate()) {
        lines.push_back(QStringLiteral("Results out of date: recalculate to update (Ctrl+F9)."));
    }
    const Model& model = document_.GetModel();
    if (!(model.Calculated() == CalculatedResults{})) {
        for (const std::string& warning : ResultWarnings(model)) {
            lines.push_back(QStringLiteral("Warning: ") + QString::fromStdString(warning));
        }
    }
    setText(lines.join(QLatin1Char('\n')));
    setVisible(!lines.isEmpty());
}

} // namespace velor::ui
