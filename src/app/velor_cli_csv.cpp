// The velor-cli commands that move consequences between a model and a spreadsheet: import-csv
// and export-csv.
#include "app/velor_cli_command.h"
#include "model/consequence_csv.h"
#include "model/model_file.h"

#include <iostream>

namespace velor::cli {

namespace {

int RunImportCsv(const Arguments& args) {
    const std::string modelPath = args.Operand(0);
    const std::string tablePath = args.Operand(1);
    const bool quiet = args.Has("--quiet");
    const bool dryRun = args.Has("--dry-run");
    const int outputs =
        (args.Has("--output") ? 1 : 0) + (args.Has("--in-place") ? 1 : 0) + (dryRun ? 1 : 0);
    if (outputs != 1) {
        throw UsageError(outputs == 0 ? "-o OUT.vlr, --in-place or --dry-run is needed"
                                      : "-o, --in-place and --dry-run exclude each other");
    }
    const char separator = CsvSeparatorArgument(args, true);
    const std::string output =
        args.Has("--in-place") ? modelPath : args.Value("--output").value_or("");
    if (output == "-") {
        throw UsageError(
            "-o: a model is written to a file; \"-\" (standard output) is no model file");
    }
    RequireDistinctFiles({{"MODEL.vlr", modelPath}, {"TABLE.csv", tablePath}},
                         {{"--output", args.Has("--in-place") ? std::string() : output}});

    Model model;
    if (!LoadModel(model, modelPath)) {
        return kExitBadModel;
    }
    CsvTable table;
    CsvError error;
    ConsequenceImportPlan plan;
    ConsequenceImportOptions options;
    options.AddUnmatchedColumns = !args.Has("--skip-unmatched");
    if (!ReadCsvFile(tablePath, separator, table, &error) ||
        !PlanConsequenceImport(model, table, options, plan, &error)) {
        std::cerr << "Cannot import the consequences of " << tablePath << ".\n"
                  << error.Text() << '\n';
        return kExitBadModel;
    }
    if (!quiet || dryRun) {
        for (const std::string& line : plan.Describe()) {
            std::cerr << line << '\n';
        }
    }
    if (dryRun) {
        return kExitDone;
    }
    const Model before = model;
    ApplyConsequenceImport(model, plan);
    // Results computed from the consequences as they were are no results of the new table.
    if (!(model == before) && !(model.Calculated() == CalculatedResults{})) {
        model.ClearResults();
        std::cerr << kResultsResetMessage << '\n';
    }
    std::string reason;
    if (!SaveModelFile(model, output, &reason)) {
        return CannotWrite(output, reason);
    }
    Info(quiet, "Consequences imported.");
    return kExitDone;
}

int RunExportCsv(const Arguments& args) {
    RequireDistinctFiles({{"MODEL.vlr", args.Operand(0)}}, {{"OUT.csv", args.Operand(1)}});
    const char separator = CsvSeparatorArgument(args, false);
    Model model;
    if (!LoadModel(model, args.Operand(0))) {
        return kExitBadModel;
    }
    if (WriteOutput(args.Operand(1), ConsequenceCsv(model, separator)) != kExitDone) {
        return kExitCannotWrite;
    }
    Info(args.Has("--quiet") || args.Operand(1) == "-", "Consequences exported.");
    return kExitDone;
}

constexpr const char* kImportDetails =
    R"(The first line names the attributes (matched to the model's twig-level
attributes; the first field is not read), the first column the alternatives.
A name finds the item of exactly that name, else the only one whose name
differs in case or in blanks around it; a name that matches several, occurs
twice in the file or differs from another only by invisible characters (a
byte order mark, a no-break space) is refused with its line, as are control
characters and UTF-16 text. A cell that starts with an apostrophe followed by
=, +, -, @ or TAB (as export-csv writes formulas) loses that apostrophe. An
alternative of the model named in the file has its consequences replaced, a
new name adds an alternative, the others are kept. A column that names no
attribute becomes a new attribute under the main goal (--skip-unmatched leaves
it out). A ranked consequence whose text changes loses its rank. An import
that changes the model resets its stored results to not calculated. What the
import does is printed before it is done; a file that cannot be read changes
nothing and exits with 2.
)";

constexpr const char* kExportDetails =
    R"(Names and texts are written as the program shows them (bytes of another
encoding as U+FFFD). A text that a spreadsheet would run as a formula (it
starts with =, +, -, @ or TAB and is not a plain number) gets an apostrophe in
front, which import-csv takes away again.
)";

[[maybe_unused]] const bool kImport = RegisterCommand(
    {"import-csv",
     "MODEL.vlr TABLE.csv",
     "imports consequences from a CSV table",
     {
         {"--output", "-o", "OUT.vlr", "writes the model with the imported consequences"},
         {"--in-place", "", "", "writes it back to MODEL.vlr"},
         {"--dry-run", "", "", "prints what the import would do and writes nothing"},
         {"--separator", "", "SEP",
          "auto, comma, semicolon or tab (default: auto, found from\n"
          "the first line)"},
         {"--skip-unmatched", "", "", "leaves out columns that name no attribute"},
         kQuietOption,
     },
     kImportDetails,
     RunImportCsv});

[[maybe_unused]] const bool kExport =
    RegisterCommand({"export-csv",
                     "MODEL.vlr OUT.csv",
                     "writes the consequence table as CSV (\"-\": standard output)",
                     {kCsvSeparatorOption, kQuietOption},
                     kExportDetails,
                     RunExportCsv});

} // namespace

} // namespace velor::cli
