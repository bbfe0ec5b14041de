#include "ui/conflict_window.h"

#include "calc/conflict_statement.h"
#include "ui/ui_text.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace velor::ui {

ConflictWindow::ConflictWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ConflictForm"));
    setWindowTitle(kConflictWindowTitle);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(true);

    explanation_ = new QLabel(this);
    explanation_->setObjectName(QStringLiteral("ExplanationLabel"));
    explanation_->setWordWrap(true);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("StatementList"));
    list_->setWordWrap(true);
    list_->setAlternatingRowColors(true);
    openButton_ = new QPushButton(QStringLiteral("&Open Assessment..."), this);
    openButton_->setObjectName(QStringLiteral("OpenButton"));
    closeButton_ = new QPushButton(QStringLiteral("&Close"), this);
    closeButton_->setObjectName(QStringLiteral("CloseButton"));
    // Enter in the list opens the statement's assessment; no button takes it over.
    openButton_->setAutoDefault(false);
    closeButton_->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation_);
    layout->addWidget(list_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(openButton_);
    buttons->addWidget(closeButton_);
    layout->addLayout(buttons);
    resize(720, 300);

    // Activation is a double-click or Enter (or the platform's single click where that is the
    // convention).
    connect(list_, &QListWidget::activated, this,
            [this](const QModelIndex& index) { StatementListActivated(index.row()); });
    connect(list_, &QListWidget::currentRowChanged, this, [this] { UpdateButtons(); });
    connect(openButton_, &QPushButton::clicked, this, &ConflictWindow::OpenButtonClick);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::reject);
    UpdateButtons();
}

void ConflictWindow::Search(const Model& model) {
    if (searchRunner_) {
        ShowResult(model, searchRunner_(model));
        return;
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    ConflictResult result;
    try {
        result = FindConflict(model);
    } catch (...) {
        QGuiApplication::restoreOverrideCursor();
        throw;
    }
    QGuiApplication::restoreOverrideCursor();
    ShowResult(model, result);
}

void ConflictWindow::ShowResult(const Model& model, const ConflictResult& result) {
    list_->clear();
    statements_.clear();
    switch (result.Outcome) {
    case ConflictOutcome::Conflict:
        explanation_->setText(kConflictExplanation);
        statements_ = result.Statements;
        for (const ConflictStatement& statement : statements_) {
            list_->addItem(ToQ(DescribeStatement(model, statement, DecimalSeparator())));
        }
        list_->setCurrentRow(0);
        break;
    case ConflictOutcome::NoConflict:
        explanation_->setText(kNoConflictText);
        break;
    case ConflictOutcome::SolverError:
        explanation_->setText(QStringLiteral("The conflicting statements could not be found: ") +
                              ToQ(result.Error));
        break;
    case ConflictOutcome::Stopped:
        explanation_->setText(QStringLiteral("The search for conflicting statements was stopped."));
        break;
    }
    UpdateButtons();
}

void ConflictWindow::SetOpenHandler(OpenHandler handler) {
    openHandler_ = std::move(handler);
    UpdateButtons();
}

void ConflictWindow::StatementListActivated(int row) {
    if (row < 0 || row >= static_cast<int>(statements_.size()) || !openHandler_) {
        return;
    }
    // A copy: the handler may show a new result, which replaces the list.
    const ConflictStatement statement = statements_.at(static_cast<std::size_t>(row));
    openHandler_(statement);
}

void ConflictWindow::OpenButtonClick() {
    StatementListActivated(list_->currentRow());
}

void ConflictWindow::UpdateButtons() {
    openButton_->setEnabled(openHandler_ && list_->currentRow() >= 0);
}

} // namespace velor::ui
