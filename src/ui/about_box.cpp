#include "ui/about_box.h"

#include "ui/node_icons.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSysInfo>
#include <QTextDocument>
#include <QThread>
#include <QVBoxLayout>

namespace velor::ui {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About Velor Decisions"));
    programLabel_ = new QLabel(QStringLiteral("<b>Velor Decisions</b><br>"
                                              "Multi-attribute decision analysis with incomplete "
                                              "preference information"),
                               this);
    programLabel_->setObjectName(QStringLiteral("ProgramLabel"));
    programLabel_->setWordWrap(true);
    versionLabel_ = new QLabel(VersionText(), this);
    versionLabel_->setObjectName(QStringLiteral("VersionLabel"));
    systemLabel_ = new QLabel(SystemText(), this);
    systemLabel_->setObjectName(QStringLiteral("SystemLabel"));
    systemLabel_->setWordWrap(true);
    processorLabel_ = new QLabel(ProcessorText(), this);
    processorLabel_->setObjectName(QStringLiteral("ProcessorLabel"));

    licenseLabel_ = new QLabel(QStringLiteral("Distributed under the MIT License.<br>") +
                                   CopyrightText().toHtmlEscaped(),
                               this);
    licenseLabel_->setObjectName(QStringLiteral("LicenseLabel"));
    licenseLabel_->setWordWrap(true);
    licenseView_ = new QPlainTextEdit(LicenseText(), this);
    licenseView_->setObjectName(QStringLiteral("LicenseView"));
    licenseView_->setReadOnly(true);
    // The text keeps its own line breaks: wide enough for its 80 columns in a fixed font.
    licenseView_->setLineWrapMode(QPlainTextEdit::NoWrap);
    licenseView_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const QFontMetrics fixed(licenseView_->font());
    licenseView_->setMinimumSize(
        fixed.horizontalAdvance(QString(80, QLatin1Char('M'))) +
            licenseView_->verticalScrollBar()->sizeHint().width() + 2 * licenseView_->frameWidth() +
            static_cast<int>(2 * licenseView_->document()->documentMargin()),
        fixed.lineSpacing() * 14);
    licenseView_->hide();

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("IconLabel"));
    // Drawn at the screen's pixel density by the icon itself.
    icon->setPixmap(AppIcon().pixmap(QSize(48, 48)));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Version:"), versionLabel_);
    form->addRow(QStringLiteral("System:"), systemLabel_);
    form->addRow(QStringLiteral("Processor:"), processorLabel_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setObjectName(QStringLiteral("OKButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    licenseButton_ = buttons->addButton(QStringLiteral("&License"), QDialogButtonBox::HelpRole);
    licenseButton_->setObjectName(QStringLiteral("LicenseButton"));
    licenseButton_->setCheckable(true);
    connect(licenseButton_, &QPushButton::toggled, this, [this](bool shown) {
        licenseView_->setVisible(shown);
        adjustSize();
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(icon);
    layout->addWidget(programLabel_);
    layout->addLayout(form);
    layout->addWidget(licenseLabel_);
    layout->addWidget(licenseView_);
    layout->addWidget(buttons);
    setMinimumWidth(380);
}

QString AboutBox::VersionText() {
    return QStringLiteral(VELOR_VERSION_TEXT);
}

QString AboutBox::LicenseText() {
    // The LICENSE file of the source tree, compiled in with the application icon.
    RegisterAppResources();
    QFile file(QStringLiteral(":/velor/LICENSE"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

QString AboutBox::CopyrightText() {
    for (const QString& line : LicenseText().split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral("Copyright"))) {
            return line.trimmed();
        }
    }
    return {};
}

QString AboutBox::SystemText() {
    return QSysInfo::prettyProductName() + QStringLiteral(", ") + QSysInfo::kernelType() +
           QStringLiteral(" ") + QSysInfo::kernelVersion();
}

QString AboutBox::ProcessorText() {
    return QSysInfo::currentCpuArchitecture() + QStringLiteral(" (") +
           QString::number(QThread::idealThreadCount()) + QStringLiteral(" logical processors)");
}

} // namespace velor::ui
