// The About box: program name, version, licence, and the operating system and processor it
// runs on. The licence's full text opens below on request.
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace velor::ui {

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

    static QString VersionText();
    static QString SystemText();    // e.g. "Debian GNU/Linux 12 (bookworm), Linux 6.1"
    static QString ProcessorText(); // e.g. "x86_64 (2 logical processors)"
    static QString LicenseText();   // the licence the program is distributed under, in full
    static QString CopyrightText(); // its copyright line, e.g. "Copyright (c) 2026 ..."

    QPushButton* LicenseButton() const { return licenseButton_; }
    QPlainTextEdit* LicenseView() const { return licenseView_; }

private:
    QLabel* programLabel_;
    QLabel* versionLabel_;
    QLabel* systemLabel_;
    QLabel* processorLabel_;
    QLabel* licenseLabel_;
    QPushButton* licenseButton_;
    QPlainTextEdit* licenseView_;
};

} // namespace velor::ui
