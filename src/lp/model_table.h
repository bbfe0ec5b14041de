// The table of simultaneously active models, used to validate every LP pointer passed in.
#ifndef VELOR_LP_MODEL_TABLE_H
#define VELOR_LP_MODEL_TABLE_H

#include <cstddef>
#include <vector>

struct LpModel;

namespace lp {

class ModelTable {
public:
    bool full() const;
    int size() const { return static_cast<int>(models_.size()); }
    // The model found last answers at once (a caller usually works on one model for many
    // calls); otherwise the table is searched from the newest entry to the oldest.
    bool contains(const LpModel* lp) const;
    void add(LpModel* lp);
    // Removes lp by moving the last entry into its place.
    void remove(const LpModel* lp);

private:
    std::vector<LpModel*> models_;
    mutable const LpModel* lastFound_ = nullptr; // an entry of models_, or nullptr
};

ModelTable& modelTable();

} // namespace lp

#endif
