// The desktop application on a 1600 x 1000 screen at scale factor 2, which the windows see as
// 800 x 500 (small_screen_main.cpp sets the scale and the offscreen screen up).
#include "ui/gui_fixture.h"

#include "elicit/score_form.h"
#include "model/ini_file.h"
#include "ui/help_window.h"
#include "ui/views/result_views.h"

#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

namespace velor::ui::test {
namespace {

QRect Screen() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// Placements saved at scale 1, the main window's status bar and the views F8 and F10 open all
// stay within the screen and the workspace.
TEST_F(GuiTest, SavedPlacementsAndResultViewsFitASmallScreenAtScaleTwo) {
    ASSERT_EQ(QGuiApplication::primaryScreen()->geometry().size(), QSize(800, 500));
    window.reset();
    IniFile ini(SettingsPath());
    for (const auto& [name, r] : {std::pair{"MainForm", QRect(0, 0, 1600, 970)},
                                  std::pair{"ValIntForm", QRect(600, 300, 900, 600)}}) {
        for (const auto& [key, value] : {std::pair{"State", 0},
                                         {"Left", r.left()},
                                         {"Top", r.top()},
                                         {"Height", r.height()},
                                         {"Width", r.width()}}) {
            ini.WriteSettingInt(name, key, value);
        }
    }
    window = MakeWindow();
    InstallResultViews(*window, prompts);
    EXPECT_TRUE(Screen().contains(window->frameGeometry()));
    ASSERT_TRUE(window->OpenFile(QStringLiteral(VELOR_EXAMPLES_DIR "/car.vlr")));
    // Every panel of the status bar shown ("Results out of date" too), it still fits.
    document().Apply("Rename", [](Model& m) { m.RenameNode(m.Root(), "Choose"); });
    EXPECT_LE(window->minimumSizeHint().width(), Screen().width());
    window->Action(QStringLiteral("ValueIntervals2"))->trigger();
    window->Action(QStringLiteral("Dominance1"))->trigger();
    for (const QMdiSubWindow* child : window->MdiArea()->subWindowList()) {
        EXPECT_TRUE(window->MdiArea()->viewport()->rect().contains(child->geometry()))
            << child->objectName().toStdString();
    }
    window->HelpTopicsClick();
    EXPECT_TRUE(Screen().contains(window->Help()->frameGeometry()));
}

TEST_F(GuiTest, TheScoreDialogScrollsWithinASmallScreenAtScaleTwo) {
    ASSERT_TRUE(window->OpenFile(QStringLiteral(VELOR_EXAMPLES_DIR "/car.vlr")));
    Model working = window->GetModel();
    elicit::ScoreForm form({working, prompts, window.get()},
                           working.Node(working.NodeByColumn(3)).Assessment);
    form.show();
    EXPECT_TRUE(Screen().contains(form.frameGeometry()));
    // What does not show is within the scroll bars' range.
    auto* scroll = form.findChild<QScrollArea*>(QStringLiteral("ScoreScroll"));
    const QSize content = scroll->widget()->minimumSizeHint();
    EXPECT_GE(scroll->viewport()->height() + scroll->verticalScrollBar()->maximum(),
              content.height());
    EXPECT_GE(scroll->viewport()->width() + scroll->horizontalScrollBar()->maximum(),
              content.width());
}

} // namespace
} // namespace velor::ui::test
