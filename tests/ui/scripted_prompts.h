// A Prompts that answers every question from a script and records what was asked, so the GUI
// tests never block on a dialog. A question without a scripted answer fails the test.
#pragma once

#include "ui/prompts.h"

#include <gtest/gtest.h>

#include <QPrinter>
#include <QStringList>

#include <deque>
#include <optional>

#include <ostream>

// Readable QString values in test failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace velor::ui::test {

struct AskedMessage {
    QString caption;
    QString text;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
    QString detail;
    QString action; // the label of the box's extra button, empty without one
};

struct AskedPrompt {
    QString title;
    QString label;
    QString initial;
    int maxLength = 0;
};

class ScriptedPrompts : public Prompts {
public:
    // Answers, used in order. Boxes with only an OK button need no answer. Answer::Action
    // presses a box's extra button: one that runs its action in an open box is pressed and the
    // box takes the next answer; one that closes the box answers Action.
    std::deque<Answer> answers;
    std::deque<std::optional<QString>> textAnswers; // nullopt = Cancel
    std::deque<QString> fileAnswers;                // empty = Cancel
    bool printAnswer = false;
    QString printFile; // the printer writes a PDF here when set
    int printDialogs = 0;

    // Import dialogs: the choices confirmed (nullopt = Cancel), and the previews shown for the
    // choices the dialog opened with.
    std::deque<std::optional<ImportChoices>> importAnswers;
    std::vector<ImportPreview> importPreviews;

    std::vector<AskedMessage> messages;
    std::vector<AskedPrompt> prompts;
    std::vector<FileDialogRequest> fileDialogs;
    QStringList errors;
    QString clipboard;
    QImage clipboardImage;
    bool refuseImage = false;

    Answer Message(const QString& caption, const QString& text, Icon icon,
                   Buttons buttons) override {
        messages.push_back({caption, text, icon, buttons, {}, {}});
        return NextAnswer(text, buttons);
    }
    Answer Message(const QString& caption, const QString& text, Icon icon, Buttons buttons,
                   const MessageAction& action) override {
        if (action.label.isEmpty()) {
            return Message(caption, text, icon, buttons);
        }
        messages.push_back({caption, text, icon, buttons, {}, action.label});
        while (!answers.empty() && answers.front() == Answer::Action) {
            answers.pop_front();
            if (!action.run) {
                return Answer::Action;
            }
            action.run();
        }
        return NextAnswer(text, buttons);
    }
    void InformWithDetail(const QString& caption, const QString& text, const QString& detail,
                          Icon icon) override {
        messages.push_back({caption, text, icon, Buttons::Ok, detail, {}});
    }
    std::optional<QString> TextPrompt(const QString& title, const QString& label,
                                      const QString& initial, int maxLength) override {
        prompts.push_back({title, label, initial, maxLength});
        if (textAnswers.empty()) {
            ADD_FAILURE() << "unexpected prompt: " << label.toStdString();
            return std::nullopt;
        }
        // Taken apart rather than copied whole: GCC 12 warns of a copied optional<QString>.
        const bool cancelled = !textAnswers.front().has_value();
        const QString text = textAnswers.front().value_or(QString());
        textAnswers.pop_front();
        return cancelled ? std::nullopt : std::optional<QString>(text);
    }
    QString OpenFileName(const FileDialogRequest& request) override { return NextFile(request); }
    QString SaveFileName(const FileDialogRequest& request) override { return NextFile(request); }
    bool PrintDialog(QPrinter& printer) override {
        ++printDialogs;
        if (!printFile.isEmpty()) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printFile);
        }
        return printAnswer;
    }
    void PrintSetup(QPrinter&) override {}
    std::optional<ImportChoices> ImportDialog(const QString& title, const ImportChoices& initial,
                                              const ImportPreviewer& preview) override {
        importPreviews.push_back(preview(initial));
        if (importAnswers.empty()) {
            ADD_FAILURE() << "unexpected import dialog: " << title.toStdString();
            return std::nullopt;
        }
        auto a = importAnswers.front();
        importAnswers.pop_front();
        return a;
    }
    void ErrorBox(const QString& text) override { errors << text; }
    QString ClipboardText() override { return clipboard; }
    void SetClipboardText(const QString& text) override { clipboard = text; }
    bool SetClipboardImage(const QImage& image) override {
        if (refuseImage) {
            return false;
        }
        clipboardImage = image;
        return true;
    }

    QString LastText() const { return messages.empty() ? QString() : messages.back().text; }
    // True when every scripted answer was used.
    bool Done() const { return answers.empty() && textAnswers.empty() && fileAnswers.empty(); }

private:
    Answer NextAnswer(const QString& text, Buttons buttons) {
        if (buttons == Buttons::Ok) {
            return Answer::Ok;
        }
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text.toStdString();
            return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
        }
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    QString NextFile(const FileDialogRequest& request) {
        fileDialogs.push_back(request);
        if (fileAnswers.empty()) {
            ADD_FAILURE() << "unexpected file dialog: " << request.title.toStdString();
            return {};
        }
        QString a = fileAnswers.front();
        fileAnswers.pop_front();
        return a;
    }
};

} // namespace velor::ui::test
