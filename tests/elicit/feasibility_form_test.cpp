// "Show Conflict..." in the question after an OK that made the model infeasible: the statements
// of the dialog's working model in conflict, and the assessments they open.
#include "elicit/feasibility_form.h"

#include "elicit/dialog_result.h"
#include "elicit/score_form.h"
#include "elicit/weight_form.h"
#include "elicit_gui_support.h"
#include "ui/conflict_window.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace velor::elicit::test {
namespace {

// Each difference at least three times the other: only a flat attribute satisfies both, which
// the weight sum rules out.
class ConflictQuestionTest : public ::testing::TestWithParam<int> {
protected:
    SmallModel s{{"high", "medium", "low"}};
    ui::test::ScriptedPrompts prompts;

    void SetUp() override {
        const AltId a1 = s.model.AlternativeId(1), a2 = s.model.AlternativeId(2),
                    a3 = s.model.AlternativeId(3);
        s.model.StoreRanking(s.attribute, {1, 2, 3},
                             {{a1, a2, a2, a3, 3.0, kNotGiven}, {a2, a3, a1, a2, 3.0, kNotGiven}});
        s.model.SetTopDownWeights(false);
        s.model.StoreWeightBounds(false, {{s.attribute, kReferenceWeight, kReferenceWeight}});
        prompts.answers = {ui::Answer::Action, ui::Answer::No};
    }
    void TearDown() override { EXPECT_TRUE(prompts.Done()) << "scripted answers left over"; }

    // Runs handle on the modal widget of type T once it is open; rejects it afterwards.
    template <typename T> static void OnModal(std::function<void(T&)> handle) {
        QTimer::singleShot(0, [handle] {
            auto* widget = qobject_cast<T*>(QApplication::activeModalWidget());
            ASSERT_NE(widget, nullptr) << T::staticMetaObject.className() << " is not open";
            handle(*widget);
            if (widget->isVisible()) {
                widget->reject();
            }
        });
    }
    // Double-clicks the first ratio statement of the window.
    static void OpenRatioStatement(ui::ConflictWindow& window) {
        QListWidget* list = window.StatementList();
        for (std::size_t row = 0; row < window.Statements().size(); ++row) {
            if (window.Statements()[row].Kind == ConflictKind::RatioBound) {
                const QPoint at = list->visualItemRect(list->item(int(row))).center();
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
                return;
            }
        }
        ADD_FAILURE() << "no ratio statement listed";
    }
};

// On and off the tour: the question offers the button, the window lists the working model's
// statements, and one of the asking dialog's own statements says it is changed there, the
// window staying open.
TEST_P(ConflictQuestionTest, ScoreQuestionListsTheWorkingModel) {
    ScoreForm form({s.model, prompts}, s.Entry(), GetParam(), GetParam() == 0 ? 0 : 4);
    form.show();
    QStringList listed;
    bool openAfterOwnStatement = false;
    OnModal<ui::ConflictWindow>([&](ui::ConflictWindow& window) {
        listed = Texts(window.StatementList());
        OpenRatioStatement(window);
        openAfterOwnStatement = window.isVisible();
    });
    QTest::mouseClick(Find<QPushButton>(&form, "OKButton"), Qt::LeftButton);

    ASSERT_EQ(prompts.messages.size(), 2u) << "no other dialog opened";
    EXPECT_EQ(prompts.messages[1].text, ui::kStatementInThisDialog);
    EXPECT_EQ(prompts.messages[0].caption, QStringLiteral("Model Feasibility Check"));
    EXPECT_EQ(prompts.messages[0].action, QStringLiteral("Show Conflict..."));
    EXPECT_EQ(listed, (QStringList{QStringLiteral("On Comfort, the increase in value from medium "
                                                  "to high is at least 3 times the increase "
                                                  "from low to medium."),
                                   QStringLiteral("On Comfort, the increase in value from low to "
                                                  "medium is at least 3 times the increase from "
                                                  "medium to high.")}));
    EXPECT_TRUE(openAfterOwnStatement);
    EXPECT_TRUE(form.isVisible()) << "No keeps the dialog open";
}

INSTANTIATE_TEST_SUITE_P(TourStep, ConflictQuestionTest, ::testing::Values(0, 2));

// From the weight assessment's question a ratio statement opens the score assessment of its
// attribute on the working model: Cancel there keeps everything, a fix there ends the conflict
// and is stored with the weight assessment.
TEST_F(ConflictQuestionTest, AnotherAssessmentOpensOnTheWorkingModel) {
    WeightForm form(DialogContext{s.model, prompts, nullptr}, kNone);
    form.show();
    QString opened, afterFix;
    std::size_t afterCancel = 0;
    OnModal<ui::ConflictWindow>([&](ui::ConflictWindow& window) {
        OnModal<ScoreForm>([&](ScoreForm& score) { opened = score.windowTitle(); });
        OpenRatioStatement(window);
        afterCancel = s.model.Preference(s.attribute)->Statements.size();
        OnModal<ScoreForm>([](ScoreForm& score) {
            ClickRow(Find<QTreeWidget>(&score, "CardPrefView"), 1);
            QTest::mouseClick(Find<QPushButton>(&score, "RemoveButton"), Qt::LeftButton);
            QTest::mouseClick(Find<QPushButton>(&score, "OKButton"), Qt::LeftButton);
        });
        OpenRatioStatement(window);
        afterFix = window.ExplanationLabel()->text();
    });
    QTest::mouseClick(Find<QPushButton>(&form, "OKButton"), Qt::LeftButton);

    EXPECT_EQ(opened, QStringLiteral("Score Assessment: Comfort"));
    EXPECT_EQ(afterCancel, 2u);
    EXPECT_EQ(afterFix, ui::kNoConflictText);
    EXPECT_EQ(s.model.Preference(s.attribute)->Statements.size(), 1u);
    QTest::mouseClick(Find<QPushButton>(&form, "OKButton"), Qt::LeftButton);
    EXPECT_EQ(form.result(), kResultOk);
}

} // namespace
} // namespace velor::elicit::test
