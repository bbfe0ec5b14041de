// The Group window shows its consensus in the real result views.
#include "views_fixture.h"

#include "model/group_file.h"
#include "ui/group_window.h"
#include "ui/views/value_intervals_view.h"

#include <QTabWidget>

namespace velor::ui::test {
namespace {

TEST_F(ViewsTest, ConsensusOpensInTheResultViews) {
    const QString car = QStringLiteral(VELOR_EXAMPLES_DIR "/car.vlr");
    ASSERT_TRUE(QFile::copy(car, FilePath(QStringLiteral("ann.vlr"))));
    ASSERT_TRUE(QFile::copy(car, FilePath(QStringLiteral("bob.vlr"))));
    const QString groupPath = FilePath(QStringLiteral("team.vlg"));
    ASSERT_TRUE(SaveGroupFile(groupPath.toStdString(), {{"Ann", "ann.vlr"}, {"Bob", "bob.vlr"}}));
    GroupWindow group(prompts);
    group.createView = [this](ResultView view, const Document& document) {
        return CreateResultView(view, document, prompts);
    };
    ASSERT_TRUE(group.OpenGroup(groupPath));
    group.ConsensusViewsButtonClick();
    auto* tabs = group.findChild<QTabWidget*>(QStringLiteral("ConsensusViewTabs"));
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_NE(qobject_cast<ValueIntervalsView*>(tabs->widget(0)), nullptr);
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        EXPECT_FALSE(tabs->widget(i)->grab().isNull());
    }
    // Calculated anew, the views follow the document they show.
    group.Refresh();
    EXPECT_TRUE(group.ConsensusDocument().GetModel().Calculated().Dominance);
    EXPECT_FALSE(group.ConsensusDocument().ResultsOutOfDate());
}

} // namespace
} // namespace velor::ui::test
