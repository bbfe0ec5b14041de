// The workspace: the tabbed option kept across a restart, the empty state of a model without
// nodes, and columns wide enough for their names.
#include "gui_fixture.h"

#include "ui/empty_state.h"
#include "ui/help_window.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QPushButton>
#include <QTextBrowser>

namespace velor::ui::test {
namespace {

TEST_F(GuiTest, TheTabbedWorkspaceIsKeptAcrossARestart) {
    EXPECT_EQ(window->MdiArea()->viewMode(), QMdiArea::SubWindowView) << "the default";
    tree()->parentWidget()->setGeometry(10, 20, 300, 200);
    for (const bool tabbed : {true, false}) {
        window->Action(QStringLiteral("TabbedWindows1"))->trigger();
        window->close();
        window = MakeWindow();
        EXPECT_EQ(window->Action(QStringLiteral("TabbedWindows1"))->isChecked(), tabbed);
        EXPECT_EQ(window->MdiArea()->viewMode(),
                  tabbed ? QMdiArea::TabbedView : QMdiArea::SubWindowView);
        EXPECT_EQ(window->Action(QStringLiteral("Tile1"))->isEnabled(), !tabbed);
    }
    // The free-floating windows come back where they were before the tabs.
    EXPECT_EQ(tree()->parentWidget()->geometry(), QRect(10, 20, 300, 200));
}

TEST_F(GuiTest, TheEmptyStateShowsUntilTheModelHasANodeAndOffersTheWaysToBegin) {
    EmptyState* empty = window->EmptyStatePanel();
    EXPECT_TRUE(empty->isVisible());
    EXPECT_FALSE(empty->OpenRecentButton()->isEnabled()) << "no recent files yet";
    prompts.textAnswers.push_back(QStringLiteral("Choose a flat"));
    empty->NewMainGoalButton()->click();
    ASSERT_EQ(model().NodeCount(), 1);
    EXPECT_EQ(model().Node(model().Root()).Name, "Choose a flat");
    EXPECT_FALSE(empty->isVisible());
    window->UndoClick();
    EXPECT_TRUE(empty->isVisible());

    const QString examples = MainWindow::ExamplesFolder();
    prompts.fileAnswers.push_back(examples + QStringLiteral("/car.vlr"));
    empty->OpenExampleButton()->click();
    EXPECT_EQ(QFileInfo(prompts.fileDialogs.at(0).initialPath).canonicalFilePath(),
              QFileInfo(QStringLiteral(VELOR_EXAMPLES_DIR)).canonicalFilePath());
    EXPECT_FALSE(empty->isVisible());
    window->NewClick();
    EXPECT_TRUE(empty->isVisible());
    EXPECT_TRUE(empty->OpenRecentButton()->isEnabled());

    Q_EMIT empty->WalkthroughLink()->linkActivated(QStringLiteral("walkthrough.html"));
    ASSERT_NE(window->Help(), nullptr);
    EXPECT_EQ(window->Help()->Browser()->source().fileName(), QStringLiteral("walkthrough.html"));
}

// At the widths the Alternatives window opens with, every header and text of the examples shows
// in full; a text too long for the widest column is elided and in full in its tooltip.
TEST_F(GuiTest, AlternativesColumnsShowTheirNamesAndTextsInFull) {
    AltGridView* grid = alts()->AltGrid();
    const QFontMetrics header(grid->horizontalHeader()->font());
    const QFontMetrics cells(grid->font());
    for (const char* example : {"car.vlr", "supplier.vlr", "job_offers.vlr"}) {
        ASSERT_TRUE(window->OpenFile(QStringLiteral(VELOR_EXAMPLES_DIR "/") +
                                     QString::fromLatin1(example)));
        QAbstractItemModel* m = grid->model();
        for (int c = 0; c < m->columnCount(); ++c) {
            const QString name = m->headerData(c, Qt::Horizontal).toString();
            EXPECT_LE(header.horizontalAdvance(name), grid->columnWidth(c)) << name.toStdString();
            for (int r = 0; r < m->rowCount(); ++r) {
                const QString text = m->index(r, c).data().toString();
                EXPECT_LE(cells.horizontalAdvance(text), grid->columnWidth(c))
                    << text.toStdString();
            }
        }
    }
    const QString longText(120, QLatin1Char('x'));
    document().Apply("Type",
                     [&](Model& m) { m.CommitCellText(2, 1, longText.toStdString(), false); });
    EXPECT_LT(grid->columnWidth(1), cells.horizontalAdvance(longText));
    EXPECT_TRUE(grid->CellToolTip(grid->model()->index(0, 1)).startsWith(longText));
}

} // namespace
} // namespace velor::ui::test
