// Entry point of the dialog tests: one QApplication for every test, offscreen unless the
// environment chooses another platform.
#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The windows show numbers in the session's locale. The expected texts of the tests are
    // English, so Qt's locale is fixed; the C library keeps the session's locale, so that a run
    // under a comma locale still finds any number read or written through the C library.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
