// Replacing a file's contents so that a failure at any point leaves the previous file as it was:
// the text goes to a new hidden file in the target's folder, which is flushed to the disk and
// renamed over the target only when every write succeeded.
#pragma once

#include <string>
#include <string_view>

namespace velor {

// Writes contents to path. Through a link the linked file is replaced and the link stays; a
// device, a pipe or a folder at path is never replaced. A new file gets mode 0666 less the
// umask, a replaced one keeps its mode. On failure returns false, sets *error (if given) to a
// short reason, and leaves no temporary file behind.
bool ReplaceFile(const std::string& path, std::string_view contents, std::string* error = nullptr);

} // namespace velor
