#include "calc/constraint_model.h"

#include "calc/number_text.h"

#include <charconv>
#include <cmath>
#include <utility>

namespace velor {

std::string UnknownName(Unknown unknown) {
    if (unknown.Column == 0) {
        return "z";
    }
    std::string out = "va";
    out += std::to_string(unknown.Column);
    out += 'a';
    out += std::to_string(unknown.Row);
    return out;
}

void AppendTermText(std::string& out, double coefficient, std::string_view name) {
    const std::string number = NumberText(coefficient);
    if (!out.empty() && number.front() != '-') {
        out += '+';
    }
    out += number;
    out += '*';
    out += name;
}

std::string TermsText(const UnknownTerms& terms) {
    std::string out;
    for (const UnknownTerm& term : terms) {
        AppendTermText(out, term.Coefficient, UnknownName(term.Var));
    }
    return out;
}

double AsWritten(double coefficient) {
    if (coefficient == 0.0) {
        return 0.0; // "0", also for -0
    }
    if (!std::isfinite(coefficient) ||
        (coefficient == std::trunc(coefficient) && std::fabs(coefficient) < 1e15)) {
        return coefficient; // whole numbers of up to 15 digits are written exactly
    }
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, coefficient,
                                       std::chars_format::scientific, 14);
    double value = coefficient;
    std::from_chars(buffer, written.ptr, value);
    return value;
}

TConstraintModel::TConstraintModel(velor::Direction direction, std::string objective)
    : Direction(direction), Objective(std::move(objective)) {}

void TConstraintModel::AddConstraint(std::string text) {
    Constraints.push_back(std::move(text));
}

int TConstraintModel::ConstraintCount() const {
    return static_cast<int>(Constraints.size());
}

const std::string& TConstraintModel::Constraint(int index) const {
    return Constraints.at(static_cast<std::size_t>(index));
}

} // namespace velor
