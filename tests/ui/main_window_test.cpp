// The main window: file commands with their questions, the recent-files menu, the close query,
// the status panels, calculation and the error box.
#include "gui_fixture.h"

#include "model/model_file.h"
#include "ui/about_box.h"
#include "ui/help_window.h"
#include "ui/progress_dialog.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSysInfo>
#include <QTextBrowser>
#include <QTimer>

#include <set>

namespace velor::ui::test {
namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Sends a close request as the window system would and tells whether the window accepted it.
bool RequestClose(MainWindow& w) {
    QCloseEvent event;
    QCoreApplication::sendEvent(&w, &event);
    return event.isAccepted();
}

TEST_F(GuiTest, StartsEmptyWithItsPanelsCaptionMenusAndToolbar) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Velor Decisions"));
    EXPECT_EQ(Panel(0), QStringLiteral("100 %"));
    EXPECT_EQ(Panel(1), QStringLiteral("Ready"));
    EXPECT_EQ(Panel(2), QStringLiteral("Bottom Up"));
    EXPECT_EQ(Panel(3), QStringLiteral("Not normalized"));
    EXPECT_EQ(Panel(4), QStringLiteral("No changes"));
    EXPECT_EQ(Panel(5), QStringLiteral("Model Size: 0"));
    EXPECT_EQ(window->Action(QStringLiteral("CalculateModel"))->shortcut(),
              QKeySequence(Qt::CTRL | Qt::Key_F9));
    EXPECT_EQ(window->Action(QStringLiteral("Weights2"))->text(), QStringLiteral("&Weights"));
    EXPECT_FALSE(window->Action(QStringLiteral("RecentFile1"))->isVisible());
    auto* calcButton = window->findChild<QWidget*>(QStringLiteral("ToolCalculateModel"));
    ASSERT_NE(calcButton, nullptr);
    EXPECT_EQ(calcButton->toolTip(), QStringLiteral("Calculate Model"));
    // The two editors are child windows of the document area, the tree editor in front.
    ASSERT_EQ(window->MdiArea()->subWindowList().size(), 2);
    EXPECT_EQ(window->MdiArea()->activeSubWindow()->widget(), tree());
    EXPECT_EQ(tree()->windowTitle(), QStringLiteral("Value Tree"));
    EXPECT_EQ(alts()->windowTitle(), QStringLiteral("Alternatives"));
}

TEST_F(GuiTest, ModelSizePanelAndOptionToggles) {
    root = AddNode(kNone, kGoal, QStringLiteral("G"));
    AddNode(root, kAttribute, QStringLiteral("A"));
    AddNode(root, kAttribute, QStringLiteral("B"));
    EXPECT_EQ(Panel(5), QStringLiteral("Model Size: 0"));
    alts()->NewAlternativeClick();
    alts()->NewAlternativeClick();
    EXPECT_EQ(Panel(5), QStringLiteral("Model Size: 20"));

    MarkSaved();
    window->Action(QStringLiteral("UseTopDownWeightsMenu"))->trigger();
    EXPECT_EQ(Panel(2), QStringLiteral("Top Down"));
    EXPECT_TRUE(window->Action(QStringLiteral("UseTopDownWeightsMenu"))->isChecked());
    EXPECT_EQ(Panel(4), QStringLiteral("Changed"));
    window->Action(QStringLiteral("UseNormalizedIntervalsMenu"))->trigger();
    EXPECT_EQ(Panel(3), QStringLiteral("Normalized"));
    // Captions now show normalized weight intervals (the root's is [1 ... 1] either way).
    EXPECT_TRUE(tree()->ItemOf(root)->text(0).startsWith(QStringLiteral("G [")));
}

TEST_F(GuiTest, SaveAsThenCloseWithEachAnswer) {
    BuildSmallModel();
    const QString path = FilePath(QStringLiteral("car.vlr"));
    prompts.fileAnswers.push_back(path);
    window->Action(QStringLiteral("Save1"))->trigger(); // untitled: Save runs Save As
    ASSERT_EQ(prompts.fileDialogs.size(), 1u);
    EXPECT_EQ(prompts.fileDialogs[0].title, QStringLiteral("Save Velor Model"));
    EXPECT_EQ(prompts.fileDialogs[0].initialPath, QStringLiteral("Untitled.vlr"));
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Velor Decisions - ") + path);
    EXPECT_EQ(Panel(4), QStringLiteral("No changes"));
    EXPECT_TRUE(window->Action(QStringLiteral("RecentFile1"))->isVisible());
    EXPECT_EQ(window->Action(QStringLiteral("RecentFile1"))->text(), QStringLiteral("&1 car.vlr"));
    const QByteArray saved = ReadAll(path);

    alts()->NewAlternativeClick();
    // Cancel keeps the program running.
    prompts.answers.push_back(Answer::Cancel);
    EXPECT_FALSE(RequestClose(*window));
    EXPECT_EQ(prompts.LastText(), QStringLiteral("The model is not saved. Do you want to save it "
                                                 "before closing Velor Decisions?"));
    EXPECT_EQ(prompts.messages.back().caption, QStringLiteral("Model Unsaved"));
    EXPECT_EQ(prompts.messages.back().icon, Icon::Warning);
    // No closes without writing.
    prompts.answers.push_back(Answer::No);
    EXPECT_TRUE(RequestClose(*window));
    EXPECT_EQ(ReadAll(path), saved);
    // Yes saves, then closes.
    prompts.answers.push_back(Answer::Yes);
    EXPECT_TRUE(RequestClose(*window));
    Model reread;
    ASSERT_TRUE(LoadModelFile(reread, path.toStdString()));
    EXPECT_EQ(reread.M(), 3);
}

TEST_F(GuiTest, ReopensAFileFromTheRecentFilesMenuOfTheNextRun) {
    BuildSmallModel();
    const QString path = FilePath(QStringLiteral("plan.vlr"));
    prompts.fileAnswers.push_back(path);
    ASSERT_TRUE(window->SaveAsClick());
    ASSERT_TRUE(RequestClose(*window)); // saves the recent files
    window = MakeWindow();
    EXPECT_EQ(model().NodeCount(), 0);
    QAction* recent = window->Action(QStringLiteral("RecentFile1"));
    ASSERT_TRUE(recent->isVisible());
    EXPECT_EQ(recent->text(), QStringLiteral("&1 plan.vlr"));
    recent->trigger();
    EXPECT_EQ(model().NodeCount(), 4);
    EXPECT_EQ(model().M(), 2);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Velor Decisions - ") + path);
    EXPECT_EQ(tree()->TreeView()->topLevelItem(0)->text(0), QStringLiteral("Car [1 ... 1]"));

    // Opening the open file again with no changes does nothing; after a change it asks first.
    MarkSaved();
    recent->trigger();
    EXPECT_TRUE(prompts.messages.empty());
    alts()->NewAlternativeClick();
    prompts.answers.push_back(Answer::No);
    recent->trigger();
    EXPECT_EQ(prompts.LastText(), QStringLiteral("The model is not saved. Do you want to save it "
                                                 "before opening another model?"));
    EXPECT_EQ(model().M(), 2);
    EXPECT_FALSE(Changed());
}

TEST_F(GuiTest, AFailedOpenSaysSoAndLeavesAnEmptyUntitledModel) {
    BuildSmallModel();
    MarkSaved();
    const QString bad = FilePath(QStringLiteral("bad.vlr"));
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is not a model\n-7\n");
    f.close();
    prompts.fileAnswers.push_back(bad);
    window->Action(QStringLiteral("Open1"))->trigger();
    ASSERT_EQ(prompts.fileDialogs.size(), 1u);
    EXPECT_EQ(prompts.fileDialogs[0].title, QStringLiteral("Open Velor Model"));
    EXPECT_EQ(prompts.LastText(), QStringLiteral("File ") + bad +
                                      QStringLiteral(" is not a valid Velor Model.\nCannot "
                                                     "open the file."));
    EXPECT_EQ(prompts.messages.back().icon, Icon::Stop);
    // The reason is the message's detail: here the line and what was expected there.
    EXPECT_TRUE(prompts.messages.back().detail.startsWith(QStringLiteral("line ")))
        << prompts.messages.back().detail.toStdString();
    EXPECT_EQ(model().NodeCount(), 0);
    EXPECT_EQ(model().M(), 0);
    EXPECT_FALSE(Changed());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Velor Decisions"));
    EXPECT_EQ(tree()->TreeView()->topLevelItemCount(), 0);
    EXPECT_FALSE(window->Action(QStringLiteral("RecentFile1"))->isVisible());

    // A file that is not there: the system's reason (in the session's language).
    const QString gone = FilePath(QStringLiteral("gone.vlr"));
    EXPECT_FALSE(window->OpenFile(gone));
    Model unused;
    std::string reason;
    ASSERT_FALSE(LoadModelFile(unused, gone.toStdString(), &reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(prompts.messages.back().detail, QString::fromStdString(reason));
}

TEST_F(GuiTest, AFailedSaveIsReportedAndKeepsNameAndChangedFlag) {
    BuildSmallModel();
    const QString path = FilePath(QStringLiteral("missing-folder/model.vlr"));
    prompts.fileAnswers.push_back(path);
    EXPECT_FALSE(window->SaveAsClick());
    EXPECT_EQ(prompts.LastText(),
              QStringLiteral("Cannot save into file ") + path + QStringLiteral("."));
    EXPECT_TRUE(Changed());
    EXPECT_TRUE(window->FileName().empty());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Velor Decisions"));
}

TEST_F(GuiTest, NewAndTheClearCommandsAskFirst) {
    BuildSmallModel();
    prompts.answers.push_back(Answer::No);
    window->Action(QStringLiteral("New1"))->trigger();
    EXPECT_EQ(prompts.LastText(),
              QStringLiteral("Are you sure you want to clear the current model?"));
    EXPECT_EQ(model().NodeCount(), 4);

    prompts.answers.push_back(Answer::Yes);
    window->Action(QStringLiteral("ClearAlternatives1"))->trigger();
    EXPECT_EQ(model().M(), 0);
    prompts.answers.push_back(Answer::Yes);
    window->Action(QStringLiteral("ClearValueTree1"))->trigger();
    EXPECT_EQ(prompts.LastText(), QStringLiteral("Are you sure you wish to clear the whole value "
                                                 "tree?\nAll information in the value tree will "
                                                 "be lost!"));
    EXPECT_TRUE(model().TreeEmpty());
    // An empty tree asks nothing.
    window->Action(QStringLiteral("ClearValueTree1"))->trigger();

    prompts.answers.push_back(Answer::Yes);
    window->Action(QStringLiteral("New1"))->trigger();
    EXPECT_EQ(Panel(4), QStringLiteral("No changes"));
    window->Action(QStringLiteral("New1"))->trigger(); // unchanged: clears without asking
}

TEST_F(GuiTest, CalculateModelShowsProgressPanelsAndTheCompletionMessage) {
    const QString car = QStringLiteral(VELOR_EXAMPLES_DIR "/car.vlr");
    ASSERT_TRUE(window->OpenFile(car));
    const int m = model().M();
    ASSERT_GT(m, 1);
    // Forget the stored results so the run is seen to write them.
    for (int row = 1; row <= m; ++row) {
        ResultRecords(model()).AlternativeData(row).ValueLower = -1;
    }
    window->Action(QStringLiteral("CalculateModel"))->trigger();
    EXPECT_EQ(prompts.LastText(), QStringLiteral("Calculation complete"));
    EXPECT_EQ(prompts.messages.back().icon, Icon::Information);
    EXPECT_EQ(prompts.messages.back().caption, QStringLiteral("Velor Decisions"));
    EXPECT_EQ(Panel(0), QStringLiteral("100 %"));
    EXPECT_EQ(Panel(1), QStringLiteral("Ready"));
    EXPECT_EQ(Panel(4), QStringLiteral("Changed"));
    EXPECT_EQ(window->Progress()->InfoLabel()->text(), QStringLiteral("Calculating model..."));
    EXPECT_FALSE(window->Progress()->isVisible());
    for (int row = 1; row <= m; ++row) {
        EXPECT_GE(model().Alternative(row).ValueLower, 0.0);
    }

    // The partial calculation has its own message.
    window->Action(QStringLiteral("CalculateModelPartially1"))->trigger();
    EXPECT_TRUE(prompts.LastText().startsWith(QStringLiteral("Partial calculation complete.\n")));
}

TEST_F(GuiTest, CalculatingAnEmptyModelSaysNothingAndChangesNothing) {
    window->Action(QStringLiteral("CalculateModel"))->trigger();
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_FALSE(window->Progress()->isVisible());
    EXPECT_EQ(Panel(4), QStringLiteral("No changes"));
}

TEST_F(GuiTest, CancelStopsTheCalculation) {
    ASSERT_TRUE(window->OpenFile(QStringLiteral(VELOR_EXAMPLES_DIR "/car.vlr")));
    // Press Cancel once the first step has moved the progress bar.
    ProgressDialog* dialog = window->Progress();
    auto pressed = QObject::connect(dialog->ProgressBar(), &QProgressBar::valueChanged, dialog,
                                    [dialog](int value) {
                                        if (value > 0) {
                                            dialog->CancelButton()->click();
                                        }
                                    });
    window->Calculate(kCalculateModel);
    QObject::disconnect(pressed);
    EXPECT_EQ(prompts.LastText(), QStringLiteral("Calculation was not finished successfully."));
    EXPECT_EQ(prompts.messages.back().icon, Icon::Warning);
    EXPECT_EQ(Panel(1), QStringLiteral("Ready"));
}

TEST_F(GuiTest, ExportsProposeNamesAndReport) {
    ASSERT_TRUE(window->OpenFile(QStringLiteral(VELOR_EXAMPLES_DIR "/car.vlr")));
    const QString mdl = FilePath(QStringLiteral("car.mdl"));
    prompts.fileAnswers.push_back(mdl);
    window->Action(QStringLiteral("ExportModel"))->trigger();
    EXPECT_EQ(prompts.fileDialogs.back().title, QStringLiteral("Export Constraints"));
    EXPECT_EQ(prompts.fileDialogs.back().initialPath, QStringLiteral("car.mdl"));
    EXPECT_EQ(prompts.LastText(), QStringLiteral("Model exported successfully."));
    EXPECT_TRUE(ReadAll(mdl).startsWith("//Model Constraints\r\n\r\n"));

    prompts.fileAnswers.push_back(FilePath(QStringLiteral("no-such-folder/car.txt")));
    window->Action(QStringLiteral("ExportResults"))->trigger();
    EXPECT_EQ(prompts.fileDialogs.back().initialPath, QStringLiteral("car.txt"));
    EXPECT_TRUE(prompts.LastText().startsWith(QStringLiteral("Cannot write to the file ")));
    EXPECT_EQ(prompts.messages.back().icon, Icon::Stop);

    prompts.fileAnswers.push_back(QString()); // cancelled: nothing written, nothing said
    const std::size_t before = prompts.messages.size();
    window->Action(QStringLiteral("ExportResults"))->trigger();
    EXPECT_EQ(prompts.messages.size(), before);
}

TEST_F(GuiTest, AnErrorEscapingACommandIsShownAndTheProgramGoesOn) {
    window->RunCommand([] { throw std::runtime_error("disk on fire"); });
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_EQ(prompts.errors[0], QStringLiteral("disk on fire"));
    prompts.textAnswers.push_back(QStringLiteral("Still here"));
    tree()->TreeMenuAboutToShow();
    tree()->NewGoalAction()->trigger();
    EXPECT_EQ(model().NodeCount(), 1);
}

TEST_F(GuiTest, HelpOpensTheGuideAtItsStartPageAndWindowsComeForward) {
    window->Action(QStringLiteral("HelpTopics1"))->trigger();
    ASSERT_NE(window->Help(), nullptr);
    EXPECT_EQ(window->Help()->Browser()->source(), QUrl(QStringLiteral("qrc:/help/index.html")));
    EXPECT_FALSE(window->Help()->Browser()->toPlainText().isEmpty());
    window->Help()->close();

    window->Action(QStringLiteral("Alternatives1"))->trigger();
    EXPECT_EQ(window->MdiArea()->activeSubWindow()->widget(), alts());
    window->MdiArea()->activeSubWindow()->showMinimized();
    window->Action(QStringLiteral("Alternatives1"))->trigger();
    EXPECT_FALSE(window->MdiArea()->activeSubWindow()->isMinimized());
    window->Action(QStringLiteral("ValueTree1"))->trigger();
    EXPECT_EQ(window->MdiArea()->activeSubWindow()->widget(), tree());
}

} // namespace
} // namespace velor::ui::test

namespace velor::ui::test {
namespace {

TEST_F(GuiTest, AnErrorInsideACalculationClosesTheProgressWindowAndIsShown) {
    ProgressDialog* dialog = window->Progress();
    dialog->runCalculation = [](CalcHost& host) {
        host.RunStarted("Calculating model...");
        throw std::runtime_error("solver exploded");
    };
    dialog->RunModal();
    EXPECT_FALSE(dialog->isVisible());
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_EQ(prompts.errors[0], QStringLiteral("solver exploded"));
    EXPECT_EQ(Panel(0), QStringLiteral("100 %"));
    EXPECT_EQ(Panel(1), QStringLiteral("Ready"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(GuiTest, PrintActiveWindowPrintsAPictureOnlyWhenConfirmed) {
    const QString pdf = FilePath(QStringLiteral("tree.pdf"));
    prompts.printFile = pdf;
    window->Action(QStringLiteral("Print1"))->trigger();
    EXPECT_EQ(prompts.printDialogs, 1);
    EXPECT_FALSE(QFileInfo::exists(pdf));
    prompts.printAnswer = true;
    window->Action(QStringLiteral("Print1"))->trigger();
    EXPECT_GT(QFileInfo(pdf).size(), 0);
}

TEST_F(GuiTest, AboutBoxNamesProgramVersionSystemAndProcessor) {
    AboutBox* about = window->About();
    auto text = [about](const char* name) {
        auto* label = about->findChild<QLabel*>(QString::fromLatin1(name));
        return label != nullptr ? label->text() : QString();
    };
    EXPECT_TRUE(text("ProgramLabel").contains(QStringLiteral("Velor Decisions")));
    EXPECT_TRUE(text("VersionLabel").contains(QStringLiteral(VELOR_VERSION_TEXT)));
    EXPECT_TRUE(text("SystemLabel").contains(QSysInfo::kernelType()));
    EXPECT_TRUE(text("ProcessorLabel").startsWith(QSysInfo::currentCpuArchitecture()));
}

} // namespace
} // namespace velor::ui::test

namespace velor::ui::test {
namespace {

TEST_F(GuiTest, WindowPlacementsAreSavedOnCloseAndRestoredAtTheNextStart) {
    QMdiSubWindow* treeWindow = nullptr;
    for (QMdiSubWindow* w : window->MdiArea()->subWindowList()) {
        if (w->widget() == tree()) {
            treeWindow = w;
        }
    }
    ASSERT_NE(treeWindow, nullptr);
    treeWindow->setGeometry(20, 30, 250, 200);
    ASSERT_TRUE(RequestClose(*window));
    const IniFile settings(SettingsPath());
    EXPECT_EQ(settings.ReadSetting("TreeForm", "Width"), "250");
    EXPECT_EQ(settings.ReadSetting("TreeForm", "Left"), "20");
    EXPECT_FALSE(settings.ReadSetting("MainForm", "Height").empty());
    EXPECT_EQ(settings.ReadSetting("AlternativeForm", "State"), "0");

    window = MakeWindow();
    EXPECT_EQ(window->Tree()->parentWidget()->geometry(), QRect(20, 30, 250, 200));
    // The value tree editor is in front after start-up.
    EXPECT_EQ(window->MdiArea()->activeSubWindow()->widget(), window->Tree());
}

} // namespace
} // namespace velor::ui::test

namespace velor::ui::test {
namespace {

TEST_F(GuiTest, AResultViewOpensOnceAndRemembersWhereItWasClosed) {
    int made = 0;
    window->SetResultViewFactory(ResultView::Weights, [&made](const Document&) {
        ++made;
        auto* view = new QWidget;
        view->setWindowTitle(QStringLiteral("Weights"));
        return view;
    });
    QAction* show = window->Action(QStringLiteral("Weights1"));
    ASSERT_TRUE(show->isEnabled());
    EXPECT_FALSE(window->Action(QStringLiteral("Dominance1"))->isEnabled());
    show->trigger();
    show->trigger();
    EXPECT_EQ(made, 1);
    QWidget* view = window->ResultViewWidget(ResultView::Weights);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(window->MdiArea()->activeSubWindow()->widget(), view);

    view->parentWidget()->setGeometry(40, 50, 300, 200);
    view->parentWidget()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window->ResultViewWidget(ResultView::Weights), nullptr);
    EXPECT_EQ(IniFile(SettingsPath()).ReadSetting("WeightsForm", "Left"), "40");

    show->trigger();
    EXPECT_EQ(made, 2);
    EXPECT_EQ(window->ResultViewWidget(ResultView::Weights)->parentWidget()->geometry(),
              QRect(40, 50, 300, 200));
    // New closes the result views.
    window->NewClick();
    EXPECT_EQ(window->ResultViewWidget(ResultView::Weights), nullptr);
}

} // namespace
} // namespace velor::ui::test

namespace velor::ui::test {
namespace {

// "Yes, save it first" followed by a save that did not happen: the command that asked stops,
// and the model keeps its changes, its (missing) file name and the window stays open.
enum class AskingCommand { Open, OpenRecent, Close };
enum class SaveOutcome { SaveAsCancelled, WriteFails };

class SaveThatDidNotHappen
    : public GuiTest,
      public ::testing::WithParamInterface<std::tuple<AskingCommand, SaveOutcome>> {};

TEST_P(SaveThatDidNotHappen, StopsTheCommandAndKeepsTheChanges) {
    const auto [command, outcome] = GetParam();
    // A recent file to open, then an untitled model with changes.
    ASSERT_TRUE(window->OpenFile(QStringLiteral(VELOR_EXAMPLES_DIR "/car.vlr")));
    window->Action(QStringLiteral("New1"))->trigger();
    BuildSmallModel();
    ASSERT_TRUE(Changed());

    prompts.answers.push_back(Answer::Yes);
    prompts.fileAnswers.push_back(outcome == SaveOutcome::SaveAsCancelled
                                      ? QString()
                                      : FilePath(QStringLiteral("no-such-folder/m.vlr")));
    switch (command) {
    case AskingCommand::Open:
        window->Action(QStringLiteral("Open1"))->trigger();
        break;
    case AskingCommand::OpenRecent:
        window->Action(QStringLiteral("RecentFile1"))->trigger();
        break;
    case AskingCommand::Close:
        EXPECT_FALSE(RequestClose(*window));
        break;
    }
    // Only the Save As dialog was shown: no file was chosen to open.
    ASSERT_EQ(prompts.fileDialogs.size(), 1u);
    EXPECT_EQ(prompts.fileDialogs[0].title, QStringLiteral("Save Velor Model"));
    EXPECT_EQ(model().NodeCount(), 4);
    EXPECT_EQ(model().M(), 2);
    EXPECT_TRUE(Changed());
    EXPECT_EQ(Panel(4), QStringLiteral("Changed"));
    EXPECT_TRUE(window->FileName().empty());
    EXPECT_TRUE(window->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    EveryAskingCommand, SaveThatDidNotHappen,
    ::testing::Combine(::testing::Values(AskingCommand::Open, AskingCommand::OpenRecent,
                                         AskingCommand::Close),
                       ::testing::Values(SaveOutcome::SaveAsCancelled, SaveOutcome::WriteFails)));

// The visible items of one menu (the menu bar counts as one) whose access key is taken already.
void CollectClashes(const QList<QAction*>& items, QStringList& clashes) {
    std::set<QString> taken;
    for (const QAction* a : items) {
        if (a->menu() != nullptr) {
            CollectClashes(a->menu()->actions(), clashes);
        }
        const QString text = QString(a->text()).remove(QStringLiteral("&&")); // "&&" is no key
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        if (a->isVisible() && at >= 0 && !taken.insert(text.mid(at + 1, 1).toLower()).second) {
            clashes << a->text();
        }
    }
}

// With the captions the tree's commands take on a goal and on an attribute.
TEST_F(GuiTest, NoTwoItemsOfAMenuShareAnAccessKey) {
    BuildSmallModel();
    QStringList clashes;
    for (const NodeId node : {root, price}) {
        tree()->SelectNode(node);
        CollectClashes(window->menuBar()->actions(), clashes);
        CollectClashes(tree()->TreePopup()->actions(), clashes);
    }
    EXPECT_EQ(clashes, QStringList());
}

} // namespace
} // namespace velor::ui::test
