#include "lp/model_table.h"

#include "lp/tolerances.h"

namespace lp {

bool ModelTable::full() const {
    return models_.size() >= static_cast<size_t>(kMaxModels);
}

bool ModelTable::contains(const LpModel* lp) const {
    if (lp != nullptr && lp == lastFound_)
        return true;
    for (size_t i = models_.size(); i-- > 0;)
        if (models_[i] == lp) {
            lastFound_ = lp;
            return true;
        }
    return false;
}

void ModelTable::add(LpModel* lp) {
    models_.push_back(lp);
}

void ModelTable::remove(const LpModel* lp) {
    if (lp == lastFound_)
        lastFound_ = nullptr;
    for (size_t i = models_.size(); i-- > 0;)
        if (models_[i] == lp) {
            models_[i] = models_.back();
            models_.pop_back();
            return;
        }
}

ModelTable& modelTable() {
    static ModelTable table;
    return table;
}

} // namespace lp
