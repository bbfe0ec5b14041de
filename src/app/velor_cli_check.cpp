// velor-cli check: whether the model's stored statements admit any value function, and with
// --explain which of them contradict each other.
#include "app/velor_cli_command.h"
#include "app/velor_cli_json.h"
#include "calc/calculation_driver.h"
#include "calc/conflict_finder.h"

#include <iostream>
#include <optional>

namespace velor::cli {

namespace {

constexpr const char* kNoConflictText = "No conflict.";

constexpr const char* kCheckDetails =
    R"(With --explain, an infeasible model's statements that cannot hold together are
printed one per line: a set in which every statement is needed (without any
one of them the rest can hold), at the grain of one relation of a ranking or
one bound of a ratio or weight statement. The set contradicts itself with
every other statement taken away, so it names a ranking whose levels are all
equally good (its attribute can carry no weight) and the bound of an unranked
level by its attribute's best level where it needs them. A feasible model
prints "No conflict.". The exit code is that of the check.
)";

// Searches the conflict of an infeasible model and, with print, prints it; nothing for a
// feasible one.
std::optional<ConflictResult> Explain(const Model& model, Feasibility feasibility, bool print) {
    if (feasibility == Feasibility::Feasible) {
        if (print) {
            std::cout << kNoConflictText << '\n';
        }
        return std::nullopt;
    }
    ConflictResult conflict = FindConflict(model);
    switch (conflict.Outcome) {
    case ConflictOutcome::Conflict:
        for (const ConflictStatement& statement : conflict.Statements) {
            std::cout << (print ? DescribeStatement(model, statement) + '\n' : std::string());
        }
        break;
    case ConflictOutcome::NoConflict:
        std::cerr << "No set of contradicting statements was found.\n";
        break;
    case ConflictOutcome::SolverError:
        std::cerr << SolverErrorMessage(conflict.Error) << '\n';
        break;
    case ConflictOutcome::Stopped:
        break;
    }
    std::cout << std::flush;
    return conflict;
}

int RunCheck(const Arguments& args) {
    const bool quiet = args.Has("--quiet");
    const std::string json = args.Value("--json").value_or("");
    const bool explain = args.Has("--explain") || !json.empty();
    RequireDistinctFiles({{"MODEL.vlr", args.Operand(0)}}, {{"--json", json}});
    Model model;
    if (!LoadModel(model, args.Operand(0))) {
        return kExitBadModel;
    }
    std::string error;
    const Feasibility feasibility = CheckFeasibility(model, {}, &error);
    switch (feasibility) {
    case Feasibility::Feasible:
        Info(quiet, "The model is feasible.");
        break;
    case Feasibility::Infeasible:
        std::cerr << kInfeasibleMessage << '\n';
        break;
    case Feasibility::SolverError:
        std::cerr << SolverErrorMessage(error) << '\n';
        return kExitNotComputed;
    }
    const int exitCode = feasibility == Feasibility::Feasible ? kExitDone : kExitNotComputed;
    if (!explain) {
        return exitCode;
    }
    // JSON on standard output comes alone.
    const std::optional<ConflictResult> conflict = Explain(model, feasibility, json != "-");
    if (!json.empty()) {
        const std::string text =
            ConflictJson(model, feasibility == Feasibility::Feasible,
                         conflict ? &*conflict : nullptr)
                .dump(2, ' ', false, nlohmann::json::error_handler_t::replace) +
            "\n";
        if (WriteOutput(json, text) != kExitDone) {
            return kExitCannotWrite;
        }
    }
    return exitCode;
}

Command CheckCommand() {
    return {"check",
            "MODEL.vlr",
            "checks whether the stored statements are feasible",
            {
                kQuietOption,
                {"--explain", "", "",
                 "prints the statements of an infeasible model that contradict\n"
                 "each other, one per line"},
                {"--json", "", "OUT.json|-",
                 "writes them as JSON, with their kinds and the nodes and\n"
                 "alternatives they name (\"-\": to standard output instead of\n"
                 "the lines); implies --explain"},
            },
            kCheckDetails,
            RunCheck};
}

[[maybe_unused]] const bool kRegistered = RegisterCommand(CheckCommand());

} // namespace

} // namespace velor::cli
