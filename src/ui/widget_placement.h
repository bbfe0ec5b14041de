// Window placement (settings file) for real widgets: a top-level window or a child window of
// the multi-document area.
#pragma once

#include "model/window_placement.h"

#include <string>

class QWidget;

namespace velor::ui {

class WidgetPlacement : public PlacementTarget {
public:
    WidgetPlacement(QWidget* window, std::string name) : window_(window), name_(std::move(name)) {}

    std::string PlacementName() const override { return name_; }
    WindowState State() const override;
    WindowBounds Bounds() const override;
    ScreenSize Screen() const override;
    void SetState(WindowState state) override;
    void SetBounds(const WindowBounds& bounds) override;

private:
    QWidget* window_;
    std::string name_;
};

} // namespace velor::ui
