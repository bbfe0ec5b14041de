// The window "Conflicting Statements": the statements of a model that cannot all hold together,
// in words, one per row. Activating a row (double-click or Enter) hands the statement to the
// open handler, which opens the assessment where it was made; the window itself never changes
// the model. Shown non-modally over the main window after a calculation, or modally over the
// question of an assessment dialog.
#pragma once

#include "calc/conflict_finder.h"
#include "model/model.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

namespace velor::ui {

// The button of the infeasibility messages that opens this window.
inline const QString kShowConflictLabel = QStringLiteral("Show Conflict...");
inline const QString kConflictWindowTitle = QStringLiteral("Conflicting Statements");
inline const QString kConflictExplanation =
    QStringLiteral("These statements cannot all hold together. Change or remove one of them:\n"
                   "double-click a statement to open the assessment where it was made.");
inline const QString kNoConflictText =
    QStringLiteral("No conflict: the statements can all hold together.");
inline const std::string kConflictSearchStatus = "Searching for conflicting statements...";
// A double-click on a statement of the assessment the window was opened from.
inline const QString kStatementInThisDialog =
    QStringLiteral("This statement was made in the assessment this window was opened from. "
                   "Close this window and change it there.");

class ConflictWindow : public QDialog {
    Q_OBJECT
public:
    explicit ConflictWindow(QWidget* parent = nullptr);

    // Searches model for a minimal set of conflicting statements (with the wait cursor; the
    // search takes about as long as one feasibility check of the model) and shows it.
    void Search(const Model& model);
    // Shows the outcome of a search over model.
    void ShowResult(const Model& model, const ConflictResult& result);

    using OpenHandler = std::function<void(const ConflictStatement&)>;
    void SetOpenHandler(OpenHandler handler);
    // How Search runs the search (the main window's runs in the progress dialog, with Cancel);
    // without one, it runs under the wait cursor.
    using SearchRunner = std::function<ConflictResult(const Model&)>;
    void SetSearchRunner(SearchRunner runner) { searchRunner_ = std::move(runner); }

    const std::vector<ConflictStatement>& Statements() const { return statements_; }
    QListWidget* StatementList() const { return list_; }
    QLabel* ExplanationLabel() const { return explanation_; }

private:
    void StatementListActivated(int row);
    void OpenButtonClick();
    void UpdateButtons();

    QLabel* explanation_;
    QListWidget* list_;
    QPushButton* openButton_;
    QPushButton* closeButton_;
    std::vector<ConflictStatement> statements_;
    OpenHandler openHandler_;
    SearchRunner searchRunner_;
};

} // namespace velor::ui
