#include "model/settings_location.h"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <system_error>

namespace velor {

namespace fs = std::filesystem;

namespace {

// The system's folders of installed programs (/usr/..., /bin, /sbin): a program there is the
// installed one, whose settings belong to each user, even when run by root, who may write there.
bool IsSystemProgramFolder(const fs::path& dir) {
    const fs::path normal = dir.lexically_normal();
    auto part = normal.begin();
    if (!normal.is_absolute() || part == normal.end() || ++part == normal.end()) {
        return false;
    }
    return *part == "usr" || *part == "bin" || *part == "sbin";
}

} // namespace

std::filesystem::path SettingsFilePath(const SettingsEnvironment& env) {
    if (!env.executableDir.empty() && !IsSystemProgramFolder(env.executableDir) &&
        env.isWritableDir && env.isWritableDir(env.executableDir))
        return env.executableDir / kSettingsFileName;
    const fs::path xdg(env.xdgConfigHome);
    if (!xdg.empty() && xdg.is_absolute())
        return xdg / "velor" / kSettingsFileName;
    const fs::path home(env.home);
    if (!home.empty() && home.is_absolute())
        return home / ".config" / "velor" / kSettingsFileName;
    return env.executableDir / kSettingsFileName;
}

bool IsWritableDirectory(const std::filesystem::path& dir) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec))
        return false;
    std::random_device random;
    char name[40];
    std::snprintf(name, sizeof name, ".velor-write-test-%08x", static_cast<unsigned>(random()));
    const fs::path probe = dir / name;
    std::FILE* file = std::fopen(probe.c_str(), "wbx");
    if (!file)
        return false;
    std::fclose(file);
    fs::remove(probe, ec);
    return true;
}

std::filesystem::path ExecutableDirectory() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    return exe.parent_path();
}

std::filesystem::path SettingsFilePathFor(const std::filesystem::path& executableDir) {
    SettingsEnvironment env;
    env.executableDir = executableDir;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"))
        env.xdgConfigHome = xdg;
    if (const char* home = std::getenv("HOME"))
        env.home = home;
    env.isWritableDir = IsWritableDirectory;
    fs::path path = SettingsFilePath(env);
    if (path.parent_path() != executableDir) {
        std::error_code ec;
        fs::create_directories(path.parent_path(), ec);
    }
    return path;
}

} // namespace velor
