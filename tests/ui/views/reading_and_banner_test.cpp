// Every result view says in a line how to read it, and the out-of-date banner never pushes the
// value axis and its title out of view: the child window grows by the room the banner takes
// where the workspace has that room.
#include "views_fixture.h"

#include <QLabel>
#include <QScrollArea>

namespace velor::ui::test {
namespace {

const QLabel* ReadingNote(const QWidget* view) {
    return view->findChild<QLabel*>(QStringLiteral("ReadingNote"));
}

TEST_F(ViewsTest, EveryResultViewSaysHowToReadIt) {
    OpenExample("car.vlr");
    const std::pair<QWidget*, const char*> views[] = {
        {ShowValueIntervals(), "from 0 (worst) to 1 (best)"},
        {ShowWeights(), "weights the statements allow"},
        {ShowDecisionRules(), "Possible Loss: the most the alternative can fall short of the best"},
        {ShowDominance(), nullptr},
    };
    for (const auto& [view, phrase] : views) {
        ASSERT_NE(view, nullptr);
        if (phrase == nullptr) {
            // The matrix's legend reads its cells ("row dominates column").
            const auto* legend = view->findChild<QWidget*>(QStringLiteral("DominanceLegend"));
            ASSERT_NE(legend, nullptr);
            EXPECT_TRUE(legend->isVisible());
            continue;
        }
        const QLabel* note = ReadingNote(view);
        ASSERT_NE(note, nullptr) << view->objectName().toStdString();
        EXPECT_TRUE(note->isVisible()) << view->objectName().toStdString();
        EXPECT_TRUE(note->text().contains(QString::fromUtf8(phrase))) << note->text().toStdString();
    }
}

TEST_F(ViewsTest, TheOutOfDateBannerKeepsTheValueAxisInView) {
    OpenExample("car.vlr");
    window->resize(1280, 900);
    ValueIntervalsView* view = ShowValueIntervals();
    ASSERT_NE(view, nullptr);
    auto* scroll = view->findChild<QScrollArea*>(QStringLiteral("ChartScroll"));
    ASSERT_NE(scroll, nullptr);
    const int needed = view->Chart()->minimumSizeHint().height();
    // Just tall enough for the whole chart while the results are current.
    ResizeWindow(view, 600, 400);
    ResizeWindow(view, 600, 400 + needed - scroll->viewport()->height());
    ASSERT_EQ(scroll->viewport()->height(), needed);

    document().Apply("Typing", [](Model& m) { m.CommitCellText(3, 1, "EUR 21 500", false); });
    ASSERT_TRUE(document().ResultsOutOfDate());
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    const auto* banner = view->findChild<QWidget*>(QStringLiteral("OutOfDateBanner"));
    ASSERT_TRUE(banner->isVisible());
    EXPECT_GE(scroll->viewport()->height(), needed) << "the axis title stays in view";
}

// At the size the views ask for, the whole chart is in view, reading line and all.
TEST_F(ViewsTest, ChartViewsAskForRoomForTheWholeChart) {
    OpenExample("car.vlr");
    window->resize(1280, 900);
    for (IntervalChartView* view :
         std::initializer_list<IntervalChartView*>{ShowValueIntervals(), ShowWeights()}) {
        ASSERT_NE(view, nullptr);
        ResizeWindow(view, view->parentWidget()->sizeHint().width(),
                     view->parentWidget()->sizeHint().height());
        const auto* scroll = view->findChild<QScrollArea*>(QStringLiteral("ChartScroll"));
        EXPECT_GE(scroll->viewport()->height(), view->Chart()->minimumSizeHint().height())
            << view->objectName().toStdString();
    }
}

} // namespace
} // namespace velor::ui::test
