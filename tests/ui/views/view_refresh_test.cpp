// The views follow the model while they are open: calculations, edits of the tree and of the
// alternatives; each view exists at most once and closing it frees it.
#include "views_fixture.h"

#include "model/ini_file.h"
#include "ui/views/view_numbers.h"

#include <QFile>
#include <QPointer>

namespace velor::ui::test {
namespace {

TEST_F(ViewsTest, EachViewExistsAtMostOnce) {
    OpenExample("car.vlr");
    const QString actions[] = {QStringLiteral("ValueIntervals2"), QStringLiteral("Weights1"),
                               QStringLiteral("Dominance1"), QStringLiteral("DecisionRules1")};
    EXPECT_EQ(window->Action(actions[0])->shortcut(), QKeySequence(Qt::Key_F8));
    EXPECT_EQ(window->Action(actions[3])->shortcut(), QKeySequence(Qt::Key_F11));
    const int before = static_cast<int>(window->MdiArea()->subWindowList().size());
    for (int round = 0; round < 2; ++round) {
        for (const QString& name : actions) {
            window->Action(name)->trigger();
        }
    }
    EXPECT_EQ(window->MdiArea()->subWindowList().size(), before + 4);
    QWidget* intervals = window->ResultViewWidget(ResultView::ValueIntervals);
    window->Action(actions[0])->trigger();
    EXPECT_EQ(window->ResultViewWidget(ResultView::ValueIntervals), intervals);
    EXPECT_EQ(window->MdiArea()->activeSubWindow()->widget(), intervals) << "brought forward";

    // Closing frees the view; the command then makes a new one.
    QPointer<QWidget> closed = intervals;
    intervals->parentWidget()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closed.isNull());
    EXPECT_EQ(window->ResultViewWidget(ResultView::ValueIntervals), nullptr);
    EXPECT_NE(ShowValueIntervals(), nullptr);
}

TEST_F(ViewsTest, CalculationRefreshesEveryOpenView) {
    BuildSmallModel();
    ValueIntervalsView* intervals = ShowValueIntervals();
    WeightsView* weights = ShowWeights();
    DominanceView* dominance = ShowDominance();
    DecisionRulesView* decisions = ShowDecisionRules();
    EXPECT_EQ(dominance->Code(1, 2), kNotComputed);
    EXPECT_EQ(weights->Chart()->Bars()[0].mark, QStringLiteral("not calculated"));

    CalculateModel();
    EXPECT_EQ(dominance->Code(1, 1), kSelf);
    EXPECT_NE(dominance->Code(1, 2), kNotComputed);
    const TNodeData& priceData = model().Node(price);
    EXPECT_EQ(weights->Chart()->Bars()[0].mark,
              FormatValueRange(priceData.WeightLower, priceData.WeightUpper));
    const TNodeValue& v = model().Node(root).Values[0];
    EXPECT_EQ(intervals->Chart()->Bars()[0].mark, FormatValueRange(v.Lower, v.Upper));
    EXPECT_EQ(decisions->PossibleLoss(1), FormatThreeDecimals(model().Alternative(1).MaxRegret));
}

TEST_F(ViewsTest, TreeEditsWhileViewsAreOpen) {
    OpenExample("car.vlr");
    ValueIntervalsView* intervals = ShowValueIntervals();
    WeightsView* weights = ShowWeights();
    ShowDominance();
    ShowDecisionRules();
    intervals->Combo()->setCurrentIndex(1);
    weights->Combo()->setCurrentIndex(1);
    const NodeId costs = model().NodeAt(1);

    // Rename: the selector item changes, the choice stays, the title follows.
    model().RenameNode(costs, "Money");
    EXPECT_EQ(intervals->Combo()->itemText(1), QStringLiteral("Money"));
    EXPECT_EQ(intervals->Combo()->currentIndex(), 1);
    EXPECT_EQ(intervals->Chart()->Title(), QStringLiteral("Value Intervals: Money"));
    EXPECT_EQ(weights->Chart()->Title(), QStringLiteral("Weights: Money"));
    EXPECT_EQ(model().PreOrder().size(), static_cast<std::size_t>(intervals->Combo()->count()));

    // A new attribute under the chosen goal shows up in both selectors' sources.
    const int childrenBefore = static_cast<int>(weights->Chart()->Bars().size());
    const NodeId added = AddNode(costs, kAttribute, QStringLiteral("Insurance"));
    ASSERT_NE(added, kNone);
    EXPECT_EQ(intervals->Combo()->count(), model().NodeCount());
    EXPECT_EQ(static_cast<int>(weights->Chart()->Bars().size()), childrenBefore + 1);
    EXPECT_EQ(weights->Chart()->Bars().back().label, QStringLiteral("Insurance"));

    // Deleting the chosen goal's subtree: the index stays when valid, the chart follows.
    model().DeleteSubtree(costs);
    EXPECT_EQ(ComboItems(intervals->Combo()), NodeNames(model(), model().PreOrder()));
    EXPECT_EQ(ComboItems(weights->Combo()), NodeNames(model(), model().Goals()));
    EXPECT_EQ(intervals->Chart()->Title(),
              QStringLiteral("Value Intervals: ") + intervals->Combo()->currentText());

    // Converting, moving and clearing the whole tree.
    const NodeId safety = model().NodeAt(model().NodeCount() - 1);
    model().ConvertNode(safety);
    EXPECT_EQ(ComboItems(weights->Combo()), NodeNames(model(), model().Goals()));
    model().MoveNode(safety, model().Root(), Model::MoveMode::FirstChild);
    EXPECT_EQ(ComboItems(intervals->Combo()), NodeNames(model(), model().PreOrder()));
    prompts.answers.push_back(Answer::Yes);
    window->ClearValueTreeClick();
    EXPECT_EQ(intervals->Combo()->count(), 0);
    EXPECT_EQ(weights->Combo()->count(), 0);
    EXPECT_TRUE(intervals->Chart()->Bars().empty());
    EXPECT_TRUE(weights->Chart()->Title().isEmpty());
}

TEST_F(ViewsTest, AlternativeEditsWhileViewsAreOpen) {
    OpenExample("car.vlr");
    ValueIntervalsView* intervals = ShowValueIntervals();
    DominanceView* dominance = ShowDominance();
    DecisionRulesView* decisions = ShowDecisionRules();

    // Renaming through the main-goal column renames everywhere.
    model().CommitCellText(1, 2, "Station wagon", true);
    EXPECT_EQ(intervals->Chart()->Bars()[1].label, QStringLiteral("Station wagon"));
    EXPECT_EQ(dominance->RowName(2), QStringLiteral("Station wagon"));
    EXPECT_EQ(dominance->ColumnName(2), QStringLiteral("Station wagon"));
    EXPECT_EQ(decisions->RowName(2), QStringLiteral("Station wagon"));

    // A new alternative: one more bar, row and column; its pairs are not computed.
    const int row = model().NewAlternative();
    EXPECT_EQ(intervals->Chart()->Bars().size(), 6u);
    EXPECT_EQ(intervals->Chart()->Bars()[5].mark, QStringLiteral("0 ... 0"));
    EXPECT_EQ(dominance->Matrix()->rowCount(), 6);
    EXPECT_EQ(dominance->Code(row, 1), kNotComputed);
    EXPECT_EQ(decisions->Grid()->rowCount(), 6);
    EXPECT_EQ(intervals->Chart()->Bars()[0].position, 5.0);

    // Deleting an alternative: everything shrinks and the dominance codes are reset.
    ASSERT_EQ(dominance->Code(1, 1), kSelf);
    model().DeleteAlternative(3);
    EXPECT_EQ(intervals->Chart()->Bars().size(), 5u);
    EXPECT_EQ(intervals->Chart()->Bars()[2].label, QStringLiteral("Small SUV"));
    EXPECT_EQ(dominance->Matrix()->rowCount(), 5);
    EXPECT_EQ(decisions->RowName(3), QStringLiteral("Small SUV"));
    for (int r = 1; r <= 5; ++r) {
        for (int c = 1; c <= 5; ++c) {
            const auto expected = r == c ? kSelf : kNotComputed;
            EXPECT_EQ(dominance->Code(r, c), expected);
            EXPECT_EQ(model().Alternative(r).Dominance[static_cast<std::size_t>(c)], expected);
        }
    }

    // Duplicating, then clearing all alternatives.
    alts()->NewAlternativeClick();
    EXPECT_EQ(decisions->Grid()->rowCount(), 6);
    prompts.answers.push_back(Answer::Yes);
    window->ClearAlternativesClick();
    EXPECT_TRUE(intervals->Chart()->Bars().empty());
    EXPECT_EQ(dominance->Matrix()->rowCount(), 1);
    EXPECT_EQ(decisions->Grid()->rowCount(), 1);
}

// The first complete calculation of a model opens the views and says where the results are;
// later ones leave the windows as they are, until another model is opened.
TEST_F(ViewsTest, TheFirstCompleteCalculationOfAModelOpensItsResultViews) {
    for (const char* example : {"car.vlr", "supplier.vlr"}) {
        OpenExample(example);
        window->Calculate(kCalculateModel);
        EXPECT_EQ(prompts.LastText(), QStringLiteral("Calculation complete\nThe results are in the "
                                                     "Value Intervals and Decision Rules windows "
                                                     "(Windows menu, F8 to F12)."));
        EXPECT_NE(window->ResultViewWidget(ResultView::DecisionRules), nullptr);
        ASSERT_NE(window->ResultViewWidget(ResultView::ValueIntervals), nullptr);
        delete window->ResultViewWidget(ResultView::ValueIntervals)->parentWidget();
        window->Calculate(kCalculateModel);
        EXPECT_EQ(prompts.LastText(), QStringLiteral("Calculation complete"));
        EXPECT_EQ(window->ResultViewWidget(ResultView::ValueIntervals), nullptr);
    }
}

TEST_F(ViewsTest, OpeningAnotherModelKeepsTheViewsAndShowsItsResults) {
    OpenExample("car.vlr");
    QPointer<ValueIntervalsView> view = ShowValueIntervals();
    QPointer<DominanceView> dominance = ShowDominance();
    OpenExample("supplier.vlr");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(view.isNull() || dominance.isNull());
    EXPECT_EQ(view->Chart()->Bars().size(), static_cast<std::size_t>(model().M()));
    EXPECT_EQ(dominance->RowName(1), QString::fromStdString(model().AlternativeName(1)));
    // A file that cannot be read leaves an empty model, without views.
    EXPECT_FALSE(window->OpenFile(FilePath(QStringLiteral("missing.vlr"))));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(view.isNull());
}

TEST_F(ViewsTest, ViewRestoresItsSavedPlacement) {
    {
        IniFile ini(SettingsPath());
        ini.WriteSettingText("ValIntForm", "State", "0");
        ini.WriteSettingText("ValIntForm", "Left", "40");
        ini.WriteSettingText("ValIntForm", "Top", "30");
        ini.WriteSettingText("ValIntForm", "Height", "333");
        ini.WriteSettingText("ValIntForm", "Width", "444");
    }
    window = MakeWindow();
    InstallResultViews(*window, prompts);
    ValueIntervalsView* view = ShowValueIntervals();
    const QRect geometry = view->parentWidget()->geometry();
    EXPECT_EQ(geometry.size(), QSize(444, 333));
    EXPECT_EQ(geometry.topLeft(), QPoint(40, 30));
}

TEST_F(ViewsTest, WindowGoesWithViewsOpen) {
    OpenExample("car.vlr");
    ShowValueIntervals();
    ShowWeights();
    ShowDominance();
    ShowDecisionRules();
    window.reset(); // the views stop observing before the model goes
    SUCCEED();
}

} // namespace
} // namespace velor::ui::test

namespace velor::ui::test {
namespace {

TEST_F(ViewsTest, ClosedViewSavesItsPlacement) {
    OpenExample("car.vlr");
    DominanceView* view = ShowDominance();
    view->parentWidget()->setGeometry(25, 35, 410, 210);
    view->parentWidget()->close();
    const IniFile ini(SettingsPath());
    EXPECT_EQ(ini.ReadSetting("DominanceForm", "Width"), "410");
    EXPECT_EQ(ini.ReadSetting("DominanceForm", "Left"), "25");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // Opened again, it comes back there.
    view = ShowDominance();
    EXPECT_EQ(view->parentWidget()->geometry(), QRect(25, 35, 410, 210));
}

// What deleting an alternative leaves in the model does not depend on which views are open.
TEST_F(ViewsTest, DeletingAnAlternativeSavesTheSameFileWithOrWithoutTheDominanceView) {
    std::string saved[2];
    for (int withView = 0; withView < 2; ++withView) {
        OpenExample("car.vlr");
        if (withView == 1) {
            ASSERT_NE(ShowDominance(), nullptr);
        }
        model().DeleteAlternative(2);
        const QString path = FilePath(QStringLiteral("deleted%1.vlr").arg(withView));
        prompts.fileAnswers.push_back(path);
        ASSERT_TRUE(window->SaveAsClick());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        saved[withView] = file.readAll().toStdString();
        window->NewClick();
    }
    EXPECT_EQ(saved[0], saved[1]);
}

} // namespace
} // namespace velor::ui::test
