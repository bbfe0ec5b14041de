#include "ui/velor_application.h"

#include "ui/prompts.h"
#include "ui/ui_text.h"

#include <QMessageBox>

#include <exception>

namespace velor::ui {

VelorApplication::VelorApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("velor"));
    setApplicationVersion(QStringLiteral(VELOR_VERSION_TEXT));
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
