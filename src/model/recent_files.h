// The list of the most recently used model files, kept in the settings file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velor {

class IniFile;

inline constexpr const char* kRecentFilesSection = "LatestFiles";

// Up to four full paths, most recent first. Stored under "LatestFiles" as "LatestFileNumber"
// (the count) and "LatestFile1" .. "LatestFile4".
class RecentFiles {
public:
    static constexpr int kCapacity = 4;

    // Replaces the list with the one stored in the settings file. A missing file or count, or a
    // count that is not an integer, gives an empty list; at most four entries are read, and
    // entries whose key is missing or empty are skipped.
    void LoadRecentFiles(const IniFile& settings);

    // Puts `path` first. A path already in the list (same text, case counts) moves to the front
    // and the others keep their order; a new path pushes the oldest out of a full list. Paths
    // the settings file could not give back unchanged (empty, longer than 255 characters,
    // with leading or trailing blanks, or with a line break) are not remembered, since
    // reading back a cut or trimmed path would name a different file.
    void AddRecentFile(std::string_view path);

    // Writes the count and then each entry; stops at and reports the first failed write. Keys
    // numbered above the count are left in the file as they are.
    bool SaveRecentFiles(IniFile& settings) const;

    // Entry k, k = 1..4 (1 = most recent); the empty text when there is no entry k.
    std::string RecentFile(int k) const;

    int Count() const { return static_cast<int>(entries_.size()); }
    const std::vector<std::string>& Entries() const { return entries_; }

    // Menu captions for entries 1..Count(), see RecentFileCaption.
    std::vector<std::string> MenuCaptions() const;

private:
    std::vector<std::string> entries_;
};

// "&" + k + " " + the file-name part of `path` (no folder), so that digit k is the menu item's
// accelerator. A '&' in the file name is doubled so that it shows as itself rather than taking
// over the accelerator.
std::string RecentFileCaption(int k, std::string_view path);

} // namespace velor
