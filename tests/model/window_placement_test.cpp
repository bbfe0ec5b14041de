#include "model/ini_file.h"
#include "model/window_placement.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace velor {
namespace {

namespace fs = std::filesystem;

// A window that records what is applied to it, in order.
class FakeWindow : public PlacementTarget {
public:
    std::string name = "MainForm";
    WindowState state = WindowState::Normal;
    WindowBounds bounds{10, 20, 640, 480};
    ScreenSize screen{1920, 1080};
    std::vector<std::string> applied;

    std::string PlacementName() const override { return name; }
    WindowState State() const override { return state; }
    WindowBounds Bounds() const override { return bounds; }
    ScreenSize Screen() const override { return screen; }
    void SetState(WindowState s) override {
        state = s;
        applied.push_back("state");
    }
    void SetBounds(const WindowBounds& b) override {
        bounds = b;
        applied.push_back("bounds");
    }
};

fs::path UniqueTempDir() {
    std::random_device random;
    return fs::temp_directory_path() / ("velor-placement-test-" + std::to_string(random()));
}

class WindowPlacementTest : public ::testing::Test {
protected:
    WindowPlacementTest() { fs::create_directories(dir_); }
    ~WindowPlacementTest() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    void WriteSettings(const std::string& contents) {
        std::ofstream(dir_ / "velor.ini", std::ios::binary) << contents;
    }
    std::string SettingsText() {
        std::ifstream in(dir_ / "velor.ini", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path dir_ = UniqueTempDir();
    IniFile settings{dir_ / "velor.ini"};
    FakeWindow window;
};

// --- Save and restore ------------------------------------------------------------------------

TEST_F(WindowPlacementTest, SavedPlacementIsRestoredStateFirst) {
    window.state = WindowState::Maximized;
    window.bounds = {-5, 30, 1024, 700};
    ASSERT_TRUE(SavePlacement(settings, window));
    EXPECT_EQ(SettingsText(), "[MainForm]\nState=2\nLeft=-5\nTop=30\nHeight=700\nWidth=1024\n");

    FakeWindow fresh;
    ASSERT_TRUE(RestorePlacement(settings, fresh));
    EXPECT_EQ(fresh.applied, (std::vector<std::string>{"state", "bounds"}));
    EXPECT_EQ(fresh.state, WindowState::Maximized);
    EXPECT_EQ(fresh.bounds, (WindowBounds{-5, 30, 1024, 700}));
}

TEST_F(WindowPlacementTest, EachWindowHasItsOwnSectionFoundWithoutRegardToCase) {
    WriteSettings("[treeform]\nstate=1\nleft=1\ntop=2\nheight=300\nwidth=400\n");
    window.name = "TreeForm";
    ASSERT_TRUE(RestorePlacement(settings, window));
    EXPECT_EQ(window.state, WindowState::Minimized);
    EXPECT_EQ(window.bounds, (WindowBounds{1, 2, 400, 300}));

    FakeWindow other; // "MainForm" has no section
    EXPECT_FALSE(RestorePlacement(settings, other));
    EXPECT_TRUE(other.applied.empty());
}

TEST_F(WindowPlacementTest, IncompleteOrInvalidSectionRestoresNothing) {
    const std::string complete = "State=2\nLeft=1\nTop=2\nHeight=300\nWidth=400\n";
    ASSERT_TRUE((WriteSettings("[MainForm]\n" + complete), RestorePlacement(settings, window)));

    const std::vector<std::string> broken = {
        "State=2\nLeft=1\nTop=2\nHeight=300\n",         // Width missing
        "State=2\nLeft=1\nTop=2\nHeight=300\nWidth=\n", // Width empty
        "State=2\nLeft=abc\nTop=2\nHeight=300\nWidth=400\n",
        "State=2\nLeft=1\nTop=2.5\nHeight=300\nWidth=400\n",
        "State=3\nLeft=1\nTop=2\nHeight=300\nWidth=400\n", // no such state
        "State=0\nLeft=1\nTop=2\nHeight=0\nWidth=400\n",   // a window without height
        "State=0\nLeft=1\nTop=2\nHeight=300\nWidth=-400\n",
        "State=0\nLeft=99999999999\nTop=2\nHeight=300\nWidth=400\n",
    };
    for (const std::string& section : broken) {
        WriteSettings("[MainForm]\n" + section);
        FakeWindow fresh;
        EXPECT_FALSE(RestorePlacement(settings, fresh)) << section;
        EXPECT_TRUE(fresh.applied.empty()) << section; // not even the state
        EXPECT_EQ(fresh.state, WindowState::Normal);
    }
}

TEST_F(WindowPlacementTest, MissingSettingsFileRestoresNothing) {
    EXPECT_FALSE(RestorePlacement(settings, window));
    EXPECT_TRUE(window.applied.empty());
}

TEST_F(WindowPlacementTest, FailedSaveIsReported) {
    IniFile unreachable(dir_ / "missing" / "velor.ini");
    EXPECT_FALSE(SavePlacement(unreachable, window));
    window.name = "Bad]Name";
    EXPECT_FALSE(SavePlacement(settings, window));
    EXPECT_FALSE(settings.Exists());
}

// --- Centring --------------------------------------------------------------------------------

TEST(CentreOnScreen, CentresAndKeepsTheSizeRoundingHalvesTowardZero) {
    FakeWindow window;
    window.bounds = {5, 5, 801, 600};
    window.screen = {1920, 1081};
    CentreOnScreen(window);
    EXPECT_EQ(window.bounds, (WindowBounds{559, 240, 801, 600}));

    // Larger than the screen: negative halves round toward zero (-201 / 2 = -100).
    window.bounds = {0, 0, 1001, 700};
    window.screen = {800, 600};
    CentreOnScreen(window);
    EXPECT_EQ(window.bounds, (WindowBounds{-100, -50, 1001, 700}));
    EXPECT_EQ(window.state, WindowState::Normal);
}

} // namespace
} // namespace velor
