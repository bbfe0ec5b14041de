// Product-form inverse of the basis: an ordered list of eta vectors, B^-1 = E_k ... E_2 E_1.
//
// Each eta is an elementary matrix: the identity with column p replaced. Its first entry is
// (p, 1/alpha_p); every further entry is (i, -alpha_i/alpha_p). Positions run over 0..m,
// position 0 being the objective row, so the objective is carried through FTRAN and BTRAN like
// any constraint row.
#ifndef VELOR_LP_ETA_FILE_H
#define VELOR_LP_ETA_FILE_H

#include "lp/packed_vector.h"

#include <cstddef>
#include <span>
#include <vector>

namespace lp {

class EtaFile {
public:
    using Eta = std::span<const PackedEntry>; // entry 0 is the pivot entry

    int count() const { return static_cast<int>(starts_.size()) - 1; }
    int nonzeros() const { return static_cast<int>(entries_.size()); }
    Eta eta(int i) const {
        const size_t begin = starts_[static_cast<size_t>(i)];
        return {entries_.data() + begin, starts_[static_cast<size_t>(i) + 1] - begin};
    }
    void clear();
    void removeLast();

    // v := B^-1 v over positions 0..m; then entries of magnitude <= tolerance become 0.
    void ftran(std::vector<double>& v, double tolerance) const;
    // pi := pi B^-1; each updated entry is set to 0 when it cancels to within tolerance
    // relative to the magnitude of its terms.
    void btran(std::vector<double>& pi, double tolerance) const;

    // Appends the eta of a pivot in position p of the transformed column alpha (alpha itself is
    // not changed). Entries of magnitude <= kEpsDrop are left out: the simplex cleans its
    // columns to its own tolerance first, and the reinversion keeps every digit it can. Warns
    // about a small pivot; a pivot of magnitude <= kEpsPiv is a fatal error.
    void updEta(const std::vector<double>& alpha, int p);
    // The same for a column given by its nonzero entries, by ascending position.
    void appendEta(std::span<const PackedEntry> alpha, int p);
    // Appends the eta of a pivot of a stored column in row r, taken straight from the column
    // (valid where the earlier etas cannot have changed it). cost is the column's objective
    // coefficient, stored in position 0 when its magnitude exceeds kEpsAij.
    void makeEta(const PackedVector& column, double cost, int r);
    // Appends the eta that changes the cost of the variable basic in position p by increase:
    // the identity with (p, 1) and, unless |increase| <= kEpsZero, (0, -increase), as updEta
    // makes it from the column that is 1 in position p and increase in position 0.
    void costEta(int p, double increase);

private:
    // Opens an eta with its pivot entry; warns about a small pivot, and a pivot of magnitude
    // <= kEpsPiv is a fatal error. Returns the pivot.
    double openEta(double pivot, int p);
    // All etas in one array, eta i at entries_[starts_[i], starts_[i + 1]): a reinversion
    // rebuilds the file without allocating once the arrays have grown to the basis' size.
    std::vector<PackedEntry> entries_;
    std::vector<size_t> starts_{0};
};

} // namespace lp

#endif
