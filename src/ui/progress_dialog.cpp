#include "ui/progress_dialog.h"

#include "ui/conflict_window.h"
#include "ui/prompts.h"
#include "ui/ui_text.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>
#include <exception>

namespace velor::ui {

ProgressDialog::ProgressDialog(Prompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    setObjectName(QStringLiteral("CancelForm"));
    setWindowTitle(QStringLiteral("Calculation in Progress"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    infoLabel_ = new QLabel(this);
    infoLabel_->setObjectName(QStringLiteral("InfoLabel"));
    infoLabel_->setMinimumWidth(280);
    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName(QStringLiteral("ProgressBar"));
    progressBar_->setRange(0, 100);
    cancelButton_ = new QPushButton(QStringLiteral("&Cancel"), this);
    cancelButton_->setObjectName(QStringLiteral("CancelButton"));
    calcTimer_ = new QTimer(this);
    calcTimer_->setObjectName(QStringLiteral("CalcTimer"));
    calcTimer_->setSingleShot(true);
    calcTimer_->setInterval(10);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(infoLabel_);
    layout->addWidget(progressBar_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelButton_);
    buttons->addStretch();
    layout->addLayout(buttons);

    connect(calcTimer_, &QTimer::timeout, this, &ProgressDialog::CalcTimerTimer);
    connect(cancelButton_, &QPushButton::clicked, this, &ProgressDialog::CancelButtonClick);
}

void ProgressDialog::RunModal() {
    pending_.clear();
    cancel_ = false;
    conflictRequested_ = false;
    infoLabel_->clear();
    exec();
    calcTimer_->stop();
    if (cursorSet_) {
        QApplication::restoreOverrideCursor();
        cursorSet_ = false;
    }
    auto messages = std::move(pending_);
    pending_.clear();
    if (!error_.isEmpty()) {
        const QString error = error_;
        error_.clear();
        prompts_.ErrorBox(error);
    }
    for (const PendingMessage& message : messages) {
        const Icon icon = message.kind == MessageKind::Information ? Icon::Information
                          : message.kind == MessageKind::Warning   ? Icon::Warning
                                                                   : Icon::Stop;
        const QString text = finalText ? finalText(ToQ(message.text)) : ToQ(message.text);
        if (message.infeasible && offerConflict) {
            const Answer answer = prompts_.Message(kAppTitle, text, icon, Buttons::Ok,
                                                   MessageAction{kShowConflictLabel, {}});
            conflictRequested_ = conflictRequested_ || answer == Answer::Action;
        } else {
            prompts_.Inform(kAppTitle, text, icon);
        }
    }
}

void ProgressDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the screen the main window is on.
    if (const QScreen* screen =
            parentWidget() != nullptr ? parentWidget()->screen() : this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    progressBar_->setValue(0);
    calcTimer_->start();
}

void ProgressDialog::CalcTimerTimer() {
    calcTimer_->stop();
    // An error escaping the calculation must not leave the modal window open with no way out:
    // the window closes and the error is shown once it has.
    try {
        if (runCalculation) {
            runCalculation(*this);
        }
    } catch (const std::exception& error) {
        error_ = QString::fromLocal8Bit(error.what());
        RunFinished();
    } catch (...) {
        error_ = QStringLiteral("An unexpected error occurred.");
        RunFinished();
    }
    accept();
}

void ProgressDialog::CancelButtonClick() {
    cancel_ = true;
    accept();
}

void ProgressDialog::reject() {
    CancelButtonClick();
}

void ProgressDialog::ProcessEvents() {
    QCoreApplication::processEvents();
}

void ProgressDialog::RunStarted(const std::string& statusText) {
    if (!cursorSet_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        cursorSet_ = true;
    }
    const QString text = ToQ(statusText);
    infoLabel_->setText(text);
    if (setProgressPanel) {
        setProgressPanel(QStringLiteral("0 %"));
    }
    if (setActivityPanel) {
        setActivityPanel(text);
    }
}

void ProgressDialog::ShowProgress(int done, int total) {
    const double percent = ProgressPercent(done, total);
    if (setProgressPanel) {
        setProgressPanel(QString::number(std::lround(percent)) + QStringLiteral(" %"));
    }
    if (isVisible()) {
        progressBar_->setValue(static_cast<int>(percent));
    }
}

void ProgressDialog::RunFinished() {
    if (setProgressPanel) {
        setProgressPanel(QStringLiteral("100 %"));
    }
    if (setActivityPanel) {
        setActivityPanel(QStringLiteral("Ready"));
    }
    if (cursorSet_) {
        QApplication::restoreOverrideCursor();
        cursorSet_ = false;
    }
}

bool ProgressDialog::AskContinue(const std::string& question) {
    return prompts_.Message(kAppTitle, ToQ(question), Icon::Warning, Buttons::YesNo) == Answer::Yes;
}

void ProgressDialog::ShowMessage(MessageKind kind, const std::string& text) {
    pending_.push_back({kind, text});
}

void ProgressDialog::ShowInfeasibleMessage(const std::string& text) {
    pending_.push_back({MessageKind::Warning, text, true});
}

} // namespace velor::ui
