#include "model/window_placement.h"

#include "model/ini_document.h"
#include "model/ini_file.h"

#include <array>

namespace velor {

std::optional<WindowPlacement> ReadPlacement(const IniFile& settings, std::string_view section) {
    if (!settings.Exists())
        return std::nullopt;
    static constexpr std::array<const char*, 5> kKeys = {"State", "Left", "Top", "Height", "Width"};
    std::array<int, 5> values{};
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        const std::string text = settings.ReadSetting(section, kKeys[i]);
        if (text.empty())
            return std::nullopt;
        const std::optional<int> value = ParseSettingInt(text);
        if (!value)
            return std::nullopt;
        values[i] = *value;
    }
    const int state = values[0];
    if (state < 0 || state > 2 || values[3] <= 0 || values[4] <= 0)
        return std::nullopt;
    WindowPlacement placement;
    placement.state = static_cast<WindowState>(state);
    placement.bounds = {
        .left = values[1], .top = values[2], .width = values[4], .height = values[3]};
    return placement;
}

bool SavePlacement(IniFile& settings, const PlacementTarget& window) {
    const std::string section = window.PlacementName();
    const WindowBounds bounds = window.Bounds();
    IniFile::Batch batch(settings);
    const bool taken =
        settings.WriteSettingInt(section, "State", static_cast<int>(window.State())) &&
        settings.WriteSettingInt(section, "Left", bounds.left) &&
        settings.WriteSettingInt(section, "Top", bounds.top) &&
        settings.WriteSettingInt(section, "Height", bounds.height) &&
        settings.WriteSettingInt(section, "Width", bounds.width);
    return batch.Commit() && taken;
}

bool RestorePlacement(const IniFile& settings, PlacementTarget& window) {
    const std::optional<WindowPlacement> placement =
        ReadPlacement(settings, window.PlacementName());
    if (!placement)
        return false;
    window.SetState(placement->state);
    window.SetBounds(placement->bounds);
    return true;
}

void CentreOnScreen(PlacementTarget& window) {
    const ScreenSize screen = window.Screen();
    WindowBounds bounds = window.Bounds();
    // Computed in 64 bits: the difference of two ints can overflow an int.
    bounds.left = static_cast<int>((static_cast<long long>(screen.width) - bounds.width) / 2);
    bounds.top = static_cast<int>((static_cast<long long>(screen.height) - bounds.height) / 2);
    window.SetBounds(bounds);
}

} // namespace velor
