#include "model/ini_file.h"
#include "model/recent_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace velor {
namespace {

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

fs::path UniqueTempDir() {
    std::random_device random;
    return fs::temp_directory_path() / ("velor-recent-test-" + std::to_string(random()));
}

class RecentFilesTest : public ::testing::Test {
protected:
    RecentFilesTest() { fs::create_directories(dir_); }
    ~RecentFilesTest() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    void WriteSettings(const std::string& contents) {
        std::ofstream(dir_ / "velor.ini", std::ios::binary) << contents;
    }
    RecentFiles Loaded() {
        RecentFiles list;
        list.LoadRecentFiles(settings);
        return list;
    }

    fs::path dir_ = UniqueTempDir();
    IniFile settings{dir_ / "velor.ini"};
};

RecentFiles Opened(const Paths& paths) {
    RecentFiles list;
    for (const std::string& path : paths)
        list.AddRecentFile(path);
    return list;
}

// --- Order of the list -----------------------------------------------------------------------

TEST(RecentFilesOrder, FifthFilePushesTheOldestOutAndReopeningMovesToFront) {
    RecentFiles list = Opened({"/m/A.vlr", "/m/B.vlr", "/m/C.vlr", "/m/D.vlr", "/m/E.vlr"});
    EXPECT_EQ(list.Entries(), (Paths{"/m/E.vlr", "/m/D.vlr", "/m/C.vlr", "/m/B.vlr"}));

    list.AddRecentFile("/m/C.vlr");
    EXPECT_EQ(list.Entries(), (Paths{"/m/C.vlr", "/m/E.vlr", "/m/D.vlr", "/m/B.vlr"}));

    list.AddRecentFile("/m/B.vlr"); // the last entry
    EXPECT_EQ(list.Entries(), (Paths{"/m/B.vlr", "/m/C.vlr", "/m/E.vlr", "/m/D.vlr"}));
}

TEST(RecentFilesOrder, SavingUnderTheFirstEntryChangesNothing) {
    RecentFiles list = Opened({"/m/A.vlr", "/m/B.vlr"});
    list.AddRecentFile("/m/B.vlr");
    EXPECT_EQ(list.Entries(), (Paths{"/m/B.vlr", "/m/A.vlr"}));
}

TEST(RecentFilesOrder, PathsCompareWithCase) {
    RecentFiles list = Opened({"/m/a.vlr", "/m/A.vlr"});
    EXPECT_EQ(list.Entries(), (Paths{"/m/A.vlr", "/m/a.vlr"}));
}

TEST(RecentFilesOrder, PathsTheSettingsFileCannotKeepAreNotRemembered) {
    RecentFiles list = Opened({"/m/A.vlr"});
    const Paths unkeepable = {"", "/m/trailing.vlr ", " /m/leading.vlr", "/m/new\nline.vlr",
                              "/" + std::string(255, 'x')};
    for (const std::string& path : unkeepable)
        list.AddRecentFile(path);
    list.AddRecentFile("/" + std::string(254, 'y')); // exactly 255 characters: kept
    EXPECT_EQ(list.Entries(), (Paths{"/" + std::string(254, 'y'), "/m/A.vlr"}));
}

TEST(RecentFilesOrder, EntriesAreNumberedFromOne) {
    RecentFiles list = Opened({"/m/A.vlr", "/m/B.vlr"});
    EXPECT_EQ(list.RecentFile(1), "/m/B.vlr");
    EXPECT_EQ(list.RecentFile(2), "/m/A.vlr");
    EXPECT_EQ(list.RecentFile(3), "");
    EXPECT_EQ(list.RecentFile(0), "");
    EXPECT_EQ(list.RecentFile(-1), "");
}

// --- Menu captions ---------------------------------------------------------------------------

TEST(RecentFileCaption, ShowsTheNumberAndTheFileNameOnly) {
    RecentFiles list = Opened({"/home/u/models/car.vlr", "plain.vlr"});
    EXPECT_EQ(list.MenuCaptions(), (Paths{"&1 plain.vlr", "&2 car.vlr"}));
    EXPECT_EQ(RecentFileCaption(3, "/a/R&D.vlr"), "&3 R&&D.vlr");
    EXPECT_TRUE(RecentFiles().MenuCaptions().empty());
}

// --- Settings file ---------------------------------------------------------------------------

TEST_F(RecentFilesTest, SaveAndLoadGiveTheSameList) {
    const RecentFiles list = Opened({"/m/A.vlr", "/m/B b.vlr", "/m/C.vlr"});
    ASSERT_TRUE(list.SaveRecentFiles(settings));
    EXPECT_EQ(settings.ReadSetting("LatestFiles", "LatestFileNumber"), "3");
    EXPECT_EQ(settings.ReadSetting("LatestFiles", "LatestFile1"), "/m/C.vlr");
    EXPECT_EQ(Loaded().Entries(), list.Entries());
}

TEST_F(RecentFilesTest, ShorterListLeavesOldHigherKeysButReadsOnlyItsCount) {
    ASSERT_TRUE(Opened({"/m/A.vlr", "/m/B.vlr", "/m/C.vlr", "/m/D.vlr"}).SaveRecentFiles(settings));
    ASSERT_TRUE(Opened({"/m/X.vlr"}).SaveRecentFiles(settings));
    EXPECT_EQ(settings.ReadSetting("LatestFiles", "LatestFile4"), "/m/A.vlr");
    EXPECT_EQ(Loaded().Entries(), (Paths{"/m/X.vlr"}));
}

TEST_F(RecentFilesTest, MissingFileGivesAnEmptyList) {
    RecentFiles list = Opened({"/m/A.vlr"});
    list.LoadRecentFiles(settings); // replaces, does not add to, the list
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(RecentFilesTest, CountThatIsNotAnIntegerGivesAnEmptyList) {
    for (const char* count : {"abc", "", "2.0", "-1", "0"}) {
        WriteSettings(std::string("[LatestFiles]\nLatestFileNumber=") + count +
                      "\nLatestFile1=/m/A.vlr\n");
        EXPECT_EQ(Loaded().Count(), 0) << count;
    }
}

TEST_F(RecentFilesTest, ReadsAtMostFourAndSkipsMissingEntries) {
    WriteSettings("[latestfiles]\n"
                  "LatestFileNumber= 9\n"
                  "LatestFile1=/m/A.vlr\n"
                  "LatestFile3=/m/C.vlr\n"
                  "LatestFile4=/m/D.vlr\n"
                  "LatestFile5=/m/E.vlr\n");
    EXPECT_EQ(Loaded().Entries(), (Paths{"/m/A.vlr", "/m/C.vlr", "/m/D.vlr"}));
}

TEST_F(RecentFilesTest, FailedSaveIsReported) {
    IniFile unreachable(dir_ / "missing" / "velor.ini");
    EXPECT_FALSE(Opened({"/m/A.vlr"}).SaveRecentFiles(unreachable));
}

} // namespace
} // namespace velor
