// A line at the top of a result view that says when the results it shows no longer belong to
// the model: the model changed since they were calculated, or the view shows the set of
// intervals (normalized or not) that was never calculated for it. The banner of the
// acceptability view follows the document's acceptability analysis instead.
#pragma once

#include "model/document.h"
#include "model/model_observer.h"

#include <QLabel>

namespace velor::ui {

class OutOfDateBanner : public QLabel, public ModelObserver {
    Q_OBJECT
public:
    enum class Follows { Results, Acceptability };
    explicit OutOfDateBanner(const Document& document, QWidget* parent = nullptr,
                             Follows follows = Follows::Results);
    ~OutOfDateBanner() override;

    void ModelChanged(ModelChange what) override;

private:
    void Follow();

    const Document& document_;
    Follows follows_;
};

} // namespace velor::ui
