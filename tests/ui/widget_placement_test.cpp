// A saved window placement that lies off every screen (a screen since detached, a changed
// layout, a damaged settings file) comes back where the window can be seen and reached; one that
// can be seen stays exactly as it was.
#include "ui/widget_placement.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QWidget>

#include <climits>
#include <random>

namespace velor::ui {
namespace {

// Two side by side, the primary 1920x1040 at the origin, the second 1280x1024 to its right.
const QList<QRect> kTwoScreens = {QRect(0, 0, 1920, 1040), QRect(1920, 0, 1280, 1024)};

// Pixels of [begin, begin + length) inside [screenBegin, screenBegin + screenLength).
long long Overlap(long long begin, long long length, long long screenBegin,
                  long long screenLength) {
    return std::max(0LL, std::min(begin + length, screenBegin + screenLength) -
                             std::max(begin, screenBegin));
}

bool Inside(const WindowBounds& b, const QRect& screen) {
    return Overlap(b.left, b.width, screen.left(), screen.width()) == b.width &&
           Overlap(b.top, b.height, screen.top(), screen.height()) == b.height;
}

struct PlaceCase {
    const char* name;
    WindowBounds bounds;
    WindowBounds expected;
};

class PlaceOnScreensTest : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(PlaceOnScreensTest, PlacesTheWindow) {
    const PlaceCase& c = GetParam();
    EXPECT_EQ(PlaceOnScreens(c.bounds, kTwoScreens), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlaceOnScreensTest,
    ::testing::Values(
        PlaceCase{"on the primary", {100, 80, 800, 600}, {100, 80, 800, 600}},
        PlaceCase{"on the second", {2000, 100, 800, 600}, {2000, 100, 800, 600}},
        PlaceCase{"across both", {1500, 100, 800, 600}, {1500, 100, 800, 600}},
        // Partly off the edge but a good piece visible: the user's choice, kept.
        PlaceCase{"mostly off the left", {-700, 100, 800, 600}, {-700, 100, 800, 600}},
        // Visible but larger than its screen: fitted to the screen showing most of it.
        PlaceCase{"larger than the screen", {-50, -50, 4000, 3000}, {0, 0, 1920, 1040}},
        PlaceCase{"taller than the second", {2000, 100, 800, 1500}, {2000, 0, 800, 1024}},
        PlaceCase{
            "wider than both, mostly on the second", {1800, 10, 3300, 500}, {1920, 10, 1280, 500}},
        // Off every screen: shifted inside the nearest.
        PlaceCase{"left of the primary", {-2000, 100, 800, 600}, {0, 100, 800, 600}},
        PlaceCase{"beyond the second", {5000, 300, 800, 600}, {2400, 300, 800, 600}},
        PlaceCase{"below the second", {2100, 3000, 800, 600}, {2100, 424, 800, 600}},
        PlaceCase{"above both", {300, -900, 800, 600}, {300, 0, 800, 600}},
        // Only a sliver visible: not reachable.
        PlaceCase{"a sliver at the right edge", {3180, 100, 800, 600}, {2400, 100, 800, 600}},
        PlaceCase{"a sliver at the top", {100, -590, 800, 600}, {100, 0, 800, 600}},
        // Off screen and larger than the nearest screen: shrunk to it.
        PlaceCase{"off and too large", {9000, 9000, 3000, 2000}, {1920, 0, 1280, 1024}},
        // Sums of stored values that overflow an int.
        PlaceCase{
            "at the end of int", {INT_MAX - 10, INT_MAX - 10, 800, 600}, {2400, 424, 800, 600}},
        PlaceCase{"at the start of int", {INT_MIN, INT_MIN, 800, 600}, {0, 0, 800, 600}}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name) {
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    });

TEST(PlaceOnScreensRandomTest, EveryPlacementEndsVisibleAndVisibleOnesThatFitStay) {
    std::mt19937 random(4711);
    std::uniform_int_distribution<int> coordinate(-6000, 9000);
    std::uniform_int_distribution<int> extent(1, 4000);
    std::uniform_int_distribution<int> anyInt(INT_MIN, INT_MAX);
    for (int run = 0; run < 20000; ++run) {
        // Random screen layouts of one to three screens, and random windows, some extreme.
        QList<QRect> screens;
        const int count = 1 + static_cast<int>(random() % 3);
        for (int s = 0; s < count; ++s) {
            screens.append(QRect(coordinate(random) / 2, coordinate(random) / 4,
                                 640 + extent(random) / 2, 480 + extent(random) / 3));
        }
        WindowBounds bounds{coordinate(random), coordinate(random), extent(random), extent(random)};
        if (run % 10 == 0) {
            bounds.left = anyInt(random);
            bounds.top = anyInt(random);
        }
        const WindowBounds placed = PlaceOnScreens(bounds, screens);

        // Visible: some screen shows a piece at least the minimum wide and high (or all of
        // the window in that direction, when it is smaller).
        // Unchanged exactly when that screen is also large enough for all of it.
        bool fitsBefore = false;
        for (const QRect& screen : screens) {
            const long long shownWidth =
                Overlap(bounds.left, bounds.width, screen.left(), screen.width());
            const long long shownHeight =
                Overlap(bounds.top, bounds.height, screen.top(), screen.height());
            fitsBefore =
                fitsBefore || (shownWidth > 0 && shownHeight > 0 &&
                               shownWidth >= std::min(bounds.width, kMinVisibleWidth) &&
                               shownHeight >= std::min(bounds.height, kMinVisibleHeight) &&
                               bounds.width <= screen.width() && bounds.height <= screen.height());
        }
        ASSERT_EQ(placed == bounds, fitsBefore) << bounds.left << ',' << bounds.top;
        if (!fitsBefore) {
            // Moved: wholly inside one screen and no larger than before.
            bool inside = false;
            for (const QRect& screen : screens) {
                inside = inside || Inside(placed, screen);
            }
            ASSERT_TRUE(inside) << placed.left << ',' << placed.top;
            ASSERT_LE(placed.width, bounds.width);
            ASSERT_LE(placed.height, bounds.height);
        }
        // Placing twice changes nothing more.
        ASSERT_EQ(PlaceOnScreens(placed, screens), placed);
    }
}

// A 1600 x 1000 screen at scale factor 2 is 800 x 500 for the windows (less a panel):
// placements saved at scale 1 fit it again.
TEST(PlaceOnScreensTest, PlacementsSavedAtScaleOneFitASmallScreenAtScaleTwo) {
    const QRect area(0, 0, 1600 / 2, (1000 - 28) / 2);
    const std::pair<WindowBounds, WindowBounds> cases[] = {
        {{0, 0, 1600, 970}, {0, 0, 800, 486}},
        {{100, 40, 760, 620}, {40, 0, 760, 486}},
        {{1200, 700, 600, 300}, {200, 186, 600, 300}}};
    for (const auto& [saved, expected] : cases) {
        EXPECT_EQ(PlaceOnScreens(saved, {area}), expected) << saved.left << ',' << saved.top;
    }
}

TEST(PlaceOnScreensTest, WithoutScreensNothingMoves) {
    const WindowBounds bounds{-5000, -5000, 300, 200};
    EXPECT_EQ(PlaceOnScreens(bounds, {}), bounds);
}

TEST(WidgetPlacementTest, AWindowRestoredOffEveryScreenComesBackOntoThePrimary) {
    QWidget window;
    WidgetPlacement placement(&window, "Test");
    placement.SetBounds({-20000, -20000, 300, 200});
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(area.contains(window.geometry()))
        << window.geometry().x() << ',' << window.geometry().y();
    EXPECT_EQ(window.geometry().size(), QSize(300, 200));
}

TEST(WidgetPlacementTest, AChildWindowOfTheDocumentAreaKeepsItsStoredPlace) {
    // A child window's place is inside the document area; the screens do not decide it.
    QMdiArea area;
    area.resize(400, 300);
    QMdiSubWindow* child = area.addSubWindow(new QWidget);
    WidgetPlacement placement(child, "Child");
    placement.SetBounds({-20000, 50, 120, 80});
    EXPECT_EQ(child->geometry(), QRect(-20000, 50, 120, 80));
}

} // namespace
} // namespace velor::ui
