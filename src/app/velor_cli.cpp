// velor-cli: the calculation engine without a window. Loads a model, runs a calculation, writes
// the model, the constraint export, the results report and a JSON summary. Messages go to stderr;
// stdout carries only what was asked for (the JSON summary with "--json -", help, summary).
#include "app/velor_cli_host.h"
#include "app/velor_cli_json.h"
#include "app/velor_cli_summary.h"
#include "calc/calculation_driver.h"
#include "calc/constraint_file.h"
#include "calc/results_report.h"
#include "lp/lpx.h"
#include "model/model.h"
#include "model/model_file.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#ifndef VELOR_VERSION
#define VELOR_VERSION "0.0.0"
#endif

namespace {

using namespace velor;

enum ExitCode : int {
    kExitDone = 0,
    kExitUsage = 1,
    kExitBadModel = 2,
    kExitNotComputed = 3,
    kExitCannotWrite = 4,
};

constexpr const char* kUsage =
    R"(Usage:
  velor-cli calc MODEL.vlr [--type 0..7] [--answer yes|no] [-o OUT.vlr | --in-place]
                           [--report OUT.txt] [--constraints OUT.mdl] [--json OUT.json|-]
                           [--quiet] [--reference]
  velor-cli check MODEL.vlr                  feasibility of the stored statements
  velor-cli export-constraints MODEL.vlr OUT.mdl
  velor-cli export-results MODEL.vlr OUT.txt  report of the stored results, no calculation
  velor-cli convert IN.vlr OUT.vlr           load and save
  velor-cli summary MODEL.vlr                alternatives, value tree, weights and values
  velor-cli --help | --version

Calculation types (--type, default 0):
  0 calculate model          4 dominance
  1 calculate model partially 5 main goal value intervals
  2 all value intervals      6 normalized value intervals
  3 weights                  7 non-normalized value intervals
Types 0, 1, 2, 3 and 5 use the model's "Normalized Intervals" option.

--answer  answer to "Do you continue with next calculations?" after a linear program
          fails (default yes: skip that value and go on; no: stop the calculation)
--json -  writes the summary to standard output
--reference  solves every linear program from scratch from its text (slow; the same
          results as the default, which restarts each program from the previous basis)

Exit codes: 0 done; 1 usage error; 2 model file unreadable or invalid;
            3 model infeasible or calculation not finished; 4 an output file could not be
            written.
)";

int UsageError(const std::string& message) {
    std::cerr << "velor-cli: " << message << "\n\n" << kUsage;
    return kExitUsage;
}

class Arguments {
public:
    Arguments(int argc, char** argv) : args_(argv + 1, argv + argc) {}
    bool Empty() const { return next_ >= args_.size(); }
    std::string Take() { return args_[next_++]; }
    const std::string& Peek() const { return args_[next_]; }

private:
    std::vector<std::string> args_;
    std::size_t next_ = 0;
};

bool Load(Model& model, const std::string& path) {
    if (!LoadModelFile(model, path)) {
        std::cerr << InvalidModelMessage(path) << '\n';
        return false;
    }
    return true;
}

// Reports a failed write of an output file.
int CannotWrite(const std::string& path, const std::string& reason) {
    std::cerr << CannotWriteMessage(path);
    if (!reason.empty()) {
        std::cerr << " (" << reason << ')';
    }
    std::cerr << '\n';
    return kExitCannotWrite;
}

void Info(bool quiet, const std::string& text) {
    if (!quiet) {
        std::cerr << text << '\n';
    }
}

// Positional arguments of a simple command, with --quiet allowed anywhere.
std::optional<std::vector<std::string>> Positionals(Arguments& args, std::size_t count,
                                                    bool& quiet) {
    std::vector<std::string> positionals;
    while (!args.Empty()) {
        std::string arg = args.Take();
        if (arg == "--quiet" || arg == "-q") {
            quiet = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            UsageError("unknown option " + arg);
            return std::nullopt;
        } else {
            positionals.push_back(std::move(arg));
        }
    }
    if (positionals.size() != count) {
        UsageError(count == 1 ? "expected one model file" : "expected two file names");
        return std::nullopt;
    }
    return positionals;
}

int RunCheck(Arguments& args) {
    bool quiet = false;
    const auto files = Positionals(args, 1, quiet);
    if (!files) {
        return kExitUsage;
    }
    Model model;
    if (!Load(model, (*files)[0])) {
        return kExitBadModel;
    }
    std::string error;
    switch (CheckFeasibility(model, {}, &error)) {
    case Feasibility::Feasible:
        Info(quiet, "The model is feasible.");
        return kExitDone;
    case Feasibility::Infeasible:
        std::cerr << kInfeasibleMessage << '\n';
        return kExitNotComputed;
    case Feasibility::SolverError:
        std::cerr << SolverErrorMessage(error) << '\n';
        return kExitNotComputed;
    }
    return kExitNotComputed;
}

// The commands that load MODEL and write one file from it: export-constraints,
// export-results and convert. doneMessage (may be null) is shown after a successful write.
int LoadAndWrite(Arguments& args,
                 const std::function<bool(const Model&, const std::string&, std::string*)>& write,
                 const char* doneMessage) {
    bool quiet = false;
    const auto files = Positionals(args, 2, quiet);
    if (!files) {
        return kExitUsage;
    }
    Model model;
    if (!Load(model, (*files)[0])) {
        return kExitBadModel;
    }
    std::string error;
    if (!write(model, (*files)[1], &error)) {
        return CannotWrite((*files)[1], error);
    }
    if (doneMessage != nullptr) {
        Info(quiet, doneMessage);
    }
    return kExitDone;
}

int RunExportConstraints(Arguments& args) {
    return LoadAndWrite(
        args,
        [](const Model& model, const std::string& path, std::string* error) {
            return WriteConstraintFile(ConstraintExportModel(model), path, error);
        },
        kConstraintsExportedMessage);
}

int RunExportResults(Arguments& args) {
    return LoadAndWrite(args, WriteResultsReport, kResultsExportedMessage);
}

int RunConvert(Arguments& args) {
    return LoadAndWrite(args, SaveModelFile, nullptr);
}

int RunSummaryCommand(Arguments& args) {
    bool quiet = false;
    const auto files = Positionals(args, 1, quiet);
    if (!files) {
        return kExitUsage;
    }
    Model model;
    if (!Load(model, (*files)[0])) {
        return kExitBadModel;
    }
    PrintSummary(model, std::cout);
    return kExitDone;
}

struct CalcOptions {
    std::string Model;
    int Type = kCalculateModel;
    bool AnswerYes = true;
    std::string Output; // model output; equals Model with --in-place
    std::string Report;
    std::string Constraints;
    std::string Json;
    bool Quiet = false;
    bool Reference = false;
};

// Parses the options of "calc"; returns false after reporting a usage error.
bool ParseCalc(Arguments& args, CalcOptions& options) {
    bool inPlace = false;
    bool haveOutput = false;
    const auto value = [&](const std::string& option, std::string& target) {
        if (args.Empty()) {
            UsageError(option + " needs a value");
            return false;
        }
        target = args.Take();
        return true;
    };
    while (!args.Empty()) {
        const std::string arg = args.Take();
        if (arg == "--type" || arg == "-t") {
            std::string text;
            if (!value(arg, text)) {
                return false;
            }
            if (text.size() != 1 || text[0] < '0' || text[0] > '7') {
                UsageError("--type takes a number from 0 to 7, not \"" + text + "\"");
                return false;
            }
            options.Type = text[0] - '0';
        } else if (arg == "--answer") {
            std::string text;
            if (!value(arg, text)) {
                return false;
            }
            if (text != "yes" && text != "no") {
                UsageError("--answer takes yes or no, not \"" + text + "\"");
                return false;
            }
            options.AnswerYes = text == "yes";
        } else if (arg == "-o" || arg == "--output") {
            if (!value(arg, options.Output)) {
                return false;
            }
            haveOutput = true;
        } else if (arg == "--in-place") {
            inPlace = true;
        } else if (arg == "--report") {
            if (!value(arg, options.Report)) {
                return false;
            }
        } else if (arg == "--constraints") {
            if (!value(arg, options.Constraints)) {
                return false;
            }
        } else if (arg == "--json") {
            if (!value(arg, options.Json)) {
                return false;
            }
        } else if (arg == "--quiet" || arg == "-q") {
            options.Quiet = true;
        } else if (arg == "--reference") {
            options.Reference = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            UsageError("unknown option " + arg);
            return false;
        } else if (options.Model.empty()) {
            options.Model = arg;
        } else {
            UsageError("more than one model file given");
            return false;
        }
    }
    if (options.Model.empty()) {
        UsageError("calc needs a model file");
        return false;
    }
    if (inPlace && haveOutput) {
        UsageError("-o and --in-place exclude each other");
        return false;
    }
    if (inPlace) {
        options.Output = options.Model;
    }
    return true;
}

int RunCalc(Arguments& args) {
    CalcOptions options;
    if (!ParseCalc(args, options)) {
        return kExitUsage;
    }
    Model model;
    if (!Load(model, options.Model)) {
        return kExitBadModel;
    }

    const bool progressBar = ::isatty(STDERR_FILENO) != 0;
    TerminalHost host(std::cerr, options.AnswerYes, options.Quiet, progressBar);
    CalculationDriver driver(model, host);
    driver.SetReferencePath(options.Reference);
    const auto start = std::chrono::steady_clock::now();
    const RunOutcome outcome = driver.Run(options.Type);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const bool complete = outcome == RunOutcome::Complete || outcome == RunOutcome::NothingToRun;

    int exitCode = complete ? kExitDone : kExitNotComputed;
    const auto failedWrite = [&](const std::string& path, const std::string& reason) {
        CannotWrite(path, reason);
        exitCode = kExitCannotWrite;
    };

    std::string error;
    if (!options.Output.empty()) {
        // A calculation that did not finish leaves a mix of new and old results: keep the
        // file as it was rather than store that mix.
        if (!complete) {
            std::cerr << "The model was not written to " << options.Output << ".\n";
        } else if (!SaveModelFile(model, options.Output, &error)) {
            failedWrite(options.Output, error);
        }
    }
    if (!options.Report.empty() && !WriteResultsReport(model, options.Report, &error)) {
        failedWrite(options.Report, error);
    }
    if (!options.Constraints.empty() &&
        !WriteConstraintFile(ConstraintExportModel(model), options.Constraints, &error)) {
        failedWrite(options.Constraints, error);
    }
    if (!options.Json.empty()) {
        RunSummary run;
        run.Feasible = driver.Feasible();
        run.Complete = complete;
        run.Type = options.Type;
        run.LpCount = driver.LpCount();
        run.Seconds = seconds;
        const std::string text =
            ResultsJson(model, run).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) +
            "\n";
        if (options.Json == "-") {
            std::cout << text << std::flush;
            if (!std::cout) {
                failedWrite("standard output", "");
            }
        } else if (!WriteFileSafely(options.Json, text, &error)) {
            failedWrite(options.Json, error);
        }
    }
    return exitCode;
}

} // namespace

int main(int argc, char** argv) {
    LP_SETCONSOLE(&std::cerr);
    Arguments args(argc, argv);
    if (args.Empty()) {
        return UsageError("no command given");
    }
    const std::string command = args.Take();
    try {
        if (command == "--help" || command == "-h" || command == "help") {
            std::cout << kUsage;
            return kExitDone;
        }
        if (command == "--version") {
            std::cout << "velor-cli " << VELOR_VERSION << '\n';
            return kExitDone;
        }
        if (command == "calc") {
            return RunCalc(args);
        }
        if (command == "check") {
            return RunCheck(args);
        }
        if (command == "export-constraints") {
            return RunExportConstraints(args);
        }
        if (command == "export-results") {
            return RunExportResults(args);
        }
        if (command == "convert") {
            return RunConvert(args);
        }
        if (command == "summary") {
            return RunSummaryCommand(args);
        }
    } catch (const std::exception& error) {
        std::cerr << "velor-cli: " << error.what() << '\n';
        return kExitNotComputed;
    }
    return UsageError("unknown command " + command);
}
