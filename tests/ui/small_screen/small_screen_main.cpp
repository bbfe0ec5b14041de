// Runs the small-screen tests inside one QApplication on an offscreen screen of 1600 x 1000
// pixels at scale factor 2, whatever the environment says.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" VELOR_SMALL_SCREEN_CONFIG);
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
