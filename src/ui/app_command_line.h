// The desktop application's command line: `velor [MODEL.vlr]`, `velor --help`,
// `velor --version`. Qt takes its own options (-platform, -style, ...) out of the list when the
// application object is made; what is left is read here.
#pragma once

#include <string>
#include <vector>

namespace velor::ui {

struct AppCommandLine {
    enum class Action { Open, Help, Version, UsageError };
    Action action = Action::Open;
    std::string modelFile; // Open: the model to open; empty starts with an empty model
    std::string error;     // UsageError: what is wrong, one line without the program name
};

// Reads the arguments that follow the program name. The first of --help, -h and --version
// decides; "--" ends the options, so that the next argument is a file even when it starts
// with a dash. Any other argument starting with a dash, and a second file, are usage errors.
AppCommandLine ParseAppCommandLine(const std::vector<std::string>& args);

// The text `velor --help` prints.
std::string AppUsageText();

// The line printed after a usage error, pointing at --help.
std::string AppUsageHint();

} // namespace velor::ui
