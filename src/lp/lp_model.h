// The record of one LP problem and the basis operations shared by reinversion and simplex.
#ifndef VELOR_LP_LP_MODEL_H
#define VELOR_LP_LP_MODEL_H

#include "lp/eta_file.h"
#include "lp/lpx.h"
#include "lp/packed_vector.h"
#include "lp/tolerances.h"

#include <cstddef>
#include <vector>

struct LpModel {
    int iterations = 0;             // since the last slack-basis setup
    int pivotsSinceReinversion = 0; // basis changes, not bound flips
    int infeasibilityCount = 0;     // basic variables marked LP_BASIC_INFEASIBLE
    int eligibleCount = 0;          // candidates found by the last pricing pass
    int iterLimit = lp::kIterationBudget;
    double epsCost = lp::kEpsCost; // optimality tolerance of the primal simplex
    double epsFea = lp::kEpsFea;   // feasibility tolerance of the primal simplex
    int incol = 0;
    int outrow = 0;
    double maxInfeasibility = 0.0;
    double sumInfeasibility = 0.0;

    int m = 0;
    int n = 0;
    std::vector<lp::PackedVector> columns; // 1..n, a_ij for rows 1..m
    int nonzeros = 0;
    double maxElement = 1.0;
    double minElement = 1.0;
    std::vector<LpVarStat> colStat;   // status of columns 1..n
    std::vector<LpVarStat> slackStat; // status of the logicals; entry 0 is the objective logical
    std::vector<double> costs;        // 0..n, entry 0 is the objective constant c0
    lp::PackedVector rhs;             // b_i over rows 1..m
    std::vector<double> basicValues;  // 0..m, entry 0 is z
    std::vector<int> base;            // 0..m
    std::vector<double> slackLower, slackUpper; // 0..m
    std::vector<double> colLower, colUpper;     // 1..n
    lp::EtaFile etas;
    std::vector<double> work; // 0..m
    LpStatus status = LP_FEASIBLE;

    LpVarStat& varstat(int k) {
        return k > 0 ? colStat[static_cast<size_t>(k)] : slackStat[static_cast<size_t>(-k)];
    }
    double lower(int k) const {
        return k > 0 ? colLower[static_cast<size_t>(k)] : slackLower[static_cast<size_t>(-k)];
    }
    double upper(int k) const {
        return k > 0 ? colUpper[static_cast<size_t>(k)] : slackUpper[static_cast<size_t>(-k)];
    }
    const lp::PackedVector& column(int j) const { return columns[static_cast<size_t>(j)]; }
};

namespace lp {

// Bit 0 marks the basic codes: LP_BASIC, LP_BASIC_INFEASIBLE and LP_OBJECTIVE (the objective
// logical is basic in position 0).
inline bool isBasic(LpVarStat varstat) {
    return (static_cast<int>(varstat) & 1) != 0;
}

// The nonbasic code a variable gets from its bounds: fixed, at lower, or at upper when the
// lower bound is infinite.
LpVarStat nonbasicCode(double lower, double upper);

// Value of a nonbasic variable: its upper bound at LP_AT_UPPER, else its lower bound.
double nonbasicValue(LpModel& lp, int k);

// Dense extended column of variable k over positions 0..m: (c_k; a_k) for a column, the unit
// vector of position i for the logical -i.
void extendedColumn(const LpModel& lp, int k, std::vector<double>& out);

// Basic values from scratch: b and c0 minus the contributions of all nonbasic variables at
// nonzero bounds, then FTRAN.
void computeBasicValues(LpModel& lp);

// Marks every basic variable LP_BASIC or LP_BASIC_INFEASIBLE by its value and counts the
// infeasible ones.
void recountInfeasibilities(LpModel& lp);

// Starts the model on the slack basis with an empty eta table.
void slackBasisSetup(LpModel& lp);

// Maximum and minimum coefficient magnitudes over the columns and the costs.
void recomputeElementStatistics(LpModel& lp);

} // namespace lp

#endif
