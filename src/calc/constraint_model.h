// One linear program as text (objective, direction and constraint lines of the linear-expression
// language), the typed form of its expressions and rows, and the result of solving it.
#pragma once

#include "calc/solve_status.h"

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velor {

// Relations of a constraint row.
enum Relation : std::uint8_t {
    kRelationLessEqual = 0,
    kRelationGreaterEqual = 1,
    kRelationEqual = 2,
};

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
    velor::Relation Relation = kRelationEqual;
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
enum Direction : std::uint8_t {
    kMinimize = 0,
    kMaximize = 1,
    kNoObjective = 2, // a model built only to be written out
};

struct TConstraintModel {
    std::vector<std::string> Constraints;
    velor::Direction Direction = kNoObjective;
    // The objective expression; for kNoObjective a free header text.
    std::string Objective;

    TConstraintModel() = default;
    TConstraintModel(velor::Direction direction, std::string objective);

    void AddConstraint(std::string text);
    int ConstraintCount() const;
    // 0-based.
    const std::string& Constraint(int index) const;
};

// The result of solving one linear program, whichever backend and policy solved it.
struct TSolution {
    std::vector<std::string> Names; // variables in column order
    std::vector<double> Values;     // one per name
    SolveStatus Status = SolveStatus::NotRun;
    double Objective = 0.0; // optimum of the model's own objective (meaningless unless Optimal)
    velor::Direction Direction = kNoObjective;
    std::string Error; // text of a fatal solver error, empty otherwise
    int Iterations = 0; // simplex iterations spent on it, where the solver counts them

    bool Optimal() const { return Status == SolveStatus::Optimal; }
    // Any outcome but an optimum: the program has no value to store.
    bool Failed() const { return Status != SolveStatus::Optimal; }
};

} // namespace velor
