#include "calc/constraint_model.h"

#include <utility>

namespace velor {

TConstraintModel::TConstraintModel(std::uint8_t direction, std::string objective)
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
