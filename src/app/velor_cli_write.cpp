// The velor-cli commands that load a model and write one file from it: convert,
// export-constraints and export-results.
#include "app/velor_cli_command.h"
#include "calc/constraint_file.h"
#include "calc/results_report.h"
#include "model/model_file.h"
#include "report/results_csv.h"

namespace velor::cli {

namespace {

using WriteFunction = bool (*)(const Model& model, const std::string& path, std::string* error);
using TextFunction = bool (*)(const Model& model, std::string& text, std::string* error);

// Loads operand 0, writes operand 1; doneMessage (may be null) is shown after a successful write
// to a file. OUT "-" is standard output where the command has a text (toText), otherwise a usage
// error: never a file named "-".
int LoadAndWrite(const Arguments& args, WriteFunction write, TextFunction toText,
                 const char* doneMessage) {
    const std::string& output = args.Operand(1);
    const bool toStandardOutput = output == "-";
    if (toStandardOutput && toText == nullptr) {
        throw UsageError("a model is written to a file; \"-\" (standard output) is no model file");
    }
    RequireDistinctFiles({{"the input", args.Operand(0)}}, {{"the output", output}});
    Model model;
    if (!LoadModel(model, args.Operand(0))) {
        return kExitBadModel;
    }
    std::string error;
    if (toStandardOutput) {
        std::string text;
        if (!toText(model, text, &error)) {
            return CannotWrite(output, error);
        }
        return WriteOutput(output, text);
    }
    if (!write(model, output, &error)) {
        return CannotWrite(output, error);
    }
    if (doneMessage != nullptr) {
        Info(args.Has("--quiet"), doneMessage);
    }
    return kExitDone;
}

bool WriteConstraints(const Model& model, const std::string& path, std::string* error) {
    return WriteConstraintFile(ConstraintExportModel(model), path, error);
}

bool ConstraintsText(const Model& model, std::string& text, std::string* error) {
    return ConstraintFileText(ConstraintExportModel(model), text, error);
}

bool ReportText(const Model& model, std::string& text, std::string* /*error*/) {
    text = ResultsReportText(model);
    return true;
}

int RunConvert(const Arguments& args) {
    return LoadAndWrite(args, SaveModelFile, nullptr, nullptr);
}

int RunExportConstraints(const Arguments& args) {
    return LoadAndWrite(args, WriteConstraints, ConstraintsText, kConstraintsExportedMessage);
}

int RunExportResults(const Arguments& args) {
    if (!args.Has("--csv")) {
        if (args.Has("--separator")) {
            throw UsageError("--separator needs --csv");
        }
        return LoadAndWrite(args, WriteResultsReport, ReportText, kResultsExportedMessage);
    }
    const char separator = CsvSeparatorArgument(args, false);
    RequireDistinctFiles({{"the input", args.Operand(0)}}, {{"the output", args.Operand(1)}});
    Model model;
    if (!LoadModel(model, args.Operand(0))) {
        return kExitBadModel;
    }
    std::string text;
    if (!ResultsCsv(model, separator, text)) {
        return CannotWrite(args.Operand(1), "the model holds a number that is not finite");
    }
    if (WriteOutput(args.Operand(1), text) != kExitDone) {
        return kExitCannotWrite;
    }
    Info(args.Has("--quiet") || args.Operand(1) == "-", kResultsExportedMessage);
    return kExitDone;
}

[[maybe_unused]] const bool kConvert =
    RegisterCommand({"convert",
                     "IN.vlr OUT.vlr",
                     "loads a model and saves it",
                     {kQuietOption},
                     "OUT.vlr is a file: \"-\" (standard output) is a usage error.\n",
                     RunConvert});
[[maybe_unused]] const bool kExportConstraints =
    RegisterCommand({"export-constraints",
                     "MODEL.vlr OUT.mdl",
                     "writes the model's constraint system",
                     {kQuietOption},
                     "OUT \"-\" writes the constraints to standard output.\n",
                     RunExportConstraints});
[[maybe_unused]] const bool kExportResults =
    RegisterCommand({"export-results",
                     "MODEL.vlr OUT.txt",
                     "writes the report of the stored results (no calculation)",
                     {{"--csv", "", "",
                       "writes the results as CSV instead (value and weight\n"
                       "intervals, dominance with margins, maximum regret and the\n"
                       "decision rules)"},
                      kCsvSeparatorOption,
                      kQuietOption},
                     "OUT \"-\" writes the report (or the CSV) to standard output.\n",
                     RunExportResults});

} // namespace

} // namespace velor::cli
