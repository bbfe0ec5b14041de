// Window placement (settings file) for real widgets: a top-level window or a child window of
// the multi-document area.
#pragma once

#include "model/window_placement.h"

#include <QList>
#include <QRect>
#include <QSize>

#include <string>

class QWidget;

namespace velor::ui {

// Where a top-level window with `bounds` goes so that it can be seen and reached on `screens`
// (their available areas, the primary first). Unchanged when a piece of it at least
// kMinVisibleWidth by kMinVisibleHeight (or all of it, when smaller) lies on a screen it is no
// larger than. A visible window larger than its screen (the one showing the largest piece of
// it) is shrunk to that screen's area and moved wholly onto it: a placement saved on a larger
// screen, or at a smaller scale factor, never opens beyond the edges. A window off every screen
// goes onto the screen nearest to it (the first on a tie), shrunk to that screen's area where it
// is larger, and shifted the least distance that brings it wholly inside. A saved placement from
// a screen that is no longer attached so comes back into view.
inline constexpr int kMinVisibleWidth = 64;
inline constexpr int kMinVisibleHeight = 32;
WindowBounds PlaceOnScreens(const WindowBounds& bounds, const QList<QRect>& screens);

// The available areas of the attached screens, the primary first.
QList<QRect> AvailableScreenAreas();
// Applies PlaceOnScreens to a top-level window as it stands.
void FitOnScreen(QWidget* window);
// Applies the same rule to a child window inside an area of the given size (the document area's
// viewport), as if that area were its only screen.
void FitInsideArea(QWidget* child, const QSize& area);
// `wanted`, no wider and no taller than `available` (and at least 1 x 1).
QSize FitSize(const QSize& wanted, const QSize& available);
// The size of a dialog that shows content of size `content` in a scroll area: the content's
// size where `available` holds it; otherwise no larger than `available`, with room for the
// scroll bar (scrollBarExtent) that appears across the direction that scrolls.
QSize ScrollingDialogSize(const QSize& content, const QSize& available, int scrollBarExtent);
// The available area of the screen a widget is on (the primary screen before it is shown).
QSize AvailableSizeFor(const QWidget* widget);

class WidgetPlacement : public PlacementTarget {
public:
    WidgetPlacement(QWidget* window, std::string name) : window_(window), name_(std::move(name)) {}

    std::string PlacementName() const override { return name_; }
    WindowState State() const override;
    WindowBounds Bounds() const override;
    ScreenSize Screen() const override;
    void SetState(WindowState state) override;
    // A top-level window that would lie off every screen is moved back on (PlaceOnScreens).
    void SetBounds(const WindowBounds& bounds) override;

private:
    QWidget* window_;
    std::string name_;
};

} // namespace velor::ui
