// Hands the four result views to the main window: each is created the first time its command
// (Windows menu, F8 to F11) shows it, and at most one of each exists.
#pragma once

#include "model/model.h"
#include "ui/main_window.h"

#include <filesystem>

class QWidget;

namespace velor::ui {

class Prompts;

// A new, filled view of the given kind over the model.
QWidget* CreateResultView(ResultView view, Model& model, Prompts& prompts);

// Registers the four views with the main window. The views observe the window's model, so
// they are closed before the model goes away with the window. With a settings file, a view
// that the user closes saves its placement there ("ValIntForm", "WeightsForm",
// "DominanceForm", "DecisionForm"); the main window restores it when the view opens again.
void InstallResultViews(MainWindow& window, Prompts& prompts,
                        std::filesystem::path settingsFile = {});

} // namespace velor::ui
