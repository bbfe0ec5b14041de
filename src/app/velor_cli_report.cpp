// velor-cli report: the decision report of a model and its stored results as one HTML file.
#include "app/velor_cli_command.h"
#include "report/decision_report.h"

namespace velor::cli {

namespace {

constexpr const char* kReportDetails =
    R"(The report holds the model's title and file, the value tree with weight
intervals, the alternatives with their consequences, the preference statements
in words, the value interval charts of every goal and the weight charts (inline
SVG: the file needs no other file), the dominance matrix with margins, maximum
regret and the decision rules. It reads the stored results (no calculation) and
says so when there are none. The same report as PDF is made by the desktop
application (File > Export Report...), which has the fonts and the printer
engine that a PDF needs.
)";

int RunReport(const Arguments& args) {
    const std::optional<std::string> html = args.Value("--html");
    if (!html) {
        throw UsageError("--html OUT.html is needed (a PDF comes from the desktop application)");
    }
    RequireDistinctFiles({{"MODEL.vlr", args.Operand(0)}}, {{"--html", *html}});
    Model model;
    if (!LoadModel(model, args.Operand(0))) {
        return kExitBadModel;
    }
    ReportOptions options;
    options.fileName = args.Operand(0);
    options.date = CurrentDateText();
    if (WriteOutput(*html, MakeDecisionReport(model, options).html) != kExitDone) {
        return kExitCannotWrite;
    }
    Info(args.Has("--quiet") || *html == "-", "Report written.");
    return kExitDone;
}

[[maybe_unused]] const bool kRegistered = RegisterCommand(
    {"report",
     "MODEL.vlr",
     "writes the decision report of the stored results as HTML",
     {{"--html", "", "OUT.html", "writes the report to OUT.html (\"-\": standard output)"},
      kQuietOption},
     kReportDetails,
     RunReport});

} // namespace

} // namespace velor::cli
