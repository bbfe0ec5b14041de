#include "model/ini_document.h"
#include "model/ini_file.h"
#include "model/settings_location.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace velor {
namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int CountFiles(const fs::path& dir) {
    return static_cast<int>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

class IniFileTest : public ::testing::Test {
protected:
    IniFileTest() { fs::create_directories(dir); }
    ~IniFileTest() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    fs::path dir =
        fs::temp_directory_path() / ("velor-ini-" + std::to_string(std::random_device()()));
    fs::path path = dir / "velor.ini";
    IniFile ini{path};
};

TEST_F(IniFileTest, LookupIgnoresCaseTrimsAndTakesTheFirstOfDuplicates) {
    WriteFile(path, "Left=1\n" // before any section: belongs to none
                    "; Left=2\n"
                    "[A]\r\n"
                    "  Left =  \t3 \x01\r\n"
                    "left=4\n"
                    "[B]\n"
                    "Left=5\n"
                    "[a]\n"
                    "Top=6\n");
    EXPECT_EQ(ini.ReadSetting("a", "LEFT"), "3");
    EXPECT_EQ(ini.ReadSetting("B", "left"), "5");
    EXPECT_EQ(ini.ReadSetting("A", "Top"), ""); // the second [a] is shadowed by the first
    EXPECT_EQ(ini.ReadSetting("C", "Left"), "");
}

TEST_F(IniFileTest, ValuesAreCutTo255CharactersKeepingUtf8Whole) {
    std::string accented;
    for (int i = 0; i < 300; ++i)
        accented += "\xC3\xA9"; // two bytes each
    // Cutting at 255 leaves "...a   " whose blanks are trimmed as well.
    WriteFile(path, "[S]\nascii=" + std::string(300, 'x') + "\naccented=" + accented +
                        "\npadded=" + std::string(252, 'a') + "   bcd\n");
    EXPECT_EQ(ini.ReadSetting("S", "ascii"), std::string(255, 'x'));
    EXPECT_EQ(ini.ReadSetting("S", "accented"), accented.substr(0, 510));
    EXPECT_EQ(ini.ReadSetting("S", "padded"), std::string(252, 'a'));
}

TEST_F(IniFileTest, MissingOrUnreadableFileReadsAsEmpty) {
    EXPECT_EQ(ini.ReadSetting("LatestFiles", "LatestFileNumber"), "");
    fs::create_directory(path); // a folder where the file should be
    EXPECT_EQ(ini.ReadSetting("LatestFiles", "LatestFileNumber"), "");
}

TEST_F(IniFileTest, WritingCreatesTheFileAndChangesOnlyTheLineConcerned) {
    ASSERT_TRUE(ini.WriteSettingInt("MainForm", "Left", -40));
    ASSERT_TRUE(ini.WriteSettingText("LatestFiles", "LatestFile1", "/home/u/a b.vlr"));
    ASSERT_TRUE(ini.WriteSettingInt("MainForm", "Top", 7));
    EXPECT_EQ(ReadFile(path), "[MainForm]\nLeft=-40\nTop=7\n\n"
                              "[LatestFiles]\nLatestFile1=/home/u/a b.vlr\n");
    EXPECT_EQ(CountFiles(dir), 1); // no temporary file left behind

    // A file written elsewhere keeps its CR LF line ends, comments and spelling of names; a new
    // key goes to the end of its own section, not after the blank separator line.
    WriteFile(path, "; by hand\r\n[MainForm]\r\nleft = 1\r\n\r\n[Other]\r\nFoo=bar\r\n");
    ASSERT_TRUE(ini.WriteSettingInt("MAINFORM", "Left", 2));
    ASSERT_TRUE(ini.WriteSettingInt("MainForm", "Top", 3));
    ASSERT_TRUE(ini.WriteSettingText("New", "Key", "v"));
    EXPECT_EQ(ReadFile(path), "; by hand\r\n[MainForm]\r\nleft=2\r\nTop=3\r\n\r\n"
                              "[Other]\r\nFoo=bar\r\n\r\n[New]\r\nKey=v\r\n");
}

TEST_F(IniFileTest, RefusesWhatTheFileCouldNotHoldAndLeavesItUnchanged) {
    ASSERT_TRUE(ini.WriteSettingText("S", "K", "old"));
    const std::string before = ReadFile(path);
    const std::string_view refused[][3] = {{"S", "K", "two\n[Injected]\nK=x"},
                                           {"S", "K", "cr\rline"},
                                           {"S]x", "K", "v"},
                                           {"", "K", "v"},
                                           {" S", "K", "v"},
                                           {"S", "a=b", "v"},
                                           {"S", "[T]", "v"},
                                           {"S", ";K", "v"},
                                           {"S", "", "v"},
                                           {"S", "K\t", "v"}};
    for (const auto& [section, key, value] : refused)
        EXPECT_FALSE(ini.WriteSettingText(section, key, value)) << section << "/" << key;
    EXPECT_EQ(ReadFile(path), before);
}

TEST_F(IniFileTest, FailedWritesAreReportedAndDamageNothing) {
    IniFile noFolder(dir / "missing" / "velor.ini");
    EXPECT_FALSE(noFolder.WriteSettingInt("S", "K", 1));
    EXPECT_FALSE(fs::exists(dir / "missing"));

    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); // not a regular file: neither read nor replaced
    EXPECT_FALSE(ini.WriteSettingInt("S", "K", 1));
    EXPECT_TRUE(fs::is_fifo(path));
    EXPECT_EQ(CountFiles(dir), 1);
}

TEST_F(IniFileTest, WritingThroughASymbolicLinkKeepsTheLink) {
    WriteFile(dir / "real.ini", "[S]\nA=1\n");
    fs::create_symlink(dir / "real.ini", path);
    ASSERT_TRUE(ini.WriteSettingInt("S", "B", 2));
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(ReadFile(dir / "real.ini"), "[S]\nA=1\nB=2\n");
}

TEST(ParseSettingInt, AcceptsOnlyWholeDecimalIntegers) {
    EXPECT_EQ(ParseSettingInt("-25"), -25);
    EXPECT_EQ(ParseSettingInt("+4"), 4);
    EXPECT_EQ(ParseSettingInt("2147483647"), 2147483647);
    for (const char* bad : {"", "abc", "1.5", "12px", "+", "-", "+-3", "0x10", " 5", "2147483648"})
        EXPECT_FALSE(ParseSettingInt(bad).has_value()) << bad;
}

TEST(SettingsFilePath, BesideTheExecutableElseInTheUserConfigurationFolder) {
    bool writable = true;
    SettingsEnvironment env{"/opt/velor/bin", "/home/u/.cfg", "/home/u",
                            [&](const fs::path&) { return writable; }};
    EXPECT_EQ(SettingsFilePath(env), fs::path("/opt/velor/bin/velor.ini"));
    writable = false;
    EXPECT_EQ(SettingsFilePath(env), fs::path("/home/u/.cfg/velor/velor.ini"));
    env.xdgConfigHome = "relative/cfg"; // not absolute: ignored
    EXPECT_EQ(SettingsFilePath(env), fs::path("/home/u/.config/velor/velor.ini"));
    env.xdgConfigHome = "";
    EXPECT_EQ(SettingsFilePath(env), fs::path("/home/u/.config/velor/velor.ini"));
    env.home = "";
    EXPECT_EQ(SettingsFilePath(env), fs::path("/opt/velor/bin/velor.ini"));

    // An installed program keeps its settings per user even where it may write (run by root).
    writable = true;
    env.home = "/root";
    for (const char* installed : {"/usr/bin", "/usr/local/bin", "/bin", "/usr/games/"}) {
        env.executableDir = installed;
        EXPECT_EQ(SettingsFilePath(env), fs::path("/root/.config/velor/velor.ini")) << installed;
    }
    env.executableDir = "/usrlocal/velor"; // only the folder itself counts, not its name's start
    EXPECT_EQ(SettingsFilePath(env), fs::path("/usrlocal/velor/velor.ini"));
}

TEST_F(IniFileTest, LocationProbesAndCreatesRealFolders) {
    EXPECT_TRUE(IsWritableDirectory(dir));
    EXPECT_EQ(CountFiles(dir), 0); // the probe cleans up after itself
    EXPECT_FALSE(IsWritableDirectory(dir / "missing"));
    EXPECT_EQ(SettingsFilePathFor(dir), dir / "velor.ini");

    // An executable folder that does not exist is not writable: the configuration folder is
    // chosen and created.
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string savedXdg = oldXdg ? oldXdg : "";
    setenv("XDG_CONFIG_HOME", (dir / "cfg").c_str(), 1);
    const fs::path chosen = SettingsFilePathFor(dir / "no-such-bin");
    oldXdg ? setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(chosen, dir / "cfg" / "velor" / "velor.ini");
    EXPECT_TRUE(fs::is_directory(dir / "cfg" / "velor"));
}

} // namespace
} // namespace velor
