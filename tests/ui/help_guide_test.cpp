// The user guide compiled into the program: every page is there and every link and picture of
// every page points to something that is there too.
#include "ui/help_window.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTextBrowser>

namespace velor::ui {
namespace {

TEST(HelpGuide, EveryLinkAndPictureOfEveryPageResolves) {
    HelpWindow help; // registers the guide's resources
    QStringList pages;
    QDirIterator it(QStringLiteral(":/help"), {QStringLiteral("*.html")}, QDir::Files);
    while (it.hasNext()) {
        pages << it.next();
    }
    ASSERT_GE(pages.size(), 6);
    EXPECT_TRUE(pages.contains(QStringLiteral(":/help/index.html")));

    const QRegularExpression target(QStringLiteral("(?:href|src)=\"([^\"#:]+)(?:#[^\"]*)?\""));
    for (const QString& page : pages) {
        QFile file(page);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        EXPECT_TRUE(html.contains(QStringLiteral("<title>"))) << page.toStdString();
        auto matches = target.globalMatch(html);
        while (matches.hasNext()) {
            const QString linked = matches.next().captured(1);
            EXPECT_TRUE(QFile::exists(QStringLiteral(":/help/") + linked))
                << page.toStdString() << " links to missing " << linked.toStdString();
        }
    }
}

// Every page's link bar names every page of the guide.
TEST(HelpGuide, EveryPagesLinkBarListsEveryPage) {
    HelpWindow help;
    QStringList pages = QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")});
    pages.sort();
    const QRegularExpression bar(QStringLiteral("<p class=\"nav\">(.*?)</p>"));
    const QRegularExpression link(QStringLiteral("href=\"([^\"#]+)\""));
    for (const QString& page : pages) {
        QFile file(QStringLiteral(":/help/") + page);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QStringList linked;
        auto links = link.globalMatch(bar.match(QString::fromUtf8(file.readAll())).captured(1));
        while (links.hasNext()) {
            linked << links.next().captured(1);
        }
        linked.sort();
        EXPECT_EQ(linked, pages) << page.toStdString();
    }
}

TEST(HelpGuide, StartPageShowsTheContents) {
    HelpWindow help;
    help.Browser()->setSource(HelpWindow::StartPage());
    EXPECT_EQ(help.Browser()->documentTitle(), QStringLiteral("Contents"));
    EXPECT_TRUE(help.Browser()->toPlainText().contains(QStringLiteral("Walk-through")));
}

} // namespace
} // namespace velor::ui
