#include "app/velor_cli_command.h"

#include "calc/results_report.h"
#include "model/csv_table.h"
#include "model/file_replace.h"
#include "model/model_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace velor::cli {

namespace {

std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}

// The operand names of a command with whether each is required ("[NAME]" is optional) and
// whether it takes any number of arguments ("NAME...", the last operand only).
struct OperandName {
    std::string Name;
    bool Required;
    bool Repeats = false;
};

std::vector<OperandName> OperandNames(std::string_view operands) {
    std::vector<OperandName> names;
    std::size_t start = 0;
    while (start < operands.size()) {
        std::size_t end = operands.find(' ', start);
        if (end == std::string_view::npos) {
            end = operands.size();
        }
        const std::string_view word = operands.substr(start, end - start);
        if (!word.empty()) {
            const bool optional = word.front() == '[' && word.back() == ']';
            names.push_back({std::string(optional ? word.substr(1, word.size() - 2) : word),
                             !optional, word.find("...") != std::string_view::npos});
        }
        start = end + 1;
    }
    return names;
}

const Option* FindOption(const Command& command, std::string_view name, bool shortForm) {
    for (const Option& option : command.Options) {
        if ((shortForm ? option.Short : option.Long) == name) {
            return &option;
        }
    }
    return nullptr;
}

// A separate value must not look like an option, so that a forgotten value ("--json --quiet")
// is reported instead of becoming a file name; "-" (standard output) is a value. A value that
// starts with "-" can be given as "--option=VALUE".
bool LooksLikeOption(const std::string& text) {
    return text.size() > 1 && text[0] == '-';
}

// Appends "label  help" with the help's lines aligned in a second column.
void AppendColumns(std::string& out, const std::string& label, std::string_view help,
                   std::size_t column = 30) {
    out += "  " + label;
    if (label.size() + 2 >= column - 1) {
        out += "\n" + std::string(column, ' ');
    } else {
        out += std::string(column - 2 - label.size(), ' ');
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t end = help.find('\n', start);
        out += help.substr(start,
                           end == std::string_view::npos ? std::string_view::npos : end - start);
        out += '\n';
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
        out += std::string(column, ' ');
    }
}

// "calc MODEL.vlr"
std::string Synopsis(const Command& command) {
    std::string line(command.Name);
    if (!command.Operands.empty()) {
        line += " " + std::string(command.Operands);
    }
    return line;
}

// The summary as a sentence.
std::string Sentence(std::string_view summary) {
    std::string text(summary);
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') {
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    }
    return text + ".";
}

std::string JoinChoices(std::initializer_list<std::string_view> choices) {
    std::string text;
    std::size_t index = 0;
    for (std::string_view choice : choices) {
        if (index > 0) {
            text += index + 1 == choices.size() ? " or " : ", ";
        }
        text += choice;
        ++index;
    }
    return text;
}

} // namespace

const char* const kExitCodesHelp =
    "Exit codes: 0 done; 1 usage error;\n"
    "            2 model file (or imported table) unreadable or invalid;\n"
    "            3 model infeasible or calculation not finished;\n"
    "            4 an output (a file or standard output) could not be written.\n";

bool Arguments::Has(std::string_view option) const {
    return values_.find(option) != values_.end();
}

std::optional<std::string> Arguments::Value(std::string_view option) const {
    const auto found = values_.find(option);
    if (found == values_.end() || found->second.empty()) {
        return std::nullopt;
    }
    return found->second.back();
}

std::vector<std::string> Arguments::Values(std::string_view option) const {
    const auto found = values_.find(option);
    return found == values_.end() ? std::vector<std::string>{} : found->second;
}

std::int64_t Arguments::Integer(std::string_view option, std::int64_t min, std::int64_t max,
                                std::int64_t fallback) const {
    const std::optional<std::string> text = Value(option);
    if (!text) {
        return fallback;
    }
    std::int64_t number = 0;
    const char* end = text->data() + text->size();
    const auto [last, error] = std::from_chars(text->data(), end, number);
    if (error != std::errc() || last != end || number < min || number > max) {
        throw UsageError(std::string(option) + " takes a number from " + std::to_string(min) +
                         " to " + std::to_string(max) + ", not \"" + *text + "\"");
    }
    return number;
}

std::string Arguments::Choice(std::string_view option,
                              std::initializer_list<std::string_view> choices,
                              std::string_view fallback) const {
    const std::optional<std::string> text = Value(option);
    if (!text) {
        return std::string(fallback);
    }
    if (std::find(choices.begin(), choices.end(), *text) == choices.end()) {
        throw UsageError(std::string(option) + " takes " + JoinChoices(choices) + ", not \"" +
                         *text + "\"");
    }
    return *text;
}

void Arguments::AddValue(std::string_view option, std::string value) {
    values_[std::string(option)].push_back(std::move(value));
}

bool RegisterCommand(Command command) {
    std::vector<Command>& commands = Registry();
    const auto position =
        std::lower_bound(commands.begin(), commands.end(), command.Name,
                         [](const Command& a, std::string_view name) { return a.Name < name; });
    commands.insert(position, std::move(command));
    return true;
}

const std::vector<Command>& Commands() {
    return Registry();
}

const Command* FindCommand(std::string_view name) {
    for (const Command& command : Registry()) {
        if (command.Name == name) {
            return &command;
        }
    }
    return nullptr;
}

bool AsksForHelp(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") {
            return false;
        }
        if (arg == "--help" || arg == "-h") {
            return true;
        }
    }
    return false;
}

Arguments ParseArguments(const Command& command, const std::vector<std::string>& args) {
    Arguments parsed;
    bool optionsEnded = false;
    for (std::size_t index = 0; index < args.size(); ++index) {
        const std::string& arg = args[index];
        if (optionsEnded || !LooksLikeOption(arg)) {
            if (arg.empty()) {
                throw UsageError("an empty file name was given");
            }
            parsed.AddOperand(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const bool longForm = arg[1] == '-';
        const std::size_t equals = longForm ? arg.find('=') : std::string::npos;
        const std::string name = longForm ? arg.substr(0, equals) : arg.substr(0, 2);
        const Option* option = FindOption(command, name, !longForm);
        if (option == nullptr) {
            throw UsageError("unknown option " + (longForm ? name : arg));
        }
        const std::string label(option->Long);
        if (parsed.Has(option->Long) && !option->Repeatable && !option->Value.empty()) {
            throw UsageError(label + " is given more than once");
        }
        std::optional<std::string> value;
        if (longForm && equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (!longForm && arg.size() > 2) {
            if (option->Value.empty()) {
                throw UsageError("unknown option " + arg);
            }
            value = arg.substr(2);
        }
        if (option->Value.empty()) {
            if (value) {
                throw UsageError(label + " takes no value");
            }
            parsed.AddValue(option->Long, {});
            continue;
        }
        if (!value && index + 1 < args.size() && !LooksLikeOption(args[index + 1])) {
            value = args[++index];
        }
        if (!value || value->empty()) {
            throw UsageError(label + " needs a value (" + std::string(option->Value) + ")");
        }
        parsed.AddValue(option->Long, std::move(*value));
    }

    const std::vector<OperandName> names = OperandNames(command.Operands);
    const std::size_t required = static_cast<std::size_t>(
        std::count_if(names.begin(), names.end(), [](const OperandName& n) { return n.Required; }));
    if (parsed.Operands().size() < required) {
        std::string missing;
        for (std::size_t i = parsed.Operands().size(); i < required; ++i) {
            missing += (missing.empty() ? "" : " and ") + names[i].Name;
        }
        throw UsageError(missing + (required - parsed.Operands().size() == 1 ? " is" : " are") +
                         " missing");
    }
    if (parsed.Operands().size() > names.size() && (names.empty() || !names.back().Repeats)) {
        throw UsageError("unexpected argument \"" + parsed.Operand(names.size()) + "\"");
    }
    return parsed;
}

std::string CommandHelp(const Command& command) {
    std::string text = "Usage: velor-cli " + Synopsis(command) + " [OPTIONS]\n\n" +
                       Sentence(command.Summary) + "\n\nOptions:\n";
    for (const Option& option : command.Options) {
        std::string label = option.Short.empty() ? "    " : std::string(option.Short) + ", ";
        label += option.Long;
        if (!option.Value.empty()) {
            label += " " + std::string(option.Value);
        }
        AppendColumns(text, label, option.Help);
    }
    AppendColumns(text, "-h, --help", "this help");
    text += "\nAn option's value may follow it as --option VALUE or --option=VALUE.\n";
    if (!command.Details.empty()) {
        text += "\n" + std::string(command.Details);
        if (text.back() != '\n') {
            text += '\n';
        }
    }
    text += "\n";
    text += kExitCodesHelp;
    return text;
}

std::string OverviewHelp() {
    constexpr std::size_t kColumn = 40;
    std::string text = "Usage: velor-cli COMMAND [ARGUMENTS] [OPTIONS]\n\nCommands:\n";
    for (const Command& command : Commands()) {
        AppendColumns(text, Synopsis(command), command.Summary, kColumn);
    }
    text += "\n";
    AppendColumns(text, "velor-cli COMMAND --help", "the arguments and options of a command",
                  kColumn);
    AppendColumns(text, "velor-cli --version", "the version", kColumn);
    text += "\nAn option's value may follow it as --option VALUE or --option=VALUE.\n\n";
    text += kExitCodesHelp;
    return text;
}

std::string UsageErrorText(const Command* command, const std::string& message) {
    if (command == nullptr) {
        return "velor-cli: " + message + "\nTry 'velor-cli --help'.\n";
    }
    const std::string name(command->Name);
    return "velor-cli " + name + ": " + message + "\nTry 'velor-cli " + name +
           " --help' or 'velor-cli --help'.\n";
}

char CsvSeparatorArgument(const Arguments& args, bool detect) {
    const std::string name = args.Value("--separator").value_or(detect ? "auto" : "comma");
    char separator = ',';
    if (!CsvSeparatorFromName(name, separator) || (!detect && separator == kCsvDetect)) {
        throw UsageError(
            "--separator takes " +
            std::string(detect ? "auto, comma, semicolon or tab" : "comma, semicolon or tab") +
            ", not \"" + name + "\"");
    }
    return separator;
}

bool LoadModel(Model& model, const std::string& path) {
    std::string reason;
    if (!LoadModelFile(model, path, &reason)) {
        std::cerr << InvalidModelMessage(path) << '\n' << reason << '\n';
        return false;
    }
    return true;
}

void RequireDistinctFiles(const std::vector<NamedFile>& inputs,
                          const std::vector<NamedFile>& outputs) {
    const auto counts = [](const NamedFile& file) {
        return !file.Path.empty() && file.Path != "-";
    };
    std::vector<NamedFile> seen;
    for (const NamedFile& input : inputs) {
        if (counts(input)) {
            seen.push_back(input);
        }
    }
    for (const NamedFile& output : outputs) {
        if (!counts(output)) {
            continue;
        }
        for (const NamedFile& earlier : seen) {
            if (SameFile(output.Path, earlier.Path)) {
                throw UsageError(output.Label + " " + output.Path + " is the same file as " +
                                 earlier.Label + " " + earlier.Path);
            }
        }
        seen.push_back(output);
    }
}

void GuardStandardStreams() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            const int opened = ::open("/dev/null", O_RDONLY);
            if (opened >= 0 && opened != fd) {
                ::dup2(opened, fd);
                ::close(opened);
            }
        }
    }
}

bool FlushStandardOutput() {
    errno = 0;
    std::cout.flush();
    const bool ok = std::fflush(stdout) == 0 && std::ferror(stdout) == 0 && std::cout.good();
    if (!ok) {
        const int error = errno;
        std::cerr << "velor-cli: cannot write to standard output"
                  << (error != 0 ? std::string(": ") + std::strerror(error) : std::string())
                  << '\n';
    }
    return ok;
}

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

int WriteOutput(const std::string& path, const std::string& text) {
    if (path == "-") {
        std::cout << text; // checked when velor-cli ends (FlushStandardOutput)
        return kExitDone;
    }
    std::string error;
    return WriteFileSafely(path, text, &error) ? kExitDone : CannotWrite(path, error);
}

} // namespace velor::cli
