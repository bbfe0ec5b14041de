#include "../model/status_words.h"
#include "elicit/tour_form.h"

#include "elicit/weight_form.h"
#include "model/model.h"
#include "model/model_file.h"
#include "ui/scripted_prompts.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

namespace velor::elicit {
namespace {

using ui::Answer;
using ui::test::ScriptedPrompts;

std::string CarModelPath() {
    // Absolute, so that the tests find it from any folder and with any compiler launcher.
    return VELOR_EXAMPLES_DIR "/car.vlr";
}

// Plays the user through a row of modal dialogs: each new modal dialog gets the next scripted
// action; the action presses its buttons. A dialog that appears with no action left is skipped
// and fails the test, so a broken tour never blocks.
class DialogPlayer {
public:
    using Action = std::function<void(QDialog&)>;
    std::deque<Action> actions;
    QStringList titles;

    DialogPlayer() {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
    }

private:
    void Poll() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || dialog->property("played").toBool()) {
            return;
        }
        dialog->setProperty("played", true);
        titles << dialog->windowTitle();
        if (actions.empty()) {
            ADD_FAILURE() << "unexpected dialog: " << dialog->windowTitle().toStdString();
            Press(*dialog, "AbortButton");
            dialog->done(3);
            return;
        }
        Action action = std::move(actions.front());
        actions.pop_front();
        action(*dialog);
    }
    QTimer timer_;

public:
    static void Press(QDialog& dialog, const char* button) {
        auto* b = dialog.findChild<QPushButton*>(QString::fromLatin1(button));
        ASSERT_NE(b, nullptr) << button;
        ASSERT_TRUE(b->isVisible() && b->isEnabled())
            << button << " in " << dialog.windowTitle().toStdString();
        QTest::mouseClick(b, Qt::LeftButton);
    }
};

DialogPlayer::Action Press(const char* button) {
    return [button](QDialog& dialog) { DialogPlayer::Press(dialog, button); };
}

// Fills the weight grid row by row with (lower, upper) texts, then presses OK.
DialogPlayer::Action FillWeights(std::vector<std::pair<const char*, const char*>> cells) {
    return [cells](QDialog& dialog) {
        auto* form = qobject_cast<WeightForm*>(&dialog);
        ASSERT_NE(form, nullptr) << "a weight dialog";
        ASSERT_EQ(form->WeightGrid->rowCount(), static_cast<int>(cells.size()));
        for (int row = 0; row < static_cast<int>(cells.size()); ++row) {
            form->WeightGrid->item(row, kLowerColumn)
                ->setText(QString::fromLatin1(cells[row].first));
            form->WeightGrid->item(row, kUpperColumn)
                ->setText(QString::fromLatin1(cells[row].second));
        }
        DialogPlayer::Press(dialog, "OKButton");
    };
}

struct TourFormTest : ::testing::Test {
    Model m;
    ScriptedPrompts prompts;
    void SetUp() override { ASSERT_TRUE(LoadModelFile(m, CarModelPath())) << CarModelPath(); }
    void TearDown() override { EXPECT_TRUE(prompts.Done()) << "scripted answers left over"; }
    // Runs the tour over a document holding m, and takes the document's model back into m.
    TourEnd Run() {
        doc.Reset(m, "");
        const TourEnd end = RunElicitationTour({doc, prompts, nullptr});
        m = doc.GetModel();
        return end;
    }
    Document doc;
    std::string Status(EntryId id) { return StatusWords(m.Entry(id)->Status); }
    EntryId WeightEntry(const std::string& goal) {
        for (NodeId node : m.Goals()) {
            if (m.Node(node).Name == goal) {
                return m.WeightEntryOf(node);
            }
        }
        return kNone;
    }
};

TEST_F(TourFormTest, WholeTopDownTourWithBackAcrossTheWeightBoundary) {
    m.SetTopDownWeights(true);
    ASSERT_EQ(ElicitationTour::StepCount(m), 9) << "six attributes and three goals to weigh";
    DialogPlayer player;
    for (int k = 0; k < 6; ++k) {
        player.actions.push_back(Press("OKButton"));
    }
    player.actions.push_back(Press("BackButton")); // first weight step back to the last score
    player.actions.push_back(Press("OKButton"));
    // Main goal: Costs, Comfort, Safety.
    player.actions.push_back(FillWeights({{"100", "100"}, {"40", "70"}, {"50", "90"}}));
    // Costs: Purchase price, Running cost, Maintenance.
    player.actions.push_back(FillWeights({{"100", "100"}, {"30", "60"}, {"10", "40"}}));
    // Comfort: Interior space, Ride quality.
    player.actions.push_back(FillWeights({{"", ""}, {"100", "100"}}));

    const Model before = m;
    EXPECT_EQ(Run(), TourEnd::Completed);
    ASSERT_EQ(player.titles.size(), 11);
    // Each dialog that stored something is one step of the history: the three weight
    // assessments at least, and undoing them all gives the model as the tour found it.
    EXPECT_EQ(doc.UndoLabel(), "Weight Assessment");
    std::size_t steps = 0;
    while (doc.Undo()) {
        ++steps;
    }
    EXPECT_GE(steps, 3U);
    EXPECT_LE(steps, 9U);
    EXPECT_EQ(doc.GetModel(), before);
    EXPECT_FALSE(doc.Changed());
    EXPECT_TRUE(player.titles[0].startsWith(QStringLiteral("Score Assessment: ")));
    EXPECT_TRUE(player.titles[0].endsWith(QStringLiteral("(Elicitation Tour Step 1 of 9)")));
    EXPECT_EQ(player.titles[6], QStringLiteral("Top Down Weight Assessment: Choose a car "
                                               "(Elicitation Tour Step 7 of 9)"));
    EXPECT_TRUE(player.titles[7].startsWith(QStringLiteral("Score Assessment: ")));
    EXPECT_TRUE(player.titles[7].endsWith(QStringLiteral("(Elicitation Tour Step 6 of 9)")))
        << "Back on the first weight step shows the last score step again";
    EXPECT_EQ(player.titles[7], player.titles[5]);
    EXPECT_EQ(player.titles[8], player.titles[6]);
    EXPECT_EQ(player.titles[10],
              QStringLiteral("Top Down Weight Assessment: Comfort (Elicitation Tour Step 9 of 9)"));
    EXPECT_EQ(Status(WeightEntry("Choose a car")), "Yes");
    EXPECT_EQ(Status(WeightEntry("Costs")), "Yes");
    EXPECT_EQ(Status(WeightEntry("Comfort")), "Partially");
    // Every step stayed feasible: the only message says that the tour is complete.
    ASSERT_EQ(prompts.messages.size(), 1U);
    EXPECT_EQ(prompts.messages[0].caption, QStringLiteral("Elicitation Tour"));
    EXPECT_EQ(prompts.messages[0].text, QString::fromLatin1(kTourCompletedMessage));
}

// A tour with nothing to show says why instead of ending without a word.
TEST_F(TourFormTest, ATourWithNothingToAssessSaysWhy) {
    DialogPlayer player; // no dialog may open
    Model empty;
    Document emptyDocument;
    emptyDocument.Reset(empty, "");
    EXPECT_EQ(RunElicitationTour({emptyDocument, prompts, nullptr}), TourEnd::NoSteps);
    ASSERT_EQ(prompts.messages.size(), 1U);
    EXPECT_EQ(prompts.messages[0].text, QString::fromLatin1(kTourNoAttributesMessage));

    m.ClearAlternatives();
    EXPECT_EQ(Run(), TourEnd::NoSteps);
    ASSERT_EQ(prompts.messages.size(), 2U);
    EXPECT_EQ(prompts.messages[1].text, QString::fromLatin1(kTourNoAlternativesMessage));
    EXPECT_TRUE(player.titles.isEmpty());
}

TEST_F(TourFormTest, BottomUpTourSkipsAssessedWeightsAndSkipChangesNothing) {
    ASSERT_EQ(Status(m.BottomUpEntry()), "Yes");
    const Model before = m;
    DialogPlayer player;
    for (int k = 0; k < 6; ++k) {
        player.actions.push_back(Press("CancelButton"));
    }
    EXPECT_EQ(Run(), TourEnd::Completed);
    ASSERT_EQ(player.titles.size(), 6) << "no weight step: the bottom-up weights are complete";
    EXPECT_TRUE(player.titles[5].endsWith(QStringLiteral("(Elicitation Tour Step 6 of 6)")));
    EXPECT_FALSE(doc.Changed());
    EXPECT_FALSE(doc.CanUndo()) << "skipped steps leave no step in the history";
    EXPECT_EQ(m, before);
}

TEST_F(TourFormTest, ContinuingAnInfeasibleWeightStepEndsTheTour) {
    // Safety's levels all tied: its weight is 0, and as the reference it pins every weight with
    // an upper bound to 0.
    const auto attributes = m.Attributes();
    const NodeId runningCost = attributes.at(1);
    const NodeId safety = attributes.back();
    m.StoreRanking(safety, std::vector<int>(static_cast<std::size_t>(m.M()), 1), {});
    m.StoreWeightBounds(false, {{runningCost, -1, -1}});
    ASSERT_EQ(Status(m.BottomUpEntry()), "Partially");
    DialogPlayer player;
    for (int k = 0; k < 6; ++k) {
        player.actions.push_back(Press("CancelButton"));
    }
    player.actions.push_back([](QDialog& dialog) {
        auto* form = qobject_cast<WeightForm*>(&dialog);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->OKButton->text(), QStringLiteral("&OK")) << "the last step";
        EXPECT_EQ(form->CancelButton->text(), QStringLiteral("&Skip"));
        const int last = form->WeightGrid->rowCount() - 1;
        form->WeightGrid->item(last, kLowerColumn)->setText(QStringLiteral("100"));
        form->WeightGrid->item(last, kUpperColumn)->setText(QStringLiteral("100"));
        for (int row = 0; row < 2; ++row) { // the old reference and the cleared row
            form->WeightGrid->item(row, kLowerColumn)->setText(QString());
            form->WeightGrid->item(row, kUpperColumn)->setText(QStringLiteral("10"));
        }
        DialogPlayer::Press(dialog, "OKButton");
    });
    prompts.answers = {Answer::Yes};
    EXPECT_EQ(Run(), TourEnd::Aborted);
    EXPECT_EQ(player.titles.size(), 7);
    ASSERT_EQ(prompts.messages.size(), 1U);
    EXPECT_TRUE(prompts.messages[0].text.contains(
        QStringLiteral("This will quit the elicitation tour.\n")));
    EXPECT_EQ(m.Node(safety).BottomUpLower, 100) << "the stored bounds stay";
}

} // namespace
} // namespace velor::elicit
