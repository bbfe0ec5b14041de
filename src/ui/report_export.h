// The decision report from the desktop application: the core's HTML with the charts measured in
// the application's font, written as HTML, or laid out by Qt's rich text engine and printed to a
// PDF file (with the charts drawn as pictures, which that engine can place).
#pragma once

#include "model/model.h"

#include <QString>

namespace velor::ui {

// Writes the report to path: a PDF for a ".pdf" suffix, HTML otherwise. The file is replaced
// only when the whole report was written. False (with the reason in *error) on failure.
bool WriteDecisionReport(const Model& model, const QString& modelFile, bool resultsOutOfDate,
                         const QString& path, QString* error = nullptr);

} // namespace velor::ui
