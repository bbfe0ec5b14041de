// The exports of the file menu: the results report (a text file of the model data with every
// stored result), the constraint export model, the file names proposed for both, and their
// messages. The report reads stored results only; it never calculates.
#pragma once

#include "calc/constraint_model.h"
#include "model/model.h"

#include <string>

namespace velor {

inline constexpr const char* kConstraintsExportedMessage = "Model exported successfully.";
inline constexpr const char* kResultsExportedMessage = "Model data exported successfully.";
// "Cannot write to the file " + file name + "."
std::string CannotWriteMessage(const std::string& fileName);

// The report as text, lines ending in CR LF.
std::string ResultsReportText(const Model& model);
// Writes the report to a temporary file beside path and renames it over path only when every
// write succeeded. The current folder is never changed. False (with a reason in *error when
// given) on failure.
bool WriteResultsReport(const Model& model, const std::string& path, std::string* error = nullptr);

// The whole constraint system with the header "//Model Constraints" and no objective.
TConstraintModel ConstraintExportModel(const Model& model);

// File name proposed for an export: "Untitled" + extension for an untitled model, otherwise the
// model file's name without its folder, cut before its first ".", + extension (".mdl", ".txt").
std::string ProposedExportName(const std::string& modelPath, const std::string& extension);

// Writes text to path through a temporary file in the same folder (shared by the exports), as
// ReplaceFile does (model/file_replace.h).
bool WriteFileSafely(const std::string& path, const std::string& text, std::string* error);

} // namespace velor
