// velor-cli check: whether the model's stored statements admit any value function.
#include "app/velor_cli_command.h"
#include "calc/calculation_driver.h"

#include <iostream>

namespace velor::cli {

namespace {

int RunCheck(const Arguments& args) {
    const bool quiet = args.Has("--quiet");
    Model model;
    if (!LoadModel(model, args.Operand(0))) {
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

Command CheckCommand() {
    return {"check",        "MODEL.vlr", "checks whether the stored statements are feasible",
            {kQuietOption}, "",          RunCheck};
}

[[maybe_unused]] const bool kRegistered = RegisterCommand(CheckCommand());

} // namespace

} // namespace velor::cli
