#include "ui/main_window.h"

#include "calc/acceptability.h"
#include "calc/calculation_driver.h"
#include "calc/result_warnings.h"
#include "model/window_placement.h"
#include "ui/about_box.h"
#include "ui/action_ids.h"
#include "ui/alternatives_editor.h"
#include "ui/conflict_window.h"
#include "ui/empty_state.h"
#include "ui/help_window.h"
#include "ui/node_icons.h"
#include "ui/progress_dialog.h"
#include "ui/prompts.h"
#include "ui/tree_editor.h"
#include "ui/ui_text.h"
#include "ui/widget_placement.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QStatusBar>
#include <QTimer>

#include <exception>

namespace velor::ui {

namespace {

namespace A = action_id;

constexpr std::array<const char*, kResultViewCount> kResultViewNames = {
    "ValIntForm", "WeightsForm", "DominanceForm", "DecisionForm", "AcceptabilityForm"};

// The samples the analysis takes unless the user asks for another number.
constexpr int kDefaultAcceptabilitySamples = 10000;
constexpr int kMostAcceptabilitySamples = 100000000;

// Where the workspace choice is kept in the settings file.
constexpr const char* kWorkspaceSection = "Workspace";
constexpr const char* kTabbedKey = "TabbedWindows";

// The start-up layout of the three editor windows fills this much of the workspace; a smaller
// workspace (a small screen, a large scale factor) gets the same layout scaled down.
constexpr int kDefaultLayoutWidth = 1095;
constexpr int kDefaultLayoutHeight = 620;

} // namespace

MainWindow::MainWindow(Prompts& prompts, std::filesystem::path settingsPath, QWidget* parent)
    : QMainWindow(parent), prompts_(prompts), settings_(std::move(settingsPath)) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowIcon(AppIcon());
    setAcceptDrops(true);
    resize(1100, 700);
    mdi_ = new QMdiArea(this);
    mdi_->setObjectName(QStringLiteral("MdiArea"));
    setCentralWidget(mdi_);

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();

    // Windows in their order of creation: the About box, the two editors, the progress dialog.
    about_ = new AboutBox(this);
    treeEditor_ = new TreeEditor(document_, prompts_);
    treeWindow_ = AddChild(treeEditor_, "TreeForm");
    treeWindow_->setGeometry(0, 0, 400, 335);
    AddTreeCommands();
    altEditor_ = new AlternativesEditor(document_, prompts_);
    altWindow_ = AddChild(altEditor_, "AlternativeForm");
    altWindow_->setGeometry(400, 0, 695, 335);
    progress_ = new ProgressDialog(prompts_, this);
    progress_->offerConflict = true;
    progress_->setProgressPanel = [this](const QString& text) { panels_[0]->setText(text); };
    progress_->setActivityPanel = [this](const QString& text) { panels_[1]->setText(text); };
    treeEditor_->onTreeMoved = [this] {
        for (QMdiSubWindow* window : resultWindows_) {
            if (window != nullptr) {
                window->widget()->update();
            }
        }
    };

    GetModel().AddObserver(this);
    recent_.LoadRecentFiles(settings_);
    UpdateCaption();
    UpdateStatusPanels();
    UpdateUndoActions();
    RestorePlacements();

    // The empty state: over the workspace while the model has no node.
    auto* newMainGoal = new QAction(this);
    connect(newMainGoal, &QAction::triggered, this, [this] {
        RunCommand([this] {
            ShowTreeEditor();
            treeEditor_->SelectNode(kNone);
            treeEditor_->TreeMenuAboutToShow();
            if (GetModel().TreeEmpty() && treeEditor_->NewGoalAction()->isEnabled()) {
                treeEditor_->NewGoalAction()->trigger();
            }
        });
    });
    recentButtonMenu_ = new QMenu(this);
    recentButtonMenu_->setObjectName(QStringLiteral("RecentButtonMenu"));
    for (QAction* action : recentActions_) {
        recentButtonMenu_->addAction(action);
    }
    emptyState_ = new EmptyState(newMainGoal, Action(A::kOpenExample), recentButtonMenu_, mdi_);
    connect(emptyState_, &EmptyState::WalkthroughRequested, this,
            [this] { ShowHelpPage(QStringLiteral("walkthrough.html")); });
    mdi_->installEventFilter(this);

    RebuildRecentMenu();
    if (settings_.ReadSetting(kWorkspaceSection, kTabbedKey) == "1") {
        SetTabbedWindows(true);
    }
    UpdateEmptyState();
}

MainWindow::~MainWindow() {
    GetModel().RemoveObserver(this);
    // Every child window may observe the model; they all go before it does.
    resultWindows_.fill(nullptr);
    const QList<QMdiSubWindow*> windows = mdi_->subWindowList();
    qDeleteAll(windows);
}

QMdiSubWindow* MainWindow::AddChild(QWidget* content, const char* placementName) {
    QMdiSubWindow* window = mdi_->addSubWindow(content);
    window->setObjectName(QString::fromLatin1(placementName) + QStringLiteral("Window"));
    window->setProperty("placementName", QString::fromLatin1(placementName));
    window->setWindowIcon(content->windowIcon().isNull() ? windowIcon() : content->windowIcon());
    // Editor windows live for the whole run: closing one only hides it.
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    return window;
}

// ----- model notifications

void MainWindow::ModelChanged(ModelChange what) {
    switch (what) {
    case ModelChange::History:
        UpdateUndoActions();
        UpdateStatusPanels();
        break;
    case ModelChange::Tree:
        UpdateEmptyState();
        UpdateStatusPanels();
        break;
    case ModelChange::Options:
    case ModelChange::Table:
    case ModelChange::Results:
        UpdateStatusPanels();
        break;
    default:
        break;
    }
    // An open list of conflicting statements follows every change of what it is computed from
    // (an edit elsewhere, Undo, Redo), so that it never names a conflict that is gone.
    const bool statementsChanged = what == ModelChange::Tree || what == ModelChange::Table ||
                                   what == ModelChange::Assessments ||
                                   what == ModelChange::Options;
    if (statementsChanged && conflict_ != nullptr && conflict_->isVisible()) {
        conflictRefresh_->start();
    }
}

void MainWindow::UpdateStatusPanels() {
    const Model& model = GetModel();
    panels_[2]->setText(model.TopDownWeights() ? QStringLiteral("Top Down")
                                               : QStringLiteral("Bottom Up"));
    panels_[3]->setText(model.NormalizedIntervals() ? QStringLiteral("Normalized")
                                                    : QStringLiteral("Not normalized"));
    panels_[4]->setText(document_.Changed() ? QStringLiteral("Changed")
                                            : QStringLiteral("No changes"));
    panels_[5]->setText(QStringLiteral("Model Size: ") + QString::number(model.ModelSize()));
    outOfDatePanel_->setVisible(document_.ResultsOutOfDate());
    // The first warning of the stored results, all of them in the tooltip; none before the
    // model holds any result.
    const std::vector<std::string> warnings = model.Calculated() == CalculatedResults{}
                                                  ? std::vector<std::string>()
                                                  : ResultWarnings(model);
    QStringList lines;
    for (const std::string& warning : warnings) {
        lines.push_back(ToQ(warning));
    }
    warningPanel_->setText(lines.isEmpty() ? QString() : QStringLiteral("Warning: ") + lines.front());
    warningPanel_->setToolTip(lines.join(QLatin1Char('\n')));
    warningPanel_->setVisible(!lines.isEmpty());
    Action(A::kTopDownWeights)->setChecked(model.TopDownWeights());
    Action(A::kNormalizedIntervals)->setChecked(model.NormalizedIntervals());
}

void MainWindow::UpdateUndoActions() {
    QAction* undo = Action(A::kUndo);
    QAction* redo = Action(A::kRedo);
    undo->setEnabled(document_.CanUndo());
    redo->setEnabled(document_.CanRedo());
    undo->setText(document_.CanUndo() ? QStringLiteral("&Undo ") + ToQ(document_.UndoLabel())
                                      : QStringLiteral("&Undo"));
    redo->setText(document_.CanRedo() ? QStringLiteral("&Redo ") + ToQ(document_.RedoLabel())
                                      : QStringLiteral("&Redo"));
    undo->setToolTip(undo->text().remove(QLatin1Char('&')));
    redo->setToolTip(redo->text().remove(QLatin1Char('&')));
}

void MainWindow::UndoClick() {
    document_.Undo();
}

void MainWindow::RedoClick() {
    document_.Redo();
}

// ----- commands

void MainWindow::RunCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& error) {
        prompts_.ErrorBox(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        prompts_.ErrorBox(QStringLiteral("An unexpected error occurred."));
    }
}

void MainWindow::PrintClick() {
    if (!prompts_.PrintDialog(printer_)) {
        return;
    }
    QMdiSubWindow* active = mdi_->activeSubWindow();
    QWidget* target = active != nullptr ? active->widget() : this;
    // The model's name heads every printed page.
    printer_.setDocName(GetModel().TreeEmpty()
                            ? QString()
                            : QString::fromStdString(GetModel().Node(GetModel().Root()).Name));
    if (auto* printable = dynamic_cast<PrintableView*>(target)) {
        printable->PrintView(printer_);
        return;
    }
    // Any other window is printed as a picture, scaled to fit the page.
    const QPixmap picture = (active != nullptr ? static_cast<QWidget*>(active) : this)->grab();
    QPainter painter;
    if (!painter.begin(&printer_)) {
        prompts_.Inform(kAppTitle, QStringLiteral("Cannot print the window."), Icon::Stop);
        return;
    }
    const QRect page = painter.viewport();
    QSize size = picture.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    painter.setViewport(page.x(), page.y(), size.width(), size.height());
    painter.setWindow(picture.rect());
    painter.drawPixmap(0, 0, picture);
    painter.end();
}

void MainWindow::PrintSetupClick() {
    prompts_.PrintSetup(printer_);
}

void MainWindow::ClearValueTreeClick() {
    if (GetModel().TreeEmpty()) {
        return;
    }
    if (prompts_.Message(QStringLiteral("Confirm deletion"),
                         QStringLiteral("Are you sure you wish to clear the whole value tree?\n"
                                        "All information in the value tree will be lost!"),
                         Icon::Warning, Buttons::YesNo) == Answer::Yes) {
        document_.Apply("Clear Value Tree", [](Model& m) { m.DeleteSubtree(m.Root()); });
    }
}

void MainWindow::ClearAlternativesClick() {
    if (prompts_.Message(QStringLiteral("Confirm deletion"),
                         QStringLiteral("Are you sure you wish to delete all alternatives?\n"
                                        "All information on the alternatives will be lost!"),
                         Icon::Warning, Buttons::YesNo) == Answer::Yes) {
        document_.Apply("Clear Alternatives", [](Model& m) { m.ClearAlternatives(); });
    }
}

void MainWindow::ClearPreferencesClick() {
    if (prompts_.Message(
            QStringLiteral("Confirm deletion"),
            QStringLiteral("Are you sure you wish to delete all preference information?"),
            Icon::Warning, Buttons::YesNo) == Answer::Yes) {
        document_.Apply("Clear Preferences", [](Model& m) { m.ClearPreferences(); });
    }
}

void MainWindow::Calculate(CalculationType type) {
    // The first complete calculation of a model opens the views its results are read in and
    // says so in its message, so that nobody has to know the F8 to F12 keys to find them. Only
    // "Calculate Model" computes everything those two views show.
    const bool firstResults =
        type == kCalculateModel && !firstResultsShown_ &&
        viewFactories_[static_cast<std::size_t>(ResultView::ValueIntervals)] &&
        viewFactories_[static_cast<std::size_t>(ResultView::DecisionRules)];
    bool announced = false;
    // One step of the history, so that after an undo the stored results always belong to the
    // model they were calculated for.
    document_.ApplyCalculation(CalculationName(type), [this, type, firstResults,
                                                       &announced](Model& model) {
        RunOutcome outcome = RunOutcome::NotFinished;
        Document::ResultSets sets;
        progress_->runCalculation = [this, &model, &outcome, &sets, type](CalcHost& host) {
            CalculationDriver driver(model, host);
            driver.SetCurrentResults(document_.CurrentResults());
            outcome = driver.Run(type);
            sets.parts = driver.RunParts();
        };
        progress_->finalText = [&outcome, &announced, firstResults](const QString& text) {
            if (!firstResults || outcome != RunOutcome::Complete ||
                text != QLatin1String(kCompleteMessage)) {
                return text;
            }
            announced = true;
            return text + QStringLiteral("\nThe results are in the Value Intervals and Decision "
                                         "Rules windows (Windows menu, F8 to F12).");
        };
        progress_->RunModal();
        progress_->finalText = nullptr;
        const CalculatedResults parts = sets.parts;
        sets = CalculatedSets(model, type, outcome);
        sets.parts = parts;
        return sets;
    });
    UpdateStatusPanels();
    if (announced) {
        firstResultsShown_ = true;
        ShowResultView(ResultView::ValueIntervals);
        ShowResultView(ResultView::DecisionRules);
    }
    if (progress_->ConflictRequested()) {
        ShowConflict();
    }
}

void MainWindow::AcceptabilityAnalysisClick() {
    // Digits only, shown and read without group separators: a point or a comma marks decimals
    // wherever a number is typed, so "10.000" is no ten thousand here either.
    const std::optional<QString> answer =
        prompts_.TextPrompt(QStringLiteral("Acceptability Analysis"),
                            QStringLiteral("Number of samples (%1 to %2):")
                                .arg(kMinimumAcceptabilitySamples)
                                .arg(kMostAcceptabilitySamples),
                            QString::number(kDefaultAcceptabilitySamples), 20);
    if (!answer) {
        return;
    }
    bool ok = false;
    const int samples = answer->trimmed().toInt(&ok);
    if (!ok || samples < kMinimumAcceptabilitySamples || samples > kMostAcceptabilitySamples) {
        prompts_.Inform(kAppTitle,
                        QStringLiteral("The number of samples must be a whole number from %1 "
                                       "to %2.")
                            .arg(kMinimumAcceptabilitySamples)
                            .arg(kMostAcceptabilitySamples),
                        Icon::Stop);
        return;
    }
    AcceptabilityOptions options;
    options.Samples = samples;
    AcceptabilityOutcome outcome;
    const Model& model = document_.GetModel();
    progress_->runCalculation = [&model, &options, &outcome](CalcHost& host) {
        host.ResetCancel();
        host.RunStarted("Acceptability analysis...");
        AcceptabilityCallbacks callbacks;
        callbacks.StopRequested = [&host] {
            host.ProcessEvents();
            return host.CancelRequested();
        };
        callbacks.Progress = [&host](int done, int total) { host.ShowProgress(done, total); };
        outcome = ComputeAcceptability(model, options, callbacks);
        host.RunFinished();
        if (outcome.Status == AcceptabilityStatus::Stopped) {
            host.ShowMessage(MessageKind::Warning,
                             "The acceptability analysis was not finished; the previous one "
                             "is kept.");
        } else if (outcome.Status != AcceptabilityStatus::Completed) {
            host.ShowMessage(MessageKind::Error, outcome.Message);
        }
    };
    progress_->RunModal();
    if (outcome.Status != AcceptabilityStatus::Completed) {
        return;
    }
    document_.SetAcceptability(
        std::make_shared<const AcceptabilityResult>(std::move(outcome.Result)));
    ShowResultView(ResultView::Acceptability);
}

void MainWindow::TopDownWeightsClick() {
    document_.Apply("Top Down Weights", [](Model& m) { m.SetTopDownWeights(!m.TopDownWeights()); });
    UpdateStatusPanels();
}

void MainWindow::NormalizedIntervalsClick() {
    // Only which stored intervals are shown changes: the results stay as current as they were.
    document_.Apply(
        "Normalized Intervals",
        [](Model& m) { m.SetNormalizedIntervals(!m.NormalizedIntervals()); },
        Document::StepKind::KeepsResults);
    UpdateStatusPanels();
    for (QMdiSubWindow* window : resultWindows_) {
        if (window != nullptr) {
            window->widget()->update();
        }
    }
}

void MainWindow::BringForward(QMdiSubWindow* window) {
    if (window == nullptr) {
        return;
    }
    window->showNormal();
    window->show();
    window->widget()->show();
    mdi_->setActiveSubWindow(window);
    window->raise();
}

void MainWindow::ShowTreeEditor() {
    BringForward(treeWindow_);
}

void MainWindow::ShowAlternativesEditor() {
    BringForward(altWindow_);
}

void MainWindow::ShowPreferenceView() {
    BringForward(preferenceWindow_);
}

void MainWindow::SetPreferenceView(QWidget* view) {
    preferenceWindow_ = AddChild(view, "PreferenceForm");
    Action(A::kPreferences)->setEnabled(true);
    preferenceWindow_->setGeometry(0, 335, 1095, 285);
    WidgetPlacement placement(preferenceWindow_, "PreferenceForm");
    RestorePlacement(settings_, placement);
    // The start-up order: the alternatives editor, then the value tree editor in front.
    BringForward(altWindow_);
    BringForward(treeWindow_);
}

void MainWindow::SetResultViewFactory(ResultView view, ViewFactory factory) {
    const auto index = static_cast<std::size_t>(view);
    viewFactories_[index] = std::move(factory);
    static const std::array<const char*, kResultViewCount> actionIds = {
        A::kValueIntervals, A::kWeights, A::kDominance, A::kDecisionRules, A::kAcceptability};
    Action(actionIds[index])->setEnabled(viewFactories_[index] != nullptr);
}

QWidget* MainWindow::ResultViewWidget(ResultView view) const {
    QMdiSubWindow* window = resultWindows_[static_cast<std::size_t>(view)];
    return window != nullptr ? window->widget() : nullptr;
}

void MainWindow::ShowResultView(ResultView view) {
    const auto index = static_cast<std::size_t>(view);
    if (resultWindows_[index] == nullptr) {
        if (!viewFactories_[index]) {
            return;
        }
        QWidget* content = viewFactories_[index](document_);
        if (content == nullptr) {
            return;
        }
        QMdiSubWindow* window = AddChild(content, kResultViewNames[index]);
        window->setAttribute(Qt::WA_DeleteOnClose, true);
        resultWindows_[index] = window;
        connect(window, &QObject::destroyed, this,
                [this, index] { resultWindows_[index] = nullptr; });
        WidgetPlacement placement(window, kResultViewNames[index]);
        RestorePlacement(settings_, placement);
        window->installEventFilter(this);
    }
    BringForward(resultWindows_[index]);
    // A placement stored for a larger workspace, or a view whose natural size is larger than
    // this one, comes up within the workspace.
    if (!TabbedWindows()) {
        FitInsideArea(resultWindows_[index], mdi_->viewport()->size());
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mdi_ && event->type() == QEvent::Resize && emptyState_ != nullptr) {
        emptyState_->PlaceIn(mdi_->size());
    }
    // In the tabbed workspace every view fills it: its size is no placement to remember.
    if (event->type() == QEvent::Close && !TabbedWindows()) {
        for (std::size_t i = 0; i < resultWindows_.size(); ++i) {
            if (resultWindows_[i] != nullptr && resultWindows_[i] == watched) {
                WidgetPlacement placement(resultWindows_[i], kResultViewNames[i]);
                SavePlacement(settings_, placement);
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::CloseResultViews() {
    for (std::size_t i = 0; i < resultWindows_.size(); ++i) {
        if (QMdiSubWindow* window = resultWindows_[i]) {
            if (!TabbedWindows()) {
                WidgetPlacement placement(window, kResultViewNames[i]);
                SavePlacement(settings_, placement);
            }
            resultWindows_[i] = nullptr;
            delete window;
        }
    }
}

void MainWindow::SetElicitationTour(std::function<void()> tour) {
    elicitationTour_ = std::move(tour);
    Action(A::kElicitationTour)->setEnabled(static_cast<bool>(elicitationTour_));
}

void MainWindow::SetBottomUpWeightAssessment(std::function<void()> assessment) {
    bottomUpAssessment_ = std::move(assessment);
    Action(A::kWeightAssessment)->setEnabled(static_cast<bool>(bottomUpAssessment_));
}

void MainWindow::SetAssessmentOpener(AssessmentOpener opener) {
    assessmentOpener_ = std::move(opener);
}

// The search runs inside the progress dialog, whose Cancel stops it between two checks.
ConflictResult MainWindow::SearchConflict(const Model& model) {
    ConflictResult result;
    result.Outcome = ConflictOutcome::Stopped; // cancelled before it started
    progress_->runCalculation = [&model, &result](CalcHost& host) {
        host.RunStarted(kConflictSearchStatus);
        result = FindConflict(model, [&host] {
            host.ProcessEvents();
            return host.CancelRequested();
        });
        host.RunFinished();
    };
    progress_->RunModal();
    progress_->runCalculation = nullptr;
    return result;
}

void MainWindow::ShowConflict() {
    if (conflict_ == nullptr) {
        conflict_ = new ConflictWindow(this);
        conflict_->SetOpenHandler(
            [this](const ConflictStatement& statement) { OpenAssessmentOf(statement); });
        conflict_->SetSearchRunner([this](const Model& model) { return SearchConflict(model); });
        conflictRefresh_ = new QTimer(this);
        conflictRefresh_->setSingleShot(true);
        conflictRefresh_->setInterval(0);
        connect(conflictRefresh_, &QTimer::timeout, this, [this] {
            if (conflict_->isVisible()) {
                conflict_->Search(GetModel());
            }
        });
    }
    conflictRefresh_->stop();
    conflict_->Search(GetModel());
    conflict_->show();
    conflict_->raise();
    conflict_->activateWindow();
}

void MainWindow::OpenAssessmentOf(const ConflictStatement& statement) {
    const AssessmentTarget target = AssessmentOf(GetModel(), statement);
    if (!assessmentOpener_ || target.Kind == AssessmentTarget::Dialog::None) {
        return;
    }
    RunCommand([this, &target] { assessmentOpener_(target); });
    // What is left after the change: another conflict, or none.
    if (conflict_ != nullptr && conflict_->isVisible()) {
        conflictRefresh_->stop();
        conflict_->Search(GetModel());
    }
}

void MainWindow::NewAlternativeClick() {
    ShowAlternativesEditor();
    altEditor_->NewAlternativeClick();
}

void MainWindow::HelpTopicsClick() {
    if (help_ == nullptr) {
        help_ = new HelpWindow(this);
    }
    help_->ShowStartPage();
}

void MainWindow::ShowHelpPage(const QString& page) {
    if (help_ == nullptr) {
        help_ = new HelpWindow(this);
    }
    help_->ShowPage(QUrl(QStringLiteral("qrc:/help/") + page));
}

QString MainWindow::ExamplesFolder() {
    // Installed beside the documentation (relative to the program's folder), or in the source
    // tree of a build that is run where it was built.
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QStringList candidates = {
        QDir::cleanPath(programFolder.filePath(QStringLiteral("../") +
                                               QStringLiteral(VELOR_EXAMPLES_INSTALL_DIR))),
        QStringLiteral(VELOR_EXAMPLES_SOURCE_DIR)};
    for (const QString& folder : candidates) {
        if (!QDir(folder).entryList({QStringLiteral("*.vlr")}, QDir::Files).isEmpty()) {
            return folder;
        }
    }
    return {};
}

// ----- the workspace

bool MainWindow::TabbedWindows() const {
    return mdi_->viewMode() == QMdiArea::TabbedView;
}

void MainWindow::SetTabbedWindows(bool on) {
    Action(A::kTabbedWindows)->setChecked(on);
    for (const char* id : {A::kTile, A::kCascade, A::kArrangeIcons}) {
        Action(id)->setEnabled(!on);
    }
    if (on != TabbedWindows()) {
        if (on) {
            // The free-floating layout is what comes back when the tabs are turned off.
            SaveChildPlacements();
            mdi_->setViewMode(QMdiArea::TabbedView);
            mdi_->setDocumentMode(true);
            mdi_->setTabsMovable(true);
            mdi_->setTabsClosable(true);
        } else {
            mdi_->setViewMode(QMdiArea::SubWindowView);
            for (QMdiSubWindow* window : mdi_->subWindowList()) {
                if (window->isVisible()) {
                    window->showNormal();
                }
            }
            RestoreChildPlacements();
            FitChildWindows();
        }
    }
    settings_.WriteSettingInt(kWorkspaceSection, kTabbedKey, on ? 1 : 0);
    UpdateEmptyState();
}

void MainWindow::UpdateEmptyState() {
    if (emptyState_ == nullptr) {
        return;
    }
    const bool empty = GetModel().TreeEmpty();
    emptyState_->setVisible(empty);
    if (empty) {
        emptyState_->PlaceIn(mdi_->size());
        emptyState_->raise();
    }
}

void MainWindow::FitChildWindows() {
    if (TabbedWindows()) {
        return;
    }
    const QSize area = mdi_->viewport()->size();
    for (QMdiSubWindow* window : mdi_->subWindowList()) {
        if (!window->isMaximized() && !window->isMinimized()) {
            FitInsideArea(window, area);
        }
    }
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shownOnce_) {
        return;
    }
    shownOnce_ = true;
    // Now that the window system's frame is known, it has to fit on the screen too.
    if (!isMaximized() && !isMinimized()) {
        FitOnScreen(this);
    }
    // Editor windows without a stored placement start in the default layout, scaled down to a
    // workspace smaller than it.
    const QSize area = mdi_->viewport()->size();
    const double fx = std::min(1.0, static_cast<double>(area.width()) / kDefaultLayoutWidth);
    const double fy = std::min(1.0, static_cast<double>(area.height()) / kDefaultLayoutHeight);
    if (!TabbedWindows() && (fx < 1.0 || fy < 1.0)) {
        const std::pair<QMdiSubWindow*, const char*> editors[] = {
            {treeWindow_, "TreeForm"},
            {altWindow_, "AlternativeForm"},
            {preferenceWindow_, "PreferenceForm"}};
        for (const auto& [window, name] : editors) {
            if (window != nullptr && !ReadPlacement(settings_, name)) {
                const QRect r = window->geometry();
                window->setGeometry(static_cast<int>(r.x() * fx), static_cast<int>(r.y() * fy),
                                    static_cast<int>(r.width() * fx),
                                    static_cast<int>(r.height() * fy));
            }
        }
    }
    FitChildWindows();
    UpdateEmptyState();
}

void MainWindow::AboutClick() {
    about_->exec();
}

// ----- placements and closing

void MainWindow::RestorePlacements() {
    WidgetPlacement main(this, "MainForm");
    if (!RestorePlacement(settings_, main)) {
        CentreOnScreen(main);
    }
    RestoreChildPlacements();
    BringForward(altWindow_);
    BringForward(treeWindow_);
}

void MainWindow::RestoreChildPlacements() {
    if (preferenceWindow_ != nullptr) {
        WidgetPlacement preference(preferenceWindow_, "PreferenceForm");
        RestorePlacement(settings_, preference);
    }
    WidgetPlacement alternatives(altWindow_, "AlternativeForm");
    RestorePlacement(settings_, alternatives);
    WidgetPlacement tree(treeWindow_, "TreeForm");
    RestorePlacement(settings_, tree);
    for (std::size_t i = 0; i < resultWindows_.size(); ++i) {
        if (resultWindows_[i] != nullptr) {
            WidgetPlacement placement(resultWindows_[i], kResultViewNames[i]);
            RestorePlacement(settings_, placement);
        }
    }
}

void MainWindow::SavePlacements() {
    WidgetPlacement main(this, "MainForm");
    SavePlacement(settings_, main);
    // The tabbed workspace keeps the free-floating layout saved when the tabs were turned on.
    if (!TabbedWindows()) {
        SaveChildPlacements();
    }
}

void MainWindow::SaveChildPlacements() {
    WidgetPlacement tree(treeWindow_, "TreeForm");
    SavePlacement(settings_, tree);
    WidgetPlacement alternatives(altWindow_, "AlternativeForm");
    SavePlacement(settings_, alternatives);
    if (preferenceWindow_ != nullptr) {
        WidgetPlacement preference(preferenceWindow_, "PreferenceForm");
        SavePlacement(settings_, preference);
    }
    for (std::size_t i = 0; i < resultWindows_.size(); ++i) {
        if (resultWindows_[i] != nullptr) {
            WidgetPlacement placement(resultWindows_[i], kResultViewNames[i]);
            SavePlacement(settings_, placement);
        }
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (document_.Changed()) {
        const Answer answer = prompts_.Message(
            QStringLiteral("Model Unsaved"),
            QStringLiteral("The model is not saved. Do you want to save it before closing ") +
                kAppTitle + QStringLiteral("?"),
            Icon::Warning, Buttons::YesNoCancel);
        if (answer == Answer::Cancel) {
            event->ignore();
            return;
        }
        if (answer == Answer::Yes) {
            bool saved = false;
            RunCommand([this, &saved] { saved = SaveClick(); });
            if (!saved || document_.Changed()) {
                event->ignore();
                return;
            }
        }
    }
    const IniFile::Batch oneWrite(settings_); // every placement and recent file at once
    SavePlacements();
    recent_.SaveRecentFiles(settings_);
    if (help_ != nullptr) {
        help_->close();
    }
    event->accept();
}

} // namespace velor::ui