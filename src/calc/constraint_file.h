// Writes a TConstraintModel as a constraint file: lines end in CR LF; direction 2 gives the
// objective text as a header line and an empty line, direction 0/1 a "min "/"max " objective line
// ending in ";"; then one line per constraint followed by ";".
#pragma once

#include "calc/constraint_model.h"

#include <string>

namespace velor {

// The file's text; false (with a reason in *error when given) when a constraint would not read
// back.
bool ConstraintFileText(const TConstraintModel& model, std::string& text,
                        std::string* error = nullptr);

// Writes to a temporary file beside path and renames it over path only when every write
// succeeded, so a failed export leaves an existing file untouched; through a link the linked
// file is replaced, and a device, pipe or folder is never replaced. Relative paths are resolved
// against the current folder, which is never changed. A constraint that the constraint parser
// would not read back (a number that is not finite) is not written. Returns false (with a reason
// in *error when given) on failure.
bool WriteConstraintFile(const TConstraintModel& model, const std::string& path,
                         std::string* error = nullptr);

} // namespace velor
