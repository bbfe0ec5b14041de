// Public interface of the LP solver library: a bounded-variable revised primal simplex on a
// product-form (eta file) inverse, reached through procedural LP_ entry points.
//
// Conventions: the value comes first, then column/row/variable index, the model pointer last.
// Reals go in as float (widened to double on storing) and come out as double.
//
// Variable indices: 1..n are the structural columns, 0 is the objective logical
// z = c0 - sum c_j x_j, and -i (i = 1..m) is the logical of row i, s_i = b_i - sum_j a_ij x_j.
// The kind of a row is given by the bounds of its logical: [0, inf) means "<=", (-inf, 0]
// means ">=", [0, 0] means "=". Bounds at or beyond +-1e30 are infinite.
//
// Typical use: LP_NEW, LP_PUTELEM (row 0 is the objective, column 0 the right-hand side),
// LP_PUTLBOUND / LP_PUTUBOUND, LP_REINVERT, LP_PRIMAL, LP_GETSTATUS, LP_GETSOL, LP_DELETE.
// The objective sum c_j x_j is minimised; LP_GETSOL(0) returns c0 - sum c_j x_j.
//
// Every error detected by the library throws LpFatalError after writing "?" and the message to
// the console stream. The process is never ended; the model concerned can still be deleted and
// new models can be created. The library is single-threaded.
#ifndef VELOR_LP_LPX_H
#define VELOR_LP_LPX_H

#include <functional>
#include <iosfwd>
#include <stdexcept>
#include <string>

struct LpModel;

// Thrown for every fatal error of the library; what() is the exact message text.
class LpFatalError : public std::runtime_error {
public:
    explicit LpFatalError(const std::string& message) : std::runtime_error(message) {}
};

// Status codes returned by LP_GETSTATUS.
enum LpStatus : int {
    LP_FEASIBLE = 0,   // feasible, optimality not established (also: iteration limit reached)
    LP_INFEASIBLE = 1, // no feasible basis found
    LP_UNBOUNDED = 2,
    LP_OPTIMAL = 3,
};

// Variable status codes returned by LP_GETVARSTAT (bit 0 set means basic).
enum LpVarStat : int {
    LP_AT_LOWER = 0,
    LP_BASIC = 1,
    LP_AT_UPPER = 2,
    LP_BASIC_INFEASIBLE = 3,
    LP_FIXED = 4,
    LP_OBJECTIVE = 5,
};

// The path used by the rest of the system.
LpModel* LP_NEW(int n, int m);
void LP_PUTELEM(float value, int col, int row, LpModel* lp);
void LP_PUTLBOUND(float value, int index, LpModel* lp);
void LP_PUTUBOUND(float value, int index, LpModel* lp);
int LP_REINVERT(LpModel* lp);
void LP_PRIMAL(LpModel* lp);
int LP_GETSTATUS(LpModel* lp);
double LP_GETSOL(int index, LpModel* lp);
void LP_DELETE(LpModel** lp);

// Further entry points of the default path (warm starts, bases, prices).
void LP_SETUP(LpModel* lp);
double LP_GETLBOUND(int index, LpModel* lp);
double LP_GETUBOUND(int index, LpModel* lp);
int LP_GETVARSTAT(int index, LpModel* lp);
int LP_BASISVAR(int p, LpModel* lp);
double LP_BASISVAL(int p, LpModel* lp);
void LP_INVROW(double* vector, int p, LpModel* lp); // vector[0..m]

// Replaces the objective row (values[0..n]: c0..cn, in double precision) and keeps the current
// basis, its factorization updated rather than rebuilt, and the basic values recomputed; the
// status follows feasibility as after LP_REINVERT. Meant for solving one problem under a series
// of objectives: the constraints are unchanged, so an optimal basis of one objective is a
// feasible start for the next, and LP_PRIMAL goes on from it.
void LP_PUTOBJECTIVE(const double* values, LpModel* lp);

// LP_PRIMAL with another iteration budget than its 12093: a run that has not ended after budget
// iterations stops with status 0, the basis of the last iteration kept.
void LP_PRIMALBUDGET(int budget, LpModel* lp);

// The optimality and feasibility tolerances of LP_PRIMAL and LP_PRIMALBUDGET on this problem
// (1e-5 each unless set): a nonbasic variable enters only when its rate improves the objective
// by more than cost, and a basic value counts as within its bounds up to feasibility outside
// them. Both must be positive. Smaller ones let a run go on from a basis that is optimal only
// to the usual tolerances; they take effect with the next run. The dual simplex keeps its own.
void LP_SETTOLERANCES(double cost, double feasibility, LpModel* lp);

// Whether the current basis is optimal to tolerance: every basic variable within its bounds
// to tolerance, and no nonbasic variable at a bound whose rate (row 0 of B^-1 times its
// extended column, as LP_INVROW and LP_INPROD give it) would improve the objective by more
// than tolerance. Meant for a tolerance far below the simplex's own (1e-5). 1 or 0.
int LP_ISOPTIMAL(double tolerance, LpModel* lp);

// The dual simplex from the current basis, for at most budget iterations, when that basis is
// dual feasible (its reduced costs optimal, as the slack basis is for an objective that only
// penalises variables at their lower bounds). Status 3 when it reaches an optimal basis, 1 when
// a row it cannot bring within its bounds shows the problem infeasible; otherwise the status
// follows feasibility as after LP_REINVERT, and a basis that was not dual feasible is left as
// it was. LP_PRIMAL can go on from the basis it leaves.
void LP_DUALBUDGET(int budget, LpModel* lp);

// Simplex iterations done by LP_PRIMAL and LP_DUALBUDGET in this process, over all models; for
// benchmarks.
long long LP_ITERATIONTOTAL();

// The tolerances LP_SETTOLERANCES sets unless a caller sets others.
inline constexpr double LP_DEFAULT_TOLERANCE = 1e-5;

// How many more problems LP_NEW can create now: the library holds a limited number at a time.
int LP_ROOM();

// A function the simplex calls before it starts and after every iteration, so that a caller can
// keep its interface responsive and stop a long solve: when it returns true, the running
// LP_PRIMAL, LP_PRIMALBUDGET or LP_DUALBUDGET stops as at the end of its budget. It is also
// called now and then during the reinversion of a large basis; a true answer there takes effect
// at the next of the other calls. An empty function removes it. Returns the function set before,
// so that a caller can put it back.
std::function<bool()> LP_SETINTERRUPT(std::function<bool()> interrupt);

// Where diagnostics ("?" fatal errors, "%" warnings, traces) are written. Defaults to the
// process's standard output; nullptr silences them.
void LP_SETCONSOLE(std::ostream* console);

#endif
