// Number texts shown to the user: the "0.###" pattern (at most three decimals, no trailing
// zeros, at least one integer digit) with a chosen decimal separator.
#pragma once

#include <string>

namespace velor {

std::string FormatNumber(double value, char decimalSeparator = '.');
// lower + " ... " + upper, both in the "0.###" pattern.
std::string FormatInterval(double lower, double upper, char decimalSeparator = '.');

} // namespace velor
