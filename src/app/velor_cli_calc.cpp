// velor-cli calc: runs a calculation and writes the model, the report, the constraint export
// and the JSON summary that the options ask for.
#include "app/velor_cli_command.h"
#include "app/velor_cli_host.h"
#include "app/velor_cli_json.h"
#include "calc/calculation_driver.h"
#include "calc/constraint_file.h"
#include "calc/result_warnings.h"
#include "calc/results_report.h"
#include "model/model_file.h"

#include <unistd.h>

#include <chrono>
#include <iostream>

namespace velor::cli {

namespace {

constexpr const char* kCalcDetails =
    R"(Calculation types (--type, default 0):
  0 calculate model           4 dominance
  1 calculate model partially 5 main goal value intervals
  2 all value intervals       6 normalized value intervals
  3 weights                   7 non-normalized value intervals
Types 0, 1, 2, 3 and 5 use the model's "Normalized Intervals" option.
)";

int RunCalc(const Arguments& args) {
    const std::string modelPath = args.Operand(0);
    // Integer keeps the number within 0..7, each of which names a type.
    const CalculationType type = *CalculationTypeOf(static_cast<int>(
        args.Integer("--type", 0, kCalculationTypeCount - 1, static_cast<int>(kCalculateModel))));
    const bool answerYes = args.Choice("--answer", {"yes", "no"}, "yes") == "yes";
    const bool quiet = args.Has("--quiet");
    if (args.Has("--output") && args.Has("--in-place")) {
        throw UsageError("-o and --in-place exclude each other");
    }
    const std::string output =
        args.Has("--in-place") ? modelPath : args.Value("--output").value_or("");
    const std::string report = args.Value("--report").value_or("");
    const std::string constraints = args.Value("--constraints").value_or("");
    const std::string json = args.Value("--json").value_or("");
    // The model output may be the model itself (--in-place); every other output must be a file
    // of its own.
    RequireDistinctFiles({{"MODEL.vlr", modelPath}, {"--output", output}},
                         {{"--report", report}, {"--constraints", constraints}, {"--json", json}});
    // "-" is standard output for one text output; a model is always written to a file.
    if (output == "-") {
        throw UsageError(
            "-o: a model is written to a file; \"-\" (standard output) is no model file");
    }
    if ((report == "-") + (constraints == "-") + (json == "-") > 1) {
        throw UsageError("only one of --report, --constraints and --json can be \"-\" (standard "
                         "output)");
    }

    Model model;
    if (!LoadModel(model, modelPath)) {
        return kExitBadModel;
    }

    const bool progressBar = ::isatty(STDERR_FILENO) != 0;
    TerminalHost host(std::cerr, answerYes, quiet, progressBar);
    CalculationDriver driver(model, host);
    driver.SetReferencePath(args.Has("--reference"));
    const auto start = std::chrono::steady_clock::now();
    const RunOutcome outcome = driver.Run(type);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const bool complete = outcome == RunOutcome::Complete || outcome == RunOutcome::NothingToRun;

    int exitCode = complete ? kExitDone : kExitNotComputed;
    if (outcome == RunOutcome::Complete || outcome == RunOutcome::NotFinished) {
        for (const std::string& warning : ResultWarnings(model)) {
            std::cerr << "warning: " << warning << '\n';
        }
    }
    const auto failedWrite = [&](const std::string& path, const std::string& reason) {
        exitCode = CannotWrite(path, reason);
    };

    // A calculation that did not finish leaves a mix of new and old results: no file is
    // written from it. The JSON summary on standard output says that the run is incomplete.
    const bool toStandardOutput = json == "-";
    const std::string jsonFile = toStandardOutput ? std::string() : json;
    if (!complete) {
        const std::pair<const char*, const std::string*> files[] = {
            {"model", &output},
            {"report", &report},
            {"constraint export", &constraints},
            {"summary", &jsonFile},
        };
        for (const auto& [what, path] : files) {
            if (!path->empty()) {
                std::cerr << "The " << what << " was not written to " << *path << ".\n";
            }
        }
    }
    std::string error;
    if (complete && !output.empty() && !SaveModelFile(model, output, &error)) {
        failedWrite(output, error);
    }
    if (complete && report == "-") {
        if (WriteOutput(report, ResultsReportText(model)) != kExitDone) {
            exitCode = kExitCannotWrite;
        }
    } else if (complete && !report.empty() && !WriteResultsReport(model, report, &error)) {
        failedWrite(report, error);
    }
    std::string constraintText;
    if (complete && constraints == "-") {
        if (!ConstraintFileText(ConstraintExportModel(model), constraintText, &error)) {
            failedWrite(constraints, error);
        } else if (WriteOutput(constraints, constraintText) != kExitDone) {
            exitCode = kExitCannotWrite;
        }
    } else if (complete && !constraints.empty() &&
               !WriteConstraintFile(ConstraintExportModel(model), constraints, &error)) {
        failedWrite(constraints, error);
    }
    if (!json.empty() && (complete || toStandardOutput)) {
        RunSummary run;
        run.Feasible = driver.Feasible();
        run.Complete = complete;
        run.Type = type;
        run.LpCount = driver.LpCount();
        run.Seconds = seconds;
        const std::string text =
            ResultsJson(model, run).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) +
            "\n";
        if (WriteOutput(json, text) != kExitDone) {
            exitCode = kExitCannotWrite;
        }
    }
    return exitCode;
}

Command CalcCommand() {
    return {
        "calc",
        "MODEL.vlr",
        "runs a calculation and writes the outputs asked for",
        {
            {"--type", "-t", "0..7", "calculation type (default 0, see below)"},
            {"--answer", "", "yes|no",
             "answer to \"Do you continue with next calculations?\" after a\n"
             "linear program fails (default yes: skip that value and go on;\n"
             "no: stop the calculation)"},
            {"--output", "-o", "OUT.vlr", "writes the model with its results to OUT.vlr"},
            {"--in-place", "", "", "writes the model with its results back to MODEL.vlr"},
            {"--report", "", "OUT.txt|-", "writes the results report (\"-\": to standard output)"},
            {"--constraints", "", "OUT.mdl|-",
             "writes the constraint export (\"-\": to standard output)"},
            {"--json", "", "OUT.json|-",
             "writes a JSON summary of the run and its results\n"
             "(\"-\": to standard output)"},
            kQuietOption,
            {"--reference", "", "",
             "solves every linear program from scratch from its text (slow;\n"
             "the same results as the default, which restarts each program\n"
             "from the previous basis)"},
        },
        kCalcDetails,
        RunCalc,
    };
}

[[maybe_unused]] const bool kRegistered = RegisterCommand(CalcCommand());

} // namespace

} // namespace velor::cli
