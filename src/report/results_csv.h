// The stored results as one CSV file for a spreadsheet, in sections separated by an empty line;
// each section starts with its title on a line of its own, then a header:
//   Value intervals    node, alternative, lower, upper, normalized lower, normalized upper
//   Weights            node, kind, parent, lower, upper, normalized lower, normalized upper
//   Dominance          a matrix: row alternative vs. column alternative, the code in words
//   Dominance margins  the same matrix with the least value difference (row minus column)
//   Decision rules     alternative, value lower, value upper, maximum regret, and "yes" or
//                      "no" for each of the four rules
// Numbers are written with a point and up to 15 significant digits, whatever the locale. Names are
// written as the program shows them; a name a spreadsheet would take for a formula gets an
// apostrophe in front (see FormulaGuarded).
#pragma once

#include "model/model.h"

#include <string>
#include <vector>

namespace velor {

// The sections as records (an empty record between two sections).
std::vector<std::vector<std::string>> ResultsRecords(const Model& model);
// ResultsRecords as CSV text (CR LF line ends, UTF-8 with a byte order mark). False when the model
// holds a number that is not finite (no file is then written from it).
bool ResultsCsv(const Model& model, char separator, std::string& text);

} // namespace velor
