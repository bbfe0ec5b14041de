// One linear program as text (objective, direction and constraint lines of the linear-expression
// language) and the result of solving it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velor {

// Directions of a TConstraintModel.
inline constexpr std::uint8_t kMinimize = 0;
inline constexpr std::uint8_t kMaximize = 1;
inline constexpr std::uint8_t kNoObjective = 2; // a model built only to be written out

struct TConstraintModel {
    std::vector<std::string> Constraints;
    std::uint8_t Direction = kNoObjective;
    // The objective expression; for kNoObjective a free header text.
    std::string Objective;

    TConstraintModel() = default;
    TConstraintModel(std::uint8_t direction, std::string objective);

    void AddConstraint(std::string text);
    int ConstraintCount() const;
    // 0-based.
    const std::string& Constraint(int index) const;
};

// Failed: 2 before a solve, 0 optimal, 1 any other outcome.
inline constexpr std::uint8_t kSolveOptimal = 0;
inline constexpr std::uint8_t kSolveFailed = 1;
inline constexpr std::uint8_t kSolveNotRun = 2;

struct TSolution {
    std::vector<std::string> Names; // variables in column order
    std::vector<double> Values;     // one per name
    std::uint8_t Failed = kSolveNotRun;
    double Objective = 0.0; // optimum of the model's own objective (meaningless when failed)
    std::uint8_t Direction = kNoObjective;
    std::string Error; // text of a fatal solver error, empty otherwise
};

} // namespace velor
