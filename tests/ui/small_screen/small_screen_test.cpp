// The desktop application on a small screen: 1600 x 1000 pixels at scale factor 2, which the
// windows see as 800 x 500 (small_screen_main.cpp sets the scale and the offscreen screen up).
// Placements saved at scale 1, the start-up layout, the result views, the
// score dialog and the help window all stay within the screen.
#include "ui/gui_fixture.h"

#include "elicit/dialog_context.h"
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
#include <QStatusBar>

namespace velor::ui::test {
namespace {

QRect Screen() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

class SmallScreenTest : public GuiTest {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::primaryScreen()->geometry().size(), QSize(800, 500))
            << "runs on a 1600 x 1000 screen at scale factor 2";
        GuiTest::SetUp();
    }
    void Restart() {
        window.reset();
        window = MakeWindow();
        InstallResultViews(*window, prompts);
    }
    // Every child window of the workspace lies within it.
    void ExpectChildrenInside() {
        const QRect area = window->MdiArea()->viewport()->rect();
        for (const QMdiSubWindow* child : window->MdiArea()->subWindowList()) {
            if (child->isVisible()) {
                EXPECT_TRUE(area.contains(child->geometry()))
                    << child->objectName().toStdString() << " outside the workspace";
            }
        }
    }
};

TEST_F(SmallScreenTest, APlacementSavedAtScaleOneOpensWithinTheScreen) {
    {
        IniFile ini(SettingsPath());
        for (const auto& [name, rect] : {std::pair{"MainForm", QRect(0, 0, 1600, 970)},
                                         std::pair{"ValIntForm", QRect(600, 300, 900, 600)},
                                         std::pair{"DominanceForm", QRect(700, 400, 520, 300)}}) {
            ini.WriteSettingInt(name, "State", 0);
            ini.WriteSettingInt(name, "Left", rect.left());
            ini.WriteSettingInt(name, "Top", rect.top());
            ini.WriteSettingInt(name, "Height", rect.height());
            ini.WriteSettingInt(name, "Width", rect.width());
        }
    }
    Restart();
    EXPECT_TRUE(Screen().contains(window->frameGeometry()))
        << window->frameGeometry().width() << 'x' << window->frameGeometry().height();
    ASSERT_TRUE(window->OpenFile(QStringLiteral(VELOR_EXAMPLES_DIR "/car.vlr")));
    window->Action(QStringLiteral("ValueIntervals2"))->trigger(); // F8
    window->Action(QStringLiteral("Dominance1"))->trigger();      // F10
    ASSERT_NE(window->ResultViewWidget(ResultView::Dominance), nullptr);
    ExpectChildrenInside();
}

TEST_F(SmallScreenTest, TheStartUpLayoutFitsTheWorkspace) {
    Restart();
    EXPECT_TRUE(Screen().contains(window->frameGeometry()));
    EXPECT_LE(window->minimumSizeHint().width(), Screen().width());
    ExpectChildrenInside();
    // All three editors keep a usable size.
    for (const QMdiSubWindow* child : window->MdiArea()->subWindowList()) {
        EXPECT_GE(child->width(), 100) << child->objectName().toStdString();
        EXPECT_GE(child->height(), 60) << child->objectName().toStdString();
    }
}

TEST_F(SmallScreenTest, TheScoreDialogScrollsWithinTheScreen) {
    ASSERT_TRUE(window->OpenFile(QStringLiteral(VELOR_EXAMPLES_DIR "/car.vlr")));
    Model working = window->GetModel(); // the dialog works on a copy, as the program's does
    const elicit::DialogContext context{working, prompts, window.get()};
    const EntryId entry = working.Node(working.NodeByColumn(3)).Assessment;
    elicit::ScoreForm form(context, entry);
    form.show();
    EXPECT_LE(form.frameGeometry().height(), Screen().height());
    EXPECT_LE(form.frameGeometry().width(), Screen().width());
    // Everything can be reached: what does not show is within the scroll bars' range.
    auto* scroll = form.findChild<QScrollArea*>(QStringLiteral("ScoreScroll"));
    ASSERT_NE(scroll, nullptr);
    const QSize content = scroll->widget()->minimumSizeHint();
    EXPECT_GE(scroll->viewport()->height() + scroll->verticalScrollBar()->maximum(),
              content.height());
    EXPECT_GE(scroll->viewport()->width() + scroll->horizontalScrollBar()->maximum(),
              content.width());
}

TEST_F(SmallScreenTest, TheHelpWindowOpensWithinTheScreen) {
    window->HelpTopicsClick();
    ASSERT_NE(window->Help(), nullptr);
    EXPECT_TRUE(Screen().contains(window->Help()->frameGeometry()));
}

} // namespace
} // namespace velor::ui::test
