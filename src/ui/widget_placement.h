// Window placement (settings file) for real widgets: a top-level window or a child window of
// the multi-document area.
#pragma once

#include "model/window_placement.h"

#include <QList>
#include <QRect>

#include <string>

class QWidget;

namespace velor::ui {

// Where a top-level window with `bounds` goes so that it can be seen and reached on `screens`
// (their available areas, the primary first). Unchanged when a piece of it at least
// kMinVisibleWidth by kMinVisibleHeight (or all of it, when smaller) lies on one screen.
// Otherwise it goes onto the screen nearest to it (the first on a tie): shrunk to that screen's
// area where it is larger, and shifted the least distance that brings it wholly inside. A saved
// placement from a screen that is no longer attached so comes back into view.
inline constexpr int kMinVisibleWidth = 64;
inline constexpr int kMinVisibleHeight = 32;
WindowBounds PlaceOnScreens(const WindowBounds& bounds, const QList<QRect>& screens);

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
