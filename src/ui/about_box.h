// The About box: program name, version, and the operating system and processor it runs on.
#pragma once

#include <QDialog>

class QLabel;

namespace velor::ui {

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

    static QString VersionText();
    static QString SystemText();    // e.g. "Debian GNU/Linux 12 (bookworm), Linux 6.1"
    static QString ProcessorText(); // e.g. "x86_64 (2 logical processors)"

private:
    QLabel* programLabel_;
    QLabel* versionLabel_;
    QLabel* systemLabel_;
    QLabel* processorLabel_;
};

} // namespace velor::ui
