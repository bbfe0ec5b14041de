// Random linear programs of mixed shapes for the comparison with an independent solver.
#ifndef VELOR_TESTS_LP_RANDOM_LP_H
#define VELOR_TESTS_LP_RANDOM_LP_H

#include <cstdint>
#include <string>
#include <vector>

namespace lptest {

enum class RowKind { LessEqual, GreaterEqual, Equal };

struct Element {
    int row; // 1..m
    int col; // 1..n
    float value;
};

// min c0 + sum c_j x_j subject to rows of A x (kind) b, 0 <= x_j <= upper_j. Everything is
// single precision, as it crosses the solver interface.
struct RandomLp {
    std::string family;
    std::uint64_t seed = 0;
    int m = 0;
    int n = 0;
    std::vector<float> cost; // 0..n, entry 0 is the constant
    std::vector<Element> elements;
    std::vector<float> rhs;     // 1..m (entry 0 unused)
    std::vector<RowKind> kinds; // 1..m (entry 0 unused)
    std::vector<float> upper;   // 1..n, >= 1e30 means none
};

// The families of problems the suite draws from.
enum class Family {
    Feasible,      // feasible by construction: optimal or unbounded
    RandomRhs,     // right-hand sides drawn freely: often infeasible
    Degenerate,    // many zero right-hand sides and rows tight at the constructed point
    Contradictory, // a feasible problem with one pair of contradicting rows
    Decision,      // value/dominance shaped: ordinal chains, weight normalisation, zero rhs
};

const char* familyName(Family f);
RandomLp generate(Family family, std::uint64_t seed, int maxSize);

} // namespace lptest

#endif
