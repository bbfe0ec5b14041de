// The main window's actions, menus, toolbar and status bar.
#include "ui/action_ids.h"
#include "ui/main_window.h"

#include "calc/calculation_driver.h"
#include "ui/node_icons.h"
#include "ui/tree_editor.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include <algorithm>

namespace velor::ui {

namespace {

namespace A = action_id;

// The program's own toolbar images, drawn at the size and density they are shown at.
QIcon DrawnIcon(const QColor& color, bool play) {
    return PaintedIcon([color, play](QPainter& p) {
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
    });
}

// Acceptability: two bars stacked from a green, a yellow and a red part.
QIcon StackedBarsIcon() {
    return PaintedIcon([](QPainter& p) {
        const QColor parts[] = {QColor(70, 170, 80), QColor(230, 200, 60), QColor(210, 80, 60)};
        const qreal widths[2][3] = {{8, 4, 3}, {4, 6, 5}};
        for (int bar = 0; bar < 2; ++bar) {
            qreal x = 0.5;
            for (int i = 0; i < 3; ++i) {
                p.fillRect(QRectF(x, 2.5 + bar * 6.5, widths[bar][i], 5), parts[i]);
                x += widths[bar][i];
            }
        }
    });
}

// Standard actions show the desktop's icon theme where it has one, the style's or our own
// image otherwise; actions that had no image keep none without a theme.
void SetActionIcons(const MainWindow& window) {
    const QStyle* s = window.style();
    const auto themed = [&window](const char* id, const char* themeName, const QIcon& fallback) {
        window.Action(id)->setIcon(QIcon::fromTheme(QString::fromLatin1(themeName), fallback));
    };
    themed(A::kNew, "document-new", s->standardIcon(QStyle::SP_FileIcon));
    themed(A::kOpen, "document-open", s->standardIcon(QStyle::SP_DialogOpenButton));
    themed(A::kSave, "document-save", s->standardIcon(QStyle::SP_DialogSaveButton));
    themed(A::kSaveAs, "document-save-as", QIcon());
    themed(A::kPrint, "document-print", s->standardIcon(QStyle::SP_FileDialogDetailedView));
    themed(A::kExit, "application-exit", QIcon());
    themed(A::kHelpTopics, "help-contents", QIcon());
    themed(A::kAbout, "help-about", QIcon());
    themed(A::kUndo, "edit-undo", s->standardIcon(QStyle::SP_ArrowBack));
    themed(A::kRedo, "edit-redo", s->standardIcon(QStyle::SP_ArrowForward));
    window.Action(A::kElicitationTour)->setIcon(DrawnIcon(QColor(220, 160, 40), false));
    window.Action(A::kCalculateModel)->setIcon(DrawnIcon(QColor(60, 140, 220), true));
    window.Action(A::kAcceptability)->setIcon(StackedBarsIcon());
}

// A status bar panel that asks for its classic width (or its text's, when wider) but can
// give way down to a few characters, so that the status bar never makes the main window wider
// than a small screen (or a large scale factor) allows.
class PanelLabel : public QLabel {
public:
    PanelLabel(const QString& text, int preferredWidth, QWidget* parent)
        : QLabel(text, parent), preferredWidth_(preferredWidth) {}
    QSize sizeHint() const override {
        QSize size = QLabel::sizeHint();
        size.setWidth(std::max(size.width(), preferredWidth_));
        return size;
    }
    QSize minimumSizeHint() const override {
        QSize size = QLabel::minimumSizeHint();
        const QMargins m = contentsMargins();
        const int few = fontMetrics().horizontalAdvance(QStringLiteral("Mod")) + m.left() +
                        m.right() + 2 * frameWidth();
        size.setWidth(std::min(size.width(), few));
        return size;
    }

private:
    int preferredWidth_;
};

} // namespace

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

QAction* MainWindow::Action(const char* id) const {
    return Action(QString::fromLatin1(id));
}

QAction* MainWindow::Action(const QString& objectName) const {
    const auto it = actions_.find(objectName);
    return it == actions_.end() ? nullptr : it->second;
}

void MainWindow::CreateActions() {
    using K = QKeySequence;
    MakeAction(A::kNew, QStringLiteral("&New"), K(Qt::CTRL | Qt::Key_N), &MainWindow::NewClick);
    MakeAction(A::kOpen, QStringLiteral("&Open..."), K(Qt::CTRL | Qt::Key_O),
               &MainWindow::OpenClick);
    MakeAction(A::kOpenExample, QStringLiteral("Open an Exa&mple..."), K(),
               &MainWindow::OpenExampleClick);
    MakeAction(A::kSave, QStringLiteral("&Save"), K(Qt::CTRL | Qt::Key_S), nullptr);
    connect(Action(A::kSave), &QAction::triggered, this,
            [this] { RunCommand([this] { SaveClick(); }); });
    MakeAction(A::kSaveAs, QStringLiteral("Save &As..."), K(), nullptr);
    connect(Action(A::kSaveAs), &QAction::triggered, this,
            [this] { RunCommand([this] { SaveAsClick(); }); });
    MakeAction(A::kExportConstraints, QStringLiteral("&Export Constraints..."), K(),
               &MainWindow::ExportModelClick);
    MakeAction(A::kExportResults, QStringLiteral("Export Res&ults..."), K(),
               &MainWindow::ExportResultsClick);
    MakeAction(A::kImportConsequences, QStringLiteral("&Import Consequences..."), K(),
               &MainWindow::ImportConsequencesClick);
    MakeAction(A::kExportConsequences, QStringLiteral("Export &Consequences..."), K(),
               &MainWindow::ExportConsequencesClick);
    MakeAction(A::kExportReport, QStringLiteral("Export Repor&t..."), K(),
               &MainWindow::ExportReportClick);
    MakeAction(A::kPrint, QStringLiteral("&Print Active Window..."), K(Qt::CTRL | Qt::Key_P),
               &MainWindow::PrintClick);
    MakeAction(A::kPrintSetup, QStringLiteral("P&rint Setup..."), K(),
               &MainWindow::PrintSetupClick);
    for (int k = 1; k <= RecentFiles::kCapacity; ++k) {
        auto* action = new QAction(this);
        action->setObjectName(QString::fromLatin1(A::kRecentFilePrefix) + QString::number(k));
        connect(action, &QAction::triggered, this,
                [this, k] { RunCommand([this, k] { OpenRecentFile(k); }); });
        actions_[action->objectName()] = action;
        recentActions_[static_cast<std::size_t>(k - 1)] = action;
    }
    // The desktop's quit key (Ctrl+Q); closing asks the close query like any other close.
    MakeAction(A::kExit, QStringLiteral("E&xit"), K(Qt::CTRL | Qt::Key_Q), nullptr);
    connect(Action(A::kExit), &QAction::triggered, this, &QWidget::close);

    // Undo and Redo take back or do again one step of the document's history; their captions
    // name the step ("&Undo Paste").
    MakeAction(A::kUndo, QStringLiteral("&Undo"), K(), &MainWindow::UndoClick)
        ->setShortcuts({K(Qt::CTRL | Qt::Key_Z)});
    MakeAction(A::kRedo, QStringLiteral("&Redo"), K(), &MainWindow::RedoClick)
        ->setShortcuts({K(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), K(Qt::CTRL | Qt::Key_Y)});

    MakeAction(A::kElicitationTour, QStringLiteral("&Elicitation Tour..."), K(), nullptr);
    connect(Action(A::kElicitationTour), &QAction::triggered, this, [this] {
        if (elicitationTour_) {
            RunCommand(elicitationTour_);
        }
    });
    MakeAction(A::kClearValueTree, QStringLiteral("Clear &Value Tree"), K(),
               &MainWindow::ClearValueTreeClick);
    MakeAction(A::kClearAlternatives, QStringLiteral("Clear Al&ternatives"), K(),
               &MainWindow::ClearAlternativesClick);
    MakeAction(A::kClearPreferences, QStringLiteral("Clear P&references"), K(),
               &MainWindow::ClearPreferencesClick);
    struct Calc {
        const char* name;
        const char* caption;
        QKeySequence key;
        CalculationType type;
    };
    const Calc calcs[] = {
        {A::kCalculateModel, "&Calculate Model", K(Qt::CTRL | Qt::Key_F9), kCalculateModel},
        {A::kCalculatePartially, "Calculate Model &Partially", K(Qt::CTRL | Qt::Key_F10),
         kCalculatePartially},
        {A::kCalcNonNormalized, "&Non-Normalized Intervals", K(), kNonNormalizedIntervals},
        {A::kCalcNormalized, "N&ormalized Intervals", K(), kNormalizedIntervals},
        {A::kCalcMainGoal, "&Main Goal Value Intervals", K(), kMainGoalIntervals},
        {A::kCalcAllValues, "All &Value Intervals", K(), kAllValueIntervals},
        {A::kCalcDominance, "&Dominance", K(), kDominances},
        {A::kCalcWeights, "&Weights", K(), kWeights},
    };
    for (const Calc& c : calcs) {
        QAction* action = MakeAction(c.name, QString::fromLatin1(c.caption), c.key, nullptr);
        const CalculationType type = c.type;
        connect(action, &QAction::triggered, this,
                [this, type] { RunCommand([this, type] { Calculate(type); }); });
    }
    MakeAction(A::kAcceptabilityAnalysis, QStringLiteral("Acceptability Anal&ysis..."), K(),
               &MainWindow::AcceptabilityAnalysisClick);
    MakeAction(A::kExplainConflict, QStringLiteral("Explain Con&flict..."), K(),
               &MainWindow::ShowConflict);
    // The same command in the Windows menu, where "I" and "W" are taken.
    MakeAction(A::kWhatIf, QStringLiteral("What &If..."), K(), &MainWindow::ShowWhatIf)
        ->setEnabled(false);
    MakeAction(A::kWhatIfWindow, QStringLiteral("W&hat If"), K(), &MainWindow::ShowWhatIf)
        ->setEnabled(false);
    MakeAction(A::kTopDownWeights, QStringLiteral("&Top Down Weights"), K(),
               &MainWindow::TopDownWeightsClick)
        ->setCheckable(true);
    MakeAction(A::kNormalizedIntervals, QStringLiteral("&Normalized Intervals"), K(),
               &MainWindow::NormalizedIntervalsClick)
        ->setCheckable(true);
    MakeAction(A::kNewAlternative, QStringLiteral("&New Alternative..."), K(),
               &MainWindow::NewAlternativeClick);
    MakeAction(A::kWeightAssessment, QStringLiteral("&Weight Assessment..."), K(), nullptr)
        ->setVisible(false);
    connect(Action(A::kWeightAssessment), &QAction::triggered, this, [this] {
        if (bottomUpAssessment_ && GetModel().BottomUpEntry() != kNone) {
            RunCommand(bottomUpAssessment_);
        }
    });
    Action(A::kElicitationTour)->setEnabled(false);
    Action(A::kWeightAssessment)->setEnabled(false);

    MakeAction(A::kValueTree, QStringLiteral("&Value Tree"), K(Qt::Key_F5),
               &MainWindow::ShowTreeEditor);
    MakeAction(A::kAlternatives, QStringLiteral("&Alternatives"), K(Qt::Key_F6),
               &MainWindow::ShowAlternativesEditor);
    MakeAction(A::kPreferences, QStringLiteral("&Preferences"), K(Qt::Key_F7),
               &MainWindow::ShowPreferenceView)
        ->setEnabled(false);
    struct View {
        const char* name;
        const char* caption;
        Qt::Key key;
        ResultView view;
    };
    const View views[] = {
        {A::kValueIntervals, "Value &Intervals", Qt::Key_F8, ResultView::ValueIntervals},
        {A::kWeights, "&Weights", Qt::Key_F9, ResultView::Weights},
        {A::kDominance, "&Dominance", Qt::Key_F10, ResultView::Dominance},
        {A::kDecisionRules, "Decision &Rules", Qt::Key_F11, ResultView::DecisionRules},
        {A::kAcceptability, "Accepta&bility", Qt::Key_F12, ResultView::Acceptability},
    };
    for (const View& v : views) {
        QAction* action = MakeAction(v.name, QString::fromLatin1(v.caption), K(v.key), nullptr);
        const ResultView view = v.view;
        connect(action, &QAction::triggered, this,
                [this, view] { RunCommand([this, view] { ShowResultView(view); }); });
        action->setEnabled(false);
    }
    MakeAction(A::kTile, QStringLiteral("&Tile"), K(), nullptr);
    connect(Action(A::kTile), &QAction::triggered, this, [this] { mdi_->tileSubWindows(); });
    MakeAction(A::kCascade, QStringLiteral("&Cascade"), K(), nullptr);
    connect(Action(A::kCascade), &QAction::triggered, this, [this] { mdi_->cascadeSubWindows(); });
    MakeAction(A::kArrangeIcons, QStringLiteral("Arran&ge Icons"), K(), nullptr);
    connect(Action(A::kArrangeIcons), &QAction::triggered, this, [this] {
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
    // The child windows as tabs of the workspace instead of free-floating windows; the
    // choice is kept in the settings.
    MakeAction(A::kTabbedWindows, QStringLiteral("Tabbed Wi&ndows"), K(), nullptr)
        ->setCheckable(true);
    connect(Action(A::kTabbedWindows), &QAction::triggered, this,
            [this](bool on) { RunCommand([this, on] { SetTabbedWindows(on); }); });
    MakeAction(A::kHelpTopics, QStringLiteral("&Help Topics"), K(Qt::Key_F1),
               &MainWindow::HelpTopicsClick);
    MakeAction(A::kAbout, QStringLiteral("&About..."), K(), &MainWindow::AboutClick);

    SetActionIcons(*this);
}

void MainWindow::CreateMenus() {
    fileMenu_ = menuBar()->addMenu(QStringLiteral("&File"));
    fileMenu_->setObjectName(QStringLiteral("FileMenu"));
    for (const char* name : {A::kNew, A::kOpen, A::kOpenExample, A::kSave, A::kSaveAs}) {
        fileMenu_->addAction(Action(name));
    }
    fileMenu_->addSeparator();
    fileMenu_->addAction(Action(A::kExportConstraints));
    fileMenu_->addAction(Action(A::kExportResults));
    fileMenu_->addAction(Action(A::kExportReport));
    fileMenu_->addSeparator();
    fileMenu_->addAction(Action(A::kImportConsequences));
    fileMenu_->addAction(Action(A::kExportConsequences));
    fileMenu_->addSeparator();
    fileMenu_->addAction(Action(A::kPrint));
    fileMenu_->addAction(Action(A::kPrintSetup));
    recentSeparator_ = fileMenu_->addSeparator();
    for (QAction* action : recentActions_) {
        fileMenu_->addAction(action);
    }
    fileMenu_->addSeparator();
    fileMenu_->addAction(Action(A::kExit));

    QMenu* editMenu = menuBar()->addMenu(QStringLiteral("&Edit"));
    editMenu->setObjectName(QStringLiteral("EditMenu"));
    editMenu->addAction(Action(A::kUndo));
    editMenu->addAction(Action(A::kRedo));

    QMenu* modelMenu = menuBar()->addMenu(QStringLiteral("&Model"));
    modelMenu->setObjectName(QStringLiteral("ModelMenu"));
    modelMenu_ = modelMenu;
    modelMenu->addAction(Action(A::kElicitationTour));
    modelMenu->addSeparator();
    // The value tree's New and assessment commands go before these two (AddTreeCommands).
    modelMenu->addAction(Action(A::kNewAlternative));
    modelMenu->addSeparator();
    modelMenu->addAction(Action(A::kWeightAssessment));
    modelMenu->addSeparator();
    modelMenu->addAction(Action(A::kClearValueTree));
    modelMenu->addAction(Action(A::kClearAlternatives));
    modelMenu->addAction(Action(A::kClearPreferences));
    modelMenu->addSeparator();
    modelMenu->addAction(Action(A::kCalculateModel));
    modelMenu->addAction(Action(A::kCalculatePartially));
    QMenu* calcMenu = modelMenu->addMenu(QStringLiteral("Ca&lculate"));
    calcMenu->setObjectName(QStringLiteral("Calculate1"));
    for (const char* name : {A::kCalcNonNormalized, A::kCalcNormalized, A::kCalcMainGoal,
                             A::kCalcAllValues, A::kCalcDominance, A::kCalcWeights}) {
        calcMenu->addAction(Action(name));
    }
    modelMenu->addSeparator();
    modelMenu->addAction(Action(A::kExplainConflict));
    modelMenu->addAction(Action(A::kAcceptabilityAnalysis));
    modelMenu->addAction(Action(A::kWhatIf));

    QMenu* optionsMenu = menuBar()->addMenu(QStringLiteral("&Options"));
    optionsMenu->setObjectName(QStringLiteral("OptionsMenu"));
    optionsMenu->addAction(Action(A::kTopDownWeights));
    optionsMenu->addAction(Action(A::kNormalizedIntervals));

    QMenu* windowsMenu = menuBar()->addMenu(QStringLiteral("&Windows"));
    windowsMenu->setObjectName(QStringLiteral("WindowsMenu"));
    for (const char* name : {A::kValueTree, A::kAlternatives, A::kPreferences}) {
        windowsMenu->addAction(Action(name));
    }
    windowsMenu->addSeparator();
    for (const char* name :
         {A::kValueIntervals, A::kWeights, A::kDominance, A::kDecisionRules, A::kAcceptability}) {
        windowsMenu->addAction(Action(name));
    }
    windowsMenu->addAction(Action(A::kWhatIfWindow));
    windowsMenu->addSeparator();
    for (const char* name : {A::kTile, A::kCascade, A::kArrangeIcons}) {
        windowsMenu->addAction(Action(name));
    }
    windowsMenu->addSeparator();
    windowsMenu->addAction(Action(A::kTabbedWindows));

    QMenu* helpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    helpMenu->setObjectName(QStringLiteral("HelpMenu"));
    helpMenu->addAction(Action(A::kHelpTopics));
    helpMenu->addAction(Action(A::kAbout));
}

void MainWindow::AddTreeCommands() {
    // The tree editor's own actions, so that the menu and the context menu enable and act alike
    // on the current node (an attribute offers only "New Attribute Beside").
    modelMenu_->insertActions(Action(A::kNewAlternative),
                              {treeEditor_->NewGoalAction(), treeEditor_->NewAttributeAction(),
                               treeEditor_->NewAttributeBesideAction()});
    modelMenu_->insertActions(
        Action(A::kWeightAssessment),
        {treeEditor_->ScoreAssessmentAction(), treeEditor_->WeightAssessmentAction()});
    treeEditor_->showHint = [this](const QString& text) { statusBar()->showMessage(text, 5000); };
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
    const Button first[] = {{A::kNew, "New Model"},
                            {A::kOpen, "Open Model"},
                            {A::kSave, "Save Model"},
                            {A::kPrint, "Print Active Window"}};
    // The undo buttons show their actions' tooltips, which name the step.
    const Button edit[] = {{A::kUndo, nullptr}, {A::kRedo, nullptr}};
    const Button second[] = {{A::kElicitationTour, "Elicitation Tour"},
                             {A::kCalculateModel, "Calculate Model"},
                             {A::kAcceptability, "Acceptability"},
                             {A::kWhatIf, "What If"}};
    auto add = [this, bar](const Button& b) {
        QAction* action = Action(b.action);
        bar->addAction(action);
        if (QWidget* button = bar->widgetForAction(action)) {
            if (b.hint != nullptr) {
                button->setToolTip(QString::fromLatin1(b.hint));
            }
            button->setObjectName(QStringLiteral("Tool") + QString::fromLatin1(b.action));
        }
    };
    for (const Button& b : first) {
        add(b);
    }
    bar->addSeparator();
    for (const Button& b : edit) {
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
        // The widths are what a panel asks for (a larger font still shows the whole text);
        // only a screen too narrow for all of them makes them give way.
        auto* label = new PanelLabel(QString::fromLatin1(panels[i].text), panels[i].width, bar);
        label->setObjectName(QString::fromLatin1(panels[i].name));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setContentsMargins(3, 0, 3, 0);
        if (i == 0) {
            label->setAlignment(Qt::AlignCenter);
        }
        bar->addWidget(label, i == 5 ? 1 : 0);
        panels_[i] = label;
    }
    // Shown only while the results no longer belong to the model as it is.
    outOfDatePanel_ = new PanelLabel(QStringLiteral("Results out of date"), 0, bar);
    outOfDatePanel_->setObjectName(QStringLiteral("OutOfDatePanel"));
    outOfDatePanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    outOfDatePanel_->setContentsMargins(3, 0, 3, 0);
    outOfDatePanel_->setToolTip(QStringLiteral("Recalculate to update (Ctrl+F9)"));
    outOfDatePanel_->setVisible(false);
    bar->addPermanentWidget(outOfDatePanel_);
    // Why the results may not be read as a decision (attributes not ranked, weights forced to
    // 0, results not calculated); it takes the room that is left and never widens the window.
    warningPanel_ = new QLabel(bar);
    warningPanel_->setObjectName(QStringLiteral("WarningPanel"));
    warningPanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    warningPanel_->setContentsMargins(3, 0, 3, 0);
    warningPanel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    warningPanel_->setVisible(false);
    bar->addWidget(warningPanel_, 2);
}

} // namespace velor::ui
