// A coordinate hit-and-run walk inside a FeasiblePolytope: each step picks one coordinate,
// finds the chord of the polytope through the current point along that axis, and moves to a
// point drawn uniformly from the chord. Every step leaves the uniform distribution on the
// polytope unchanged, so the walk converges to it from any inner start.
//
// Along an axis the chord only needs the rows that name that coordinate, and the slacks of the
// rows are kept up to date with the same few entries: a step costs as much as the coordinate's
// column has entries, which keeps large sparse models cheap. The walk is also unaffected by how
// each coordinate is scaled (a weight of 0.01 and one of 0.5 move alike), which a walk along
// random directions is not.
//
// Random numbers come from std::mt19937_64 with our own transform to [0, 1), so a seed gives
// the same walk with every standard library.
#pragma once

#include "calc/feasible_polytope.h"

#include <cstdint>
#include <random>
#include <vector>

namespace velor {

class HitAndRun {
public:
    // Starts at the polytope's inner point.
    HitAndRun(const FeasiblePolytope& polytope, std::uint64_t seed);

    // One step along every coordinate in turn.
    void Sweep();
    // The current point (free coordinates).
    const std::vector<double>& Point() const { return point_; }
    // Recomputes the slacks from the point, so that rounding of the running updates cannot pile
    // up over a long walk.
    void RefreshSlacks();

    // Uniform in [0, 1) from the top 53 bits of one draw.
    static double Uniform(std::mt19937_64& engine) {
        return static_cast<double>(engine() >> 11) * 0x1.0p-53;
    }

private:
    void Step(int coordinate);

    const FeasiblePolytope& polytope_;
    std::mt19937_64 engine_;
    std::vector<double> point_;
    std::vector<double> slacks_;
};

} // namespace velor
