// The settings file: private-profile reads and writes of one INI file on disk.
#pragma once

#include "model/ini_document.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace velor {

// Every call works on the file as it is on disk at that moment: a read loads and parses the
// file, a write loads it, changes one value and replaces the file as a whole. This keeps several
// windows (or several running instances) from overwriting each other's keys with stale copies.
// Writing many keys at once (all window placements on closing) goes through a Batch, which
// reads the file once and writes it once however large it has grown.
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
    // A file that exists but cannot be read, or that is write-protected, is left as it is.
    bool WriteSettingText(std::string_view section, std::string_view key, std::string_view text);
    bool WriteSettingInt(std::string_view section, std::string_view key, int number);

    // While a Batch lives, reads and writes of its file work on one copy read when the batch
    // began, and the file is written once, by Commit() or when the batch ends. A write then
    // returns whether the value was taken; Commit() whether the file was written. Batches nest:
    // only the outermost one writes.
    class Batch {
    public:
        explicit Batch(IniFile& file);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        bool Commit();

    private:
        IniFile& file_;
        bool owner_ = false;
        bool result_ = true;
    };

private:
    bool Load(std::string& contents) const;
    bool Store(const std::string& contents, const IniDocument& doc);

    std::filesystem::path path_;
    std::unique_ptr<IniDocument> batch_; // the copy a batch works on
    std::string batchContents_;          // the file as the batch read it
    bool batchOk_ = true;                // the batch could read the file
};

} // namespace velor
