#include "ui/main_window.h"

#include "calc/calculation_driver.h"
#include "calc/constraint_file.h"
#include "calc/results_report.h"
#include "model/model_file.h"
#include "model/window_placement.h"
#include "ui/about_box.h"
#include "ui/alternatives_editor.h"
#include "ui/help_window.h"
#include "ui/node_icons.h"
#include "ui/progress_dialog.h"
#include "ui/prompts.h"
#include "ui/tree_editor.h"
#include "ui/ui_text.h"
#include "ui/widget_placement.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include <exception>

namespace velor::ui {

namespace {

const QString kModelFilter = QStringLiteral("Velor Models (*.vlr);;All Files (*)");

constexpr std::array<const char*, 4> kResultViewNames = {"ValIntForm", "WeightsForm",
                                                         "DominanceForm", "DecisionForm"};

QIcon DrawnIcon(const QColor& color, bool play) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(color.darker(140));
    p.setBrush(color);
    if (play) {
        // Calculate: three rising bars.
        p.drawRect(QRectF(1.5, 9.5, 3, 5));
        p.drawRect(QRectF(6.5, 5.5, 3, 9));
        p.drawRect(QRectF(11.5, 1.5, 3, 13));
    } else {
        // Elicitation tour: a signpost.
        p.drawLine(QPointF(8, 2), QPointF(8, 15));
        QPolygonF sign;
        sign << QPointF(3, 3) << QPointF(12, 3) << QPointF(15, 5.5) << QPointF(12, 8)
             << QPointF(3, 8);
        p.drawPolygon(sign);
    }
    return QIcon(pixmap);
}

} // namespace

MainWindow::MainWindow(Prompts& prompts, std::filesystem::path settingsPath, QWidget* parent)
    : QMainWindow(parent), prompts_(prompts), settings_(std::move(settingsPath)) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowIcon(AppIcon());
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
    treeEditor_ = new TreeEditor(model_, prompts_);
    treeWindow_ = AddChild(treeEditor_, "TreeForm");
    treeWindow_->setGeometry(0, 0, 400, 335);
    altEditor_ = new AlternativesEditor(model_, prompts_);
    altWindow_ = AddChild(altEditor_, "AlternativeForm");
    altWindow_->setGeometry(400, 0, 695, 335);
    progress_ = new ProgressDialog(prompts_, this);
    progress_->setProgressPanel = [this](const QString& text) { panels_[0]->setText(text); };
    progress_->setActivityPanel = [this](const QString& text) { panels_[1]->setText(text); };
    treeEditor_->onTreeMoved = [this] {
        for (QMdiSubWindow* window : resultWindows_) {
            if (window != nullptr) {
                window->widget()->update();
            }
        }
    };

    model_.AddObserver(this);
    recent_.LoadRecentFiles(settings_);
    UpdateCaption();
    UpdateStatusPanels();
    RestorePlacements();
    RebuildRecentMenu();
}

MainWindow::~MainWindow() {
    model_.RemoveObserver(this);
    // Every child window may observe the model; they all go before it does.
    resultWindows_.fill(nullptr);
    const QList<QMdiSubWindow*> windows = mdi_->subWindowList();
    qDeleteAll(windows);
}

// ----- construction

QAction* MainWindow::MakeAction(const char* name, const QString& caption, const QKeySequence& key,
                                void (MainWindow::*command)()) {
    auto* action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(key);
    if (command != nullptr) {
        connect(action, &QAction::triggered, this,
                [this, command] { RunCommand([this, command] { (this->*command)(); }); });
    }
    actions_[action->objectName()] = action;
    return action;
}

QAction* MainWindow::Action(const QString& objectName) const {
    const auto it = actions_.find(objectName);
    return it == actions_.end() ? nullptr : it->second;
}

void MainWindow::CreateActions() {
    using K = QKeySequence;
    MakeAction("New1", QStringLiteral("&New"), K(Qt::CTRL | Qt::Key_N), &MainWindow::NewClick);
    MakeAction("Open1", QStringLiteral("&Open..."), K(Qt::CTRL | Qt::Key_O),
               &MainWindow::OpenClick);
    MakeAction("Save1", QStringLiteral("&Save"), K(Qt::CTRL | Qt::Key_S), nullptr);
    connect(Action(QStringLiteral("Save1")), &QAction::triggered, this,
            [this] { RunCommand([this] { SaveClick(); }); });
    MakeAction("SaveAs1", QStringLiteral("Save &As..."), K(), nullptr);
    connect(Action(QStringLiteral("SaveAs1")), &QAction::triggered, this,
            [this] { RunCommand([this] { SaveAsClick(); }); });
    MakeAction("ExportModel", QStringLiteral("&Export Constraints..."), K(),
               &MainWindow::ExportModelClick);
    MakeAction("ExportResults", QStringLiteral("&Export Results..."), K(),
               &MainWindow::ExportResultsClick);
    MakeAction("Print1", QStringLiteral("&Print Active Window..."), K(Qt::CTRL | Qt::Key_P),
               &MainWindow::PrintClick);
    MakeAction("PrintSetup1", QStringLiteral("P&rint Setup..."), K(), &MainWindow::PrintSetupClick);
    for (int k = 1; k <= RecentFiles::kCapacity; ++k) {
        auto* action = new QAction(this);
        action->setObjectName(QStringLiteral("RecentFile%1").arg(k));
        connect(action, &QAction::triggered, this,
                [this, k] { RunCommand([this, k] { OpenRecentFile(k); }); });
        actions_[action->objectName()] = action;
        recentActions_[static_cast<std::size_t>(k - 1)] = action;
    }
    MakeAction("Exit1", QStringLiteral("E&xit"), K(), nullptr);
    connect(Action(QStringLiteral("Exit1")), &QAction::triggered, this, &QWidget::close);

    MakeAction("ElicitationTour1", QStringLiteral("&Elicitation Tour..."), K(), nullptr);
    connect(Action(QStringLiteral("ElicitationTour1")), &QAction::triggered, this, [this] {
        if (elicitationTour_) {
            RunCommand(elicitationTour_);
        }
    });
    MakeAction("ClearValueTree1", QStringLiteral("Clear &Value Tree"), K(),
               &MainWindow::ClearValueTreeClick);
    MakeAction("ClearAlternatives1", QStringLiteral("Clear &Alternatives"), K(),
               &MainWindow::ClearAlternativesClick);
    MakeAction("ClearPreferences1", QStringLiteral("Clear &Preferences"), K(),
               &MainWindow::ClearPreferencesClick);
    struct Calc {
        const char* name;
        const char* caption;
        QKeySequence key;
        int type;
    };
    const Calc calcs[] = {
        {"CalculateModel", "&Calculate Model", K(Qt::CTRL | Qt::Key_F9), kCalculateModel},
        {"CalculateModelPartially1", "Calculate Model &Partially", K(Qt::CTRL | Qt::Key_F10),
         kCalculatePartially},
        {"NonNormalizedIntervals1", "&Non-Normalized Intervals", K(), kNonNormalizedIntervals},
        {"NormalizedIntervals1", "N&ormalized Intervals", K(), kNormalizedIntervals},
        {"MainGoalValInt1", "&Main Goal Value Intervals", K(), kMainGoalIntervals},
        {"ValueIntervals1", "All &Value Intervals", K(), kAllValueIntervals},
        {"Dominances1", "&Dominance", K(), kDominances},
        {"Weights2", "&Weights", K(), kWeights},
    };
    for (const Calc& c : calcs) {
        QAction* action = MakeAction(c.name, QString::fromLatin1(c.caption), c.key, nullptr);
        const int type = c.type;
        connect(action, &QAction::triggered, this,
                [this, type] { RunCommand([this, type] { Calculate(type); }); });
    }
    MakeAction("UseTopDownWeightsMenu", QStringLiteral("&Top Down Weights"), K(),
               &MainWindow::TopDownWeightsClick)
        ->setCheckable(true);
    MakeAction("UseNormalizedIntervalsMenu", QStringLiteral("&Normalized Intervals"), K(),
               &MainWindow::NormalizedIntervalsClick)
        ->setCheckable(true);
    MakeAction("NewAlternative2", QStringLiteral("&New Alternative..."), K(),
               &MainWindow::NewAlternativeClick)
        ->setVisible(false);
    MakeAction("WeightAssessment1", QStringLiteral("&Weight Assessment..."), K(), nullptr)
        ->setVisible(false);
    connect(Action(QStringLiteral("WeightAssessment1")), &QAction::triggered, this, [this] {
        if (bottomUpAssessment_ && model_.BottomUpEntry() != kNone) {
            RunCommand(bottomUpAssessment_);
        }
    });
    Action(QStringLiteral("ElicitationTour1"))->setEnabled(false);
    Action(QStringLiteral("WeightAssessment1"))->setEnabled(false);

    MakeAction("ValueTree1", QStringLiteral("&Value Tree"), K(Qt::Key_F5),
               &MainWindow::ShowTreeEditor);
    MakeAction("Alternatives1", QStringLiteral("&Alternatives"), K(Qt::Key_F6),
               &MainWindow::ShowAlternativesEditor);
    MakeAction("Preferences1", QStringLiteral("&Preferences"), K(Qt::Key_F7),
               &MainWindow::ShowPreferenceView)
        ->setEnabled(false);
    struct View {
        const char* name;
        const char* caption;
        Qt::Key key;
        ResultView view;
    };
    const View views[] = {
        {"ValueIntervals2", "Value &Intervals", Qt::Key_F8, ResultView::ValueIntervals},
        {"Weights1", "&Weights", Qt::Key_F9, ResultView::Weights},
        {"Dominance1", "&Dominance", Qt::Key_F10, ResultView::Dominance},
        {"DecisionRules1", "Decision &Rules", Qt::Key_F11, ResultView::DecisionRules},
    };
    for (const View& v : views) {
        QAction* action = MakeAction(v.name, QString::fromLatin1(v.caption), K(v.key), nullptr);
        const ResultView view = v.view;
        connect(action, &QAction::triggered, this,
                [this, view] { RunCommand([this, view] { ShowResultView(view); }); });
        action->setEnabled(false);
    }
    MakeAction("Tile1", QStringLiteral("&Tile"), K(), nullptr);
    connect(Action(QStringLiteral("Tile1")), &QAction::triggered, this,
            [this] { mdi_->tileSubWindows(); });
    MakeAction("Cascade1", QStringLiteral("&Cascade"), K(), nullptr);
    connect(Action(QStringLiteral("Cascade1")), &QAction::triggered, this,
            [this] { mdi_->cascadeSubWindows(); });
    MakeAction("ArrangeIcons1", QStringLiteral("&Arrange Icons"), K(), nullptr);
    connect(Action(QStringLiteral("ArrangeIcons1")), &QAction::triggered, this, [this] {
        // Minimized child windows line up along the bottom edge of the area.
        int x = 0;
        const QList<QMdiSubWindow*> windows = mdi_->subWindowList();
        for (QMdiSubWindow* window : windows) {
            if (window->isMinimized()) {
                const QSize size = window->size();
                window->move(x, mdi_->viewport()->height() - size.height());
                x += size.width();
            }
        }
    });
    MakeAction("HelpTopics1", QStringLiteral("&Help Topics"), K(Qt::Key_F1),
               &MainWindow::HelpTopicsClick);
    MakeAction("About1", QStringLiteral("&About..."), K(), &MainWindow::AboutClick);

    QStyle* s = style();
    Action(QStringLiteral("New1"))->setIcon(s->standardIcon(QStyle::SP_FileIcon));
    Action(QStringLiteral("Open1"))->setIcon(s->standardIcon(QStyle::SP_DialogOpenButton));
    Action(QStringLiteral("Save1"))->setIcon(s->standardIcon(QStyle::SP_DialogSaveButton));
    Action(QStringLiteral("Print1"))->setIcon(s->standardIcon(QStyle::SP_FileDialogDetailedView));
    Action(QStringLiteral("ElicitationTour1"))->setIcon(DrawnIcon(QColor(220, 160, 40), false));
    Action(QStringLiteral("CalculateModel"))->setIcon(DrawnIcon(QColor(60, 140, 220), true));
}

void MainWindow::CreateMenus() {
    fileMenu_ = menuBar()->addMenu(QStringLiteral("&File"));
    fileMenu_->setObjectName(QStringLiteral("FileMenu"));
    for (const char* name : {"New1", "Open1", "Save1", "SaveAs1"}) {
        fileMenu_->addAction(Action(QString::fromLatin1(name)));
    }
    fileMenu_->addSeparator();
    fileMenu_->addAction(Action(QStringLiteral("ExportModel")));
    fileMenu_->addAction(Action(QStringLiteral("ExportResults")));
    fileMenu_->addSeparator();
    fileMenu_->addAction(Action(QStringLiteral("Print1")));
    fileMenu_->addAction(Action(QStringLiteral("PrintSetup1")));
    recentSeparator_ = fileMenu_->addSeparator();
    for (QAction* action : recentActions_) {
        fileMenu_->addAction(action);
    }
    fileMenu_->addSeparator();
    fileMenu_->addAction(Action(QStringLiteral("Exit1")));

    QMenu* modelMenu = menuBar()->addMenu(QStringLiteral("&Model"));
    modelMenu->setObjectName(QStringLiteral("ModelMenu"));
    modelMenu->addAction(Action(QStringLiteral("ElicitationTour1")));
    modelMenu->addAction(Action(QStringLiteral("NewAlternative2")));
    modelMenu->addAction(Action(QStringLiteral("WeightAssessment1")));
    modelMenu->addSeparator();
    modelMenu->addAction(Action(QStringLiteral("ClearValueTree1")));
    modelMenu->addAction(Action(QStringLiteral("ClearAlternatives1")));
    modelMenu->addAction(Action(QStringLiteral("ClearPreferences1")));
    modelMenu->addSeparator();
    modelMenu->addAction(Action(QStringLiteral("CalculateModel")));
    modelMenu->addAction(Action(QStringLiteral("CalculateModelPartially1")));
    QMenu* calcMenu = modelMenu->addMenu(QStringLiteral("Ca&lculate"));
    calcMenu->setObjectName(QStringLiteral("Calculate1"));
    for (const char* name : {"NonNormalizedIntervals1", "NormalizedIntervals1", "MainGoalValInt1",
                             "ValueIntervals1", "Dominances1", "Weights2"}) {
        calcMenu->addAction(Action(QString::fromLatin1(name)));
    }

    QMenu* optionsMenu = menuBar()->addMenu(QStringLiteral("&Options"));
    optionsMenu->setObjectName(QStringLiteral("OptionsMenu"));
    optionsMenu->addAction(Action(QStringLiteral("UseTopDownWeightsMenu")));
    optionsMenu->addAction(Action(QStringLiteral("UseNormalizedIntervalsMenu")));

    QMenu* windowsMenu = menuBar()->addMenu(QStringLiteral("&Windows"));
    windowsMenu->setObjectName(QStringLiteral("WindowsMenu"));
    for (const char* name : {"ValueTree1", "Alternatives1", "Preferences1"}) {
        windowsMenu->addAction(Action(QString::fromLatin1(name)));
    }
    windowsMenu->addSeparator();
    for (const char* name : {"ValueIntervals2", "Weights1", "Dominance1", "DecisionRules1"}) {
        windowsMenu->addAction(Action(QString::fromLatin1(name)));
    }
    windowsMenu->addSeparator();
    for (const char* name : {"Tile1", "Cascade1", "ArrangeIcons1"}) {
        windowsMenu->addAction(Action(QString::fromLatin1(name)));
    }

    QMenu* helpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    helpMenu->setObjectName(QStringLiteral("HelpMenu"));
    helpMenu->addAction(Action(QStringLiteral("HelpTopics1")));
    helpMenu->addAction(Action(QStringLiteral("About1")));
}

void MainWindow::CreateToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Toolbar"));
    bar->setObjectName(QStringLiteral("ToolBar"));
    bar->setMovable(false);
    bar->setIconSize(QSize(16, 16));
    struct Button {
        const char* action;
        const char* hint;
    };
    const Button first[] = {{"New1", "New Model"},
                            {"Open1", "Open Model"},
                            {"Save1", "Save Model"},
                            {"Print1", "Print Active Window"}};
    const Button second[] = {{"ElicitationTour1", "Elicitation Tour"},
                             {"CalculateModel", "Calculate Model"}};
    auto add = [this, bar](const Button& b) {
        QAction* action = Action(QString::fromLatin1(b.action));
        bar->addAction(action);
        if (QWidget* button = bar->widgetForAction(action)) {
            button->setToolTip(QString::fromLatin1(b.hint));
            button->setObjectName(QStringLiteral("Tool") + QString::fromLatin1(b.action));
        }
    };
    for (const Button& b : first) {
        add(b);
    }
    bar->addSeparator();
    for (const Button& b : second) {
        add(b);
    }
}

void MainWindow::CreateStatusBar() {
    struct Panel {
        const char* name;
        int width;
        const char* text;
    };
    const Panel panels[] = {
        {"ProgressPanel", 60, "100 %"},       {"ActivityPanel", 200, "Ready"},
        {"WeightModePanel", 65, "Bottom Up"}, {"NormalizationPanel", 85, "Not normalized"},
        {"ChangedPanel", 70, "No changes"},   {"ModelSizePanel", 150, "Model Size: 0"}};
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(true);
    for (std::size_t i = 0; i < panels_.size(); ++i) {
        auto* label = new QLabel(QString::fromLatin1(panels[i].text), bar);
        label->setObjectName(QString::fromLatin1(panels[i].name));
        // Widths are minimums, so a larger font still shows the whole text.
        label->setMinimumWidth(panels[i].width);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setContentsMargins(3, 0, 3, 0);
        if (i == 0) {
            label->setAlignment(Qt::AlignCenter);
        }
        bar->addWidget(label, i == 5 ? 1 : 0);
        panels_[i] = label;
    }
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
    case ModelChange::ChangedFlag:
    case ModelChange::Options:
    case ModelChange::Tree:
    case ModelChange::Table:
        UpdateStatusPanels();
        break;
    default:
        break;
    }
}

void MainWindow::UpdateStatusPanels() {
    panels_[2]->setText(model_.TopDownWeights() ? QStringLiteral("Top Down")
                                                : QStringLiteral("Bottom Up"));
    panels_[3]->setText(model_.NormalizedIntervals() ? QStringLiteral("Normalized")
                                                     : QStringLiteral("Not normalized"));
    panels_[4]->setText(model_.Changed() ? QStringLiteral("Changed")
                                         : QStringLiteral("No changes"));
    panels_[5]->setText(QStringLiteral("Model Size: ") + QString::number(model_.ModelSize()));
    Action(QStringLiteral("UseTopDownWeightsMenu"))->setChecked(model_.TopDownWeights());
    Action(QStringLiteral("UseNormalizedIntervalsMenu"))->setChecked(model_.NormalizedIntervals());
}

void MainWindow::UpdateCaption() {
    QString caption = kAppTitle;
    if (!fileName_.empty()) {
        caption += QStringLiteral(" - ") + ToQ(fileName_);
    }
    setWindowTitle(caption);
}

void MainWindow::RebuildRecentMenu() {
    const int count = recent_.Count();
    recentSeparator_->setVisible(count > 0);
    const std::vector<std::string> captions = recent_.MenuCaptions();
    for (int k = 1; k <= RecentFiles::kCapacity; ++k) {
        QAction* action = recentActions_[static_cast<std::size_t>(k - 1)];
        const bool shown = k <= count;
        action->setVisible(shown);
        action->setText(shown ? ToQ(captions[static_cast<std::size_t>(k - 1)]) : QString());
        action->setStatusTip(shown ? ToQ(recent_.RecentFile(k)) : QString());
    }
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

void MainWindow::ClearModel() {
    CloseResultViews();
    fileName_.clear();
    model_.Clear();
    model_.SetChanged(false);
    UpdateCaption();
    UpdateStatusPanels();
}

void MainWindow::NewClick() {
    if (model_.Changed() &&
        prompts_.Message(QStringLiteral("Clear Existing Model"),
                         QStringLiteral("Are you sure you want to clear the current model?"),
                         Icon::Question, Buttons::YesNo) != Answer::Yes) {
        return;
    }
    ClearModel();
}

bool MainWindow::UnsavedModelQuestion() {
    if (!model_.Changed()) {
        return true;
    }
    switch (prompts_.Message(QStringLiteral("Model Unsaved"),
                             QStringLiteral("The model is not saved. Do you want to save it "
                                            "before opening another model?"),
                             Icon::Warning, Buttons::YesNoCancel)) {
    case Answer::Yes:
        SaveClick(); // the command goes on whatever Save did
        return true;
    case Answer::No:
        return true;
    default:
        return false;
    }
}

void MainWindow::OpenClick() {
    if (!UnsavedModelQuestion()) {
        return;
    }
    FileDialogRequest request;
    request.title = QStringLiteral("Open Velor Model");
    request.filter = kModelFilter;
    request.defaultExtension = QStringLiteral("vlr");
    request.initialPath = QDir::currentPath();
    const QString path = prompts_.OpenFileName(request);
    if (!path.isEmpty()) {
        OpenFile(path);
    }
}

bool MainWindow::OpenFile(const QString& path) {
    const std::string name = ToStd(path);
    if (name == fileName_ && !model_.Changed()) {
        return true;
    }
    ClearModel();
    if (!LoadModelFile(model_, name)) {
        model_.Clear();
        model_.SetChanged(false);
        UpdateStatusPanels();
        prompts_.Inform(kAppTitle, ToQ(InvalidModelMessage(name)), Icon::Stop);
        return false;
    }
    model_.SetChanged(false);
    fileName_ = name;
    UpdateCaption();
    UpdateStatusPanels();
    recent_.AddRecentFile(name);
    RebuildRecentMenu();
    return true;
}

void MainWindow::OpenRecentFile(int k) {
    const std::string path = recent_.RecentFile(k);
    if (path.empty() || !UnsavedModelQuestion()) {
        return;
    }
    OpenFile(ToQ(path));
}

bool MainWindow::WriteModel(const QString& path) {
    const std::string name = ToStd(path);
    std::string error;
    if (!SaveModelFile(model_, name, &error)) {
        prompts_.Inform(kAppTitle,
                        QStringLiteral("Cannot save into file ") + path + QStringLiteral("."),
                        Icon::Stop);
        return false;
    }
    recent_.AddRecentFile(name);
    RebuildRecentMenu();
    model_.SetChanged(false);
    return true;
}

bool MainWindow::SaveClick() {
    if (fileName_.empty()) {
        return SaveAsClick();
    }
    return WriteModel(ToQ(fileName_));
}

bool MainWindow::SaveAsClick() {
    FileDialogRequest request;
    request.title = QStringLiteral("Save Velor Model");
    request.filter = kModelFilter;
    request.defaultExtension = QStringLiteral("vlr");
    request.initialPath = fileName_.empty() ? QStringLiteral("Untitled.vlr") : ToQ(fileName_);
    const QString path = prompts_.SaveFileName(request);
    if (path.isEmpty()) {
        return false;
    }
    if (!WriteModel(path)) {
        return false;
    }
    fileName_ = ToStd(path);
    UpdateCaption();
    return true;
}

void MainWindow::ExportModelClick() {
    const TConstraintModel exported = ConstraintExportModel(model_);
    FileDialogRequest request;
    request.title = QStringLiteral("Export Constraints");
    request.filter = QStringLiteral("LPX Models (*.mdl);;All files (*)");
    request.defaultExtension = QStringLiteral("mdl");
    request.initialPath = ToQ(ProposedExportName(fileName_, ".mdl"));
    const QString path = prompts_.SaveFileName(request);
    if (path.isEmpty()) {
        return;
    }
    if (WriteConstraintFile(exported, ToStd(path))) {
        prompts_.Inform(kAppTitle, ToQ(kConstraintsExportedMessage), Icon::Information);
    } else {
        prompts_.Inform(kAppTitle, ToQ(CannotWriteMessage(ToStd(path))), Icon::Stop);
    }
}

void MainWindow::ExportResultsClick() {
    FileDialogRequest request;
    request.title = QStringLiteral("Export Results");
    request.filter = QStringLiteral("Text Files (*.txt);;All files (*)");
    request.defaultExtension = QStringLiteral("txt");
    request.initialPath = ToQ(ProposedExportName(fileName_, ".txt"));
    const QString path = prompts_.SaveFileName(request);
    if (path.isEmpty()) {
        return;
    }
    if (WriteResultsReport(model_, ToStd(path))) {
        prompts_.Inform(kAppTitle, ToQ(kResultsExportedMessage), Icon::Information);
    } else {
        prompts_.Inform(kAppTitle, ToQ(CannotWriteMessage(ToStd(path))), Icon::Stop);
    }
}

void MainWindow::PrintClick() {
    if (!prompts_.PrintDialog(printer_)) {
        return;
    }
    QMdiSubWindow* active = mdi_->activeSubWindow();
    QWidget* target = active != nullptr ? active->widget() : this;
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
    if (model_.TreeEmpty()) {
        return;
    }
    if (prompts_.Message(QStringLiteral("Confirm deletion"),
                         QStringLiteral("Are you sure you wish to clear the whole value tree?\n"
                                        "All information in the value tree will be lost!"),
                         Icon::Warning, Buttons::YesNo) == Answer::Yes) {
        model_.SetChanged(true);
        model_.DeleteSubtree(model_.Root());
    }
}

void MainWindow::ClearAlternativesClick() {
    if (prompts_.Message(QStringLiteral("Confirm deletion"),
                         QStringLiteral("Are you sure you wish to delete all alternatives?\n"
                                        "All information on the alternatives will be lost!"),
                         Icon::Warning, Buttons::YesNo) == Answer::Yes) {
        model_.SetChanged(true);
        model_.ClearAlternatives();
    }
}

void MainWindow::ClearPreferencesClick() {
    if (prompts_.Message(
            QStringLiteral("Confirm deletion"),
            QStringLiteral("Are you sure you wish to delete all preference information?"),
            Icon::Warning, Buttons::YesNo) == Answer::Yes) {
        model_.SetChanged(true);
        model_.ClearPreferences();
    }
}

void MainWindow::Calculate(int type) {
    progress_->runCalculation = [this, type](CalcHost& host) {
        CalculationDriver driver(model_, host);
        driver.Run(type);
    };
    progress_->RunModal();
    UpdateStatusPanels();
}

void MainWindow::TopDownWeightsClick() {
    model_.SetChanged(true);
    model_.SetTopDownWeights(!model_.TopDownWeights());
    UpdateStatusPanels();
}

void MainWindow::NormalizedIntervalsClick() {
    model_.SetChanged(true);
    model_.SetNormalizedIntervals(!model_.NormalizedIntervals());
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
    Action(QStringLiteral("Preferences1"))->setEnabled(true);
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
    static const std::array<const char*, 4> actionNames = {"ValueIntervals2", "Weights1",
                                                           "Dominance1", "DecisionRules1"};
    Action(QString::fromLatin1(actionNames[index]))->setEnabled(viewFactories_[index] != nullptr);
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
        QWidget* content = viewFactories_[index](model_);
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
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close) {
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
            WidgetPlacement placement(window, kResultViewNames[i]);
            SavePlacement(settings_, placement);
            resultWindows_[i] = nullptr;
            delete window;
        }
    }
}

void MainWindow::SetElicitationTour(std::function<void()> tour) {
    elicitationTour_ = std::move(tour);
    Action(QStringLiteral("ElicitationTour1"))->setEnabled(static_cast<bool>(elicitationTour_));
}

void MainWindow::SetBottomUpWeightAssessment(std::function<void()> assessment) {
    bottomUpAssessment_ = std::move(assessment);
    Action(QStringLiteral("WeightAssessment1"))->setEnabled(static_cast<bool>(bottomUpAssessment_));
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

void MainWindow::AboutClick() {
    about_->exec();
}

// ----- placements and closing

void MainWindow::RestorePlacements() {
    WidgetPlacement main(this, "MainForm");
    if (!RestorePlacement(settings_, main)) {
        CentreOnScreen(main);
    }
    if (preferenceWindow_ != nullptr) {
        WidgetPlacement preference(preferenceWindow_, "PreferenceForm");
        RestorePlacement(settings_, preference);
    }
    WidgetPlacement alternatives(altWindow_, "AlternativeForm");
    RestorePlacement(settings_, alternatives);
    WidgetPlacement tree(treeWindow_, "TreeForm");
    RestorePlacement(settings_, tree);
    BringForward(altWindow_);
    BringForward(treeWindow_);
}

void MainWindow::SavePlacements() {
    WidgetPlacement main(this, "MainForm");
    SavePlacement(settings_, main);
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
    if (model_.Changed()) {
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
            RunCommand([this] { SaveClick(); });
        }
    }
    SavePlacements();
    recent_.SaveRecentFiles(settings_);
    if (help_ != nullptr) {
        help_->close();
    }
    event->accept();
}

} // namespace velor::ui
