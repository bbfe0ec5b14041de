// The About box names the licence and shows its full text, the one shipped as LICENSE.
#include "ui/about_box.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace velor::ui {
namespace {

QString SourceLicense() {
    QFile file(QStringLiteral(VELOR_SOURCE_DIR "/LICENSE"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(AboutBoxTest, ShowsTheLicenseShippedWithTheProgram) {
    const QString license = SourceLicense();
    ASSERT_FALSE(license.isEmpty());
    EXPECT_EQ(AboutBox::LicenseText(), license);
    EXPECT_TRUE(license.startsWith(QStringLiteral("MIT License")));
    EXPECT_TRUE(AboutBox::CopyrightText().startsWith(QStringLiteral("Copyright (c) ")));
    EXPECT_TRUE(license.contains(AboutBox::CopyrightText()));
}

TEST(AboutBoxTest, NamesTheLicenseAndOpensItsTextOnRequest) {
    AboutBox about;
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    auto* label = about.findChild<QLabel*>(QStringLiteral("LicenseLabel"));
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->text().contains(QStringLiteral("MIT License")));
    EXPECT_TRUE(label->text().contains(AboutBox::CopyrightText().toHtmlEscaped()));

    EXPECT_FALSE(about.LicenseView()->isVisible());
    const int closedHeight = about.height();
    QTest::mouseClick(about.LicenseButton(), Qt::LeftButton);
    EXPECT_TRUE(about.LicenseView()->isVisible());
    EXPECT_TRUE(about.LicenseView()->isReadOnly());
    EXPECT_TRUE(about.LicenseView()->toPlainText().contains(
        QStringLiteral("Permission is hereby granted")));
    EXPECT_GT(about.height(), closedHeight);
    QTest::mouseClick(about.LicenseButton(), Qt::LeftButton);
    EXPECT_FALSE(about.LicenseView()->isVisible());
}

TEST(AboutBoxTest, TheVersionRowShowsTheVersionOnce) {
    AboutBox about;
    auto* label = about.findChild<QLabel*>(QStringLiteral("VersionLabel"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral(VELOR_VERSION_TEXT));
}

TEST(AboutBoxTest, ShowsTheApplicationIcon) {
    AboutBox about;
    auto* icon = about.findChild<QLabel*>(QStringLiteral("IconLabel"));
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());
    EXPECT_EQ(icon->pixmap().deviceIndependentSize().toSize(), QSize(48, 48));
}

} // namespace
} // namespace velor::ui
