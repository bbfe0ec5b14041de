// The set of points that a system of linear rows over non-negative unknowns allows, in the form
// a random walk needs: the equalities are solved for some unknowns (each such unknown becomes an
// affine form of the others), unknowns that the rows force to a constant are fixed, and what is
// left is a full-dimensional polytope G y <= h over the remaining ("free") unknowns y, together
// with a point strictly inside it.
//
// Equalities are found where the rows state them ("=" rows) and where they follow plainly from
// the rows: a "= 0" or "<= 0" row whose unknowns all carry coefficients of one sign forces those
// unknowns to 0, and two "<=" rows that are each other's negation with opposite right sides
// make an equality. The inner point is the centre of the largest ball inside G y <= h, found by
// a linear program of the CLP library. A radius of (almost) 0 means that the rows pin the points
// to a lower-dimensional face in some other way (two statements that together force a level to
// equal the best one, say): a further linear program finds the rows that hold with equality at
// every point, they become equalities, and the reduction starts again. A set thinner than the
// walk can resolve (a ratio allowed between 40 and 40.000001) is handled the same way: rows that
// no point lies farther from than a small tolerance hold as equalities, and a near-equality that
// only repeats another (to within that tolerance) is left out.
#pragma once

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace velor {

struct SparseTerm {
    int Index;
    double Value;
};

// Constant + sum Value * y[Index].
struct AffineForm {
    double Constant = 0.0;
    std::vector<SparseTerm> Terms;

    double At(const std::vector<double>& point) const {
        double sum = Constant;
        for (const SparseTerm& term : Terms) {
            sum += term.Value * point[static_cast<std::size_t>(term.Index)];
        }
        return sum;
    }
};

enum class RowRelation { LessEqual, GreaterEqual, Equal };

// Sum Value * x[Index] relation RightSide, over unknowns x >= 0.
struct LinearRow {
    std::vector<SparseTerm> Terms;
    RowRelation Relation = RowRelation::LessEqual;
    double RightSide = 0.0;
};

class PolytopeError : public std::runtime_error {
public:
    enum class Kind {
        Infeasible, // no point satisfies the rows
        NoRoom,     // the points form a face of lower dimension that was not recognized
        Unbounded,  // some free unknown can grow without limit
        Stopped,    // the caller asked to stop
        Solver,     // the linear program failed otherwise
    };
    PolytopeError(Kind kind, const std::string& message)
        : std::runtime_error(message), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

class FeasiblePolytope {
public:
    // rows over unknowns 0..unknownCount-1, each non-negative. stopRequested, when given, is
    // polled by the linear program. Throws PolytopeError.
    FeasiblePolytope(const std::vector<LinearRow>& rows, int unknownCount,
                     const std::function<bool()>& stopRequested = {});

    int UnknownCount() const { return static_cast<int>(unknowns_.size()); }
    // Number of free unknowns (the dimension of the polytope).
    int Dimension() const { return static_cast<int>(freeUnknowns_.size()); }
    // Unknown x[unknown] as an affine form of the free unknowns.
    const AffineForm& Unknown(int unknown) const {
        return unknowns_[static_cast<std::size_t>(unknown)];
    }

    // The rows G y <= h by column (compressed sparse columns) and their right sides.
    int RowCount() const { return static_cast<int>(rightSides_.size()); }
    const std::vector<double>& RightSides() const { return rightSides_; }
    const std::vector<int>& ColumnStarts() const { return columnStarts_; }
    const std::vector<int>& RowIndices() const { return rowIndices_; }
    const std::vector<double>& Coefficients() const { return coefficients_; }

    // A point with every row strictly satisfied, and the radius of the ball around it that the
    // linear program found.
    const std::vector<double>& InnerPoint() const { return innerPoint_; }
    double InnerRadius() const { return innerRadius_; }

    // h - G y for every row.
    std::vector<double> Slacks(const std::vector<double>& point) const;

private:
    // pinned: per row, whether it was made an equality because (nearly) every point holds it
    // with equality.
    void Reduce(const std::vector<LinearRow>& rows, int unknownCount,
                const std::vector<char>& pinned);
    // False when the largest inner ball is too small to walk in.
    bool FindInnerPoint(const std::function<bool()>& stopRequested);
    // The rows of G that hold with equality at every point of the set, or so nearly that no
    // point lies farther from them than the walk can resolve.
    std::vector<int> PinnedRows(const std::function<bool()>& stopRequested) const;

    std::vector<AffineForm> unknowns_;
    std::vector<int> freeUnknowns_;             // the original unknown of each free coordinate
    std::vector<std::vector<SparseTerm>> rows_; // G by row
    std::vector<int> rowOrigins_; // per row of G: its input row, or -(u + 1) for x[u] >= 0
    std::vector<double> rightSides_;
    std::vector<int> columnStarts_;
    std::vector<int> rowIndices_;
    std::vector<double> coefficients_;
    std::vector<double> innerPoint_;
    double innerRadius_ = 0.0;
};

} // namespace velor
