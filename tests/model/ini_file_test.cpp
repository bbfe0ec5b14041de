#include "model/ini_document.h"
#include "model/ini_file.h"
#include "model/settings_location.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace velor {
namespace {

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir() {
        std::random_device random;
        path_ = fs::temp_directory_path() / ("velor-ini-test-" + std::to_string(random()));
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

void WriteFile(const fs::path& path, const std::string& contents) {
    std::ofstream out(path, std::ios::binary);
    out << contents;
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
    TempDir dir;
    fs::path path = dir.path() / "velor.ini";
    IniFile ini{path};
};

// --- Reading ---------------------------------------------------------------------------------

TEST_F(IniFileTest, LookupIgnoresCaseOfSectionAndKeyAndTrimsValues) {
    WriteFile(path, "[LatestFiles]\r\n"
                    "  LatestFileNumber =  \t3 \r\n"
                    "[MainForm]\n"
                    "Left=\t12\x01\n");
    EXPECT_EQ(ini.ReadSetting("latestfiles", "LATESTFILENUMBER"), "3");
    EXPECT_EQ(ini.ReadSetting("MAINFORM", "left"), "12");
    EXPECT_EQ(ini.ReadSetting("MainForm", "Top"), "");
    EXPECT_EQ(ini.ReadSetting("TreeForm", "Left"), "");
}

TEST_F(IniFileTest, KeysBelongToTheNearestSectionAndTheFirstDuplicateWins) {
    WriteFile(path, "Left=1\n" // before any section: belongs to none
                    "; Left=2\n"
                    "[A]\n"
                    "Left=3\n"
                    "left=4\n"
                    "[B]\n"
                    "Left=5\n"
                    "[a]\n"
                    "Top=6\n");
    EXPECT_EQ(ini.ReadSetting("A", "Left"), "3");
    EXPECT_EQ(ini.ReadSetting("B", "Left"), "5");
    // The second [a] is shadowed by the first.
    EXPECT_EQ(ini.ReadSetting("A", "Top"), "");
    EXPECT_EQ(ini.ReadSetting("B", "Top"), "");
}

TEST_F(IniFileTest, ValuesAreCutTo255CharactersKeepingUtf8Whole) {
    const std::string ascii(300, 'x');
    std::string accented;
    for (int i = 0; i < 300; ++i)
        accented += "\xC3\xA9"; // e with acute accent, two bytes
    // Cutting at 255 leaves "...a   " whose blanks are trimmed as well.
    const std::string padded = std::string(252, 'a') + "   bcd";
    WriteFile(path, "[S]\nascii=" + ascii + "\naccented=" + accented + "\npadded=" + padded + "\n");

    EXPECT_EQ(ini.ReadSetting("S", "ascii"), std::string(255, 'x'));
    EXPECT_EQ(ini.ReadSetting("S", "accented"), accented.substr(0, 510));
    EXPECT_EQ(ini.ReadSetting("S", "padded"), std::string(252, 'a'));
}

TEST_F(IniFileTest, MissingOrUnreadableFileReadsAsEmpty) {
    EXPECT_FALSE(ini.Exists());
    EXPECT_EQ(ini.ReadSetting("LatestFiles", "LatestFileNumber"), "");
    fs::create_directory(path); // a folder where the file should be
    EXPECT_EQ(ini.ReadSetting("LatestFiles", "LatestFileNumber"), "");
}

// --- Writing ---------------------------------------------------------------------------------

TEST_F(IniFileTest, WritingCreatesTheFileAndReadsBack) {
    ASSERT_TRUE(ini.WriteSettingInt("MainForm", "Left", -40));
    ASSERT_TRUE(ini.WriteSettingText("LatestFiles", "LatestFile1", "/home/u/a b.vlr"));
    ASSERT_TRUE(ini.WriteSettingInt("MainForm", "Top", 7));
    EXPECT_EQ(ReadFile(path), "[MainForm]\nLeft=-40\nTop=7\n\n"
                              "[LatestFiles]\nLatestFile1=/home/u/a b.vlr\n");
    EXPECT_EQ(ini.ReadSetting("mainform", "left"), "-40");
    EXPECT_EQ(CountFiles(dir.path()), 1); // no temporary file left behind
}

TEST_F(IniFileTest, WritingChangesOnlyTheLineConcerned) {
    WriteFile(path, "; written by hand\r\n"
                    "[MainForm]\r\n"
                    "left = 1\r\n"
                    "\r\n"
                    "[Other]\r\n"
                    "Foo=bar\r\n");
    ASSERT_TRUE(ini.WriteSettingInt("MAINFORM", "Left", 2));
    ASSERT_TRUE(ini.WriteSettingInt("MainForm", "Top", 3));
    ASSERT_TRUE(ini.WriteSettingText("New", "Key", "v"));
    // The file keeps its CR LF line ends, its comment and its spelling of names; a new key goes
    // to the end of its own section, not after the blank separator line.
    EXPECT_EQ(ReadFile(path), "; written by hand\r\n"
                              "[MainForm]\r\n"
                              "left=2\r\n"
                              "Top=3\r\n"
                              "\r\n"
                              "[Other]\r\n"
                              "Foo=bar\r\n"
                              "\r\n"
                              "[New]\r\n"
                              "Key=v\r\n");
}

TEST_F(IniFileTest, RefusesWhatTheFileCouldNotHoldAndLeavesItUnchanged) {
    ASSERT_TRUE(ini.WriteSettingText("S", "K", "old"));
    const std::string before = ReadFile(path);

    EXPECT_FALSE(ini.WriteSettingText("S", "K", "two\n[Injected]\nK=x"));
    EXPECT_FALSE(ini.WriteSettingText("S", "K", "cr\rline"));
    EXPECT_FALSE(ini.WriteSettingText("S]x", "K", "v"));
    EXPECT_FALSE(ini.WriteSettingText("", "K", "v"));
    EXPECT_FALSE(ini.WriteSettingText(" S", "K", "v"));
    EXPECT_FALSE(ini.WriteSettingText("S", "a=b", "v"));
    EXPECT_FALSE(ini.WriteSettingText("S", "[T]", "v"));
    EXPECT_FALSE(ini.WriteSettingText("S", ";K", "v"));
    EXPECT_FALSE(ini.WriteSettingText("S", "", "v"));
    EXPECT_FALSE(ini.WriteSettingText("S", "K\t", "v"));

    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(ini.ReadSetting("Injected", "K"), "");
}

TEST_F(IniFileTest, FailedWritesAreReportedAndDamageNothing) {
    IniFile noFolder(dir.path() / "missing" / "velor.ini");
    EXPECT_FALSE(noFolder.WriteSettingInt("S", "K", 1));
    EXPECT_FALSE(fs::exists(dir.path() / "missing"));

    // Something that is not a regular file is neither read nor replaced.
    fs::create_directory(path);
    EXPECT_FALSE(ini.WriteSettingInt("S", "K", 1));
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(CountFiles(dir.path()), 1);
}

TEST_F(IniFileTest, WritingThroughASymbolicLinkKeepsTheLink) {
    const fs::path real = dir.path() / "real.ini";
    WriteFile(real, "[S]\nA=1\n");
    const fs::path link = dir.path() / "link.ini";
    fs::create_symlink(real, link);
    IniFile linked(link);
    ASSERT_TRUE(linked.WriteSettingInt("S", "B", 2));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(real), "[S]\nA=1\nB=2\n");
}

// --- Numbers ---------------------------------------------------------------------------------

TEST(ParseSettingInt, AcceptsOnlyWholeDecimalIntegers) {
    EXPECT_EQ(ParseSettingInt("0"), 0);
    EXPECT_EQ(ParseSettingInt("-25"), -25);
    EXPECT_EQ(ParseSettingInt("+4"), 4);
    EXPECT_EQ(ParseSettingInt("2147483647"), 2147483647);
    for (const char* bad : {"", "abc", "1.5", "12px", "+", "-", "+-3", "0x10", " 5", "2147483648",
                            "99999999999999999999"})
        EXPECT_FALSE(ParseSettingInt(bad).has_value()) << bad;
}

// --- Location of the settings file -----------------------------------------------------------

TEST(SettingsFilePath, BesideTheExecutableWhenItsFolderIsWritable) {
    SettingsEnvironment env{"/opt/velor/bin", "/home/u/.cfg", "/home/u",
                            [](const fs::path&) { return true; }};
    EXPECT_EQ(SettingsFilePath(env), fs::path("/opt/velor/bin/velor.ini"));
}

TEST(SettingsFilePath, FallsBackToTheUserConfigurationFolder) {
    const auto readOnly = [](const fs::path&) { return false; };
    SettingsEnvironment env{"/usr/bin", "/home/u/.cfg", "/home/u", readOnly};
    EXPECT_EQ(SettingsFilePath(env), fs::path("/home/u/.cfg/velor/velor.ini"));

    env.xdgConfigHome = "";
    EXPECT_EQ(SettingsFilePath(env), fs::path("/home/u/.config/velor/velor.ini"));

    env.xdgConfigHome = "relative/cfg"; // not absolute: ignored
    EXPECT_EQ(SettingsFilePath(env), fs::path("/home/u/.config/velor/velor.ini"));

    env.home = "";
    EXPECT_EQ(SettingsFilePath(env), fs::path("/usr/bin/velor.ini"));
}

TEST(SettingsFilePath, ProbesAndCreatesRealFolders) {
    TempDir dir;
    EXPECT_TRUE(IsWritableDirectory(dir.path()));
    EXPECT_EQ(CountFiles(dir.path()), 0); // the probe cleans up after itself
    EXPECT_FALSE(IsWritableDirectory(dir.path() / "missing"));
    WriteFile(dir.path() / "file", "x");
    EXPECT_FALSE(IsWritableDirectory(dir.path() / "file"));

    EXPECT_EQ(SettingsFilePathFor(dir.path()), dir.path() / "velor.ini");

    // An executable folder that does not exist is not writable: the configuration folder is
    // chosen and created.
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string savedXdg = oldXdg ? oldXdg : "";
    setenv("XDG_CONFIG_HOME", (dir.path() / "cfg").c_str(), 1);
    const fs::path chosen = SettingsFilePathFor(dir.path() / "no-such-bin");
    if (oldXdg)
        setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(chosen, dir.path() / "cfg" / "velor" / "velor.ini");
    EXPECT_TRUE(fs::is_directory(dir.path() / "cfg" / "velor"));
}

} // namespace
} // namespace velor
