// The workspace: windows that fit the screen they open on, the tabbed workspace kept across a
// restart, the empty state of a model without nodes, result views that stay open when another
// model is opened, and columns wide enough for their names.
#include "gui_fixture.h"

#include "model/ini_file.h"
#include "ui/empty_state.h"
#include "ui/help_window.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTextBrowser>

namespace velor::ui::test {
namespace {

QRect Available() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

void StorePlacement(const std::filesystem::path& settings, const char* name, const QRect& r) {
    IniFile ini(settings);
    ini.WriteSettingInt(name, "State", 0);
    ini.WriteSettingInt(name, "Left", r.left());
    ini.WriteSettingInt(name, "Top", r.top());
    ini.WriteSettingInt(name, "Height", r.height());
    ini.WriteSettingInt(name, "Width", r.width());
}

// A placement saved on a screen twice as large (or at half the scale factor) opens within this
// screen, and so does a result view stored beyond the workspace.
TEST_F(GuiTest, PlacementsLargerThanTheScreenComeBackWithinIt) {
    const QRect screen = Available();
    window.reset();
    StorePlacement(SettingsPath(), "MainForm",
                   QRect(screen.topLeft(), QSize(2 * screen.width(), 2 * screen.height())));
    StorePlacement(SettingsPath(), "WeightsForm", QRect(2000, 1500, 3000, 2000));
    window = MakeWindow();
    EXPECT_TRUE(screen.contains(window->frameGeometry()))
        << window->width() << 'x' << window->height();

    window->SetResultViewFactory(ResultView::Weights, [](const Document&) { return new QWidget; });
    window->ShowResultView(ResultView::Weights);
    const QWidget* view = window->ResultViewWidget(ResultView::Weights)->parentWidget();
    EXPECT_TRUE(window->MdiArea()->viewport()->rect().contains(view->geometry()));
    // The editors start inside the workspace too.
    for (const QMdiSubWindow* child : window->MdiArea()->subWindowList()) {
        EXPECT_TRUE(window->MdiArea()->viewport()->rect().contains(child->geometry()))
            << child->objectName().toStdString();
    }
}

// With every panel shown (results out of date, a warning) the status bar still lets the window
// be narrower than the classic panel widths add up to (630 pixels).
TEST_F(GuiTest, TheStatusBarNeverMakesTheWindowWiderThanASmallScreen) {
    ASSERT_TRUE(window->OpenFile(QStringLiteral(VELOR_EXAMPLES_DIR "/car.vlr")));
    document().Apply("Rename", [](Model& m) { m.RenameNode(m.Root(), "Choose"); });
    ASSERT_TRUE(window->findChild<QLabel*>(QStringLiteral("OutOfDatePanel"))->isVisible());
    EXPECT_LT(window->statusBar()->minimumSizeHint().width(), 600);
    EXPECT_LT(window->minimumSizeHint().width(), 600);
    // Given the room, every panel still asks for its classic width.
    EXPECT_GE(window->StatusPanel(1)->sizeHint().width(), 200);
    EXPECT_GE(window->StatusPanel(5)->sizeHint().width(), 150);
}

TEST_F(GuiTest, TheTabbedWorkspaceIsKeptAcrossARestart) {
    QAction* tabbed = window->Action(QStringLiteral("TabbedWindows1"));
    ASSERT_NE(tabbed, nullptr);
    EXPECT_FALSE(tabbed->isChecked()) << "free-floating windows are the default";
    EXPECT_EQ(window->MdiArea()->viewMode(), QMdiArea::SubWindowView);
    tree()->parentWidget()->setGeometry(10, 20, 300, 200);

    tabbed->trigger();
    EXPECT_EQ(window->MdiArea()->viewMode(), QMdiArea::TabbedView);
    EXPECT_FALSE(window->Action(QStringLiteral("Tile1"))->isEnabled());
    window->close();
    window = MakeWindow();
    tabbed = window->Action(QStringLiteral("TabbedWindows1"));
    EXPECT_TRUE(tabbed->isChecked());
    EXPECT_EQ(window->MdiArea()->viewMode(), QMdiArea::TabbedView);

    // Back to free-floating windows, where they were before the tabs.
    tabbed->trigger();
    EXPECT_EQ(window->MdiArea()->viewMode(), QMdiArea::SubWindowView);
    EXPECT_EQ(tree()->parentWidget()->geometry(), QRect(10, 20, 300, 200));
    window->close();
    window = MakeWindow();
    EXPECT_FALSE(window->Action(QStringLiteral("TabbedWindows1"))->isChecked());
    EXPECT_EQ(window->MdiArea()->viewMode(), QMdiArea::SubWindowView);
}

TEST_F(GuiTest, TheEmptyStateShowsUntilTheModelHasANode) {
    EmptyState* empty = window->EmptyStatePanel();
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(empty->isVisible());
    EXPECT_TRUE(window->MdiArea()->rect().contains(empty->geometry()));
    EXPECT_FALSE(empty->OpenRecentButton()->isEnabled()) << "no recent files yet";

    prompts.textAnswers.push_back(QStringLiteral("Choose a flat"));
    empty->NewMainGoalButton()->click();
    ASSERT_EQ(model().NodeCount(), 1);
    EXPECT_EQ(model().Node(model().Root()).Name, "Choose a flat");
    EXPECT_FALSE(empty->isVisible());

    // Undo takes the main goal back, and the empty state with it.
    window->UndoClick();
    EXPECT_TRUE(empty->isVisible());
    ASSERT_TRUE(window->OpenFile(QStringLiteral(VELOR_EXAMPLES_DIR "/car.vlr")));
    EXPECT_FALSE(empty->isVisible());
    window->NewClick();
    EXPECT_TRUE(empty->isVisible());
    EXPECT_TRUE(empty->OpenRecentButton()->isEnabled());
    ASSERT_NE(empty->OpenRecentButton()->menu(), nullptr);
    EXPECT_TRUE(empty->OpenRecentButton()->menu()->actions().contains(
        window->Action(QStringLiteral("RecentFile1"))));
}

TEST_F(GuiTest, OpenAnExampleStartsInTheExamplesFolder) {
    const QString folder = MainWindow::ExamplesFolder();
    ASSERT_FALSE(folder.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/car.vlr")));
    prompts.fileAnswers.push_back(folder + QStringLiteral("/car.vlr"));
    window->EmptyStatePanel()->OpenExampleButton()->click();
    ASSERT_EQ(prompts.fileDialogs.size(), 1u);
    EXPECT_EQ(QFileInfo(prompts.fileDialogs[0].initialPath).canonicalFilePath(),
              QFileInfo(folder).canonicalFilePath());
    EXPECT_GT(model().NodeCount(), 1);
    EXPECT_FALSE(window->EmptyStatePanel()->isVisible());
}

TEST_F(GuiTest, TheEmptyStateLinksToTheWalkthrough) {
    Q_EMIT window->EmptyStatePanel()->WalkthroughLink()->linkActivated(
        QStringLiteral("walkthrough.html"));
    ASSERT_NE(window->Help(), nullptr);
    EXPECT_TRUE(window->Help()->isVisible());
    EXPECT_EQ(window->Help()->Browser()->source().fileName(), QStringLiteral("walkthrough.html"));
    EXPECT_TRUE(Available().contains(window->Help()->frameGeometry()));
}

TEST_F(GuiTest, OpeningAModelKeepsTheResultViewsOpen) {
    int made = 0;
    window->SetResultViewFactory(ResultView::Dominance, [&made](const Document&) {
        ++made;
        return new QWidget;
    });
    window->ShowResultView(ResultView::Dominance);
    QPointer<QWidget> view = window->ResultViewWidget(ResultView::Dominance);
    ASSERT_TRUE(window->OpenFile(QStringLiteral(VELOR_EXAMPLES_DIR "/car.vlr")));
    ASSERT_TRUE(window->OpenFile(QStringLiteral(VELOR_EXAMPLES_DIR "/supplier.vlr")));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(view.isNull());
    EXPECT_EQ(window->ResultViewWidget(ResultView::Dominance), view.data());
    EXPECT_EQ(made, 1);
    // A file that cannot be read leaves an empty model, without its views.
    EXPECT_FALSE(window->OpenFile(FilePath(QStringLiteral("missing.vlr"))));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(view.isNull());
}

// At the widths the Alternatives window opens with, every header and every text of the example
// models shows in full; a text too long for the widest column keeps its full text in the tooltip.
TEST_F(GuiTest, AlternativesColumnsShowTheirNamesAndTextsInFull) {
    AltGridView* grid = alts()->AltGrid();
    const int headerMargin =
        2 * grid->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, grid->horizontalHeader());
    for (const char* example : {"car.vlr", "supplier.vlr", "job_offers.vlr"}) {
        ASSERT_TRUE(window->OpenFile(QStringLiteral(VELOR_EXAMPLES_DIR "/") +
                                     QString::fromLatin1(example)));
        const QFontMetrics header(grid->horizontalHeader()->font());
        const QFontMetrics cells(grid->font());
        for (int c = 0; c < grid->model()->columnCount(); ++c) {
            const QString name = grid->model()->headerData(c, Qt::Horizontal).toString();
            EXPECT_LE(header.horizontalAdvance(name) + headerMargin, grid->columnWidth(c))
                << example << ": " << name.toStdString();
            for (int r = 0; r < grid->model()->rowCount(); ++r) {
                const QString text = grid->model()->index(r, c).data().toString();
                EXPECT_LE(cells.horizontalAdvance(text), grid->columnWidth(c))
                    << example << ": " << text.toStdString();
                EXPECT_FALSE(grid->CellToolTip(grid->model()->index(r, c)).startsWith(text) &&
                             !text.isEmpty())
                    << "a text that fits needs no tooltip: " << text.toStdString();
            }
        }
        const QFontMetrics names(grid->verticalHeader()->font());
        for (int r = 0; r < grid->model()->rowCount(); ++r) {
            const QString name = grid->model()->headerData(r, Qt::Vertical).toString();
            EXPECT_LE(names.horizontalAdvance(name), grid->verticalHeader()->width())
                << example << ": " << name.toStdString();
        }
    }
    // A consequence longer than any column: elided, in full in its tooltip.
    const QString longText(120, QLatin1Char('x'));
    document().Apply("Type",
                     [&](Model& m) { m.CommitCellText(2, 1, longText.toStdString(), false); });
    const QModelIndex cell = grid->model()->index(0, 1);
    ASSERT_EQ(cell.data().toString(), longText);
    EXPECT_LT(grid->columnWidth(1), QFontMetrics(grid->font()).horizontalAdvance(longText));
    EXPECT_TRUE(grid->CellToolTip(cell).startsWith(longText));
}

} // namespace
} // namespace velor::ui::test
