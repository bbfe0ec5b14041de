// Sparse vector of (index, value) entries sorted by ascending index, without duplicates.
#ifndef VELOR_LP_PACKED_VECTOR_H
#define VELOR_LP_PACKED_VECTOR_H

#include <cstddef>
#include <vector>

namespace lp {

struct PackedEntry {
    int index;
    double value;
};

class PackedVector {
public:
    int size() const { return static_cast<int>(entries_.size()); }
    bool empty() const { return entries_.empty(); }
    const std::vector<PackedEntry>& entries() const { return entries_; }

    // The value at index, 0 if absent.
    double get(int index) const;
    // Stores value at index; a value of magnitude <= kEpsDrop removes the entry instead.
    void store(int index, double value);
    void clear() { entries_.clear(); }

    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }

private:
    // First entry whose index is not below the one sought.
    std::vector<PackedEntry>::iterator lowerBound(int index);
    std::vector<PackedEntry> entries_;
};

} // namespace lp

#endif
