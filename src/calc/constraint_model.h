// One linear program as text (objective, direction and constraint lines of the linear-expression
// language), the typed form of its expressions and rows, and the result of solving it.
#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velor {

// Relations of a constraint row.
inline constexpr int kRelationLessEqual = 0;
inline constexpr int kRelationGreaterEqual = 1;
inline constexpr int kRelationEqual = 2;

// An unknown of the constraint system: "va<Column>a<Row>", the value of alternative Row's level
// on the attribute of Column, or, with Column 0, "z", the total weight of the normalized form.
struct Unknown {
    int Column = 0;
    int Row = 0;
    friend auto operator<=>(const Unknown&, const Unknown&) = default;
};

inline constexpr Unknown kTotalWeight{};

// The unknown's name in the text of a program.
std::string UnknownName(Unknown unknown);

struct UnknownTerm {
    Unknown Var;
    double Coefficient = 0.0;
    friend auto operator<=>(const UnknownTerm&, const UnknownTerm&) = default;
};

// A linear expression in the order its text writes its terms.
using UnknownTerms = std::vector<UnknownTerm>;

// A constraint row: Terms Relation RightSide.
struct UnknownRow {
    UnknownTerms Terms;
    int Relation = kRelationEqual;
    double RightSide = 0.0;
};

// The text of an expression: "1*va2a1-0.5*va3a2", empty for no terms.
std::string TermsText(const UnknownTerms& terms);
// Appends one term "coefficient*name", joined by "+" unless it is the first or its coefficient
// carries its own "-".
void AppendTermText(std::string& out, double coefficient, std::string_view name);
// The coefficient as its text reads back: rounded to the 15 significant digits the text keeps.
double AsWritten(double coefficient);

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
