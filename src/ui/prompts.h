// Every message box, question, text prompt, file dialog, print dialog and clipboard access of the
// desktop application goes through this interface, so that tests can answer them by script and
// run without a screen.
#pragma once

#include <QImage>
#include <QString>

#include <functional>
#include <optional>

class QPrinter;
class QWidget;

namespace velor::ui {

enum class Icon { None, Information, Question, Warning, Stop };
enum class Buttons { Ok, YesNo, YesNoCancel };
// Action: the box's extra button closed it (see MessageAction).
enum class Answer { Ok, Yes, No, Cancel, Action };

// An extra button of a message box beside its standard buttons ("Show Conflict...").
struct MessageAction {
    QString label;
    // Runs while the box stays open, for a question that still wants its answer afterwards.
    // When empty, the button closes the box and the box answers Answer::Action.
    std::function<void()> run;
};

// What a consequence import is asked: the separator (0: found from the file) and whether columns
// that name no attribute become new attributes.
struct ImportChoices {
    char separator = 0;
    bool addUnmatched = true;
};
// What the import would do for some choices, and whether it can be done at all.
struct ImportPreview {
    QString text;
    bool ok = false;
};
using ImportPreviewer = std::function<ImportPreview(const ImportChoices&)>;

struct FileDialogRequest {
    QString title;
    QString filter;           // Qt form: "Velor Models (*.vlr);;All Files (*)"
    QString defaultExtension; // without the dot
    QString initialPath;      // folder and/or proposed file name
};

class Prompts {
public:
    virtual ~Prompts() = default;

    // A modal message box; returns the button the user chose (Ok for an Ok box).
    virtual Answer Message(const QString& caption, const QString& text, Icon icon,
                           Buttons buttons) = 0;
    // The same box with an extra button that offers action.
    virtual Answer Message(const QString& caption, const QString& text, Icon icon, Buttons buttons,
                           const MessageAction& action) = 0;
    // A one-line text prompt taking at most maxLength bytes of UTF-8 (the measure of a model
    // file). Returns the entered text, or nothing when cancelled.
    virtual std::optional<QString> TextPrompt(const QString& title, const QString& label,
                                              const QString& initial, int maxLength) = 0;
    // Open and save dialogs: the chosen path, empty when cancelled. The save dialog asks before
    // overwriting an existing file.
    virtual QString OpenFileName(const FileDialogRequest& request) = 0;
    virtual QString SaveFileName(const FileDialogRequest& request) = 0;
    // The print dialog for printer; true when the user confirmed.
    virtual bool PrintDialog(QPrinter& printer) = 0;
    // The printer set-up dialog.
    virtual void PrintSetup(QPrinter& printer) = 0;
    // The import dialog: the choices of a consequence import with what the import would do for
    // them (preview), shown again whenever a choice changes. Returns the choices confirmed, or
    // nothing when cancelled.
    virtual std::optional<ImportChoices> ImportDialog(const QString& title,
                                                      const ImportChoices& initial,
                                                      const ImportPreviewer& preview) = 0;
    // The standard error box for an error that escaped a command.
    virtual void ErrorBox(const QString& text) = 0;

    virtual QString ClipboardText() = 0;
    virtual void SetClipboardText(const QString& text) = 0;
    // Returns false when the clipboard refused the picture.
    virtual bool SetClipboardImage(const QImage& image) = 0;

    // Convenience for a box with only an OK button.
    void Inform(const QString& caption, const QString& text, Icon icon) {
        Message(caption, text, icon, Buttons::Ok);
    }
    // A box with only an OK button that shows a detail (the reason of a failure) under its text;
    // an empty detail shows the text alone.
    virtual void InformWithDetail(const QString& caption, const QString& text,
                                  const QString& detail, Icon icon) {
        Inform(caption, detail.isEmpty() ? text : text + QLatin1Char('\n') + detail, icon);
    }
};

// The production implementation over QMessageBox, QInputDialog, QFileDialog, QPrintDialog and
// QClipboard. Dialogs are parented to the given window.
class WidgetPrompts : public Prompts {
public:
    explicit WidgetPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    Answer Message(const QString& caption, const QString& text, Icon icon,
                   Buttons buttons) override;
    Answer Message(const QString& caption, const QString& text, Icon icon, Buttons buttons,
                   const MessageAction& action) override;
    void InformWithDetail(const QString& caption, const QString& text, const QString& detail,
                          Icon icon) override;
    std::optional<QString> TextPrompt(const QString& title, const QString& label,
                                      const QString& initial, int maxLength) override;
    QString OpenFileName(const FileDialogRequest& request) override;
    QString SaveFileName(const FileDialogRequest& request) override;
    bool PrintDialog(QPrinter& printer) override;
    void PrintSetup(QPrinter& printer) override;
    std::optional<ImportChoices> ImportDialog(const QString& title, const ImportChoices& initial,
                                              const ImportPreviewer& preview) override;
    void ErrorBox(const QString& text) override;
    QString ClipboardText() override;
    void SetClipboardText(const QString& text) override;
    bool SetClipboardImage(const QImage& image) override;

private:
    QWidget* parent_;
};

} // namespace velor::ui
