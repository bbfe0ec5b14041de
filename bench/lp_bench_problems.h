// Value and dominance programs shaped like those of a decision model: alternatives' values on
// attributes with ordinal rankings, a zero worst level, best levels summing to one, ratio and
// weight statements, and objectives over one alternative's value or two alternatives' value
// difference.
#ifndef VELOR_BENCH_LP_BENCH_PROBLEMS_H
#define VELOR_BENCH_LP_BENCH_PROBLEMS_H

#include <vector>

namespace lpbench {

struct Element {
    int row; // 0 is the objective
    int col;
    float value;
};

struct Program {
    int m = 0;
    int n = 0;
    std::vector<Element> elements;
    std::vector<float> rhs; // 1..m
    std::vector<int> kinds; // 1..m: 0 "<=", 1 ">=", 2 "="
};

// count programs over one model of the given size, alternating value maxima, value minima and
// pairwise dominance minima.
std::vector<Program> decisionPrograms(int alternatives, int attributes, int count);

} // namespace lpbench

#endif
