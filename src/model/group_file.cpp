#include "model/group_file.h"

#include "model/file_replace.h"
#include "model/model_file.h"

#include <algorithm>
#include <filesystem>

namespace velor {

namespace {

constexpr std::size_t kMaxGroupFileSize = 1U << 20U;

std::string Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// False for a backslash before anything but the four escapes, or at the end.
bool Unescape(std::string_view text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) {
            return false;
        }
        switch (text[i]) {
        case '\\':
            out += '\\';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        default:
            return false;
        }
    }
    return true;
}

bool Fail(std::string* reason, std::size_t line, const std::string& what) {
    if (reason != nullptr) {
        *reason = line > 0 ? "line " + std::to_string(line) + ": " + what : what;
    }
    return false;
}

} // namespace

std::string WriteGroupText(const std::vector<GroupEntry>& members) {
    std::string text = std::string(kGroupFormatLine) + "\r\n";
    for (const GroupEntry& member : members) {
        text += Escape(member.Name) + '\t' + Escape(member.Path) + "\r\n";
    }
    return text;
}

bool ReadGroupText(std::string_view text, std::vector<GroupEntry>& members, std::string* reason) {
    members.clear();
    std::vector<GroupEntry> read;
    std::size_t number = 0;
    std::size_t at = 0;
    bool formatSeen = false;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (!formatSeen) {
            if (line != kGroupFormatLine) {
                return Fail(reason, number,
                            std::string("\"") + kGroupFormatLine + "\" was expected");
            }
            formatSeen = true;
            continue;
        }
        if (line.empty() && at >= text.size()) {
            break; // the final line end
        }
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos) {
            return Fail(reason, number, "a member's name, a tab and a model file were expected");
        }
        GroupEntry entry;
        if (!Unescape(line.substr(0, tab), entry.Name) ||
            !Unescape(line.substr(tab + 1), entry.Path)) {
            return Fail(reason, number, "a backslash must start \\\\, \\t, \\r or \\n");
        }
        if (entry.Name.empty()) {
            return Fail(reason, number, "the member's name is empty");
        }
        if (entry.Path.empty()) {
            return Fail(reason, number, "the model file's path is empty");
        }
        if (std::any_of(entry.Path.begin(), entry.Path.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; })) {
            return Fail(reason, number, "the model file's path holds a control character");
        }
        if (entry.Path.front() == '/') {
            return Fail(reason, number, "the model file's path must be relative to the group file");
        }
        if (std::any_of(read.begin(), read.end(),
                        [&](const GroupEntry& other) { return other.Name == entry.Name; })) {
            return Fail(reason, number, "the member \"" + entry.Name + "\" is named twice");
        }
        read.push_back(std::move(entry));
    }
    if (!formatSeen) {
        return Fail(reason, 1, std::string("\"") + kGroupFormatLine + "\" was expected");
    }
    if (read.empty()) {
        return Fail(reason, 0, "the group has no member");
    }
    members = std::move(read);
    return true;
}

bool SaveGroupFile(const std::string& path, const std::vector<GroupEntry>& members,
                   std::string* error) {
    return ReplaceFile(path, WriteGroupText(members), error);
}

bool LoadGroupFile(const std::string& path, std::vector<GroupEntry>& members, std::string* reason) {
    std::string text;
    std::string why;
    if (!ReadRegularFile(path, text, why, kMaxGroupFileSize)) {
        if (reason != nullptr) {
            *reason = why;
        }
        return false;
    }
    return ReadGroupText(text, members, reason);
}

std::string InvalidGroupMessage(const std::string& path) {
    return "File " + path + " is not a valid Velor Group.\nCannot open the file.";
}

std::string MemberFilePath(const std::string& groupPath, const std::string& memberPath) {
    const std::filesystem::path folder = std::filesystem::path(groupPath).parent_path();
    return (folder / std::filesystem::path(memberPath)).lexically_normal().string();
}

std::string RelativeMemberPath(const std::string& groupPath, const std::string& modelPath) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path folder = fs::absolute(fs::path(groupPath), error).parent_path();
    const fs::path model = fs::absolute(fs::path(modelPath), error);
    fs::path relative = model.lexically_normal().lexically_relative(folder.lexically_normal());
    if (relative.empty()) {
        relative = model.filename();
    }
    return relative.generic_string();
}

std::string MemberFileName(const std::string& name) {
    std::string out;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        const bool bad = u < 0x20 || u == 0x7f || c == '/' || c == '\\' || c == ':' || c == '*' ||
                         c == '?' || c == '"' || c == '<' || c == '>' || c == '|';
        out += bad ? '_' : c;
    }
    const bool onlyDots = std::all_of(out.begin(), out.end(), [](char c) { return c == '.'; });
    if (out.empty() || onlyDots) {
        out = "member";
    }
    return out + ".vlr";
}

} // namespace velor
