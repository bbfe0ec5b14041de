#include "lp/packed_vector.h"

#include "lp/tolerances.h"

#include <algorithm>
#include <cmath>

namespace lp {

std::vector<PackedEntry>::iterator PackedVector::lowerBound(int index) {
    return std::lower_bound(entries_.begin(), entries_.end(), index,
                            [](const PackedEntry& e, int i) { return e.index < i; });
}

double PackedVector::get(int index) const {
    auto it = std::lower_bound(entries_.begin(), entries_.end(), index,
                               [](const PackedEntry& e, int i) { return e.index < i; });
    return (it != entries_.end() && it->index == index) ? it->value : 0.0;
}

void PackedVector::store(int index, double value) {
    auto it = lowerBound(index);
    bool present = it != entries_.end() && it->index == index;
    if (std::fabs(value) <= kEpsDrop) {
        if (present)
            entries_.erase(it);
        return;
    }
    if (present)
        it->value = value;
    else
        entries_.insert(it, PackedEntry{index, value});
}

} // namespace lp
