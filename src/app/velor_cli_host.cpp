#include "app/velor_cli_host.h"

#include <csignal>
#include <ostream>

namespace velor {

namespace {

volatile std::sig_atomic_t interrupted = 0;

// The first Ctrl+C asks the calculation to stop; it sees the request within a few hundredths of
// a second, also in the middle of a linear program. A second one ends the program at once.
extern "C" void OnInterrupt(int) {
    interrupted = 1;
    std::signal(SIGINT, SIG_DFL);
}

} // namespace

TerminalHost::TerminalHost(std::ostream& err, bool answerYes, bool quiet, bool progressBar)
    : err_(err), answerYes_(answerYes), quiet_(quiet), progressBar_(progressBar && !quiet) {
    interrupted = 0;
    std::signal(SIGINT, OnInterrupt);
}

TerminalHost::~TerminalHost() {
    std::signal(SIGINT, SIG_DFL);
}

bool TerminalHost::CancelRequested() {
    return interrupted != 0;
}

void TerminalHost::ResetCancel() {
    interrupted = 0;
    std::signal(SIGINT, OnInterrupt);
}

void TerminalHost::RunStarted(const std::string& statusText) {
    status_ = statusText;
    lastPercent_ = -1;
    ShowProgress(0, 1);
}

void TerminalHost::ShowProgress(int done, int total) {
    if (!progressBar_) {
        return;
    }
    const int percent = static_cast<int>(ProgressPercent(done, total));
    if (percent == lastPercent_) {
        return;
    }
    lastPercent_ = percent;
    constexpr int kWidth = 30;
    const int filled = percent * kWidth / 100;
    err_ << '\r' << '[' << std::string(static_cast<std::size_t>(filled), '#')
         << std::string(static_cast<std::size_t>(kWidth - filled), ' ') << "] ";
    err_.width(3);
    err_ << percent << " %  " << status_ << std::flush;
    barShown_ = true;
}

void TerminalHost::ClearBar() {
    if (barShown_) {
        err_ << '\r' << std::string(40 + status_.size(), ' ') << '\r' << std::flush;
        barShown_ = false;
        lastPercent_ = -1;
    }
}

void TerminalHost::RunFinished() {
    ClearBar();
}

bool TerminalHost::AskContinue(const std::string& question) {
    ClearBar();
    ++questions_;
    err_ << question << (answerYes_ ? " yes" : " no") << " (--answer)\n" << std::flush;
    return answerYes_;
}

void TerminalHost::ShowMessage(MessageKind kind, const std::string& text) {
    ClearBar();
    if (kind == MessageKind::Information && quiet_) {
        return;
    }
    const char* prefix = kind == MessageKind::Error     ? "error: "
                         : kind == MessageKind::Warning ? "warning: "
                                                        : "";
    err_ << prefix << text << '\n' << std::flush;
}

} // namespace velor
