// The commands of velor-cli: what a command declares (its operands, its option table, its help),
// the parsed arguments it runs on, and the registry main() dispatches through.
//
// A command lives in its own source file and registers itself there with one line:
//
//     [[maybe_unused]] const bool kRegistered = cli::RegisterCommand(ExampleCommand());
//
// Options are written "--name VALUE" or "--name=VALUE" (short forms "-n VALUE" and "-nVALUE");
// "--" ends the options; "COMMAND --help" prints the command's usage. Every usage error is one
// line on stderr followed by a hint where to find the usage.
#pragma once

#include "model/model.h"

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velor::cli {

enum ExitCode : int {
    kExitDone = 0,
    kExitUsage = 1,
    kExitBadModel = 2,
    kExitNotComputed = 3,
    kExitCannotWrite = 4,
};

struct Option {
    std::string_view Long;   // "--type"
    std::string_view Short;  // "-t", or empty
    std::string_view Value;  // what the value is ("0..7", "FILE"); empty for an option without one
    std::string_view Help;   // may span lines; shown by "COMMAND --help"
    bool Repeatable = false; // may be given more than once (values are kept in order)
};

// Thrown by a command for a usage error found after parsing (a value out of range, options
// that exclude each other); main() reports it like a parse error.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Arguments {
public:
    // The operands in the order given.
    const std::vector<std::string>& Operands() const { return operands_; }
    const std::string& Operand(std::size_t index) const { return operands_.at(index); }

    // Whether the option (by its long name) was given, with or without a value.
    bool Has(std::string_view option) const;
    // The option's value (the last one of a repeatable option); nullopt when not given.
    std::optional<std::string> Value(std::string_view option) const;
    // Every value of a repeatable option in the order given.
    std::vector<std::string> Values(std::string_view option) const;
    // The option's value as a whole number within [min, max]; fallback when not given. Any other
    // text is a UsageError.
    std::int64_t Integer(std::string_view option, std::int64_t min, std::int64_t max,
                         std::int64_t fallback) const;
    // The option's value, which must be one of choices; fallback when not given.
    std::string Choice(std::string_view option, std::initializer_list<std::string_view> choices,
                       std::string_view fallback) const;

    void AddOperand(std::string operand) { operands_.push_back(std::move(operand)); }
    void AddValue(std::string_view option, std::string value);

private:
    std::vector<std::string> operands_;
    std::map<std::string, std::vector<std::string>, std::less<>> values_;
};

struct Command {
    std::string_view Name;     // "calc"
    std::string_view Operands; // "MODEL.vlr OUT.mdl"; an operand in brackets is optional
    std::string_view Summary;  // one line for the overview of "velor-cli --help"
    std::vector<Option> Options;
    std::string_view Details; // more text after the options in "COMMAND --help"; may be empty
    int (*Run)(const Arguments& args) = nullptr;
};

// Adds a command to the registry; returns true so that a namespace-scope constant can hold the
// result (the registration then runs before main()).
bool RegisterCommand(Command command);
// The registered commands, ordered by name.
const std::vector<Command>& Commands();
const Command* FindCommand(std::string_view name);

// Parses a command's arguments (without the command name) against its option table and
// operand list; throws UsageError.
Arguments ParseArguments(const Command& command, const std::vector<std::string>& args);

// Whether the arguments ask for the command's usage ("--help" or "-h" before any "--").
bool AsksForHelp(const std::vector<std::string>& args);

// "COMMAND --help": usage line, summary, options, details, exit codes.
std::string CommandHelp(const Command& command);
// "velor-cli --help": every command with its summary.
std::string OverviewHelp();
// The one-line report of a usage error and the hint (command may be null).
std::string UsageErrorText(const Command* command, const std::string& message);

// Text of the exit codes, shared by both helps.
extern const char* const kExitCodesHelp;

// The option every command that reports progress or success takes.
inline constexpr Option kQuietOption{"--quiet", "-q", "",
                                     "no information messages (warnings and errors still show)"};

// The separator of a CSV output (comma, semicolon or tab), and of an input when detect is true
// (auto too, the default then).
inline constexpr Option kCsvSeparatorOption{"--separator", "", "SEP",
                                            "comma, semicolon or tab (default: comma)"};
char CsvSeparatorArgument(const Arguments& args, bool detect);

// Shared steps of the commands. Each prints its message on stderr.

// Loads path into model; on failure prints the message and, on a line of its own, the reason,
// and returns false.
bool LoadModel(Model& model, const std::string& path);
// A file a command reads or writes, with what it is for the messages ("MODEL.vlr", "--report").
struct NamedFile {
    std::string Label;
    std::string Path;
};
// Throws UsageError when an output names the same file as an input or another output (the
// files are compared, not the names: links and "./" included). Empty paths and "-" (standard
// output) are left out.
void RequireDistinctFiles(const std::vector<NamedFile>& inputs,
                          const std::vector<NamedFile>& outputs);

// Makes sure that standard input, output and error are open, so that no file the command opens
// takes their place: a closed one is replaced by /dev/null opened for reading, on which every
// write fails and is reported.
void GuardStandardStreams();
// Flushes standard output; on failure prints why on stderr and returns false.
bool FlushStandardOutput();

// Reports a failed write of an output file; returns kExitCannotWrite.
int CannotWrite(const std::string& path, const std::string& reason);
// Prints an information message unless quiet.
void Info(bool quiet, const std::string& text);
// Writes text to the file at path, or to standard output for "-"; on failure reports it and
// returns kExitCannotWrite, else kExitDone.
int WriteOutput(const std::string& path, const std::string& text);

} // namespace velor::cli
