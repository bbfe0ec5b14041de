#include "ui/app_command_line.h"

namespace velor::ui {

AppCommandLine ParseAppCommandLine(const std::vector<std::string>& args) {
    AppCommandLine result;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (isOption) {
            if (arg == "--help" || arg == "-h") {
                return {.action = AppCommandLine::Action::Help, .modelFile = {}, .error = {}};
            }
            if (arg == "--version") {
                return {.action = AppCommandLine::Action::Version, .modelFile = {}, .error = {}};
            }
            if (arg == "--") {
                optionsEnded = true;
                continue;
            }
            if (result.action != AppCommandLine::Action::UsageError) {
                result.action = AppCommandLine::Action::UsageError;
                result.error = "unknown option " + arg;
            }
            continue;
        }
        if (result.action == AppCommandLine::Action::UsageError) {
            continue;
        }
        if (!result.modelFile.empty() || arg.empty()) {
            result.action = AppCommandLine::Action::UsageError;
            result.error = arg.empty() ? "empty model file name" : "more than one model file given";
            continue;
        }
        result.modelFile = arg;
    }
    if (result.action == AppCommandLine::Action::UsageError) {
        result.modelFile.clear();
    }
    return result;
}

std::string AppUsageText() {
    return "Usage: velor [MODEL.vlr]\n"
           "       velor --help | --version\n"
           "\n"
           "Opens the model file in the Velor Decisions window, or starts with an empty model.\n"
           "\n"
           "  -h, --help   print this text and exit\n"
           "  --version    print the version and exit\n"
           "  --           end of the options: the next argument is the model file\n"
           "\n"
           "Qt's own options, such as -platform and -style, are accepted as well.\n"
           "velor-cli runs the same calculations without a window; see velor(1) and "
           "velor-cli(1).\n";
}

std::string AppUsageHint() {
    return "Try 'velor --help' for more information.";
}

} // namespace velor::ui
