// The program's own icons are drawn at the pixel density they are shown at: a 16-pixel icon on
// a 200 % screen has 32 device pixels of its own picture, never 16 pixels blown up.
#include "ui/node_icons.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <cmath>
#include <functional>

namespace velor::ui {
namespace {

struct NamedIcon {
    const char* name;
    std::function<QIcon()> icon;
};

// Icon × device pixel ratio.
class IconDensityTest : public ::testing::TestWithParam<std::tuple<NamedIcon, double>> {};

// Visible (not fully transparent) pixels of an image.
int CoveredPixels(const QImage& image) {
    int covered = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            covered += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
        }
    }
    return covered;
}

TEST_P(IconDensityTest, HasDevicePixelsForTheDensity) {
    const auto& [named, ratio] = GetParam();
    const QIcon icon = named.icon();
    ASSERT_FALSE(icon.isNull()) << named.name;
    const QPixmap pixmap = icon.pixmap(QSize(16, 16), ratio);
    const int devicePixels = static_cast<int>(std::lround(16 * ratio));
    EXPECT_EQ(pixmap.size(), QSize(devicePixels, devicePixels)) << named.name;
    EXPECT_DOUBLE_EQ(pixmap.devicePixelRatio(), ratio) << named.name;
    EXPECT_GT(CoveredPixels(pixmap.toImage()), devicePixels * devicePixels / 10) << named.name;
}

TEST_P(IconDensityTest, ShowsTheSamePictureAtEveryDensity) {
    // Scaled down to 16 pixels, the picture drawn for the density is the 16-pixel picture, up
    // to the blur of scaling: each channel of each pixel within a fifth of the range on average.
    const auto& [named, ratio] = GetParam();
    const QIcon icon = named.icon();
    const QImage base =
        icon.pixmap(QSize(16, 16), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage dense = icon.pixmap(QSize(16, 16), ratio)
                             .toImage()
                             .scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_ARGB32);
    double difference = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const QRgb a = base.pixel(x, y);
            const QRgb b = dense.pixel(x, y);
            difference += std::abs(qAlpha(a) - qAlpha(b)) + std::abs(qRed(a) - qRed(b)) +
                          std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
        }
    }
    EXPECT_LT(difference / (16 * 16 * 4), 255 / 5.0) << named.name;
}

const NamedIcon kIcons[] = {
    {"goal", GoalIcon},       {"attribute", AttributeIcon},
    {"table", TableIcon},     {"drawn application", DrawnAppIcon},
    {"application", AppIcon},
};

INSTANTIATE_TEST_SUITE_P(Icons, IconDensityTest,
                         ::testing::Combine(::testing::ValuesIn(kIcons),
                                            ::testing::Values(1.0, 1.25, 1.5, 2.0, 3.0)),
                         [](const auto& info) {
                             std::string name = std::get<0>(info.param).name;
                             for (char& c : name) {
                                 c = c == ' ' ? '_' : c;
                             }
                             return name + "_at_" +
                                    std::to_string(static_cast<int>(std::get<1>(info.param) * 100));
                         });

TEST(PaintedIconTest, KeepsTheAspectRatioAndCentresThePicture) {
    // A 2:1 picture filling its canvas, asked for as a square: a band across the middle.
    const QIcon icon =
        PaintedIcon([](QPainter& p) { p.fillRect(QRectF(0, 0, 32, 16), Qt::red); }, QSizeF(32, 16));
    EXPECT_EQ(icon.actualSize(QSize(64, 64)), QSize(64, 32));
    const QImage image = icon.pixmap(QSize(64, 64), 1.0).toImage();
    EXPECT_EQ(qAlpha(image.pixel(32, 8)), 0);
    EXPECT_EQ(qAlpha(image.pixel(32, 55)), 0);
    EXPECT_EQ(image.pixel(32, 32), QColor(Qt::red).rgba());
}

TEST(PaintedIconTest, DisabledLooksDifferentFromNormal) {
    const QImage normal = GoalIcon().pixmap(QSize(16, 16), 1.0, QIcon::Normal).toImage();
    const QImage disabled = GoalIcon().pixmap(QSize(16, 16), 1.0, QIcon::Disabled).toImage();
    EXPECT_EQ(disabled.size(), normal.size());
    EXPECT_NE(disabled, normal);
}

TEST(PaintedIconTest, DrawnApplicationIconMatchesTheCompiledInSvg) {
    // The fallback shows the same picture as the SVG the desktop gets.
    RegisterAppResources();
    const QIcon svg(QStringLiteral(":/velor/velor.svg"));
    const QImage fromSvg =
        svg.pixmap(QSize(64, 64), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
    if (fromSvg.isNull()) {
        GTEST_SKIP() << "Qt's SVG icon support is not installed";
    }
    const QImage drawn =
        DrawnAppIcon().pixmap(QSize(64, 64), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
    int differing = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const QRgb a = fromSvg.pixel(x, y);
            const QRgb b = drawn.pixel(x, y);
            const int d = std::abs(qAlpha(a) - qAlpha(b)) + std::abs(qRed(a) - qRed(b)) +
                          std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
            differing += d > 64 ? 1 : 0;
        }
    }
    EXPECT_LT(differing, 64 * 64 / 50);
}

} // namespace
} // namespace velor::ui
