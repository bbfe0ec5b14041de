// The main window: a multi-document frame holding the value tree editor, the alternatives
// editor and the other views as child windows, with the menus, toolbar and status bar, the
// model's file name and changed flag, and the new/open/save/close flows.
#pragma once

#include "calc/calculation_driver.h"
#include "calc/calc_host.h"
#include "calc/conflict_finder.h"
#include "calc/conflict_statement.h"
#include "model/document.h"
#include "model/ini_file.h"
#include "model/model.h"
#include "model/model_observer.h"
#include "model/recent_files.h"
#include "ui/printable_view.h"

#include <QMainWindow>
#include <QPrinter>

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;

namespace velor::ui {

class AboutBox;
class AlternativesEditor;
class ConflictWindow;
class EmptyState;
class HelpWindow;
class ProgressDialog;
class Prompts;
class TreeEditor;

// The result views opened from the Windows menu (F8 .. F12), by their settings names.
enum class ResultView {
    ValueIntervals = 0,
    Weights = 1,
    Dominance = 2,
    DecisionRules = 3,
    Acceptability = 4,
};
inline constexpr std::size_t kResultViewCount = 5;

class MainWindow : public QMainWindow, public ModelObserver {
    Q_OBJECT
public:
    MainWindow(Prompts& prompts, std::filesystem::path settingsPath, QWidget* parent = nullptr);
    ~MainWindow() override;

    void ModelChanged(ModelChange what) override;

    // The model is read here and changed only through the document's edit path.
    const Model& GetModel() const { return document_.GetModel(); }
    Document& GetDocument() { return document_; }
    const std::filesystem::path& SettingsPath() const { return settings_.Path(); }
    const std::string& FileName() const { return document_.FileName(); }
    const RecentFiles& Recent() const { return recent_; }
    TreeEditor* Tree() const { return treeEditor_; }
    AlternativesEditor* Alternatives() const { return altEditor_; }
    ProgressDialog* Progress() const { return progress_; }
    QMdiArea* MdiArea() const { return mdi_; }
    QLabel* StatusPanel(int index) const { return panels_.at(static_cast<std::size_t>(index)); }
    // The action of a menu item or toolbar button by its object name ("Save1", "RecentFile2");
    // the names are in action_ids.h.
    QAction* Action(const QString& objectName) const;
    QAction* Action(const char* id) const;

    // ----- plug-in points for the views and dialogs of later parts
    // The preference view, a child window for the whole run ("&Preferences", F7).
    void SetPreferenceView(QWidget* view);
    // Creates a result view the first time it is shown; the command stays disabled without one.
    using ViewFactory = std::function<QWidget*(const Document&)>;
    void SetResultViewFactory(ResultView view, ViewFactory factory);
    QWidget* ResultViewWidget(ResultView view) const;
    // The elicitation tour ("&Elicitation Tour...") and the weight assessment of the hidden
    // "&Weight Assessment..." item.
    void SetElicitationTour(std::function<void()> tour);
    void SetBottomUpWeightAssessment(std::function<void()> assessment);
    // Opens the assessment dialog a conflicting statement was made in (from the window
    // "Conflicting Statements"); the dialog applies its changes through the document.
    using AssessmentOpener = std::function<void(const AssessmentTarget&)>;
    void SetAssessmentOpener(AssessmentOpener opener);

    // ----- operations (the menu commands run these)
    void NewClick();
    void OpenClick();
    // "Open an Example...": the Open dialog in the folder of the example models.
    void OpenExampleClick();
    bool OpenFile(const QString& path);
    void OpenRecentFile(int k);
    bool SaveClick();
    bool SaveAsClick();
    void ExportModelClick();
    void ExportResultsClick();
    void ImportConsequencesClick();
    void ExportConsequencesClick();
    void ExportReportClick();
    void PrintClick();
    void PrintSetupClick();
    void ClearValueTreeClick();
    void ClearAlternativesClick();
    void ClearPreferencesClick();
    void Calculate(CalculationType type);
    // Model > Acceptability Analysis...: asks for the number of samples, samples with the
    // progress dialog (Cancel stops) and shows the result in the Acceptability view. The result
    // goes to the document, not into the model.
    void AcceptabilityAnalysisClick();
    void UndoClick();
    void RedoClick();
    void TopDownWeightsClick();
    void NormalizedIntervalsClick();
    void ShowTreeEditor();
    void ShowAlternativesEditor();
    void ShowPreferenceView();
    void ShowResultView(ResultView view);
    void HelpTopicsClick();
    void AboutClick();
    void NewAlternativeClick();
    // Searches the model for statements that cannot all hold together and lists them in the
    // window "Conflicting Statements" (brought forward when it is open).
    void ShowConflict();
    // Searches model's conflicting statements in the progress dialog (Cancel stops it).
    ConflictResult SearchConflict(const Model& model);
    ConflictWindow* Conflict() const { return conflict_; }
    // Model > What If... (Windows menu, toolbar): the What If window, made by its factory the
    // first time it is shown (the command stays disabled without one) and brought forward. The
    // factory gets the runner that runs an analysis in the progress dialog.
    using AnalysisRunner = std::function<void(const std::function<void(CalcHost&)>&)>;
    using WhatIfFactory = std::function<QWidget*(Document&, const AnalysisRunner&)>;
    void SetWhatIfFactory(WhatIfFactory factory);
    void ShowWhatIf();
    QWidget* WhatIf() const { return whatIf_; }

    // Clears the model (New, Open): forgets the file name and closes the result views, unless
    // they are kept for the model that is being opened (they then show its results).
    void ClearModel(bool keepResultViews = false);
    // Runs a command and shows any error that escapes it in the standard error box.
    void RunCommand(const std::function<void()>& command);

    HelpWindow* Help() const { return help_; }
    // Opens the user guide at one of its pages ("walkthrough.html").
    void ShowHelpPage(const QString& page);

    // Windows > Tabbed Windows: the child windows as tabs of the workspace, or (the default)
    // free-floating windows inside it. The choice is kept in the settings.
    void SetTabbedWindows(bool on);
    bool TabbedWindows() const;
    // Shown in the workspace while the model has no node.
    EmptyState* EmptyStatePanel() const { return emptyState_; }
    // The folder of the example models: the installed one, else the one of the source tree;
    // empty when there is none.
    static QString ExamplesFolder();
    AboutBox* About() const { return about_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    // The first show fits the child windows into the workspace as it turned out on this screen.
    void showEvent(QShowEvent* event) override;
    // One local file dragged onto the window opens as a model (OpenDroppedFile).
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Saves the placement of a result view that is being closed.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    // Puts the value tree editor's commands into the Model menu.
    void AddTreeCommands();
    void CreateToolBar();
    void CreateStatusBar();
    QAction* MakeAction(const char* name, const QString& caption, const QKeySequence& key,
                        void (MainWindow::*command)());
    QMdiSubWindow* AddChild(QWidget* content, const char* placementName);
    void BringForward(QMdiSubWindow* window);
    // "Model Unsaved" before replacing the model; false when the user cancelled.
    bool UnsavedModelQuestion();
    // Opens a file dropped onto the window like one chosen in the Open dialog; a file that is
    // not a valid model is refused with the usual message before anything changes.
    void OpenDroppedFile(const QString& path);
    bool WriteModel(const QString& path);
    // The file an export goes into, asked in the Save dialog; empty when the user cancelled or
    // chose the model's own file, which an export must never replace.
    QString AskExportPath(const QString& title, const QString& filter, const char* extension);
    // Tells whether an export was written.
    void ReportExport(bool written, const QString& path, const QString& doneMessage);
    void UpdateCaption();
    void UpdateStatusPanels();
    // Undo and Redo name the step they would take back or do again.
    void UpdateUndoActions();
    void RebuildRecentMenu();
    void RestorePlacements();
    void SavePlacements();
    void CloseResultViews();
    // Every child window no larger than the workspace and on it (the rule of PlaceOnScreens).
    void FitChildWindows();
    void UpdateEmptyState();
    void RestoreChildPlacements();
    void SaveChildPlacements();
    void OpenAssessmentOf(const ConflictStatement& statement);

    Prompts& prompts_;
    IniFile settings_;
    Document document_;
    RecentFiles recent_;
    QPrinter printer_;

    QMdiArea* mdi_ = nullptr;
    TreeEditor* treeEditor_ = nullptr;
    AlternativesEditor* altEditor_ = nullptr;
    QMdiSubWindow* treeWindow_ = nullptr;
    QMdiSubWindow* altWindow_ = nullptr;
    QMdiSubWindow* preferenceWindow_ = nullptr;
    AboutBox* about_ = nullptr;
    ProgressDialog* progress_ = nullptr;
    HelpWindow* help_ = nullptr;
    ConflictWindow* conflict_ = nullptr;
    WhatIfFactory whatIfFactory_;
    QWidget* whatIf_ = nullptr;
    QMdiSubWindow* whatIfWindow_ = nullptr;
    QTimer* conflictRefresh_ = nullptr; // looks again once a burst of edits is over
    AssessmentOpener assessmentOpener_;

    std::array<ViewFactory, kResultViewCount> viewFactories_;
    std::array<QMdiSubWindow*, kResultViewCount> resultWindows_{};
    std::function<void()> elicitationTour_;
    std::function<void()> bottomUpAssessment_;

    std::array<QLabel*, 6> panels_{};
    QLabel* outOfDatePanel_ = nullptr;
    QLabel* warningPanel_ = nullptr;
    EmptyState* emptyState_ = nullptr;
    QMenu* recentButtonMenu_ = nullptr;
    bool shownOnce_ = false;
    std::map<QString, QAction*> actions_;
    QMenu* fileMenu_ = nullptr;
    QMenu* modelMenu_ = nullptr;
    // Whether the first complete calculation of this model has opened its result views.
    bool firstResultsShown_ = false;
    QAction* recentSeparator_ = nullptr;
    std::array<QAction*, RecentFiles::kCapacity> recentActions_{};
};

} // namespace velor::ui
