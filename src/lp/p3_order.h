// Ordering of a basis kernel into triangular blocks and bumps with spikes (partitioned
// preassigned pivot procedure), so that the eta file of a reinversion stays sparse.
#ifndef VELOR_LP_P3_ORDER_H
#define VELOR_LP_P3_ORDER_H

#include <cstddef>
#include <vector>

namespace lp {

// The kernel as a square pattern: kernel column c has entries in the kernel rows rowsOf[c]
// (local row numbers 0..size-1).
struct KernelPattern {
    int rows = 0;
    std::vector<std::vector<int>> rowsOf;
};

struct P3Pivot {
    int row;  // local kernel row
    int col;  // local kernel column
    int bump; // -1 in a triangular block, else the bump number
    bool spike;
};

struct P3Order {
    // Pivots in the order their etas are formed; triangular ones come straight from the stored
    // column, bump ones go through FTRAN.
    std::vector<P3Pivot> pivots;
    // Rows and columns found structurally singular; their count may differ, the reinversion
    // covers each discarded row by its logical and makes each discarded column nonbasic.
    std::vector<int> discardedRows;
    std::vector<int> discardedCols;
    int bumps = 0;
    int spikes = 0;
};

P3Order orderKernel(const KernelPattern& kernel);
// The same into out, whose arrays, like the working arrays of the ordering, keep their storage
// for the next call.
void orderKernel(const KernelPattern& kernel, P3Order& out);

} // namespace lp

#endif
