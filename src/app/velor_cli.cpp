// velor-cli: the calculation engine without a window. Loads a model, runs a calculation, writes
// the model, the constraint export, the results report and a JSON summary. Messages go to stderr;
// stdout carries only what was asked for (the JSON summary with "--json -", help, summary).
// Each command lives in its own velor_cli_*.cpp file and registers itself there
// (app/velor_cli_command.h); main() finds the command and runs it on its parsed arguments.
#include "app/velor_cli_command.h"
#include "calc/lp_backend.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#ifndef VELOR_VERSION
#define VELOR_VERSION "0.0.0"
#endif

namespace {

using namespace velor::cli;

int ReportUsageError(const Command* command, const std::string& message) {
    std::cerr << UsageErrorText(command, message);
    return kExitUsage;
}

int Dispatch(const std::vector<std::string>& args) {
    if (args.empty()) {
        return ReportUsageError(nullptr, "no command given");
    }
    const std::string& name = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (name == "--help" || name == "-h" || name == "help") {
        if (rest.empty()) {
            std::cout << OverviewHelp();
            return kExitDone;
        }
        const Command* command = FindCommand(rest[0]);
        if (command == nullptr || rest.size() > 1) {
            return ReportUsageError(nullptr, command == nullptr
                                                 ? "unknown command \"" + rest[0] + "\""
                                                 : "help takes one command name");
        }
        std::cout << CommandHelp(*command);
        return kExitDone;
    }
    if (name == "--version") {
        std::cout << "velor-cli " << VELOR_VERSION << '\n';
        return kExitDone;
    }
    const Command* command = FindCommand(name);
    if (command == nullptr) {
        return ReportUsageError(nullptr,
                                (name.size() > 1 && name[0] == '-' ? "unknown option \"" + name
                                                                   : "unknown command \"" + name) +
                                    "\"");
    }
    if (AsksForHelp(rest)) {
        std::cout << CommandHelp(*command);
        return kExitDone;
    }
    try {
        return command->Run(ParseArguments(*command, rest));
    } catch (const UsageError& error) {
        return ReportUsageError(command, error.what());
    } catch (const std::exception& error) {
        std::cerr << "velor-cli: " << error.what() << '\n';
        return kExitNotComputed;
    }
}

} // namespace

int main(int argc, char** argv) {
    GuardStandardStreams();
    velor::SetSolverConsole(&std::cerr);
    const int code = Dispatch(std::vector<std::string>(argv + 1, argv + argc));
    // What went to standard output (help, a summary, JSON) must have arrived, whatever the
    // command was.
    if (!FlushStandardOutput()) {
        return kExitCannotWrite;
    }
    return code;
}
