// Pictures of the five views for the user guide and the documentation. Runs only when
// VELOR_SCREENSHOT_DIR names a folder: the pictures go there as view-*.png.
//   VELOR_SCREENSHOT_DIR=docs/screenshots velor_views_tests --gtest_filter='*Screenshot*'
#include "views_fixture.h"

#include "ui/views/acceptability_view.h"
#include "ui/views/what_if_window.h"

#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QTabWidget>

namespace velor::ui::test {
namespace {

class ViewScreenshots : public ViewsTest {
protected:
    void SetUp() override {
        folder = qEnvironmentVariable("VELOR_SCREENSHOT_DIR");
        if (folder.isEmpty()) {
            GTEST_SKIP() << "VELOR_SCREENSHOT_DIR not set";
        }
        ViewsTest::SetUp();
        window->resize(1280, 900);
    }
    void Save(QWidget* view, const QString& name, QSize size) {
        QWidget* frame = view->parentWidget();
        frame->resize(size);
        QCoreApplication::sendPostedEvents();
        ASSERT_TRUE(QDir().mkpath(folder));
        EXPECT_TRUE(frame->grab().save(QDir(folder).filePath(name)));
    }
    QString folder;
};

TEST_F(ViewScreenshots, ExampleViews) {
    OpenExample("car.vlr");
    ValueIntervalsView* intervals = ShowValueIntervals();
    Save(intervals, QStringLiteral("view-value-intervals.png"), QSize(720, 420));
    WeightsView* weights = ShowWeights();
    Save(weights, QStringLiteral("view-weights.png"), QSize(640, 340));
    Save(ShowDominance(), QStringLiteral("view-dominance.png"), QSize(760, 230));
    Save(ShowDecisionRules(), QStringLiteral("view-decision-rules.png"), QSize(620, 250));
    prompts.textAnswers.push_back(QStringLiteral("10000"));
    window->Action(QStringLiteral("AcceptabilityAnalysis1"))->trigger();
    auto* acceptability =
        qobject_cast<AcceptabilityView*>(window->ResultViewWidget(ResultView::Acceptability));
    acceptability->SortBox()->setChecked(true);
    Save(acceptability, QStringLiteral("view-acceptability.png"), QSize(760, 420));
}

TEST_F(ViewScreenshots, CrowdedValueIntervals) {
    const NodeId top = model().AddNode(kGoal, kNone);
    model().RenameNode(top, "Where to build the new regional distribution centre");
    model().AddNode(kAttribute, top);
    for (int i = 1; i <= 20; ++i) {
        const int row = model().NewAlternative();
        std::string name = "Site " + std::to_string(i);
        if (i % 3 == 0) {
            name += " next to the motorway junction with rail access and room to grow";
        }
        model().CommitCellText(1, row, name, true);
        TNodeValue& v =
            ResultRecords(model()).NodeData(top).Values[static_cast<std::size_t>(row - 1)];
        v.Lower = 0.015 * i;
        v.Upper = std::min(1.0, 0.35 + 0.031 * i);
    }
    // Figures set by hand stand for a calculation of the main goal's values.
    ResultRecords(model()).Calculated().MainValues = {true, true};
    model().Notify(ModelChange::Results);
    Save(ShowValueIntervals(), QStringLiteral("view-value-intervals-crowded.png"), QSize(760, 640));
    Save(ShowDominance(), QStringLiteral("view-dominance-crowded.png"), QSize(760, 420));
}

// The main window after an edit of a calculated model: the Edit menu's Undo names the step, and
// the status bar and the open result view say that the results are out of date.
TEST_F(ViewScreenshots, UndoAndResultsOutOfDate) {
    OpenExample("car.vlr");
    window->resize(1100, 640);
    ValueIntervalsView* intervals = ShowValueIntervals();
    intervals->parentWidget()->setGeometry(0, 0, 640, 360);
    document().Apply("Typing", [](Model& m) { m.CommitCellText(3, 1, "EUR 21 500", false); });
    QCoreApplication::sendPostedEvents();
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_TRUE(window->grab().save(QDir(folder).filePath(QStringLiteral("undo-out-of-date.png"))));
}

// The What If window on a small car model: Arrow is fastest, Bison most comfortable, and both
// cost the same; what would make Arrow dominate Bison, and the tornado chart of the pair.
TEST_F(ViewScreenshots, WhatIf) {
    Model& m = model();
    const NodeId car = m.AddNode(kGoal, kNone);
    m.RenameNode(car, "Car");
    const NodeId speed = m.AddNode(kAttribute, car);
    const NodeId comfort = m.AddNode(kAttribute, car);
    const NodeId price = m.AddNode(kAttribute, car);
    m.RenameNode(speed, "Speed");
    m.RenameNode(comfort, "Comfort");
    m.RenameNode(price, "Price");
    const char* names[] = {"Arrow", "Bison", "Comet"};
    const char* levels[3][3] = {{"210 km/h", "170 km/h", "190 km/h"},
                                {"firm", "soft", "medium"},
                                {"EUR 31 000", "EUR 31 000", "EUR 27 500"}};
    for (int row = 1; row <= 3; ++row) {
        m.NewAlternative();
        m.CommitCellText(1, row, names[row - 1], false);
        for (int j = 0; j < 3; ++j) {
            m.CommitCellText(j + 2, row, levels[j][row - 1], false);
        }
    }
    m.StoreRanking(speed, {1, 3, 2}, {});
    m.StoreRanking(comfort, {3, 1, 2}, {});
    m.StoreRanking(price, {2, 2, 1}, {});
    m.SetTopDownWeights(false);
    m.StoreWeightBounds(false, {{speed, kReferenceWeight, kReferenceWeight},
                                {comfort, 50.0, 150.0},
                                {price, 40.0, 120.0}});
    m.RefreshAssessedStatus();
    window->Calculate(kCalculateModel);
    window->Action(QStringLiteral("WhatIf1"))->trigger();
    auto* whatIf = qobject_cast<WhatIfWindow*>(window->WhatIf());
    ASSERT_NE(whatIf, nullptr);
    whatIf->BetterCombo()->setCurrentIndex(0);
    whatIf->ThanCombo()->setCurrentIndex(1);
    whatIf->AnalyseClick();
    Save(whatIf, QStringLiteral("what-if.png"), QSize(760, 380));
    whatIf->Tabs()->setCurrentIndex(1);
    Save(whatIf, QStringLiteral("what-if-tornado.png"), QSize(760, 300));
    whatIf->Tabs()->setCurrentIndex(2);
    whatIf->StabilityClick();
    Save(whatIf, QStringLiteral("what-if-stability.png"), QSize(760, 300));
}

} // namespace
} // namespace velor::ui::test
