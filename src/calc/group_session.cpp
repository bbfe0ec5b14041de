#include "calc/group_session.h"

#include "model/model_file.h"

#include <algorithm>
#include <filesystem>

namespace velor {

namespace {

bool Fail(std::string* error, const std::string& text) {
    if (error != nullptr) {
        *error = text;
    }
    return false;
}

bool ReadMember(GroupMember& member, std::string* error) {
    std::string reason;
    if (!LoadModelFile(member.Data, member.File, &reason)) {
        return Fail(error, InvalidModelMessage(member.File) + "\n" + reason);
    }
    return true;
}

} // namespace

bool GroupSession::Open(const std::string& groupPath, std::string* error) {
    std::vector<GroupEntry> entries;
    std::string reason;
    if (!LoadGroupFile(groupPath, entries, &reason)) {
        return Fail(error, InvalidGroupMessage(groupPath) + "\n" + reason);
    }
    std::vector<GroupMember> members;
    for (const GroupEntry& entry : entries) {
        GroupMember member;
        member.Name = entry.Name;
        member.File = MemberFilePath(groupPath, entry.Path);
        if (!ReadMember(member, error)) {
            return false;
        }
        members.push_back(std::move(member));
    }
    if (const std::optional<std::string> refusal = GroupMismatch(members)) {
        return Fail(error, *refusal);
    }
    members_ = std::move(members);
    groupPath_ = groupPath;
    results_.reset();
    return true;
}

bool GroupSession::AddMember(const std::string& name, const std::string& path, std::string* error) {
    if (name.empty()) {
        return Fail(error, "A member needs a name.");
    }
    if (std::any_of(members_.begin(), members_.end(),
                    [&](const GroupMember& m) { return m.Name == name; })) {
        return Fail(error, "The group has a member named " + name + " already.");
    }
    GroupMember member;
    member.Name = name;
    member.File = path;
    if (!ReadMember(member, error)) {
        return false;
    }
    if (!members_.empty()) {
        if (const std::optional<std::string> refusal = GroupMismatch({members_.front(), member})) {
            return Fail(error, *refusal);
        }
    }
    members_.push_back(std::move(member));
    results_.reset();
    return true;
}

void GroupSession::RemoveMember(std::size_t index) {
    if (index < members_.size()) {
        members_.erase(members_.begin() + static_cast<std::ptrdiff_t>(index));
        results_.reset();
    }
}

bool GroupSession::Save(const std::string& groupPath, std::string* error) {
    std::vector<GroupEntry> entries;
    for (const GroupMember& member : members_) {
        entries.push_back({member.Name, RelativeMemberPath(groupPath, member.File)});
    }
    std::string reason;
    if (!SaveGroupFile(groupPath, entries, &reason)) {
        return Fail(error, "Cannot write to the file " + groupPath + ".\n" + reason);
    }
    groupPath_ = groupPath;
    return true;
}

bool GroupSession::Reload(std::string* error) {
    std::vector<GroupMember> members = members_;
    for (GroupMember& member : members) {
        if (!ReadMember(member, error)) {
            return false;
        }
    }
    if (const std::optional<std::string> refusal = GroupMismatch(members)) {
        return Fail(error, *refusal);
    }
    members_ = std::move(members);
    results_.reset();
    return true;
}

void GroupSession::Calculate(const std::function<bool()>& stop) {
    results_ = CalculateGroup(members_, stop);
}

std::string GroupSession::ProposedName(const std::string& path) const {
    const std::string stem = std::filesystem::path(path).stem().string();
    const std::string base = stem.empty() ? std::string("Member") : stem;
    std::string name = base;
    for (int k = 2; std::any_of(members_.begin(), members_.end(),
                                [&](const GroupMember& m) { return m.Name == name; });
         ++k) {
        name = base + " " + std::to_string(k);
    }
    return name;
}

} // namespace velor
