// A group as a window works on it: its members (names and model files), where its group file
// lives, and its latest results. Every rule is here: a member must match the first one and have
// a name of its own; the group file holds paths relative to itself; a member whose file changes
// is read again.
#pragma once

#include "calc/group.h"
#include "model/group_file.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velor {

class GroupSession {
public:
    // Reads a group file and every member's model; false with the message (and the reason on a
    // line of its own) in *error, and the session unchanged, when one cannot be read or a member
    // does not match the first.
    bool Open(const std::string& groupPath, std::string* error);
    // Adds the model file at path as a member named name: refused (false, *error) when the
    // file cannot be read, the name is empty or taken, or the model does not match the first
    // member's.
    bool AddMember(const std::string& name, const std::string& path, std::string* error);
    void RemoveMember(std::size_t index);
    // Writes the group file at groupPath (member paths relative to it) and keeps it as the
    // session's file.
    bool Save(const std::string& groupPath, std::string* error);
    // Reads every member's model file again (after one was saved elsewhere); false with *error
    // when one can no longer be read or no longer matches, the members then as they were.
    bool Reload(std::string* error);

    // Calculates the members and their consensus (see CalculateGroup).
    void Calculate(const std::function<bool()>& stop = {});

    const std::vector<GroupMember>& Members() const { return members_; }
    const std::string& GroupPath() const { return groupPath_; }
    const std::optional<GroupResults>& Results() const { return results_; }
    // A name for a member from its model file: the file's name without folder and extension,
    // with " 2", " 3", ... appended when the group has that name already.
    std::string ProposedName(const std::string& path) const;

private:
    std::vector<GroupMember> members_;
    std::string groupPath_;
    std::optional<GroupResults> results_;
};

} // namespace velor
