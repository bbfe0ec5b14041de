// Replacing a file's contents so that a failure at any point leaves the previous file as it was:
// the text goes to a new hidden file in the target's folder, which is flushed to the disk and
// renamed over the target only when every write succeeded.
#pragma once

#include <string>
#include <string_view>

namespace velor {

// Writes contents to path. Through a link (also one whose target does not exist yet) the linked
// file is written and the link stays; a device, a pipe or a folder at path is never replaced, nor
// a file the user may not write or one without any write bit. A new file gets mode 0666 less the
// umask, a replaced one keeps its mode. On failure (a write beyond the file size limit included:
// SIGXFSZ is ignored from the first call on) returns false, sets *error (if given) to a short
// reason, and leaves no temporary file behind.
bool ReplaceFile(const std::string& path, std::string_view contents, std::string* error = nullptr);

// Whether two paths name the same file: the same file on disk (through links, "./" or hard
// links alike), or, for files that do not exist yet, the same place once links are followed.
bool SameFile(const std::string& a, const std::string& b);

} // namespace velor
