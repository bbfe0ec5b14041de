// Disjoint sets of columns (1..n), each named by its smallest column: columns joined by rows that
// hold them together (equalities, rows naming several attributes).
#pragma once

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <vector>

namespace velor {

class ColumnSets {
public:
    explicit ColumnSets(int columns) : parent_(static_cast<std::size_t>(columns) + 1) {
        std::iota(parent_.begin(), parent_.end(), 0);
    }
    int Find(int column) {
        while (parent_[static_cast<std::size_t>(column)] != column) {
            int& up = parent_[static_cast<std::size_t>(column)];
            up = parent_[static_cast<std::size_t>(up)];
            column = up;
        }
        return column;
    }
    void Join(int a, int b) {
        a = Find(a);
        b = Find(b);
        parent_[static_cast<std::size_t>(std::max(a, b))] = std::min(a, b);
    }

private:
    std::vector<int> parent_;
};

} // namespace velor
