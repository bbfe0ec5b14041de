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

class WindowPlacementTest : public ::testing::Test {
protected:
    WindowPlacementTest() { fs::create_directories(dir); }
    ~WindowPlacementTest() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    void WriteSettings(const std::string& contents) {
        std::ofstream(dir / "velor.ini", std::ios::binary) << contents;
    }

    fs::path dir =
        fs::temp_directory_path() / ("velor-placement-" + std::to_string(std::random_device()()));
    IniFile settings{dir / "velor.ini"};
};

TEST_F(WindowPlacementTest, SavedPlacementIsRestoredStateFirst) {
    FakeWindow window;
    window.state = WindowState::Maximized;
    window.bounds = {-5, 30, 1024, 700};
    ASSERT_TRUE(SavePlacement(settings, window));
    std::ifstream in(dir / "velor.ini", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
              "[MainForm]\nState=2\nLeft=-5\nTop=30\nHeight=700\nWidth=1024\n");

    FakeWindow fresh;
    ASSERT_TRUE(RestorePlacement(settings, fresh));
    EXPECT_EQ(fresh.applied, (std::vector<std::string>{"state", "bounds"}));
    EXPECT_EQ(fresh.state, WindowState::Maximized);
    EXPECT_EQ(fresh.bounds, (WindowBounds{-5, 30, 1024, 700}));
}

TEST_F(WindowPlacementTest, SectionIsFoundWithoutRegardToCase) {
    WriteSettings("[treeform]\nstate=1\nleft=1\ntop=2\nheight=300\nwidth=400\n");
    FakeWindow window;
    window.name = "TreeForm";
    ASSERT_TRUE(RestorePlacement(settings, window));
    EXPECT_EQ(window.state, WindowState::Minimized);
    EXPECT_EQ(window.bounds, (WindowBounds{1, 2, 400, 300}));
}

TEST_F(WindowPlacementTest, MissingFileOrIncompleteOrInvalidSectionRestoresNothing) {
    FakeWindow window;
    EXPECT_FALSE(RestorePlacement(settings, window)); // no settings file
    EXPECT_TRUE(window.applied.empty());

    for (const std::string section :
         {"[TreeForm]\nState=2\nLeft=1\nTop=2\nHeight=300\nWidth=400\n", // another window
          "[MainForm]\nState=2\nLeft=1\nTop=2\nHeight=300\n",            // Width missing
          "[MainForm]\nState=2\nLeft=1\nTop=2\nHeight=300\nWidth=\n",
          "[MainForm]\nState=2\nLeft=abc\nTop=2\nHeight=300\nWidth=400\n",
          "[MainForm]\nState=2\nLeft=1\nTop=2.5\nHeight=300\nWidth=400\n",
          "[MainForm]\nState=3\nLeft=1\nTop=2\nHeight=300\nWidth=400\n", // no such state
          "[MainForm]\nState=0\nLeft=1\nTop=2\nHeight=0\nWidth=400\n",   // no height
          "[MainForm]\nState=0\nLeft=1\nTop=2\nHeight=300\nWidth=-400\n",
          "[MainForm]\nState=0\nLeft=99999999999\nTop=2\nHeight=300\nWidth=400\n"}) {
        WriteSettings(section);
        EXPECT_FALSE(RestorePlacement(settings, window)) << section;
        EXPECT_TRUE(window.applied.empty()) << section; // not even the state
    }
}

TEST_F(WindowPlacementTest, FailedSaveIsReported) {
    FakeWindow window;
    IniFile unreachable(dir / "missing" / "velor.ini");
    EXPECT_FALSE(SavePlacement(unreachable, window));
    window.name = "Bad]Name";
    EXPECT_FALSE(SavePlacement(settings, window));
    EXPECT_FALSE(settings.Exists());
}

TEST(CentreOnScreen, CentresAndKeepsTheSizeRoundingHalvesTowardZero) {
    FakeWindow window;
    window.bounds = {5, 5, 801, 600};
    window.screen = {1920, 1081};
    CentreOnScreen(window);
    EXPECT_EQ(window.bounds, (WindowBounds{559, 240, 801, 600}));

    // Larger than the screen: -201 / 2 is -100.
    window.bounds = {0, 0, 1001, 700};
    window.screen = {800, 600};
    CentreOnScreen(window);
    EXPECT_EQ(window.bounds, (WindowBounds{-100, -50, 1001, 700}));
    EXPECT_EQ(window.applied, (std::vector<std::string>{"bounds", "bounds"}));
}

} // namespace
} // namespace velor
