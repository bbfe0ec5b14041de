// Every result view says in a line how to read it, and the out-of-date banner never pushes the
// value axis and its title out of view: the child window grows by the room the banner takes
// where the workspace has that room.
#include "views_fixture.h"

#include <QLabel>
#include <QScrollArea>

namespace velor::ui::test {
namespace {

TEST_F(ViewsTest, EveryResultViewSaysHowToReadIt) {
    OpenExample("car.vlr");
    // The Dominance view's legend reads its cells ("row dominates column").
    EXPECT_TRUE(ShowDominance()->Legend()->isVisible());
    const std::pair<QWidget*, const char*> views[] = {
        {ShowValueIntervals(), "from 0 (worst) to 1 (best)"},
        {ShowWeights(), "weights the statements allow"},
        {ShowDecisionRules(), "Possible Loss: the most the alternative can fall short of the best"},
    };
    for (const auto& [view, phrase] : views) {
        const auto* note = view->findChild<QLabel*>(QStringLiteral("ReadingNote"));
        ASSERT_NE(note, nullptr) << phrase;
        EXPECT_TRUE(note->isVisible() && note->text().contains(QString::fromUtf8(phrase))) << phrase;
    }
}

TEST_F(ViewsTest, TheOutOfDateBannerKeepsTheValueAxisInView) {
    OpenExample("car.vlr");
    window->resize(1280, 900);
    ValueIntervalsView* view = ShowValueIntervals();
    const auto* scroll = view->findChild<QScrollArea*>(QStringLiteral("ChartScroll"));
    const int needed = view->Chart()->minimumSizeHint().height();
    // At the size the view asks for, the whole chart is in view.
    ResizeWindow(view, 600, view->parentWidget()->sizeHint().height());
    EXPECT_GE(scroll->viewport()->height(), needed);
    // Just tall enough for the whole chart while the results are current.
    ResizeWindow(view, 600, 400);
    ResizeWindow(view, 600, 400 + needed - scroll->viewport()->height());
    ASSERT_EQ(scroll->viewport()->height(), needed);

    document().Apply("Typing", [](Model& m) { m.CommitCellText(3, 1, "EUR 21 500", false); });
    ASSERT_TRUE(document().ResultsOutOfDate());
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(view->findChild<QWidget*>(QStringLiteral("OutOfDateBanner"))->isVisible());
    EXPECT_GE(scroll->viewport()->height(), needed) << "the axis title stays in view";
}

} // namespace
} // namespace velor::ui::test
