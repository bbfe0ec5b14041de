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

// Loads operand 0, writes operand 1; doneMessage (may be null) is shown after a successful write.
int LoadAndWrite(const Arguments& args, WriteFunction write, const char* doneMessage) {
    RequireDistinctFiles({{"the input", args.Operand(0)}}, {{"the output", args.Operand(1)}});
    Model model;
    if (!LoadModel(model, args.Operand(0))) {
        return kExitBadModel;
    }
    std::string error;
    if (!write(model, args.Operand(1), &error)) {
        return CannotWrite(args.Operand(1), error);
    }
    if (doneMessage != nullptr) {
        Info(args.Has("--quiet"), doneMessage);
    }
    return kExitDone;
}

bool WriteConstraints(const Model& model, const std::string& path, std::string* error) {
    return WriteConstraintFile(ConstraintExportModel(model), path, error);
}

int RunConvert(const Arguments& args) {
    return LoadAndWrite(args, SaveModelFile, nullptr);
}

int RunExportConstraints(const Arguments& args) {
    return LoadAndWrite(args, WriteConstraints, kConstraintsExportedMessage);
}

int RunExportResults(const Arguments& args) {
    if (!args.Has("--csv")) {
        if (args.Has("--separator")) {
            throw UsageError("--separator needs --csv");
        }
        return LoadAndWrite(args, WriteResultsReport, kResultsExportedMessage);
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

[[maybe_unused]] const bool kConvert = RegisterCommand(
    {"convert", "IN.vlr OUT.vlr", "loads a model and saves it", {kQuietOption}, "", RunConvert});
[[maybe_unused]] const bool kExportConstraints =
    RegisterCommand({"export-constraints",
                     "MODEL.vlr OUT.mdl",
                     "writes the model's constraint system",
                     {kQuietOption},
                     "",
                     RunExportConstraints});
[[maybe_unused]] const bool kExportResults =
    RegisterCommand({"export-results",
                     "MODEL.vlr OUT.txt",
                     "writes the report of the stored results (no calculation)",
                     {{"--csv", "", "",
                       "writes the results as CSV instead (value and weight\n"
                       "intervals, dominance with margins, maximum regret and the\n"
                       "decision rules; \"-\" for OUT: standard output)"},
                      kCsvSeparatorOption,
                      kQuietOption},
                     "",
                     RunExportResults});

} // namespace

} // namespace velor::cli
