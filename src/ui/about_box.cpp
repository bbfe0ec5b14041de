#include "ui/about_box.h"

#include "ui/node_icons.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSysInfo>
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
    versionLabel_ = new QLabel(QStringLiteral("Version ") + VersionText(), this);
    versionLabel_->setObjectName(QStringLiteral("VersionLabel"));
    systemLabel_ = new QLabel(SystemText(), this);
    systemLabel_->setObjectName(QStringLiteral("SystemLabel"));
    systemLabel_->setWordWrap(true);
    processorLabel_ = new QLabel(ProcessorText(), this);
    processorLabel_->setObjectName(QStringLiteral("ProcessorLabel"));

    auto* icon = new QLabel(this);
    icon->setPixmap(GoalIcon().pixmap(32, 32));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Version:"), versionLabel_);
    form->addRow(QStringLiteral("System:"), systemLabel_);
    form->addRow(QStringLiteral("Processor:"), processorLabel_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setObjectName(QStringLiteral("OKButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(icon);
    layout->addWidget(programLabel_);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(380);
}

QString AboutBox::VersionText() {
    return QStringLiteral(VELOR_VERSION_TEXT);
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
