#include "ui/prompts.h"

#include "ui/ui_text.h"
#include "ui/utf8_limit_validator.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

namespace velor::ui {

namespace {

QMessageBox::Icon ToBoxIcon(Icon icon) {
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Stop:
        return QMessageBox::Critical;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void WidgetPrompts::InformWithDetail(const QString& caption, const QString& text,
                                     const QString& detail, Icon icon) {
    QMessageBox box(ToBoxIcon(icon), caption, text, QMessageBox::Ok, parent_);
    box.setInformativeText(detail);
    box.exec();
}

Answer WidgetPrompts::Message(const QString& caption, const QString& text, Icon icon,
                              Buttons buttons) {
    return Message(caption, text, icon, buttons, MessageAction{});
}

Answer WidgetPrompts::Message(const QString& caption, const QString& text, Icon icon,
                              Buttons buttons, const MessageAction& action) {
    QMessageBox box(ToBoxIcon(icon), caption, text, QMessageBox::NoButton, parent_);
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    QPushButton* actionButton = nullptr;
    if (!action.label.isEmpty()) {
        actionButton = box.addButton(action.label, QMessageBox::ActionRole);
        actionButton->setObjectName(QStringLiteral("MessageActionButton"));
        if (action.run) {
            // Cut the button off from the box, which would close on it, and run the action
            // with the box still open.
            QObject::disconnect(actionButton, &QPushButton::clicked, nullptr, nullptr);
            QObject::connect(actionButton, &QPushButton::clicked, &box,
                             [&action] { action.run(); });
        }
    }
    box.exec();
    if (actionButton != nullptr && box.clickedButton() == actionButton) {
        return Answer::Action;
    }
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        break;
    }
    // Closing a question box with Escape or the title-bar button answers Cancel, or No when the
    // box has no Cancel button.
    if (buttons == Buttons::YesNo) {
        return Answer::No;
    }
    return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
}

std::optional<QString> WidgetPrompts::TextPrompt(const QString& title, const QString& label,
                                                 const QString& initial, int maxLength) {
    QInputDialog dialog(parent_);
    dialog.setWindowTitle(title);
    dialog.setLabelText(label);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(Utf8LimitValidator::Cut(initial, maxLength));
    if (auto* edit = dialog.findChild<QLineEdit*>()) {
        edit->setValidator(new Utf8LimitValidator(maxLength, edit));
    }
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return Utf8LimitValidator::Cut(dialog.textValue(), maxLength);
}

QString WidgetPrompts::OpenFileName(const FileDialogRequest& request) {
    QFileDialog dialog(parent_, request.title, request.initialPath, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(request.defaultExtension);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

QString WidgetPrompts::SaveFileName(const FileDialogRequest& request) {
    QFileDialog dialog(parent_, request.title, request.initialPath, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultExtension);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

bool WidgetPrompts::PrintDialog(QPrinter& printer) {
    QPrintDialog dialog(&printer, parent_);
    return dialog.exec() == QDialog::Accepted;
}

void WidgetPrompts::PrintSetup(QPrinter& printer) {
    QPageSetupDialog dialog(&printer, parent_);
    dialog.exec();
}

void WidgetPrompts::ErrorBox(const QString& text) {
    QMessageBox::critical(parent_, kAppTitle, text);
}

QString WidgetPrompts::ClipboardText() {
    return QGuiApplication::clipboard()->text();
}

void WidgetPrompts::SetClipboardText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

bool WidgetPrompts::SetClipboardImage(const QImage& image) {
    if (image.isNull()) {
        return false;
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setImage(image);
    const QMimeData* data = clipboard->mimeData();
    return data != nullptr && data->hasImage();
}

std::optional<ImportChoices> WidgetPrompts::ImportDialog(const QString& title,
                                                         const ImportChoices& initial,
                                                         const ImportPreviewer& preview) {
    QDialog dialog(parent_);
    dialog.setObjectName(QStringLiteral("ImportDialog"));
    dialog.setWindowTitle(title);
    auto* separator = new QComboBox(&dialog);
    separator->setObjectName(QStringLiteral("SeparatorCombo"));
    const std::pair<QString, char> separators[] = {
        {QStringLiteral("Found from the first line"), 0},
        {QStringLiteral("Comma"), ','},
        {QStringLiteral("Semicolon"), ';'},
        {QStringLiteral("Tab"), '\t'},
    };
    for (const auto& [name, character] : separators) {
        separator->addItem(name, QVariant::fromValue(static_cast<int>(character)));
    }
    separator->setCurrentIndex(
        std::max(0, separator->findData(static_cast<int>(initial.separator))));
    auto* addUnmatched = new QCheckBox(
        QStringLiteral("&Add columns that name no attribute as new attributes"), &dialog);
    addUnmatched->setObjectName(QStringLiteral("AddUnmatchedCheck"));
    addUnmatched->setChecked(initial.addUnmatched);
    auto* text = new QPlainTextEdit(&dialog);
    text->setObjectName(QStringLiteral("PreviewText"));
    text->setReadOnly(true);
    text->setMinimumSize(520, 260);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Import"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Separator:"), separator);
    form->addRow(addUnmatched);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(text, 1);
    layout->addWidget(buttons);

    const auto choices = [&] {
        return ImportChoices{static_cast<char>(separator->currentData().toInt()),
                             addUnmatched->isChecked()};
    };
    const auto refresh = [&] {
        const ImportPreview shown = preview(choices());
        text->setPlainText(shown.text);
        buttons->button(QDialogButtonBox::Ok)->setEnabled(shown.ok);
    };
    QObject::connect(separator, &QComboBox::currentIndexChanged, &dialog, refresh);
    QObject::connect(addUnmatched, &QCheckBox::toggled, &dialog, refresh);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    refresh();
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return choices();
}

} // namespace velor::ui
