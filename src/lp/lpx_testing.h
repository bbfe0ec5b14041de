// Entry points of the LP solver library that only its own tests, benchmarks and fuzzers use:
// inspection of a problem, rows added after loading, objectives in single precision, the
// trace level, and the last fatal error, which the calculation gets from the exception.
#ifndef VELOR_LP_LPX_TESTING_H
#define VELOR_LP_LPX_TESTING_H

#include "lp/lpx.h"

#include <string>

int LP_M(LpModel* lp);
int LP_N(LpModel* lp);
double LP_GETELEM(int col, int row, LpModel* lp);
void LP_GETROW(float* values, int row, LpModel* lp); // values[0..n]
double LP_GETRCOST(int index, LpModel* lp);
double LP_INPROD(int col, const double* vector, LpModel* lp); // vector[0..m]
void LP_ADDROW(const float* values, LpModel* lp);             // values[0..n], [0] = rhs
void LP_SETLOG(int level);
// LP_PUTOBJECTIVE with the costs in single precision, as the model's coefficients are stored.
void LP_PUTOBJECTIVE(const float* values, LpModel* lp);

// The text of the last fatal error, empty if there was none.
std::string LP_LASTERROR();

#endif
