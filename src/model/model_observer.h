// What a model reports to the views that show it.
#pragma once

namespace velor {

enum class ModelChange {
    Tree,        // nodes added, removed, moved, converted or renamed
    Table,       // alternatives, consequence texts or ranks
    Assessments, // the assessment list, its statuses or the statements
    Results,     // calculated intervals, dominance, regret, recommendations
    Options,     // the two calculation options
    History,     // the edit history: undo and redo, the saved point, whether results are current
};

class ModelObserver {
public:
    virtual ~ModelObserver() = default;
    virtual void ModelChanged(ModelChange what) = 0;
};

} // namespace velor
