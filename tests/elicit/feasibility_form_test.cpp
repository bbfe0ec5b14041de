// The question after an OK that made the model infeasible: "Show Conflict..." lists the
// statements of the dialog's working model in conflict, and a statement opens the assessment
// where it was made.
#include "elicit/feasibility_form.h"

#include "elicit/dialog_result.h"
#include "elicit/score_form.h"
#include "elicit/weight_form.h"
#include "elicit_gui_support.h"
#include "ui/conflict_window.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

namespace velor::elicit::test {
namespace {

using ui::test::ScriptedPrompts;

// The first difference is at least three times the second and the second at least three times
// the first: only a flat attribute could satisfy both, which the weight sum rules out.
class ConflictQuestionTest : public ::testing::Test {
protected:
    SmallModel s{{"high", "medium", "low"}};
    ScriptedPrompts prompts;

    void SetUp() override {
        const AltId a1 = s.model.AlternativeId(1), a2 = s.model.AlternativeId(2),
                    a3 = s.model.AlternativeId(3);
        s.model.StoreRanking(s.attribute, {1, 2, 3},
                             {{a1, a2, a2, a3, 3.0, kNotGiven}, {a2, a3, a1, a2, 3.0, kNotGiven}});
        s.model.RefreshAssessedStatus();
    }
    void TearDown() override { EXPECT_TRUE(prompts.Done()) << "scripted answers left over"; }

    // Runs handle on the conflict window once it is open modally; closes it afterwards.
    static std::shared_ptr<bool> OnConflictWindow(std::function<void(ui::ConflictWindow&)> handle) {
        auto ran = std::make_shared<bool>(false);
        QTimer::singleShot(0, [handle, ran] {
            auto* window = qobject_cast<ui::ConflictWindow*>(QApplication::activeModalWidget());
            if (window == nullptr) {
                ADD_FAILURE() << "the conflict window is not open";
                return;
            }
            *ran = true;
            handle(*window);
            if (window->isVisible()) {
                window->reject();
            }
        });
        return ran;
    }
    static void DoubleClickRow(ui::ConflictWindow& window, int row) {
        QListWidget* list = window.StatementList();
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }
    static int FirstRatioRow(const ui::ConflictWindow& window) {
        const auto& statements = window.Statements();
        for (std::size_t i = 0; i < statements.size(); ++i) {
            if (statements[i].Kind == ConflictKind::RatioBound) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
};

struct TourPlace {
    int step;
    int steps;
};

class ScoreQuestionTest : public ConflictQuestionTest,
                          public ::testing::WithParamInterface<TourPlace> {};

// The question keeps its text and offers the button, on and off the tour; the list shows the
// working model's statements and changes nothing.
TEST_P(ScoreQuestionTest, ShowConflictListsTheStatementsOfTheWorkingModel) {
    ScoreForm form({s.model, prompts}, s.Entry(), GetParam().step, GetParam().steps);
    form.show();
    const Model stored = s.model;
    QStringList listed;
    auto ran = OnConflictWindow([&listed](ui::ConflictWindow& window) {
        EXPECT_TRUE(window.isModal());
        EXPECT_EQ(window.ExplanationLabel()->text(), ui::kConflictExplanation);
        listed = Texts(window.StatementList());
    });
    prompts.answers = {ui::Answer::Action, ui::Answer::No};
    QTest::mouseClick(Find<QPushButton>(&form, "OKButton"), Qt::LeftButton);

    EXPECT_TRUE(*ran);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].caption, QStringLiteral("Model Feasibility Check"));
    EXPECT_TRUE(prompts.messages[0].text.startsWith(
        QStringLiteral("The preferences you just gave have made the model infeasible.\n")));
    EXPECT_EQ(prompts.messages[0].action, QStringLiteral("Show Conflict..."));
    EXPECT_EQ(listed, (QStringList{QStringLiteral("On Comfort, the increase in value from medium "
                                                  "to high is at least 3 times the increase "
                                                  "from low to medium."),
                                   QStringLiteral("On Comfort, the increase in value from low to "
                                                  "medium is at least 3 times the increase from "
                                                  "medium to high.")}));
    EXPECT_TRUE(form.isVisible()) << "No keeps the dialog open";
    EXPECT_TRUE(s.model == stored) << "the list changes nothing";
}

INSTANTIATE_TEST_SUITE_P(OnAndOffTheTour, ScoreQuestionTest,
                         ::testing::Values(TourPlace{0, 0}, TourPlace{2, 4}));

// A statement of the dialog that asks is changed there: activating it closes the list.
TEST_F(ConflictQuestionTest, OwnStatementClosesTheList) {
    ScoreForm form({s.model, prompts}, s.Entry());
    form.show();
    bool closed = false;
    auto ran = OnConflictWindow([&closed](ui::ConflictWindow& window) {
        const int row = FirstRatioRow(window);
        ASSERT_GE(row, 0);
        DoubleClickRow(window, row);
        closed = !window.isVisible();
    });
    prompts.answers = {ui::Answer::Action, ui::Answer::No};
    QTest::mouseClick(Find<QPushButton>(&form, "OKButton"), Qt::LeftButton);
    EXPECT_TRUE(*ran);
    EXPECT_TRUE(closed);
    EXPECT_EQ(prompts.messages.size(), 1u) << "no other dialog opened";
}

// From the weight assessment's question, a ratio statement opens the score assessment of its
// attribute on the working model: Cancel there changes nothing, a fix there ends the conflict.
TEST_F(ConflictQuestionTest, AnotherAssessmentOpensOnTheWorkingModel) {
    s.model.SetTopDownWeights(false);
    s.model.StoreWeightBounds(false, {{s.attribute, kReferenceWeight, kReferenceWeight}});
    TWeightForm form(DialogContext{s.model, prompts, nullptr}, kNone);
    form.show();
    QString cancelledTitle;
    QString afterFix;
    auto ran = OnConflictWindow([&](ui::ConflictWindow& window) {
        const int row = FirstRatioRow(window);
        ASSERT_GE(row, 0);
        // Cancel in the score assessment: the same conflict stays listed.
        QTimer::singleShot(0, [&cancelledTitle] {
            auto* score = qobject_cast<ScoreForm*>(QApplication::activeModalWidget());
            ASSERT_NE(score, nullptr) << "the score assessment is not open";
            cancelledTitle = score->windowTitle();
            score->reject();
        });
        DoubleClickRow(window, row);
        EXPECT_EQ(s.model.Preference(s.attribute)->Statements.size(), 2u) << "Cancel keeps all";
        EXPECT_EQ(window.ExplanationLabel()->text(), ui::kConflictExplanation);

        // Removing the second statement there and OK: no conflict is left.
        QTimer::singleShot(0, [] {
            auto* score = qobject_cast<ScoreForm*>(QApplication::activeModalWidget());
            ASSERT_NE(score, nullptr);
            auto* given = Find<QTreeWidget>(score, "CardPrefView");
            ClickRow(given, 1);
            QTest::mouseClick(Find<QPushButton>(score, "RemoveButton"), Qt::LeftButton);
            QTest::mouseClick(Find<QPushButton>(score, "OKButton"), Qt::LeftButton);
        });
        DoubleClickRow(window, FirstRatioRow(window));
        afterFix = window.ExplanationLabel()->text();
    });
    prompts.answers = {ui::Answer::Action, ui::Answer::No};
    QTest::mouseClick(Find<QPushButton>(&form, "OKButton"), Qt::LeftButton);

    EXPECT_TRUE(*ran);
    EXPECT_EQ(cancelledTitle, QStringLiteral("Score Assessment: Comfort"));
    EXPECT_EQ(afterFix, ui::kNoConflictText);
    EXPECT_EQ(s.model.Preference(s.attribute)->Statements.size(), 1u)
        << "the fix is part of the working model the weight assessment stores";
    // OK again: feasible now, the dialog closes.
    QTest::mouseClick(Find<QPushButton>(&form, "OKButton"), Qt::LeftButton);
    EXPECT_EQ(form.result(), kResultOk);
}

} // namespace
} // namespace velor::elicit::test
