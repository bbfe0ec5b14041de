// Why the stored results of a model may not be read as a decision: attributes whose levels are
// not ranked (their best level is then taken from the first alternative), weights the statements
// force to 0, and results that were never calculated. Every face shows the same sentences: the
// status bar and the result views, the reports and the results CSV, velor-cli on stderr and in
// its JSON.
#pragma once

#include "model/model.h"

#include <string>
#include <vector>

namespace velor {

// A weight interval whose upper end lies this close to 0 is a weight forced to 0.
inline constexpr double kZeroWeightTolerance = 1e-9;

// "Not every attribute is ranked: Price, Range. ..."; empty when every level is ranked.
std::string UnrankedAttributesWarning(const Model& model);

// The warnings of the stored results, in a fixed order; empty when there is nothing to say (also
// for a model with nothing to calculate).
std::vector<std::string> ResultWarnings(const Model& model);

// "not calculated": shown instead of the figures of a result that was never calculated.
inline constexpr const char* kNotCalculatedText = "not calculated";
// Shown for a dominance margin that a model file held (it keeps only the integer part).
inline constexpr const char* kMarginNotStoredText = "not stored in the file";

} // namespace velor
