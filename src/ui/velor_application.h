// The application object: sets the application's name, version, desktop identity and icon, and
// shows any error that escapes an event handler in the standard error box instead of ending the
// program.
#pragma once

#include <QApplication>

namespace velor::ui {

class Prompts;

class VelorApplication : public QApplication {
    Q_OBJECT
public:
    VelorApplication(int& argc, char** argv);

    // Where escaped errors are shown; without one a plain message box is used.
    void SetPrompts(Prompts* prompts) { prompts_ = prompts; }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    void ShowError(const QString& text);
    Prompts* prompts_ = nullptr;
};

} // namespace velor::ui
