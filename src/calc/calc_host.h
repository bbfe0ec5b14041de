// What the calculation driver needs from the face that runs it: a window with a progress dialog
// and message boxes, the command-line tool with flags and a terminal progress bar, or a scripted
// fake in tests. The driver runs on the caller's thread and calls back through this interface
// only; it never touches a widget.
#pragma once

#include <string>

namespace velor {

enum class MessageKind { Information, Warning, Error };

class CalcHost {
public:
    virtual ~CalcHost() = default;

    // Lets pending user input run once (called before every step, so Cancel can be pressed).
    virtual void ProcessEvents() {}
    // True once the user asked to stop; polled right after ProcessEvents.
    virtual bool CancelRequested() = 0;
    // Forgets a cancel request; called at the start and at the end of every run.
    virtual void ResetCancel() {}

    // A run has passed its feasibility check and starts (show the busy cursor, "0 %" and the
    // status text of the calculation type, e.g. "Calculating model...").
    virtual void RunStarted(const std::string& statusText) { (void)statusText; }
    // Steps done out of the step total; see ProgressPercent for the shown figure.
    virtual void ShowProgress(int done, int total) = 0;
    // The run is over, whatever happened ("100 %", "Ready", normal cursor). The final message
    // follows through ShowMessage.
    virtual void RunFinished() {}

    // Asked after a linear program failed: true for Yes (skip this value and go on), false for
    // No (stop the run). The text is the full question.
    virtual bool AskContinue(const std::string& question) = 0;
    // The final or failure message of a run, shown with its kind's icon.
    virtual void ShowMessage(MessageKind kind, const std::string& text) = 0;
    // The warning that the statements admit no solution; a face that can explain which
    // statements contradict each other offers that with it.
    virtual void ShowInfeasibleMessage(const std::string& text) {
        ShowMessage(MessageKind::Warning, text);
    }
};

// Percent shown for done out of total: done / total * 100, at most 100, and 0 when that is not
// a number of at least 0 (a total of 0 included).
inline double ProgressPercent(int done, int total) {
    const double percent = 100.0 * done / static_cast<double>(total); // inf or NaN for total 0
    if (!(percent >= 0.0)) {
        return 0.0;
    }
    return percent > 100.0 ? 100.0 : percent;
}

} // namespace velor
