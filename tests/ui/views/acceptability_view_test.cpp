// The Acceptability view and its commands: Model > Acceptability Analysis... asks for the
// number of samples, runs with the progress dialog and opens the view (F12, Windows menu,
// toolbar); the analysis lives in the document, is marked out of date by an edit and current
// again by undo, and leaves the model unchanged; the chart prints, copies and saves like the
// interval charts.
#include "ui/progress_dialog.h"
#include "ui/views/acceptability_chart.h"
#include "ui/views/acceptability_view.h"
#include "views_fixture.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>

#include <cmath>
#include <random>
#include <set>

namespace velor::ui::test {
namespace {

class AcceptabilityViewTest : public ViewsTest {
protected:
    AcceptabilityView* View() {
        return qobject_cast<AcceptabilityView*>(
            window->ResultViewWidget(ResultView::Acceptability));
    }
    // Runs the analysis with the given answer to the samples prompt.
    void Analyse(const QString& samples) {
        prompts.textAnswers.push_back(samples);
        window->Action(QStringLiteral("AcceptabilityAnalysis1"))->trigger();
    }
    bool BannerShown() {
        QWidget* banner = View()->findChild<QWidget*>(QStringLiteral("OutOfDateBanner"));
        return banner != nullptr && banner->isVisibleTo(View());
    }
};

TEST_F(AcceptabilityViewTest, CommandsReachTheViewFromMenuKeyAndToolbar) {
    QAction* show = window->Action(QStringLiteral("Acceptability1"));
    ASSERT_NE(show, nullptr);
    EXPECT_EQ(show->shortcut(), QKeySequence(Qt::Key_F12));
    EXPECT_TRUE(show->isEnabled());
    const auto* windows = window->findChild<QMenu*>(QStringLiteral("WindowsMenu"));
    ASSERT_NE(windows, nullptr);
    EXPECT_TRUE(windows->actions().contains(show));
    const auto* modelMenu = window->findChild<QMenu*>(QStringLiteral("ModelMenu"));
    ASSERT_NE(modelMenu, nullptr);
    EXPECT_TRUE(modelMenu->actions().contains(window->Action("AcceptabilityAnalysis1")));
    EXPECT_NE(window->findChild<QWidget*>(QStringLiteral("ToolAcceptability1")), nullptr);

    OpenExample("car.vlr");
    show->trigger();
    ASSERT_NE(View(), nullptr);
    EXPECT_TRUE(View()->Info()->text().contains(QStringLiteral("No acceptability analysis")));
    EXPECT_EQ(View()->PairwiseTable()->rowCount(), 0);
    EXPECT_FALSE(BannerShown());
}

TEST_F(AcceptabilityViewTest, AnalysisFillsTheViewAndLeavesTheModelAlone) {
    OpenExample("car.vlr");
    const Model before = window->GetModel();
    Analyse(QStringLiteral("2000"));
    const AcceptabilityResult* result = window->GetDocument().Acceptability();
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->Samples, 2000);
    EXPECT_EQ(window->GetModel(), before);
    EXPECT_FALSE(window->GetDocument().Changed());
    EXPECT_FALSE(window->GetDocument().CanUndo()) << "an analysis is no edit";

    AcceptabilityView* view = View();
    ASSERT_NE(view, nullptr) << "the view opens with the result";
    EXPECT_TRUE(view->isVisible());
    EXPECT_TRUE(view->Info()->text().contains(QStringLiteral("seed 1")));
    EXPECT_EQ(view->Tabs()->count(), 3);
    const int m = before.M();
    QTableWidget* pairs = view->PairwiseTable();
    ASSERT_EQ(pairs->rowCount(), m);
    ASSERT_EQ(pairs->columnCount(), m);
    for (int a = 0; a < m; ++a) {
        EXPECT_EQ(pairs->verticalHeaderItem(a)->text(),
                  QString::fromStdString(before.AlternativeName(a + 1)));
        EXPECT_EQ(pairs->item(a, a)->text(), QStringLiteral("-"));
    }
    EXPECT_EQ(view->CentralWeightsTable()->columnCount(), before.AttributeCount());
    EXPECT_FALSE(BannerShown());
}

TEST_F(AcceptabilityViewTest, AnEditMarksTheAnalysisOutOfDateAndUndoMakesItCurrent) {
    OpenExample("car.vlr");
    Analyse(QStringLiteral("500"));
    ASSERT_NE(View(), nullptr);
    window->GetDocument().Apply("Typing",
                                [](Model& m) { m.CommitCellText(1, 1, "changed level", true); });
    EXPECT_TRUE(BannerShown());
    EXPECT_NE(window->GetDocument().Acceptability(), nullptr) << "still shown";
    window->UndoClick();
    EXPECT_FALSE(BannerShown());
    // A new model has no analysis.
    window->NewClick();
    EXPECT_EQ(window->GetDocument().Acceptability(), nullptr);
}

TEST_F(AcceptabilityViewTest, SampleCountsOutOfRangeAreRefusedAndCancelRunsNothing) {
    OpenExample("car.vlr");
    // Group separators are refused like decimals: "10,000" used to be read as ten thousand.
    for (const char* bad : {"50", "ten thousand", "1000000000", "10,000", "10.000"}) {
        prompts.messages.clear();
        Analyse(QString::fromLatin1(bad));
        EXPECT_EQ(window->GetDocument().Acceptability(), nullptr) << bad;
        ASSERT_EQ(prompts.messages.size(), 1u) << bad;
        EXPECT_TRUE(prompts.LastText().contains(QStringLiteral("number of samples"))) << bad;
    }
    prompts.textAnswers.push_back(std::nullopt);
    window->Action(QStringLiteral("AcceptabilityAnalysis1"))->trigger();
    EXPECT_EQ(window->GetDocument().Acceptability(), nullptr);
}

TEST_F(AcceptabilityViewTest, CancelKeepsThePreviousAnalysis) {
    OpenExample("car.vlr");
    Analyse(QStringLiteral("300"));
    const AcceptabilityResult* before = window->GetDocument().Acceptability();
    ASSERT_NE(before, nullptr);
    // Press Cancel once the sampling has moved the progress bar.
    ProgressDialog* dialog = window->Progress();
    auto pressed = QObject::connect(dialog->ProgressBar(), &QProgressBar::valueChanged, dialog,
                                    [dialog](int value) {
                                        if (value > 0) {
                                            dialog->CancelButton()->click();
                                        }
                                    });
    Analyse(QStringLiteral("1000000"));
    QObject::disconnect(pressed);
    EXPECT_EQ(window->GetDocument().Acceptability(), before);
    EXPECT_TRUE(prompts.LastText().contains(QStringLiteral("not finished")));
    EXPECT_EQ(prompts.messages.back().icon, Icon::Warning);
}

class AcceptabilityPictureTest : public AcceptabilityViewTest,
                                 public ::testing::WithParamInterface<const char*> {};

TEST_P(AcceptabilityPictureTest, ChartSavesInEveryFormat) {
    OpenExample("car.vlr");
    Analyse(QStringLiteral("300"));
    ASSERT_NE(View(), nullptr);
    const QString path =
        FilePath(QStringLiteral("acceptability.") + QString::fromLatin1(GetParam()));
    ASSERT_TRUE(View()->SavePicture(path));
    EXPECT_GT(QFileInfo(path).size(), 500);
}

INSTANTIATE_TEST_SUITE_P(Formats, AcceptabilityPictureTest, ::testing::Values("png", "svg", "pdf"));

TEST_F(AcceptabilityViewTest, ChartCopiesAndItsColoursTellTheRanksApart) {
    OpenExample("car.vlr");
    Analyse(QStringLiteral("300"));
    ASSERT_NE(View(), nullptr);
    ASSERT_TRUE(View()->CopyToClipboard());
    EXPECT_FALSE(prompts.clipboardImage.isNull());
    EXPECT_GE(prompts.clipboardImage.height(), View()->Chart()->minimumSizeHint().height());
    for (const int ranks : {2, 5, 40}) {
        QColor previous;
        for (int r = 1; r <= ranks; ++r) {
            const QColor colour = AcceptabilityChart::RankColour(r, ranks);
            EXPECT_NE(colour, previous) << r << " of " << ranks;
            previous = colour;
        }
    }
}

// Relative luminance plus 0.05, so that the ratio of two is their contrast.
double Luminance(const QColor& c) {
    const auto channel = [](int v) { return std::pow(v / 255.0, 2.2); }; // close enough here
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue()) +
           0.05;
}

// A sequential scale: lightness alone orders the ranks (which holds for every kind of colour
// blindness), and rank 2 is clearly lighter than rank 1 however many ranks there are.
TEST(AcceptabilityPalette, LightnessRisesWithTheRankAndRankTwoStandsApart) {
    for (int ranks = 2; ranks <= 200; ++ranks) {
        double previous = -1;
        for (int r = 1; r <= ranks; ++r) {
            const double l = Luminance(AcceptabilityChart::RankColour(r, ranks));
            // Neighbours among many ranks differ by less than 8-bit channels can show.
            EXPECT_GT(l, previous - 5e-4) << r << " of " << ranks;
            previous = l;
        }
        EXPECT_GE(Luminance(AcceptabilityChart::RankColour(2, ranks)) /
                      Luminance(AcceptabilityChart::RankColour(1, ranks)),
                  2.0)
            << ranks;
    }
}

TEST(AcceptabilityOrder, SortsByFirstRankThenByTheFollowingRanksStably) {
    std::mt19937 random(23);
    for (int round = 0; round < 300; ++round) {
        const std::size_t m = 1 + random() % 12;
        std::vector<std::vector<double>> shares(m, std::vector<double>(m));
        for (auto& row : shares) {
            std::generate(row.begin(), row.end(), [&] { return (random() % 3) / 4.0; }); // ties
        }
        const std::vector<int> order = AcceptabilityChart::FirstRankOrder(shares);
        ASSERT_EQ(std::set<int>(order.begin(), order.end()).size(), m);
        for (std::size_t i = 1; i < m; ++i) {
            // The running sums of the ranks decide in turn; all equal, the model's order does.
            const auto& a = shares[static_cast<std::size_t>(order[i - 1])];
            const auto& b = shares[static_cast<std::size_t>(order[i])];
            double sumA = 0;
            double sumB = 0;
            for (std::size_t k = 0; k < m && sumA == sumB; ++k) {
                sumA += a[k];
                sumB += b[k];
            }
            EXPECT_TRUE(sumA > sumB || (sumA == sumB && order[i - 1] < order[i]));
        }
    }
    EXPECT_EQ(AcceptabilityChart::FirstRankLabel(0.7321), QStringLiteral("first: 73.2 %"));
}

TEST_F(AcceptabilityViewTest, TabsSayHowToReadThemAndShowSharesAndWeightsInPercent) {
    OpenExample("car.vlr");
    Analyse(QStringLiteral("500"));
    AcceptabilityView* view = View();
    ASSERT_NE(view, nullptr);
    for (int tab = 0; tab < view->Tabs()->count(); ++tab) {
        view->Tabs()->setCurrentIndex(tab);
        const auto* note = view->Tabs()->widget(tab)->findChild<QLabel*>(QStringLiteral("ReadingNote"));
        ASSERT_NE(note, nullptr) << tab;
        EXPECT_TRUE(note->isVisible() && note->wordWrap()) << "a line that fits its tab";
    }
    // Compact hatchback (the first) ranks first in the car example; the pairwise shares too.
    EXPECT_TRUE(view->CentralWeightsTable()->item(0, 0)->text().endsWith(QStringLiteral(" %")));
    EXPECT_TRUE(view->PairwiseTable()->item(0, 1)->text().endsWith(QStringLiteral(" %")));
    const std::vector<int> modelOrder{0, 1, 2, 3, 4};
    EXPECT_EQ(view->Chart()->DrawnOrder(), modelOrder);
    view->SortBox()->setChecked(true);
    const auto& shares = window->GetDocument().Acceptability()->RankShares;
    EXPECT_EQ(view->Chart()->DrawnOrder(), AcceptabilityChart::FirstRankOrder(shares));
    EXPECT_EQ(view->Chart()->DrawnOrder().front(), 1) << "Family estate ranks first most often";
}

} // namespace
} // namespace velor::ui::test
