#include "model/ini_file.h"

#include "model/file_replace.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace velor {

namespace {

namespace fs = std::filesystem;

enum class ReadResult { Ok, Missing, Failed };

ReadResult ReadWholeFile(const fs::path& path, std::string& contents) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found)
        return ReadResult::Missing;
    if (ec || !fs::is_regular_file(status))
        return ReadResult::Failed;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return ReadResult::Failed;
    contents.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad())
        return ReadResult::Failed;
    return ReadResult::Ok;
}

} // namespace

bool IniFile::Exists() const {
    std::error_code ec;
    return fs::exists(path_, ec);
}

std::string IniFile::ReadSetting(std::string_view section, std::string_view key) const {
    if (batch_) {
        return batch_->Get(section, key).value_or(std::string());
    }
    std::string contents;
    if (ReadWholeFile(path_, contents) != ReadResult::Ok)
        return {};
    return IniDocument::Parse(contents).Get(section, key).value_or(std::string());
}

bool IniFile::Load(std::string& contents) const {
    // A file that exists but cannot be read is not overwritten: its other keys would be lost.
    return ReadWholeFile(path_, contents) != ReadResult::Failed;
}

bool IniFile::Store(const std::string& contents, const IniDocument& doc) {
    const std::string updated = doc.Serialize();
    return updated == contents || ReplaceFile(path_.string(), updated);
}

bool IniFile::WriteSettingText(std::string_view section, std::string_view key,
                               std::string_view text) {
    if (batch_) {
        return batchOk_ && batch_->Set(section, key, text);
    }
    std::string contents;
    if (!Load(contents))
        return false;
    IniDocument doc = IniDocument::Parse(contents);
    return doc.Set(section, key, text) && Store(contents, doc);
}

bool IniFile::WriteSettingInt(std::string_view section, std::string_view key, int number) {
    return WriteSettingText(section, key, std::to_string(number));
}

IniFile::Batch::Batch(IniFile& file) : file_(file) {
    if (file_.batch_) {
        return; // an outer batch writes for this one
    }
    owner_ = true;
    file_.batchOk_ = file_.Load(file_.batchContents_);
    file_.batch_ = std::make_unique<IniDocument>(IniDocument::Parse(file_.batchContents_));
}

IniFile::Batch::~Batch() {
    Commit();
}

bool IniFile::Batch::Commit() {
    if (!owner_ || !file_.batch_) {
        return owner_ ? result_ : true;
    }
    result_ = file_.batchOk_ && file_.Store(file_.batchContents_, *file_.batch_);
    file_.batch_.reset();
    file_.batchContents_.clear();
    return result_;
}

} // namespace velor
