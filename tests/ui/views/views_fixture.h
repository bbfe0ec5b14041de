// A main window with the result views installed, on a fresh settings file, with scripted
// prompts; helpers open an example model and the views.
#pragma once

#include "ui/gui_fixture.h"
#include "ui/views/decision_rules_view.h"
#include "ui/views/dominance_view.h"
#include "ui/views/result_grid.h"
#include "ui/views/result_views.h"
#include "ui/views/value_intervals_view.h"
#include "ui/views/weights_view.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace velor::ui::test {

class ViewsTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        InstallResultViews(*window, prompts);
    }

    void OpenExample(const char* name) {
        ASSERT_TRUE(
            window->OpenFile(QStringLiteral(VELOR_EXAMPLES_DIR "/") + QString::fromLatin1(name)));
    }
    template <class View> View* Show(ResultView kind, const char* action) {
        window->Action(QString::fromLatin1(action))->trigger();
        return qobject_cast<View*>(window->ResultViewWidget(kind));
    }
    ValueIntervalsView* ShowValueIntervals() {
        return Show<ValueIntervalsView>(ResultView::ValueIntervals, "ValueIntervals2");
    }
    WeightsView* ShowWeights() { return Show<WeightsView>(ResultView::Weights, "Weights1"); }
    DominanceView* ShowDominance() {
        return Show<DominanceView>(ResultView::Dominance, "Dominance1");
    }
    DecisionRulesView* ShowDecisionRules() {
        return Show<DecisionRulesView>(ResultView::DecisionRules, "DecisionRules1");
    }
    // Gives a view's child window the size, and lets the layouts follow.
    static void ResizeWindow(QWidget* view, int width, int height) {
        view->parentWidget()->resize(width, height);
        QCoreApplication::sendPostedEvents();
    }
    // Runs "&Calculate Model" and accepts its completion message.
    void CalculateModel() {
        window->Calculate(kCalculateModel);
        ASSERT_FALSE(prompts.messages.empty());
        EXPECT_EQ(prompts.LastText().section(QLatin1Char('\n'), 0, 0),
                  QStringLiteral("Calculation complete"));
    }
};

// Node names in pre-order, or goal names, as the model holds them.
inline QStringList NodeNames(const Model& model, const std::vector<NodeId>& nodes) {
    QStringList names;
    for (NodeId n : nodes) {
        names << QString::fromStdString(model.Node(n).Name);
    }
    return names;
}

inline QStringList ComboItems(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) {
        items << combo->itemText(i);
    }
    return items;
}

} // namespace velor::ui::test
