#include "model/ini_file.h"

#include "model/ini_document.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#if __has_include(<unistd.h>)
#include <unistd.h>
#define VELOR_HAVE_FSYNC 1
#endif

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

// Creates a new file next to `target` that no other writer can be using.
std::FILE* CreateTemporarySibling(const fs::path& target, fs::path& tempPath) {
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".tmp-%08x", static_cast<unsigned>(random()));
        tempPath = target;
        tempPath += suffix;
        // "x": fail rather than reuse a file that already exists.
        if (std::FILE* file = std::fopen(tempPath.c_str(), "wbx"))
            return file;
        if (fs::exists(tempPath))
            continue;
        return nullptr;
    }
    return nullptr;
}

bool ReplaceFileContents(const fs::path& path, const std::string& contents) {
    std::error_code ec;
    // Replace the file a symbolic link points to, not the link itself.
    fs::path target = path;
    if (fs::is_symlink(path, ec)) {
        target = fs::weakly_canonical(path, ec);
        if (ec)
            return false;
    }
    fs::path tempPath;
    std::FILE* file = CreateTemporarySibling(target, tempPath);
    if (!file)
        return false;
    bool ok = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    ok = std::fflush(file) == 0 && ok;
#ifdef VELOR_HAVE_FSYNC
    ok = ok && ::fsync(fileno(file)) == 0;
#endif
    ok = std::fclose(file) == 0 && ok;
    if (ok) {
        // Keep the permissions a user may have given the old file.
        const fs::file_status old = fs::status(target, ec);
        if (!ec && fs::is_regular_file(old))
            fs::permissions(tempPath, old.permissions(), ec);
        fs::rename(tempPath, target, ec);
        ok = !ec;
    }
    if (!ok)
        fs::remove(tempPath, ec);
    return ok;
}

} // namespace

bool IniFile::Exists() const {
    std::error_code ec;
    return fs::exists(path_, ec);
}

std::string IniFile::ReadSetting(std::string_view section, std::string_view key) const {
    std::string contents;
    if (ReadWholeFile(path_, contents) != ReadResult::Ok)
        return {};
    return IniDocument::Parse(contents).Get(section, key).value_or(std::string());
}

bool IniFile::WriteSettingText(std::string_view section, std::string_view key,
                               std::string_view text) {
    std::string contents;
    // A file that exists but cannot be read is not overwritten: its other keys would be lost.
    if (ReadWholeFile(path_, contents) == ReadResult::Failed)
        return false;
    IniDocument doc = IniDocument::Parse(contents);
    if (!doc.Set(section, key, text))
        return false;
    std::string updated = doc.Serialize();
    if (updated == contents)
        return true;
    return ReplaceFileContents(path_, updated);
}

bool IniFile::WriteSettingInt(std::string_view section, std::string_view key, int number) {
    return WriteSettingText(section, key, std::to_string(number));
}

} // namespace velor
