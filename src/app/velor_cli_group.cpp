// velor-cli group: several decision makers' models of one decision side by side, what they
// agree on, and the consensus of all their statements (or the statements that contradict each
// other, member by member).
#include "app/velor_cli_command.h"
#include "app/velor_cli_json.h"
#include "calc/group.h"
#include "calc/group_report.h"
#include "model/group_file.h"

#include <filesystem>
#include <iostream>

namespace velor::cli {

namespace {

constexpr const char* kGroupDetails =
    R"(The members are model files of one decision: the same value tree, the same
alternatives with the same consequences, the same weight mode and the same
Normalized Intervals option; each holds one member's own ranks and statements.
They are given one by one (named after their files unless --names says
otherwise) or as a group file (.vlg) that lists them. A member that does not
match the first is refused with the first difference (exit 2).

Each member's model and the consensus, every member's statements at once, are
calculated (Calculate Model). Without --json or --report the group report goes
to standard output: what the members agree on, each member's value intervals
and recommendations, and the consensus, or, when the members' statements
cannot all hold together, a smallest set of them that contradict each other,
each with its member's name (exit 3; the outputs are still written).
)";

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::vector<std::string> SplitNames(const std::string& text) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        names.push_back(text.substr(start, comma == std::string::npos ? comma : comma - start));
        if (comma == std::string::npos) {
            return names;
        }
        start = comma + 1;
    }
}

// The members named on the command line or in the group file; false after printing why.
bool ReadMembers(const Arguments& args, std::vector<GroupEntry>& entries, std::string& groupPath) {
    const std::vector<std::string>& files = args.Operands();
    const bool groupFile = files.size() == 1 && EndsWith(files[0], kGroupFileExtension);
    for (std::size_t i = groupFile ? 1 : 0; i < files.size(); ++i) {
        if (EndsWith(files[i], kGroupFileExtension)) {
            throw UsageError("a group file (" + files[i] + ") comes alone, without model files");
        }
    }
    if (groupFile) {
        if (args.Has("--names")) {
            throw UsageError("--names: a group file names its members itself");
        }
        groupPath = files[0];
        std::string reason;
        if (!LoadGroupFile(groupPath, entries, &reason)) {
            std::cerr << InvalidGroupMessage(groupPath) << '\n' << reason << '\n';
            return false;
        }
        return true;
    }
    std::vector<std::string> names;
    if (const std::optional<std::string> given = args.Value("--names")) {
        names = SplitNames(*given);
        if (names.size() != files.size()) {
            throw UsageError("--names: " + std::to_string(names.size()) + " names for " +
                             std::to_string(files.size()) + " model files");
        }
    } else {
        for (const std::string& file : files) {
            names.push_back(std::filesystem::path(file).stem().string());
        }
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i].empty()) {
            throw UsageError("--names: member " + std::to_string(i + 1) + " has no name");
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (names[j] == names[i]) {
                throw UsageError("two members are named \"" + names[i] +
                                 "\"; give each a name of its own with --names");
            }
        }
        entries.push_back({names[i], files[i]});
    }
    return true;
}

int RunGroup(const Arguments& args) {
    const std::string json = args.Value("--json").value_or("");
    const std::string report = args.Value("--report").value_or("");
    if (json == "-" && report == "-") {
        throw UsageError("only one of --json and --report can be \"-\" (standard output)");
    }
    std::vector<GroupEntry> entries;
    std::string groupPath;
    if (!ReadMembers(args, entries, groupPath)) {
        return kExitBadModel;
    }
    std::vector<NamedFile> inputs;
    for (const std::string& operand : args.Operands()) {
        inputs.push_back({operand, operand});
    }
    std::vector<GroupMember> members;
    for (const GroupEntry& entry : entries) {
        GroupMember member;
        member.Name = entry.Name;
        member.File = groupPath.empty() ? entry.Path : MemberFilePath(groupPath, entry.Path);
        if (!groupPath.empty()) {
            inputs.push_back({entry.Name, member.File});
        }
        members.push_back(std::move(member));
    }
    RequireDistinctFiles(inputs, {{"--json", json}, {"--report", report}});
    for (GroupMember& member : members) {
        if (!LoadModel(member.Data, member.File)) {
            return kExitBadModel;
        }
    }
    if (const std::optional<std::string> refusal = GroupMismatch(members)) {
        std::cerr << *refusal << '\n';
        return kExitBadModel;
    }

    const GroupResults results = CalculateGroup(members);
    bool finished = Finished(results.ConsensusOutcome);
    for (const MemberResult& result : results.Members) {
        finished = finished && Finished(result.Outcome);
    }
    if (results.ConsensusOutcome == RunOutcome::Infeasible) {
        std::cerr << "The members' statements cannot all hold together.\n";
        if (results.Conflict.Outcome == ConflictOutcome::SolverError) {
            std::cerr << SolverErrorMessage(results.Conflict.Error) << '\n';
        }
    }
    for (const std::string& warning : GroupWarnings(members, results)) {
        std::cerr << "warning: " << warning << '\n';
    }
    int exitCode = finished ? kExitDone : kExitNotComputed;
    const auto write = [&exitCode](const std::string& path, const std::string& text) {
        if (WriteOutput(path, text) != kExitDone) {
            exitCode = kExitCannotWrite;
        }
    };
    const auto jsonText = [&] {
        return GroupJson(members, results)
                   .dump(2, ' ', false, nlohmann::json::error_handler_t::replace) +
               "\n";
    };
    // A run that did not finish (a solver failure) leaves a mix of results: no file is written
    // from it, as with calc; JSON on standard output says which runs are complete. An
    // infeasible consensus is an answer, written with its conflict.
    if (!finished && results.ConsensusOutcome != RunOutcome::Infeasible) {
        for (const auto& [what, path] : {std::pair{"JSON", json}, std::pair{"report", report}}) {
            if (!path.empty() && path != "-") {
                std::cerr << "The group " << what << " was not written to " << path << ".\n";
            }
        }
        if (json == "-") {
            write(json, jsonText());
        }
        return exitCode;
    }
    if (!json.empty()) {
        write(json, jsonText());
    }
    if (!report.empty() || json.empty()) {
        write(report.empty() ? "-" : report, GroupReportText(members, results));
    }
    return exitCode;
}

Command GroupCommand() {
    return {"group",
            "MEMBER.vlr...|GROUP.vlg",
            "several decision makers' models side by side and their consensus",
            {
                {"--names", "", "NAME,...",
                 "the members' names in the order of their model files\n"
                 "(default: the files' names without folder and extension)"},
                {"--json", "", "OUT.json|-", "writes the results as JSON"},
                {"--report", "", "OUT.txt|-", "writes the group report"},
            },
            kGroupDetails,
            RunGroup};
}

[[maybe_unused]] const bool kRegistered = RegisterCommand(GroupCommand());

} // namespace

} // namespace velor::cli
