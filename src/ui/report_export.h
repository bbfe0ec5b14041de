// The decision report from the desktop application: the core's HTML with the charts measured in
// the application's font, written as HTML, or laid out by Qt's rich text engine and printed to a
// PDF file: tables at the full text width with their head row on every page, words never broken
// inside, and the charts drawn as vector graphics, so that the file stays small and sharp.
#pragma once

#include "model/acceptability_result.h"
#include "model/model.h"

#include <QString>

namespace velor::ui {

// Writes the report to path: a PDF for a ".pdf" suffix, HTML otherwise. The file is replaced
// only when the whole report was written. False (with the reason in *error) on failure. The
// acceptability analysis, when one ran, is summarised and shown with the results.
bool WriteDecisionReport(const Model& model, const QString& modelFile, bool resultsOutOfDate,
                         const QString& path, QString* error = nullptr,
                         const AcceptabilityResult* acceptability = nullptr,
                         bool acceptabilityOutOfDate = false);

} // namespace velor::ui
