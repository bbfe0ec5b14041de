#include "model/recent_files.h"

#include "model/ini_document.h"
#include "model/ini_file.h"

#include <algorithm>

namespace velor {

namespace {

std::string EntryKey(int k) {
    return "LatestFile" + std::to_string(k);
}

} // namespace

void RecentFiles::LoadRecentFiles(const IniFile& settings) {
    entries_.clear();
    const std::string countText = settings.ReadSetting(kRecentFilesSection, "LatestFileNumber");
    const int count = std::clamp(ParseSettingInt(countText).value_or(0), 0, kCapacity);
    for (int k = 1; k <= count; ++k) {
        std::string path = settings.ReadSetting(kRecentFilesSection, EntryKey(k));
        if (!path.empty())
            entries_.push_back(std::move(path));
    }
}

void RecentFiles::AddRecentFile(std::string_view path) {
    if (path.empty() || !SettingValueRoundTrips(path))
        return;
    const auto found = std::find(entries_.begin(), entries_.end(), path);
    if (found != entries_.end()) {
        // Moves the entry to the front; the entries before it shift back by one.
        std::rotate(entries_.begin(), found, found + 1);
        return;
    }
    if (Count() == kCapacity)
        entries_.pop_back();
    entries_.insert(entries_.begin(), std::string(path));
}

bool RecentFiles::SaveRecentFiles(IniFile& settings) const {
    IniFile::Batch batch(settings);
    bool taken = settings.WriteSettingInt(kRecentFilesSection, "LatestFileNumber", Count());
    for (int k = 1; taken && k <= Count(); ++k) {
        taken = settings.WriteSettingText(kRecentFilesSection, EntryKey(k), entries_[k - 1]);
    }
    return batch.Commit() && taken;
}

std::string RecentFiles::RecentFile(int k) const {
    if (k < 1 || k > Count())
        return {};
    return entries_[k - 1];
}

std::vector<std::string> RecentFiles::MenuCaptions() const {
    std::vector<std::string> captions;
    for (int k = 1; k <= Count(); ++k)
        captions.push_back(RecentFileCaption(k, entries_[k - 1]));
    return captions;
}

std::string RecentFileCaption(int k, std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    std::string caption = "&" + std::to_string(k) + " ";
    for (const char c : name) {
        if (c == '&')
            caption += '&';
        caption += c;
    }
    return caption;
}

} // namespace velor
