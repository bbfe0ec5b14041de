// Where the settings file lives.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace velor {

inline constexpr const char* kSettingsFileName = "velor.ini";

// What the choice of the settings folder depends on, gathered so the rule can be tested.
struct SettingsEnvironment {
    std::filesystem::path executableDir; // folder of the running program
    std::string xdgConfigHome;           // $XDG_CONFIG_HOME, empty when unset
    std::string home;                    // $HOME, empty when unset
    std::function<bool(const std::filesystem::path&)> isWritableDir;
};

// "velor.ini" beside the executable when that folder is writable and is not one of the
// system's program folders (/usr/..., /bin, /sbin: an installed program, also when root runs
// it), else in $XDG_CONFIG_HOME/velor/, else in $HOME/.config/velor/. A relative $XDG_CONFIG_HOME is
// ignored, as the XDG base directory rules require. When no configuration folder can be named
// at all, the file beside the executable is returned (writes to it will then fail and say so).
std::filesystem::path SettingsFilePath(const SettingsEnvironment& env);

// The same rule for this process: reads the environment and tests the folder by creating and
// removing a file in it. When the user configuration folder is chosen it is created, so that
// the first write can create the settings file in it.
std::filesystem::path SettingsFilePathFor(const std::filesystem::path& executableDir);

// Folder of the running executable, or an empty path when the system cannot tell.
std::filesystem::path ExecutableDirectory();

// True when a new file can be created in `dir` (checked by doing it).
bool IsWritableDirectory(const std::filesystem::path& dir);

} // namespace velor
