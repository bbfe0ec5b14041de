// The Dominance and Decision Rules views: what each cell shows, the headers and the sizing
// rules of the two grids.
#include "views_fixture.h"

#include "ui/views/result_grid.h"

#include <QHeaderView>
#include <QStyle>

namespace velor::ui::test {
namespace {

TEST_F(ViewsTest, DominanceShowsTheStoredCodeOfEveryPair) {
    OpenExample("car.vlr");
    DominanceView* view = ShowDominance();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->windowTitle(), QStringLiteral("Dominance"));
    ASSERT_EQ(view->findChild<ResultGrid*>(QStringLiteral("DMatrix")), view->Matrix());
    const int m = model().M();
    EXPECT_EQ(view->Matrix()->rowCount(), m);
    EXPECT_EQ(view->Matrix()->columnCount(), m);
    int seen[5] = {};
    for (int r = 1; r <= m; ++r) {
        EXPECT_EQ(view->RowName(r), QString::fromStdString(model().AlternativeName(r)));
        EXPECT_EQ(view->ColumnName(r), QString::fromStdString(model().AlternativeName(r)));
        for (int c = 1; c <= m; ++c) {
            const int code = model().Alternative(r).Dominance[static_cast<std::size_t>(c)];
            EXPECT_EQ(view->Code(r, c), code) << r << "," << c;
            EXPECT_EQ(view->HasSymbol(r, c), code != kNeither) << r << "," << c;
            ++seen[code];
        }
        EXPECT_EQ(view->Code(r, r), kSelf);
    }
    EXPECT_GT(seen[kDominates], 0) << "the example has a dominance to show";
    EXPECT_EQ(seen[kDominates], seen[kDominated]);
}

// The row names wider than the header column and, unless only rows are asked for, the column
// names that fit their column neither on one line nor, where the header row has room for them,
// on two.
QStringList NamesCutOff(const DominanceView& view, bool rowsOnly = false) {
    const ResultGrid* grid = view.Matrix();
    const int margin = 2 * grid->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, grid);
    const QFontMetrics rows(grid->RowHeader()->font());
    const QFontMetrics columns(grid->ColumnHeader()->font());
    const int lines = grid->HeaderRowHeight() / columns.lineSpacing();
    QStringList cut;
    for (int i = 1; i <= grid->rowCount(); ++i) {
        if (rows.horizontalAdvance(view.RowName(i)) + margin > grid->HeaderColumnWidth()) {
            cut << view.RowName(i);
        }
        const int room = grid->columnWidth(i - 1) - margin;
        const QRect text =
            columns.boundingRect(QRect(0, 0, room, 1000), Qt::TextWordWrap, view.ColumnName(i));
        if (!rowsOnly &&
            (text.width() > room || text.height() > std::min(lines, 2) * columns.lineSpacing())) {
            cut << view.ColumnName(i);
        }
    }
    return cut;
}

TEST_F(ViewsTest, DominanceShowsEveryNameInFullAtItsCreationSize) {
    for (const char* example : {"car.vlr", "supplier.vlr", "job_offers.vlr"}) {
        OpenExample(example);
        DominanceView* view = ShowDominance();
        const QSize size = view->parentWidget()->sizeHint();
        ResizeWindow(view, size.width(), size.height());
        EXPECT_EQ(NamesCutOff(*view), QStringList()) << example;
        view->parentWidget()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(ViewsTest, DominanceGridFollowsItsSizingRules) {
    OpenExample("car.vlr"); // 5 alternatives, k = 6
    DominanceView* view = ShowDominance();
    // The window opens at (M + 1) x 85 + 1 by (M + 1) x 25 + 1, with room for the legend, and
    // wider where the names need it.
    const QSize legend = view->Legend()->sizeHint();
    EXPECT_GE(view->sizeHint().width(), std::max(6 * 85 + 1, legend.width()));
    EXPECT_EQ(view->sizeHint().height(), 6 * 25 + 1 + legend.height());
    ResultGrid* grid = view->Matrix();

    // Narrow: default sizes, but the header column shows the names.
    ResizeWindow(view, 300, 140);
    EXPECT_EQ(grid->columnWidth(0), 84);
    EXPECT_EQ(grid->rowHeight(0), 24);
    EXPECT_GE(grid->HeaderColumnWidth(), 84);
    EXPECT_EQ(NamesCutOff(*view, true), QStringList());

    // Wide and tall: columns W / k - 1, the header column takes the remainder less 3.
    ResizeWindow(view, 900, 400);
    const int w = grid->width();
    const int h = grid->height();
    ASSERT_GT(w / 6 - 1, 83);
    EXPECT_EQ(grid->columnWidth(3), w / 6 - 1);
    EXPECT_EQ(grid->HeaderColumnWidth(), w / 6 - 1 + w % 6 - 3);
    ASSERT_GE(h / 6 - 1, 24);
    EXPECT_EQ(grid->rowHeight(2), h / 6 - 1);
    EXPECT_EQ(grid->HeaderRowHeight(), h / 6 - 1 + h % 6 - 3);
}

TEST_F(ViewsTest, DominanceWithFewAlternatives) {
    BuildSmallModel();
    DominanceView* view = ShowDominance();
    const QSize legend = view->Legend()->sizeHint();
    EXPECT_EQ(view->sizeHint(),
              QSize(std::max(3 * 85 + 1, legend.width()), 3 * 25 + 1 + legend.height()))
        << "M + 1 taken as 3";
    // Not calculated yet: "not computed" off the diagonal, the diagonal too (code 4 default).
    EXPECT_EQ(view->Code(1, 2), kNotComputed);
    EXPECT_TRUE(view->HasSymbol(1, 2));

    // No alternatives: one plain empty cell, no headers.
    prompts.answers.push_back(Answer::Yes);
    window->ClearAlternativesClick();
    EXPECT_EQ(view->Matrix()->rowCount(), 1);
    EXPECT_EQ(view->Matrix()->columnCount(), 1);
    EXPECT_FALSE(view->Matrix()->horizontalHeader()->isVisible());
    EXPECT_EQ(view->Code(1, 1), -1);
}

TEST_F(ViewsTest, DominanceSaysSoWhenNoAlternativeDominatesAnother) {
    OpenExample("car.vlr");
    DominanceView* view = ShowDominance();
    EXPECT_TRUE(view->Matrix()->isVisibleTo(view));
    EXPECT_TRUE(view->Legend()->isVisibleTo(view));
    EXPECT_FALSE(view->NoDominanceNote()->isVisibleTo(view));
    // Every pair computed, none dominating (ties and crossing intervals): the note instead.
    for (int r = 1; r <= model().M(); ++r) {
        auto& codes = ResultRecords(model()).AlternativeData(r).Dominance;
        for (int c = 1; c <= model().M(); ++c) {
            codes[static_cast<std::size_t>(c)] = c == r ? kSelf : kNeither;
        }
    }
    model().Notify(ModelChange::Results);
    EXPECT_FALSE(view->Matrix()->isVisibleTo(view));
    EXPECT_TRUE(view->NoDominanceNote()->isVisibleTo(view));
    EXPECT_EQ(view->NoDominanceNote()->text(), QStringLiteral("No alternative dominates another."));
    // A pair not computed yet is not "no dominance".
    ResultRecords(model()).AlternativeData(1).Dominance[2] = kNotComputed;
    model().Notify(ModelChange::Results);
    EXPECT_TRUE(view->Matrix()->isVisibleTo(view));
}

TEST_F(ViewsTest, DecisionRulesShowMarksAndPossibleLoss) {
    OpenExample("car.vlr");
    DecisionRulesView* view = ShowDecisionRules();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->windowTitle(), QStringLiteral("Decision Rules"));
    ASSERT_EQ(view->findChild<ResultGrid*>(QStringLiteral("DecisionGrid")), view->Grid());
    EXPECT_EQ(view->Grid()->columnCount(), 5);
    EXPECT_EQ(view->Grid()->rowCount(), 5);
    const QStringList titles = {QStringLiteral("Maximax"), QStringLiteral("Maximin"),
                                QStringLiteral("Central Values"), QStringLiteral("Minimax Regret"),
                                QStringLiteral("Possible Loss")};
    for (int c = 1; c <= 5; ++c) {
        EXPECT_EQ(view->ColumnTitle(c), titles[c - 1]);
    }
    // Compact hatchback: Maximin; Family estate: Maximax and Central Values; Hybrid sedan:
    // Minimax Regret.
    EXPECT_EQ(view->RowName(1), QStringLiteral("Compact hatchback"));
    EXPECT_TRUE(view->Marked(1, kMaximin));
    EXPECT_FALSE(view->Marked(1, kMaximax));
    EXPECT_TRUE(view->Marked(2, kMaximax));
    EXPECT_TRUE(view->Marked(2, kCentralValues));
    EXPECT_TRUE(view->Marked(3, kMinimaxRegret));
    for (int rule = 0; rule < 4; ++rule) {
        EXPECT_FALSE(view->Marked(4, rule));
    }
    EXPECT_EQ(view->PossibleLoss(1), QStringLiteral("0.512"));
    EXPECT_EQ(view->PossibleLoss(2), QStringLiteral("0.500")) << "always three decimals";
    for (int r = 1; r <= model().M(); ++r) {
        for (int rule = 0; rule < 4; ++rule) {
            EXPECT_EQ(view->Marked(r, rule),
                      model().Alternative(r).Recommended[static_cast<std::size_t>(rule)] == 1);
        }
    }
}

TEST_F(ViewsTest, DecisionRulesShowTiesAndSeveralMarksPerRow) {
    BuildSmallModel();
    DecisionRulesView* view = ShowDecisionRules();
    ResultRecords(model()).AlternativeData(1).Recommended = {1, 1, 1, 1};
    ResultRecords(model()).AlternativeData(1).MaxRegret = 0.0;
    ResultRecords(model()).AlternativeData(2).Recommended = {1, 0, 0, 0};
    ResultRecords(model()).AlternativeData(2).MaxRegret = 0.12345;
    ResultRecords(model()).Calculated().Dominance = true;
    model().Notify(ModelChange::Results);
    for (int rule = 0; rule < 4; ++rule) {
        EXPECT_TRUE(view->Marked(1, rule));
    }
    EXPECT_TRUE(view->Marked(2, kMaximax)) << "a tie marks both rows";
    EXPECT_FALSE(view->Marked(2, kMaximin));
    EXPECT_EQ(view->PossibleLoss(1), QStringLiteral("0.000"));
    EXPECT_EQ(view->PossibleLoss(2), QStringLiteral("0.123"));
}

TEST_F(ViewsTest, DecisionGridFollowsItsSizingRules) {
    OpenExample("car.vlr");
    DecisionRulesView* view = ShowDecisionRules();
    EXPECT_GE(view->sizeHint().width(), 502);
    EXPECT_GE(view->sizeHint().height(), 6 * 26);
    ResultGrid* grid = view->Grid();
    ResizeWindow(view, 420, 140);
    ASSERT_LT(grid->width(), 489);
    // The name column shows the longest name; the rule columns keep 80 pixels.
    const QFontMetrics fm(grid->RowHeader()->font());
    EXPECT_GT(grid->HeaderColumnWidth(), fm.horizontalAdvance(QStringLiteral("Electric city car")));
    EXPECT_EQ(grid->columnWidth(4), 80);
    const int rowHeight = grid->rowHeight(0);
    EXPECT_GE(rowHeight, 24);
    ResizeWindow(view, 700, 260);
    ASSERT_EQ(grid->UsableWidth(grid->HeaderRowHeight() + 5 * grid->rowHeight(0)), grid->width());
    EXPECT_EQ(grid->HeaderColumnWidth(), grid->width() - 409);
    // The cells and the column headers start where the header column ends.
    EXPECT_EQ(grid->viewport()->geometry().left(), grid->verticalHeader()->geometry().right() + 1);
    EXPECT_EQ(grid->horizontalHeader()->geometry().left(), grid->viewport()->geometry().left());
    // Rows keep the height of their text instead of stretching with the window.
    EXPECT_EQ(grid->rowHeight(0), rowHeight);
    // Rule names too wide for 80 pixels wrap onto a taller header row instead of being cut.
    EXPECT_GE(grid->HeaderRowHeight(), 2 * grid->fontMetrics().lineSpacing());
    EXPECT_EQ(grid->columnWidth(0), 80);
}

// At the size a view is created with, no row is cut off, however many alternatives there are
// (within the screen).
class DecisionRulesAtCreation : public ViewsTest, public ::testing::WithParamInterface<int> {};

TEST_P(DecisionRulesAtCreation, ShowsEveryRowInFull) {
    model().AddNode(kGoal, kNone);
    for (int i = 0; i < GetParam(); ++i) {
        model().NewAlternative();
    }
    DecisionRulesView* view = ShowDecisionRules();
    QCoreApplication::sendPostedEvents();
    ResultGrid* grid = view->Grid();
    ASSERT_EQ(grid->rowCount(), GetParam());
    const QRect visible = grid->viewport()->rect();
    for (int r = 0; r < grid->rowCount(); ++r) {
        EXPECT_TRUE(visible.contains(grid->visualRect(grid->model()->index(r, 0))))
            << "row " << r << " of " << GetParam();
    }
    EXPECT_GE(grid->HeaderRowHeight(), grid->ColumnHeader()->WrappedHeight());
}

INSTANTIATE_TEST_SUITE_P(FewAndMany, DecisionRulesAtCreation, ::testing::Values(3, 12));

TEST_F(ViewsTest, DecisionRulesWithoutAlternativesKeepOneEmptyRow) {
    BuildSmallModel();
    DecisionRulesView* view = ShowDecisionRules();
    prompts.answers.push_back(Answer::Yes);
    window->ClearAlternativesClick();
    EXPECT_EQ(view->Grid()->rowCount(), 1);
    EXPECT_TRUE(view->PossibleLoss(1).isEmpty());
    EXPECT_FALSE(view->Marked(1, kMaximax));
}

} // namespace
} // namespace velor::ui::test
