// The group file (".vlg"): which model files make up a group of decision makers, one member per
// line with the member's name and the path of the member's model file relative to the group
// file. A small text file, CR LF line ends like the model files (the reader accepts LF too):
//
//     Velor Group 1
//     Ann<TAB>ann.vlr
//     Bob<TAB>models/bob.vlr
//
// A name may hold any characters: a backslash, a tab, a CR and an LF in a name or a path are
// written "\\", "\t", "\r" and "\n".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velor {

inline constexpr const char* kGroupFormatLine = "Velor Group 1";
inline constexpr const char* kGroupFileExtension = ".vlg";

struct GroupEntry {
    std::string Name;
    std::string Path; // as the file holds it: relative to the group file's folder
    bool operator==(const GroupEntry&) const = default;
};

// The file's text (CR LF line ends).
std::string WriteGroupText(const std::vector<GroupEntry>& members);
// Reads the members; false with the line and what is wrong in *reason (if given) when the text
// is not a group file: another format line, a member line without its tab, an empty name or
// path, a path holding a NUL or another control character, an absolute path, a name given
// twice, no member at all.
bool ReadGroupText(std::string_view text, std::vector<GroupEntry>& members,
                   std::string* reason = nullptr);

// Writes the file through a temporary file (the previous file survives a failed write).
bool SaveGroupFile(const std::string& path, const std::vector<GroupEntry>& members,
                   std::string* error = nullptr);
// Reads a regular file of at most 1 MB.
bool LoadGroupFile(const std::string& path, std::vector<GroupEntry>& members,
                   std::string* reason = nullptr);

// "File " + path + " is not a valid Velor Group.\nCannot open the file."
std::string InvalidGroupMessage(const std::string& path);

// The path of a member's model file as the program opens it: the group file's folder joined
// with the member's relative path.
std::string MemberFilePath(const std::string& groupPath, const std::string& memberPath);
// The path the group file holds for a model file: relative to the group file's folder, with
// "/" between folders.
std::string RelativeMemberPath(const std::string& groupPath, const std::string& modelPath);

// A file name for a member's model ("<name>.vlr"): characters that a file name cannot hold or
// that would lead into another folder become "_"; an empty result is "member".
std::string MemberFileName(const std::string& name);

} // namespace velor
