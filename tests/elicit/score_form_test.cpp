#include "elicit/score_form.h"

#include "elicit/dialog_result.h"
#include "elicit_gui_support.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace velor::elicit::test {
namespace {

using ui::test::ScriptedPrompts;

class ScoreFormTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(prompts.Done()) << "scripted answers left over"; }
    ScriptedPrompts prompts;
};

TEST_F(ScoreFormTest, RankThreeLevelsAddARecommendedStatementAndStoreOnOk) {
    SmallModel s({"high", "medium", "low"});
    ScoreForm form({s.model, prompts}, s.Entry());
    form.show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Score Assessment: Comfort"));
    auto* tabs = Find<QTabWidget>(&form, "TabCtrl");
    EXPECT_EQ(tabs->currentIndex(), 0) << "something to rank";
    auto* unranked = Find<QListWidget>(&form, "UnrankedList");
    auto* ranked = Find<QListWidget>(&form, "RankedList");
    auto* rank = Find<QPushButton>(&form, "LessButton");
    EXPECT_EQ(Texts(unranked), (QStringList{QStringLiteral("high"), QStringLiteral("low"),
                                            QStringLiteral("medium")}));
    EXPECT_FALSE(rank->isEnabled());

    ClickRow(unranked, 0); // high
    EXPECT_TRUE(rank->isEnabled());
    QTest::mouseClick(rank, Qt::LeftButton);
    ClickRow(unranked, 1); // medium
    QTest::mouseClick(rank, Qt::LeftButton);
    ClickRow(unranked, 0); // low
    QTest::mouseClick(rank, Qt::LeftButton);
    EXPECT_EQ(Texts(ranked), (QStringList{QStringLiteral("(1) high"), QStringLiteral("(2) medium"),
                                          QStringLiteral("(3) low")}));
    EXPECT_FALSE(rank->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(&form, "UpButton")->isEnabled()) << "no ranked selection";

    tabs->setCurrentIndex(1);
    auto* recommendations = Find<QTreeWidget>(&form, "RecomView");
    auto* add = Find<QPushButton>(&form, "AddButton");
    ASSERT_TRUE(recommendations->isEnabled());
    ASSERT_EQ(recommendations->topLevelItemCount(), 1);
    EXPECT_EQ(recommendations->topLevelItem(0)->text(0),
              QStringLiteral("From (2) medium to (1) high"));
    EXPECT_EQ(recommendations->topLevelItem(0)->text(1),
              QStringLiteral("From (3) low to (2) medium"));
    EXPECT_FALSE(add->isEnabled());
    ClickRow(recommendations, 0);
    EXPECT_TRUE(add->isEnabled());

    auto ran = OnCardinalForm([](CardinalForm& ratio) {
        EXPECT_FALSE(Find<QComboBox>(&ratio, "NumCombo")->isEnabled()) << "fixed differences";
        EXPECT_EQ(Find<QComboBox>(&ratio, "NumCombo")->currentText(),
                  QStringLiteral("From (2) medium to (1) high"));
        QTest::keyClicks(Find<QLineEdit>(&ratio, "LMultEdit"), QStringLiteral("2"));
        EXPECT_TRUE(Find<QRadioButton>(&ratio, "LBYes")->isChecked());
        QTest::keyClicks(Find<QLineEdit>(&ratio, "UMultEdit"), QStringLiteral("4"));
        QTest::mouseClick(Find<QPushButton>(&ratio, "OKButton"), Qt::LeftButton);
        EXPECT_FALSE(ratio.isVisible());
    });
    QTest::mouseClick(add, Qt::LeftButton);
    EXPECT_TRUE(*ran);

    auto* given = Find<QTreeWidget>(&form, "CardPrefView");
    ASSERT_EQ(given->topLevelItemCount(), 1);
    EXPECT_EQ(given->topLevelItem(0)->text(2), QStringLiteral("2"));
    EXPECT_EQ(given->topLevelItem(0)->text(3), QStringLiteral("4"));
    EXPECT_EQ(recommendations->topLevelItemCount(), 0) << "the proposal left the list";
    EXPECT_EQ(s.model.Rank(s.Column(), 1), 0) << "nothing stored before OK";

    QTest::mouseClick(Find<QPushButton>(&form, "OKButton"), Qt::LeftButton);
    EXPECT_EQ(form.result(), kResultOk);
    EXPECT_EQ(s.model.Rank(s.Column(), 1), 1);
    EXPECT_EQ(s.model.Rank(s.Column(), 2), 2);
    EXPECT_EQ(s.model.Rank(s.Column(), 3), 3);
    const auto& statements = s.model.Preference(s.attribute)->Statements;
    ASSERT_EQ(statements.size(), 1u);
    const AltId a1 = s.model.AlternativeId(1), a2 = s.model.AlternativeId(2),
                a3 = s.model.AlternativeId(3);
    EXPECT_EQ(statements[0], (TCardinalStatement{a1, a2, a2, a3, 2, 4}));
    EXPECT_EQ(s.model.Entry(s.Entry())->Status, AssessmentStatus::Yes);
    EXPECT_TRUE(prompts.messages.empty()) << "feasible: no question";
}

// Ranks 1, 2, 3 with "high - medium at least 3 times medium - low" stored; the decision maker
// adds the reverse statement, which leaves no feasible value for the middle level.
class InfeasibleOkTest : public ScoreFormTest {
protected:
    SmallModel s{{"high", "medium", "low"}};
    void SetUp() override {
        const AltId a1 = s.model.AlternativeId(1), a2 = s.model.AlternativeId(2),
                    a3 = s.model.AlternativeId(3);
        s.model.StoreRanking(s.attribute, {1, 2, 3}, {{a1, a2, a2, a3, 3, -1}});
    }
    void AddReverseStatement(ScoreForm& form) {
        auto ran = OnCardinalForm([](CardinalForm& ratio) {
            auto* num = Find<QComboBox>(&ratio, "NumCombo");
            auto* den = Find<QComboBox>(&ratio, "DenomCombo");
            ASSERT_TRUE(num->isEnabled());
            num->setCurrentIndex(num->findText(QStringLiteral("From (3) low to (2) medium")));
            den->setCurrentIndex(den->findText(QStringLiteral("From (2) medium to (1) high")));
            QTest::keyClicks(Find<QLineEdit>(&ratio, "LMultEdit"), QStringLiteral("3"));
            QTest::mouseClick(Find<QPushButton>(&ratio, "OKButton"), Qt::LeftButton);
        });
        QTest::mouseClick(Find<QPushButton>(&form, "NewButton"), Qt::LeftButton);
        EXPECT_TRUE(*ran);
    }
};

TEST_F(InfeasibleOkTest, AnsweredNoKeepsTheStatementsAndDisablesCancel) {
    ScoreForm form({s.model, prompts}, s.Entry());
    form.show();
    EXPECT_EQ(Find<QTabWidget>(&form, "TabCtrl")->currentIndex(), 1) << "all levels ranked";
    AddReverseStatement(form);
    ASSERT_EQ(Find<QTreeWidget>(&form, "CardPrefView")->topLevelItemCount(), 2);

    prompts.answers.push_back(ui::Answer::No);
    QTest::mouseClick(Find<QPushButton>(&form, "OKButton"), Qt::LeftButton);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].caption, QStringLiteral("Model Feasibility Check"));
    EXPECT_EQ(prompts.messages[0].buttons, ui::Buttons::YesNo);
    EXPECT_EQ(prompts.messages[0].icon, ui::Icon::Warning);
    EXPECT_FALSE(prompts.messages[0].text.contains(QStringLiteral("elicitation tour")));
    EXPECT_TRUE(form.isVisible()) << "the dialog stays open";
    EXPECT_FALSE(Find<QPushButton>(&form, "CancelButton")->isEnabled());
    EXPECT_EQ(s.model.Preference(s.attribute)->Statements.size(), 2u) << "already stored";

    form.reject(); // Escape does nothing while Cancel is disabled
    EXPECT_TRUE(form.isVisible());

    // Removing the new statement and pressing OK again closes with OK.
    auto* given = Find<QTreeWidget>(&form, "CardPrefView");
    ClickRow(given, 1);
    QTest::mouseClick(Find<QPushButton>(&form, "RemoveButton"), Qt::LeftButton);
    QTest::mouseClick(Find<QPushButton>(&form, "OKButton"), Qt::LeftButton);
    EXPECT_EQ(form.result(), kResultOk);
    EXPECT_EQ(s.model.Preference(s.attribute)->Statements.size(), 1u);
}

TEST_F(InfeasibleOkTest, AnsweredYesOnTheTourAborts) {
    ScoreForm form({s.model, prompts}, s.Entry(), 2, 4);
    form.show();
    AddReverseStatement(form);
    prompts.answers.push_back(ui::Answer::Yes);
    QTest::mouseClick(Find<QPushButton>(&form, "OKButton"), Qt::LeftButton);
    EXPECT_EQ(form.result(), kResultAbort);
    EXPECT_TRUE(
        prompts.LastText().contains(QStringLiteral("This will quit the elicitation tour.")));
}

TEST_F(ScoreFormTest, TourButtonsAndResults) {
    SmallModel s({"a", "b"});
    ScoreForm first({s.model, prompts}, s.Entry(), 1, 3);
    first.show();
    EXPECT_EQ(Find<QPushButton>(&first, "CancelButton")->text(), QStringLiteral("&Skip >>"));
    EXPECT_FALSE(Find<QPushButton>(&first, "BackButton")->isEnabled()) << "step 1";
    QTest::mouseClick(Find<QPushButton>(&first, "AbortButton"), Qt::LeftButton);
    EXPECT_EQ(first.result(), kResultAbort);

    ScoreForm last({s.model, prompts}, s.Entry(), 3, 3);
    last.show();
    QTest::mouseClick(Find<QPushButton>(&last, "BackButton"), Qt::LeftButton);
    EXPECT_EQ(last.result(), kResultBack);

    ScoreForm plain({s.model, prompts}, s.Entry());
    plain.show();
    EXPECT_FALSE(Find<QPushButton>(&plain, "BackButton")->isVisible());
    EXPECT_FALSE(Find<QPushButton>(&plain, "AbortButton")->isVisible());
    ClickRow(Find<QListWidget>(&plain, "UnrankedList"), 0);
    QTest::mouseClick(Find<QPushButton>(&plain, "LessButton"), Qt::LeftButton);
    QTest::mouseClick(Find<QPushButton>(&plain, "CancelButton"), Qt::LeftButton);
    EXPECT_EQ(plain.result(), kResultCancel);
    EXPECT_EQ(s.model.Rank(s.Column(), 1), 0) << "Cancel stores nothing";
    Document document;
    document.Reset(s.model, "");
    EXPECT_EQ(ShowScoreAssessment({document, prompts}, s.model.BottomUpEntry()), kResultCancel)
        << "not a score entry: nothing opens";
    EXPECT_FALSE(document.CanUndo());
}

// A statement opened from the conflict list lands where it is made: a ratio statement on its
// row of the cardinal page, a ranked or unranked level on its row of the ordinal page.
TEST_F(ScoreFormTest, OpensOnTheStatementAsked) {
    SmallModel s({"high", "medium", "low", "none"});
    const AltId a1 = s.model.AlternativeId(1), a2 = s.model.AlternativeId(2),
                a3 = s.model.AlternativeId(3);
    s.model.StoreRanking(s.attribute, {1, 2, 3, 0},
                         {{a1, a2, a2, a3, 0.5, 2.0}, {a2, a3, a1, a2, 0.5, 2.0}});
    ScoreForm form({s.model, prompts}, s.Entry());
    auto* tabs = Find<QTabWidget>(&form, "TabCtrl");
    form.ShowStatement(kNone, 1);
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_EQ(Find<QTreeWidget>(&form, "CardPrefView")
                  ->indexOfTopLevelItem(Find<QTreeWidget>(&form, "CardPrefView")->currentItem()),
              1);
    form.ShowStatement(a2, -1);
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(Find<QListWidget>(&form, "RankedList")->currentRow(), 1);
    form.ShowStatement(s.model.AlternativeId(4), -1);
    EXPECT_EQ(Find<QListWidget>(&form, "UnrankedList")->currentRow(), 0);
}

TEST_F(ScoreFormTest, ModelWithoutAlternativesOpensOnTheCardinalPage) {
    SmallModel s({});
    ScoreForm form({s.model, prompts}, s.Entry());
    form.show();
    EXPECT_EQ(Find<QTabWidget>(&form, "TabCtrl")->currentIndex(), 1);
    EXPECT_FALSE(Find<QComboBox>(&form, "RecomCombo")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(&form, "NewButton")->isEnabled());
    QTest::mouseClick(Find<QPushButton>(&form, "OKButton"), Qt::LeftButton);
    EXPECT_EQ(form.result(), kResultOk);
    EXPECT_TRUE(s.model.Preference(s.attribute)->Statements.empty());
}

} // namespace
} // namespace velor::elicit::test

namespace velor::elicit::test {
namespace {

// Pictures of the two dialogs for the user guide, written only when VELOR_SCREENSHOT_DIR names
// a folder.
TEST(ElicitScreenshots, ScoreAndCardinalForms) {
    const QString dir = qEnvironmentVariable("VELOR_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "VELOR_SCREENSHOT_DIR not set";
    ui::test::ScriptedPrompts prompts;
    SmallModel s({"Leather, heated", "Cloth", "Leather", "Cloth", "Vinyl", ""});
    s.model.RenameNode(s.attribute, "Seats");
    const NodeId comfort = s.model.AddNode(kGoal, s.model.Root());
    s.model.RenameNode(comfort, "Comfort");
    s.model.MoveNode(s.attribute, comfort, Model::MoveMode::FirstChild);
    const int col = s.model.ColumnOfNode(s.attribute);
    for (int row = 1; row <= s.model.M(); ++row)
        s.model.CommitCellText(col, row, s.model.CellText(col, row), false);
    const AltId a1 = s.model.AlternativeId(1), a2 = s.model.AlternativeId(2),
                a3 = s.model.AlternativeId(3), a5 = s.model.AlternativeId(5);
    s.model.StoreRanking(s.attribute, {1, 3, 2, 3, 4, 0}, {{a1, a3, a3, a2, 1, 2}});

    ScoreForm form({s.model, prompts}, s.Entry());
    form.show();
    auto* tabs = Find<QTabWidget>(&form, "TabCtrl");
    tabs->setCurrentIndex(0);
    ClickRow(Find<QListWidget>(&form, "RankedList"), 1);
    EXPECT_TRUE(form.grab().save(dir + QStringLiteral("/score-form.png")));
    tabs->setCurrentIndex(1);
    ClickRow(Find<QTreeWidget>(&form, "RecomView"), 0);
    EXPECT_TRUE(form.grab().save(dir + QStringLiteral("/score-form-cardinal.png")));

    ScoreForm tour({s.model, prompts}, s.Entry(), 2, 5);
    tour.show();
    Find<QTabWidget>(&tour, "TabCtrl")->setCurrentIndex(2);
    EXPECT_TRUE(tour.grab().save(dir + QStringLiteral("/score-form-tour.png")));

    TCardinalStatement statement{a3, a2, a2, a5, 0.5, 2};
    CardinalForm ratio({s.model, prompts}, form.Assessment().Differences(), statement, true);
    ratio.show();
    EXPECT_TRUE(ratio.grab().save(dir + QStringLiteral("/cardinal-form.png")));
}

// Levels in natural order with their alternatives beside them, and ranking by keyboard alone:
// Alt+R ranks the selected level and leaves the focus in the list on the next one.
TEST_F(ScoreFormTest, UnrankedLevelsShowTheirAlternativesAndRankByKeyboard) {
    SmallModel s({"EUR 1 200", "EUR 700", "EUR 900", "EUR 700"});
    ScoreForm form({s.model, prompts}, s.Entry());
    form.show();
    QApplication::setActiveWindow(&form);
    auto* unranked = Find<QListWidget>(&form, "UnrankedList");
    ASSERT_EQ(Texts(unranked), (QStringList{QStringLiteral("EUR 700"), QStringLiteral("EUR 900"),
                                            QStringLiteral("EUR 1 200")}));
    EXPECT_EQ(unranked->item(0)->toolTip(), QStringLiteral("EUR 700: Alternative 2, Alternative 4"));
    EXPECT_EQ(unranked->item(2)->toolTip(), QStringLiteral("EUR 1 200: Alternative 1"));
    EXPECT_EQ(unranked->item(0)->data(Qt::UserRole + 1).toString(),
              QStringLiteral("Alternative 2, Alternative 4")) << "painted beside the level";
    unranked->setFocus();
    QTest::keyClick(unranked, Qt::Key_Home); // EUR 700
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(QApplication::focusWidget(), unranked) << "after rank " << i;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::AltModifier);
        QTest::qWait(250); // a mnemonic clicks its button after a short delay
    }
    EXPECT_EQ(Texts(Find<QListWidget>(&form, "RankedList")),
              (QStringList{QStringLiteral("(1) EUR 700"), QStringLiteral("(2) EUR 900"),
                           QStringLiteral("(3) EUR 1 200")}));
}

} // namespace
} // namespace velor::elicit::test
