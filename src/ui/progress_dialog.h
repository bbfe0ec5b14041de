// The modal window "Calculation in Progress": shows the status text and a progress bar while a
// calculation runs, and stops the calculation when the user presses Cancel. It is the face of
// the calculation driver (CalcHost).
#pragma once

#include "calc/calc_host.h"

#include <QDialog>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace velor::ui {

class Prompts;

class ProgressDialog : public QDialog, public CalcHost {
    Q_OBJECT
public:
    explicit ProgressDialog(Prompts& prompts, QWidget* parent = nullptr);

    // Status-bar panels 0 (progress) and 1 (activity) of the main window.
    std::function<void(const QString&)> setProgressPanel;
    std::function<void(const QString&)> setActivityPanel;
    // Runs the calculation (called from the dialog's timer once it is on screen).
    std::function<void(CalcHost&)> runCalculation;
    // Whether the message that the model is infeasible offers "Show Conflict...".
    bool offerConflict = false;
    // When set, gives the text each final message is shown with (a caller's note added to it).
    std::function<QString(const QString&)> finalText;

    // Shows the dialog modally, runs the calculation inside it and returns after the dialog has
    // closed and the final message has been shown.
    void RunModal();
    // Whether the user asked to see the conflicting statements from the last run's message.
    bool ConflictRequested() const { return conflictRequested_; }

    QLabel* InfoLabel() const { return infoLabel_; }
    QProgressBar* ProgressBar() const { return progressBar_; }
    QPushButton* CancelButton() const { return cancelButton_; }

    // CalcHost
    void ProcessEvents() override;
    bool CancelRequested() override { return cancel_; }
    void ResetCancel() override { cancel_ = false; }
    void RunStarted(const std::string& statusText) override;
    void ShowProgress(int done, int total) override;
    void RunFinished() override;
    bool AskContinue(const std::string& question) override;
    void ShowMessage(MessageKind kind, const std::string& text) override;
    void ShowInfeasibleMessage(const std::string& text) override;

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override; // Escape or the close button act as Cancel

private:
    void CalcTimerTimer();
    void CancelButtonClick();

    Prompts& prompts_;
    QLabel* infoLabel_;
    QProgressBar* progressBar_;
    QPushButton* cancelButton_;
    QTimer* calcTimer_;
    bool cancel_ = false;
    bool cursorSet_ = false;
    QString error_; // an error that escaped the calculation
    // Final messages wait until the dialog has closed.
    struct PendingMessage {
        MessageKind kind;
        std::string text;
        bool infeasible = false;
    };
    std::vector<PendingMessage> pending_;
    bool conflictRequested_ = false;
};

} // namespace velor::ui
