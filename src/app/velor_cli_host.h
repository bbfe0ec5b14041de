// The calculation host of velor-cli: answers the failure question from a flag, draws a progress
// bar on stderr when stderr is a terminal, prints messages on stderr and turns Ctrl+C into a
// cancel request.
#pragma once

#include "calc/calc_host.h"

#include <iosfwd>
#include <string>

namespace velor {

class TerminalHost : public CalcHost {
public:
    // answerYes: the answer to every "continue?" question. quiet: no progress bar and no
    // information messages (warnings and errors are always printed).
    TerminalHost(std::ostream& err, bool answerYes, bool quiet, bool progressBar);
    ~TerminalHost() override;

    bool CancelRequested() override;
    void ResetCancel() override;
    void RunStarted(const std::string& statusText) override;
    void ShowProgress(int done, int total) override;
    void RunFinished() override;
    bool AskContinue(const std::string& question) override;
    void ShowMessage(MessageKind kind, const std::string& text) override;

    int QuestionsAsked() const { return questions_; }

private:
    void ClearBar();

    std::ostream& err_;
    bool answerYes_;
    bool quiet_;
    bool progressBar_;
    bool barShown_ = false;
    int lastPercent_ = -1;
    int questions_ = 0;
    std::string status_;
};

} // namespace velor
