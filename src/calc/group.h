// A group of decision makers: one model per member over the same value tree, alternatives and
// consequences, each with the member's own ranks, ratio statements and weight statements. Here:
// whether models can make a group (and the first difference when not), copies of one model for
// each member, each member's results, what the members agree on, and the consensus, one
// calculation over every member's statements at once.
#pragma once

#include "calc/calculation_driver.h"
#include "calc/conflict_finder.h"
#include "model/group_file.h"
#include "model/model.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velor {

struct GroupMember {
    std::string Name;
    std::string File; // the model file's path as opened
    Model Data;       // the member's model
};

// The first difference of other from first that keeps them out of one group, in words: the
// value tree (number of nodes, then per node in pre-order its name, kind and parent), the
// alternatives (number, then names), the consequences (per column and row), the weight mode and
// the normalized option. Nothing when they match.
std::optional<std::string> FirstGroupDifference(const Model& first, const Model& other);
// The refusal of a member that does not match the first one: "Bob (bob.vlr) cannot join the
// group of Ann: " + the difference. Nothing when every member matches the first.
std::optional<std::string> GroupMismatch(const std::vector<GroupMember>& members);

// A copy of model for a new member: tree, alternatives and consequences, the options, and with
// keepStatements the ranks and every statement; without, none of them. No results.
Model MemberCopy(const Model& model, bool keepStatements);
// Writes a copy of model for each member to MemberFilePath(groupPath, entry.Path), then the group
// file at groupPath. False with *error (the file and why) at the first failure.
bool SaveMemberCopies(const Model& model, bool keepStatements, const std::string& groupPath,
                      const std::vector<GroupEntry>& members, std::string* error = nullptr);

// The consensus: a copy of the first member's model without results whose joint models are the
// other members' models, so every calculation holds every member's statements.
Model ConsensusModel(const std::vector<GroupMember>& members);

// What the members agree on, from their dominance results (row numbers from 1).
struct DominanceHolders {
    std::uint8_t Code = kNeither; // of Row against OtherRow: dominates, is dominated by, neither
    std::vector<int> Members;     // positions in the group
};
struct DominanceDisagreement {
    int Row = 0;
    int OtherRow = 0; // Row < OtherRow
    std::vector<DominanceHolders> Holders;
};
struct CommonGround {
    // Dominated in the results of every member (none when a member has no dominance results).
    std::vector<int> DominatedForAll;
    // Dominated by no alternative in the results of at least one member.
    std::vector<int> UndominatedForSome;
    // Pairs on which members with dominance results hold different codes.
    std::vector<DominanceDisagreement> Disagreements;
};
// From members' models as calculated (Calculated().Dominance tells which hold results).
CommonGround FindCommonGround(const std::vector<const Model*>& models);

struct MemberResult {
    RunOutcome Outcome = RunOutcome::NothingToRun;
    Model Calculated; // the member's model with its results
};

struct GroupResults {
    std::vector<MemberResult> Members; // in the order of the group
    CommonGround Common;
    Model Consensus; // with its results when ConsensusOutcome is Complete
    RunOutcome ConsensusOutcome = RunOutcome::NothingToRun;
    // The conflicting statements when the consensus is infeasible; each statement's Member is
    // its member's position in the group.
    ConflictResult Conflict;
};

// Whether the outcome leaves results a decision may be read from.
inline bool Finished(RunOutcome outcome) {
    return outcome == RunOutcome::Complete || outcome == RunOutcome::NothingToRun;
}

// Calculates every member's model and the consensus (Calculate Model each), the common ground,
// and the conflict of an infeasible consensus. stop, when given, is asked between programs. A
// failed linear program is skipped, as velor-cli does by default.
GroupResults CalculateGroup(const std::vector<GroupMember>& members,
                            const std::function<bool()>& stop = {});

// What the results may not be read as, member by member ("Ann: Not every attribute is ranked:
// ...") and for the consensus ("Consensus: ..."); the consensus leaves the unranked attributes
// to the members, whose rows it holds.
std::vector<std::string> GroupWarnings(const std::vector<GroupMember>& members,
                                       const GroupResults& results);

// "Ann: " + the statement in words.
std::string DescribeMemberStatement(const std::vector<GroupMember>& members, const Model& consensus,
                                    const ConflictStatement& statement,
                                    char decimalSeparator = '.');

} // namespace velor
