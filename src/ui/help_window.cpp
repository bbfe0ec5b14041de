#include "ui/help_window.h"

#include "ui/widget_placement.h"

#include <QAction>
#include <QFile>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>

// The guide is a resource of the static library; it has to be registered by name.
static void InitHelpResource() {
    Q_INIT_RESOURCE(help);
}

namespace velor::ui {

HelpWindow::HelpWindow(QWidget* parent) : QMainWindow(parent) {
    InitHelpResource();
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Velor Decisions Help"));
    setWindowFlag(Qt::Window, true);
    resize(760, 620);
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    browser_->setOpenExternalLinks(true);
    browser_->setSearchPaths({QStringLiteral(":/help")});
    QFile css(QStringLiteral(":/help/help.css"));
    if (css.open(QIODevice::ReadOnly)) {
        browser_->document()->setDefaultStyleSheet(QString::fromUtf8(css.readAll()));
    }
    setCentralWidget(browser_);

    QToolBar* bar = addToolBar(QStringLiteral("Navigation"));
    bar->setMovable(false);
    QAction* back = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack),
                                   QStringLiteral("Back"), browser_, &QTextBrowser::backward);
    QAction* forward = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward),
                                      QStringLiteral("Forward"), browser_, &QTextBrowser::forward);
    bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("Contents"),
                   browser_, &QTextBrowser::home);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = browser_->documentTitle();
        setWindowTitle(title.isEmpty() ? QStringLiteral("Velor Decisions Help")
                                       : QStringLiteral("Velor Decisions Help - ") + title);
    });
}

QUrl HelpWindow::StartPage() {
    return QUrl(QStringLiteral("qrc:/help/index.html"));
}

void HelpWindow::ShowStartPage() {
    ShowPage(StartPage());
}

void HelpWindow::ShowPage(const QUrl& page) {
    browser_->setSource(page);
    // Its first size is fitted to the screen it opens on (a small screen, a large scale).
    // Fitted again once shown, when the window system's frame is known.
    const bool opening = !isVisible();
    if (opening) {
        FitOnScreen(this);
    }
    show();
    if (opening) {
        FitOnScreen(this);
    }
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}

} // namespace velor::ui
