// Saving and restoring where a window sits, over a small interface the GUI implements.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velor {

class IniFile;

// Stored as 0, 1 and 2.
enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };

struct WindowBounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const WindowBounds&, const WindowBounds&) = default;
};

struct ScreenSize {
    int width = 0;
    int height = 0;
};

// A window as far as placement is concerned. Bounds are the window's normal (not minimized or
// maximized) position and size, in pixels, so that a maximized window comes back maximized and
// still knows where to go when it is restored.
class PlacementTarget {
public:
    virtual ~PlacementTarget() = default;

    // The settings section holding this window's placement, e.g. "MainForm".
    virtual std::string PlacementName() const = 0;
    virtual WindowState State() const = 0;
    virtual WindowBounds Bounds() const = 0;
    virtual ScreenSize Screen() const = 0;

    virtual void SetState(WindowState state) = 0;
    virtual void SetBounds(const WindowBounds& bounds) = 0;
};

struct WindowPlacement {
    WindowState state = WindowState::Normal;
    WindowBounds bounds;
};

// Reads "State", "Left", "Top", "Height" and "Width" from the section. Nothing is returned when
// the file is missing, when any value is missing or not a strict integer, when the state is not
// 0, 1 or 2, or when the width or height is not positive (such a window could not be seen or
// reached).
std::optional<WindowPlacement> ReadPlacement(const IniFile& settings, std::string_view section);

// Writes "State", "Left", "Top", "Height" and "Width" in this order under the window's name;
// stops at the first failed write and reports whether all succeeded.
bool SavePlacement(IniFile& settings, const PlacementTarget& window);

// Applies the stored placement, state first and then the bounds. When it cannot be read (see
// ReadPlacement) nothing at all is applied and false is returned.
bool RestorePlacement(const IniFile& settings, PlacementTarget& window);

// Moves the window so that it is centred on the screen, keeping its size. Halves round toward
// zero, so a window larger than the screen gets a negative position.
void CentreOnScreen(PlacementTarget& window);

} // namespace velor
