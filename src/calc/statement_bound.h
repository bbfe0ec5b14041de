// One bound of one statement of the decision maker that the what-if and stability analyses move:
// the lower or upper bound of a weight statement (in percent of the reference node's weight, in
// the weight mode in force) or of a ratio statement (a multiplier). Also the constraint row the
// bound makes, as a function of its value.
#pragma once

#include "calc/constraint_model.h"
#include "model/model.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velor {

enum class BoundKind : std::uint8_t { WeightLower, WeightUpper, RatioLower, RatioUpper };

// "weight lower bound", "weight upper bound", "ratio lower bound", "ratio upper bound".
const char* BoundKindName(BoundKind kind);

struct StatementBound {
    BoundKind Kind = BoundKind::WeightLower;
    NodeId Node = kNone;      // the weighed node, or the node of the ratio statement
    NodeId Reference = kNone; // weights: the reference attribute or sibling
    bool TopDown = false;     // weights: the top-down bounds (else bottom-up)
    int Statement = -1;       // ratio statements: the position in the node's list

    bool IsWeight() const {
        return Kind == BoundKind::WeightLower || Kind == BoundKind::WeightUpper;
    }
    bool IsLower() const { return Kind == BoundKind::WeightLower || Kind == BoundKind::RatioLower; }
    bool operator==(const StatementBound&) const = default;
};

// A ratio statement that compares a difference with itself ("from x to y is at least L times
// the increase from x to y") says only whether L passes 1 (above it, the increase is 0); its
// bounds have no threshold or interval worth a number, and its coefficients L - 1 near 1 are
// below what the solver resolves. The analyses leave such statements out.
bool ComparesWithItself(const TCardinalStatement& ratio);

// The bound's value in the model (kNotGiven when the statement leaves it open) and the other
// bound of the same statement.
double BoundValue(const Model& model, const StatementBound& bound);
double OtherBoundValue(const Model& model, const StatementBound& bound);

// Writes value (kNotGiven: no bound) into the statement. A weight bound against a node that is
// not yet the reference makes that node the reference (100 % both ways), as the weight
// assessment does when the decision maker picks it.
void SetBoundValue(Model& model, const StatementBound& bound, double value);

// Bounds that the model's rows hold now: every given bound of a weight statement in the weight
// mode in force that has a reference, and every given bound of a ratio statement.
std::vector<StatementBound> StatedBounds(const Model& model);

// Whether value is tighter than other for the bound (higher for a lower bound, lower for an
// upper bound; kNotGiven is the loosest of all).
bool Tighter(const StatementBound& bound, double value, double other);

// The bound's statement in words at a given value, as the conflict explanation words it:
// "The weight of Comfort is at least 80 % of the weight of Speed."
std::string DescribeBound(const Model& model, const StatementBound& bound, double value,
                          char decimalSeparator = '.');

// The rows of a model variant in which the bound holds (given a value if it is not), with the
// bound's own row written as Base + value * Slope (right side 0, relation <=), so that a solver
// can change the value without regenerating the model.
struct BoundRows {
    std::vector<UnknownRow> Rows; // the plain form's rows, the bound's row included
    std::size_t Index = 0;        // the bound's row
    UnknownTerms Base;
    std::vector<double> Slope; // per term of Base
    std::vector<Unknown> Unknowns() const;
    // The bound's row at value (kNotGiven: not valid, the caller leaves the row out).
    UnknownRow RowAt(double value) const;
};
// Nothing when the model variant has no row for the bound (a node gone, a weight mode without
// rows for it).
std::optional<BoundRows> MakeBoundRows(const Model& model, const StatementBound& bound);

// Whether the bound's feasible sets are nested: a tighter value admits a subset of the points a
// looser one admits, so that every minimum can only grow as the bound tightens. Weight bounds
// always are (weights are not negative); a ratio bound is when the increase it is measured
// against cannot be negative at any point the other rows admit (the rankings make it so when
// the statement follows them). Solves two programs; nothing when one fails or stop says so.
std::optional<bool> NestedInValue(const BoundRows& rows, const StatementBound& bound,
                                  const std::function<bool()>& stop);

} // namespace velor
