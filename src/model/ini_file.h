// The settings file: private-profile reads and writes of one INI file on disk.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace velor {

// Every call works on the file as it is on disk at that moment: a read loads and parses the
// file, a write loads it, changes one value and replaces the file as a whole. Settings files
// are a few lines long, so this costs nothing noticeable and keeps several windows (or several
// running instances) from overwriting each other's keys with stale copies.
class IniFile {
public:
    explicit IniFile(std::filesystem::path path) : path_(std::move(path)) {}

    const std::filesystem::path& Path() const { return path_; }
    bool Exists() const;

    // The stored value trimmed of blanks and control characters and cut to 255 characters; the
    // empty text when the file or the key is missing or the file cannot be read.
    std::string ReadSetting(std::string_view section, std::string_view key) const;

    // Write the value, creating the file (but not its folder) when missing. The new contents go
    // to a temporary file in the same folder, which replaces the file only when every write
    // succeeded; on failure the previous file is left as it was and false is returned. Names and
    // values the file could not hold (see IniDocument::Set) are refused with false.
    bool WriteSettingText(std::string_view section, std::string_view key, std::string_view text);
    bool WriteSettingInt(std::string_view section, std::string_view key, int number);

private:
    std::filesystem::path path_;
};

} // namespace velor
