// The What If window: for two alternatives A and B, every single change of one bound of one
// statement that would make A dominate B, in words, with "Add This Statement" applying the
// chosen one through the document as one undoable step; the tornado chart of the weights that
// move the comparison most; and the "Stability" tab, every stated bound with the interval over
// which it can move before a dominance or a recommendation changes, fragile ones first. The
// analyses run in the progress dialog (Cancel stops them); the window never changes the model
// except through the document.
#pragma once

#include "calc/calc_host.h"
#include "calc/stability.h"
#include "calc/what_if.h"
#include "model/document.h"
#include "model/model_observer.h"
#include "ui/main_window.h"
#include "ui/printable_view.h"

#include <QPrinter>
#include <QWidget>

#include <functional>
#include <string>
#include <utility>
#include <optional>

class QComboBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QTableWidget;
class QTabWidget;

namespace velor::ui {

class MainWindow;
class Prompts;
class TornadoChart;

class WhatIfWindow : public QWidget, public ModelObserver, public PrintableView {
    Q_OBJECT
public:
    WhatIfWindow(Document& document, Prompts& prompts, QWidget* parent = nullptr);
    ~WhatIfWindow() override;

    // Runs an analysis with a host for its progress and Cancel (the main window's progress
    // dialog); without one the analysis runs at once, without progress.
    using Runner = std::function<void(const std::function<void(CalcHost&)>&)>;
    Runner runAnalysis;

    // Fills the pickers from the model: by default the two best alternatives by the Central
    // Values rule of the stored results (rows 1 and 2 when there are none).
    void RefreshAlternatives();

    // The window is shown again: the pickers follow the alternatives.
    Q_INVOKABLE void Reopen();
    void AnalyseClick();
    // Applies the change selected in the list as one step "Add Statement".
    void AddStatementClick();
    void StabilityClick();

    bool Print(QPrinter& printer);
    void PrintView(QPrinter& printer) override;
    bool CopyToClipboard();
    bool SavePicture(const QString& path);
    void PrintClick();
    void CopyClick();
    void SavePictureClick();

    void ModelChanged(ModelChange what) override;
    QSize sizeHint() const override { return {760, 480}; }

    QComboBox* BetterCombo() const { return better_; }
    QComboBox* ThanCombo() const { return than_; }
    QListWidget* ChangeList() const { return changes_; }
    QPushButton* AddStatementButton() const { return add_; }
    QLabel* Summary() const { return summary_; }
    QLabel* Banner() const { return banner_; }
    QTabWidget* Tabs() const { return tabs_; }
    TornadoChart* Chart() const { return chart_; }
    QTableWidget* StabilityTable() const { return stability_; }
    const std::optional<WhatIfResult>& Result() const { return result_; }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Runs an analysis (which returns how it ended and its message) under the progress dialog
    // and says so when it was cancelled or failed; true when it completed.
    bool Run(const char* status,
             const std::function<std::pair<AnalysisStatus, std::string>(CalcHost&)>& analyse);
    void ShowPairResult();
    void ShowStability();
    void UpdateState();
    char DecimalSeparator() const;

    Document& document_;
    Prompts& prompts_;
    QComboBox* better_ = nullptr;
    QComboBox* than_ = nullptr;
    QPushButton* analyse_ = nullptr;
    QLabel* banner_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QLabel* summary_ = nullptr;
    QListWidget* changes_ = nullptr;
    QPushButton* add_ = nullptr;
    TornadoChart* chart_ = nullptr;
    QPushButton* stabilityButton_ = nullptr;
    QLabel* stabilityInfo_ = nullptr;
    QTableWidget* stability_ = nullptr;
    QMenu* popup_ = nullptr;
    QPrinter printer_;

    std::optional<WhatIfResult> result_;
    std::optional<Model> analysed_; // the model the pair analysis belongs to
    std::optional<StabilityResult> stabilityResult_;
    std::optional<Model> stabilityModel_;
};

// Hands the main window the factory of this window (Model > What If..., Windows menu, toolbar).
void InstallWhatIfWindow(MainWindow& window, Prompts& prompts);

} // namespace velor::ui
