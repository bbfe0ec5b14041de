// Numerical tolerances and fixed parameters of the LP solver, in one place.
#ifndef VELOR_LP_TOLERANCES_H
#define VELOR_LP_TOLERANCES_H

namespace lp {

// Cost coefficients of smaller magnitude are treated as zero when eta vectors are formed.
inline constexpr double kEpsAij = 1e-12;
// Optimality: a reduced cost must be below -kEpsCost to make a variable eligible.
inline constexpr double kEpsCost = 1e-5;
// Feasibility: a basic value may lie outside its bounds by this much and still be feasible.
inline constexpr double kEpsFea = 1e-5;
// Pivots of this magnitude or less are refused.
inline constexpr double kEpsPiv = 1e-7;
// Pivots of this magnitude or less are accepted with a warning.
inline constexpr double kEpsRej = 1e-6;
// Transformed entries below this are set to zero; relative zero test of inner products.
inline constexpr double kEpsZero = 1e-8;
// Stored coefficients of this magnitude or less are removed instead of stored.
inline constexpr double kEpsDrop = 1e-15;
// Relative tolerance of the forward-backward check of a priced candidate.
inline constexpr double kEpsForwardBackward = 1e-5;

// Bounds at or beyond +-kInfinity are infinite.
inline constexpr double kInfinity = 1e30;
// Step length used for "no bound flip possible".
inline constexpr double kNoFlip = 1e31;

inline constexpr int kMaxModels = 200;          // simultaneously active models
inline constexpr int kIterationBudget = 12093;  // iterations allowed per LP_PRIMAL call
inline constexpr int kReinversionInterval = 30; // basis changes between reinversions
inline constexpr int kPricingCandidates = 4;    // candidates kept per pricing pass
// Consecutive degenerate pivots after which the bounds of the basic variables are relaxed by
// small random amounts, so that the vertex is no longer degenerate and pivoting cannot cycle.
inline constexpr int kDegenerateRunLimit = 50;
// A pivot whose step is no longer than this leaves every basic value where it was.
inline constexpr double kDegenerateStep = 1e-9;
// Relative size of that relaxation: each finite bound b moves outward by between 1 and 2 times
// kPerturbation * (1 + |b|).
inline constexpr double kPerturbation = 1e-4;
// Overshoot of a bound the ratio test allows while bounds are relaxed.
inline constexpr double kRelaxedOvershoot = 1e-9;
// Weight numerator of the true objective in phase one: while basic variables lie outside their
// bounds, the primal simplex weighs z by kScale / (largest coefficient magnitude) against a
// weight of one for each bound violation.
inline constexpr double kScale = 2.0;

inline bool isInfiniteLower(double l) {
    return l <= -kInfinity;
}
inline bool isInfiniteUpper(double u) {
    return u >= kInfinity;
}

} // namespace lp

#endif
