#include "ui/velor_application.h"

#include "ui/node_icons.h"
#include "ui/prompts.h"
#include "ui/ui_text.h"

#include <QMessageBox>

#include <exception>

namespace velor::ui {

VelorApplication::VelorApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("velor"));
    setApplicationVersion(QStringLiteral(VELOR_VERSION_TEXT));
    // The desktop entry's name without ".desktop": Wayland compositors and X11 task bars find
    // the application's icon and name through it.
    setDesktopFileName(QStringLiteral(VELOR_APP_ID_TEXT));
    // Every window without an icon of its own, dialogs included, shows the application icon.
    setWindowIcon(AppIcon());
}

bool VelorApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ShowError(QStringLiteral("An unexpected error occurred."));
    }
    return false;
}

void VelorApplication::ShowError(const QString& text) {
    if (prompts_ != nullptr) {
        prompts_->ErrorBox(text);
    } else {
        QMessageBox::critical(nullptr, kAppTitle, text);
    }
}

} // namespace velor::ui
