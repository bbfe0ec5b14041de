// The decision report: one self-contained HTML document with everything a reader needs who will
// never open the model: a summary first (what each decision rule recommends, the alternatives
// no other dominates, the acceptability shares when an analysis ran, the warnings), its title
// and file, the value tree with weight intervals, the
// alternatives with their consequences, the preference statements in words, the value interval
// charts of every goal and the weight charts, the dominance matrix with margins, maximum regret
// and the decision rules, the acceptability analysis when one ran, a note when the results are out of date or absent, the date and the
// program's version. Charts are inline SVG, so the file needs no other file. The markup is also
// well-formed XML, so that XML tools can read it.
#pragma once

#include "model/acceptability_result.h"
#include "model/model.h"
#include "report/chart_scene.h"
#include "report/text_metrics.h"

#include <string>
#include <vector>

namespace velor {

struct ReportOptions {
    std::string fileName; // the model's file as the reader should see it; empty: untitled
    std::string date;     // when the report was made, as it is shown
    bool resultsOutOfDate = false;
    // How the charts' texts are measured: the window system's fonts in the desktop application;
    // without one (nullptr) the widths of the sans-serif font the SVG names first.
    const chart::TextMetrics* metrics = nullptr;
    int fontPixelSize = 12;
    // Width of the charts in CSS pixels (a chart that needs more is drawn wider).
    double chartWidth = 720.0;
    // Charts as <img src="chart-N.svg" width=... height=...> with the SVG texts in
    // DecisionReport::charts instead of inline (for renderers that draw HTML but not SVG inside
    // it).
    bool chartsAsImages = false;
    // For a paginating printer whose page margins take the place of the margins and the
    // greatest width a browser page gives the text.
    bool paged = false;
    // The last acceptability analysis of the model, when one ran (the model file does not keep
    // it), and whether the model changed since.
    const AcceptabilityResult* acceptability = nullptr;
    bool acceptabilityOutOfDate = false;
    // Body rows of the data tables, counted through the document from 0, before which a printed
    // page is to begin: the table ends there and goes on in a new table that starts a page with
    // the same head row (for a paginating printer that would otherwise split the row).
    std::vector<int> pageBreakRows;
};

struct DecisionReport {
    struct Chart {
        std::string name; // "chart-1.svg"
        std::string svg;
        // The same drawing as primitives at its size, for a painter that draws it directly.
        chart::Scene scene;
        chart::Size size;
    };
    std::string html;
    std::vector<Chart> charts; // every chart, in the order of the document
};

DecisionReport MakeDecisionReport(const Model& model, const ReportOptions& options);

// The alternatives (rows 1..M) that no other alternative dominates, in row order; empty when
// the dominance codes were not calculated.
std::vector<int> UndominatedAlternatives(const Model& model);

// Whether the model holds no calculated results at all (every result is the default of a new
// model).
bool ResultsAbsent(const Model& model);

// The program's version as the report names it.
const char* ProgramVersion();

// Local time as "YYYY-MM-DD HH:MM", without the C library's locale.
std::string CurrentDateText();

} // namespace velor
