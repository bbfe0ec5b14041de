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

RecentFiles Opened(const Paths& paths) {
    RecentFiles list;
    for (const std::string& path : paths)
        list.AddRecentFile(path);
    return list;
}

TEST(RecentFiles, FifthFilePushesTheOldestOutAndReopeningMovesToFront) {
    RecentFiles list = Opened({"/m/A.vlr", "/m/B.vlr", "/m/C.vlr", "/m/D.vlr", "/m/E.vlr"});
    EXPECT_EQ(list.Entries(), (Paths{"/m/E.vlr", "/m/D.vlr", "/m/C.vlr", "/m/B.vlr"}));
    list.AddRecentFile("/m/C.vlr");
    EXPECT_EQ(list.Entries(), (Paths{"/m/C.vlr", "/m/E.vlr", "/m/D.vlr", "/m/B.vlr"}));
    list.AddRecentFile("/m/C.vlr"); // already first: nothing changes
    list.AddRecentFile("/m/c.vlr"); // case counts: a new entry
    EXPECT_EQ(list.Entries(), (Paths{"/m/c.vlr", "/m/C.vlr", "/m/E.vlr", "/m/D.vlr"}));
    EXPECT_EQ(list.RecentFile(4), "/m/D.vlr");
    EXPECT_EQ(list.RecentFile(0), "");
    EXPECT_EQ(list.RecentFile(5), "");
}

TEST(RecentFiles, PathsTheSettingsFileCannotKeepAreNotRemembered) {
    RecentFiles list = Opened({"/m/A.vlr"});
    for (const std::string& path : Paths{"", "/m/trailing.vlr ", " /m/leading.vlr",
                                         "/m/new\nline.vlr", "/" + std::string(255, 'x')})
        list.AddRecentFile(path);
    list.AddRecentFile("/" + std::string(254, 'y')); // exactly 255 characters: kept
    EXPECT_EQ(list.Entries(), (Paths{"/" + std::string(254, 'y'), "/m/A.vlr"}));
}

TEST(RecentFiles, MenuCaptionsShowTheNumberAndTheFileNameOnly) {
    EXPECT_EQ(Opened({"/home/u/models/car.vlr", "plain.vlr"}).MenuCaptions(),
              (Paths{"&1 plain.vlr", "&2 car.vlr"}));
    EXPECT_EQ(RecentFileCaption(3, "/a/R&D.vlr"), "&3 R&&D.vlr");
}

class RecentFilesStorage : public ::testing::Test {
protected:
    RecentFilesStorage() { fs::create_directories(dir); }
    ~RecentFilesStorage() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    RecentFiles Loaded(const std::string& contents) {
        std::ofstream(dir / "velor.ini", std::ios::binary) << contents;
        RecentFiles list;
        list.LoadRecentFiles(settings);
        return list;
    }

    fs::path dir =
        fs::temp_directory_path() / ("velor-recent-" + std::to_string(std::random_device()()));
    IniFile settings{dir / "velor.ini"};
};

TEST_F(RecentFilesStorage, SaveAndLoadGiveTheSameListAndLeaveHigherKeys) {
    ASSERT_TRUE(Opened({"/m/A.vlr", "/m/B.vlr", "/m/C.vlr", "/m/D.vlr"}).SaveRecentFiles(settings));
    const RecentFiles list = Opened({"/m/X.vlr", "/m/Y y.vlr"});
    ASSERT_TRUE(list.SaveRecentFiles(settings));
    EXPECT_EQ(settings.ReadSetting("LatestFiles", "LatestFileNumber"), "2");
    EXPECT_EQ(settings.ReadSetting("LatestFiles", "LatestFile4"), "/m/A.vlr");
    RecentFiles loaded = Opened({"/m/old.vlr"});
    loaded.LoadRecentFiles(settings); // replaces the list
    EXPECT_EQ(loaded.Entries(), list.Entries());
}

TEST_F(RecentFilesStorage, MissingFileOrNonIntegerCountGivesAnEmptyList) {
    RecentFiles list = Opened({"/m/A.vlr"});
    list.LoadRecentFiles(settings);
    EXPECT_EQ(list.Count(), 0);
    for (const char* count : {"abc", "", "2.0", "-1"})
        EXPECT_EQ(Loaded(std::string("[LatestFiles]\nLatestFileNumber=") + count +
                         "\nLatestFile1=/m/A.vlr\n")
                      .Count(),
                  0)
            << count;
}

TEST_F(RecentFilesStorage, ReadsAtMostFourAndSkipsMissingEntries) {
    EXPECT_EQ(Loaded("[latestfiles]\nLatestFileNumber= 9\nLatestFile1=/m/A.vlr\n"
                     "LatestFile3=/m/C.vlr\nLatestFile4=/m/D.vlr\nLatestFile5=/m/E.vlr\n")
                  .Entries(),
              (Paths{"/m/A.vlr", "/m/C.vlr", "/m/D.vlr"}));
}

TEST_F(RecentFilesStorage, FailedSaveIsReported) {
    IniFile unreachable(dir / "missing" / "velor.ini");
    EXPECT_FALSE(Opened({"/m/A.vlr"}).SaveRecentFiles(unreachable));
}

} // namespace
} // namespace velor
