// Hands the five result views to the main window: each is created the first time its command
// (Windows menu, F8 to F12) shows it, and at most one of each exists.
#pragma once

#include "model/document.h"
#include "ui/main_window.h"

class QWidget;

namespace velor::ui {

class Prompts;

// A new, filled view of the given kind over the document's model.
QWidget* CreateResultView(ResultView view, const Document& document, Prompts& prompts);

// Registers the five views with the main window, which creates each on its command, keeps
// at most one of each, and restores and saves their placement.
void InstallResultViews(MainWindow& window, Prompts& prompts);

} // namespace velor::ui
