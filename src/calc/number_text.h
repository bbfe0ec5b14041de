// Number text of the constraint language: a point as decimal separator, at most 15 significant
// digits, trailing zeros dropped, plain notation where that form holds the value.
#pragma once

#include <string>

namespace velor {

// "1", "-1", "0.5", "0.333333333333333". Magnitudes below 1e-5 or of 1e15 and more use an
// exponent ("1e-07", "2.5e+20"), which ParseConstraint reads back.
std::string NumberText(double value);

} // namespace velor
