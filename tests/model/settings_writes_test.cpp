// How often the settings file is written, and which settings files are never written.
#include "file_test_support.h"
#include "model/ini_file.h"
#include "model/recent_files.h"
#include "model/window_placement.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velor {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

class Window : public PlacementTarget {
public:
    explicit Window(std::string name, int left = 10) : name_(std::move(name)), left_(left) {}
    std::string PlacementName() const override { return name_; }
    WindowState State() const override { return WindowState::Normal; }
    WindowBounds Bounds() const override { return {left_, 20, 640, 480}; }
    ScreenSize Screen() const override { return {1920, 1080}; }
    void SetState(WindowState) override {}
    void SetBounds(const WindowBounds&) override {}

private:
    std::string name_;
    int left_;
};

// Counts how often a file of a folder is replaced (a new file renamed over it) or written in
// place.
class WriteCounter {
public:
    WriteCounter(const fs::path& folder, std::string name) : name_(std::move(name)) {
        fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd_ >= 0) {
            ::inotify_add_watch(fd_, folder.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE);
        }
    }
    ~WriteCounter() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    bool Works() const { return fd_ >= 0; }

    // The writes since the last call.
    int Writes() {
        int count = 0;
        alignas(inotify_event) char buffer[8192];
        for (ssize_t got; (got = ::read(fd_, buffer, sizeof buffer)) > 0;) {
            for (char* at = buffer; at < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                if (event->len > 0 && name_ == event->name) {
                    ++count;
                }
                at += sizeof(inotify_event) + event->len;
            }
        }
        return count;
    }

private:
    std::string name_;
    int fd_ = -1;
};

class SettingsWrites : public ::testing::Test {
protected:
    void SetUp() override {
        // Lines the program does not know stay; a settings file can grow large.
        std::string junk = "[Placements of another program]\r\n";
        for (int i = 0; i < 20000; ++i) {
            junk += "junk line " + std::to_string(i) + " = " + std::string(40, 'j') + "\r\n";
        }
        WriteBytes(path_.string(), junk);
        junk_ = junk;
        recent_.AddRecentFile("/models/a.vlr");
        recent_.AddRecentFile("/models/b.vlr");
    }

    // What the program saves when it closes: every window's placement and the recent files.
    bool SaveEverything() {
        bool ok = true;
        for (const char* name : {"MainForm", "TreeForm", "AlternativeForm", "PreferenceForm"}) {
            ok = SavePlacement(settings_, Window(name, 33)) && ok;
        }
        return recent_.SaveRecentFiles(settings_) && ok;
    }

    void ExpectEverythingSaved() {
        const std::string text = ReadBytes(path_.string());
        EXPECT_EQ(text.rfind(junk_, 0), 0u); // kept as it was, at the start
        for (const char* name : {"MainForm", "TreeForm", "AlternativeForm", "PreferenceForm"}) {
            const auto placement = ReadPlacement(settings_, name);
            ASSERT_TRUE(placement.has_value()) << name;
            EXPECT_EQ(placement->bounds.left, 33);
        }
        RecentFiles loaded;
        loaded.LoadRecentFiles(settings_);
        EXPECT_EQ(loaded.RecentFile(1), "/models/b.vlr");
        EXPECT_EQ(loaded.RecentFile(2), "/models/a.vlr");
    }

    TempDir dir_;
    fs::path path_ = dir_.path() / "velor.ini";
    IniFile settings_{path_};
    RecentFiles recent_;
    std::string junk_;
};

TEST_F(SettingsWrites, ABatchWritesEverythingOnce) {
    WriteCounter counter(dir_.path(), "velor.ini");
    ASSERT_TRUE(counter.Works());
    {
        IniFile::Batch batch(settings_);
        ASSERT_TRUE(SaveEverything());
        EXPECT_EQ(counter.Writes(), 0);
        EXPECT_EQ(ReadBytes(path_.string()), junk_);                // nothing on disk yet ...
        EXPECT_EQ(settings_.ReadSetting("MainForm", "Left"), "33"); // ... but read back
        {
            IniFile::Batch inner(settings_); // an inner batch leaves the writing to the outer
            EXPECT_TRUE(settings_.WriteSettingInt("Inner", "Key", 7));
            EXPECT_TRUE(inner.Commit());
        }
        EXPECT_EQ(counter.Writes(), 0);
    }
    EXPECT_EQ(counter.Writes(), 1);
    ExpectEverythingSaved();
    EXPECT_EQ(settings_.ReadSetting("Inner", "Key"), "7");

    // Nothing changed: nothing written.
    {
        IniFile::Batch batch(settings_);
        ASSERT_TRUE(SaveEverything());
        EXPECT_TRUE(batch.Commit());
    }
    EXPECT_EQ(counter.Writes(), 0);
}

// A settings file the user made read-only (or without any write bit) is left alone, and the
// failed writes are reported.
TEST_F(SettingsWrites, AReadOnlyFileIsLeftAlone) {
    for (unsigned mode : {0444u, 0400u, 0u}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(::chmod(path_.c_str(), mode), 0);
        EXPECT_FALSE(settings_.WriteSettingInt("MainForm", "Left", 1));
        EXPECT_FALSE(SaveEverything());
        {
            IniFile::Batch batch(settings_);
            SaveEverything();
            EXPECT_FALSE(batch.Commit());
        }
        ::chmod(path_.c_str(), 0600);
        EXPECT_EQ(ReadBytes(path_.string()), junk_);
        struct stat st {};
        ASSERT_EQ(::stat(path_.c_str(), &st), 0);
        EXPECT_EQ(st.st_size, static_cast<off_t>(junk_.size()));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 1);
}

// A batch on a file that exists but cannot be read writes nothing over it.
TEST_F(SettingsWrites, ABatchOnAnUnreadableFileWritesNothing) {
    fs::remove(path_);
    ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
    IniFile::Batch batch(settings_);
    EXPECT_FALSE(settings_.WriteSettingInt("MainForm", "Left", 1));
    EXPECT_FALSE(batch.Commit());
    EXPECT_TRUE(fs::is_fifo(path_));
}

} // namespace
} // namespace velor
