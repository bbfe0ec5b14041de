#include "calc/number_text.h"
#include "calc/solver_bridge.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

namespace velor {
namespace {

TEST(NumberText, PlainFifteenSignificantDigits) {
    EXPECT_EQ(NumberText(1), "1");
    EXPECT_EQ(NumberText(-1), "-1");
    EXPECT_EQ(NumberText(0.5), "0.5");
    EXPECT_EQ(NumberText(0.33), "0.33");
    EXPECT_EQ(NumberText(33 * 0.01), "0.33"); // 0.33000000000000002 rounds away
    EXPECT_EQ(NumberText(-200 * 0.01), "-2");
    EXPECT_EQ(NumberText(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(NumberText(2.0 / 3.0), "0.666666666666667");
    EXPECT_EQ(NumberText(100), "100");
    EXPECT_EQ(NumberText(1234567.25), "1234567.25");
    EXPECT_EQ(NumberText(999999999999999.0), "999999999999999");
    EXPECT_EQ(NumberText(0.00001), "0.00001");
    EXPECT_EQ(NumberText(0.000012345), "0.000012345");
}

TEST(NumberText, ZeroHasNoSign) {
    EXPECT_EQ(NumberText(0.0), "0");
    EXPECT_EQ(NumberText(-0.0), "0");
}

TEST(NumberText, ExponentOnlyOutsideThePlainRange) {
    EXPECT_EQ(NumberText(0.000001), "1e-06");
    EXPECT_EQ(NumberText(-2.5e-7), "-2.5e-07");
    EXPECT_EQ(NumberText(1e15), "1e+15");
    EXPECT_EQ(NumberText(1.5e300), "1.5e+300");
    EXPECT_EQ(NumberText(9.9999999999999999e-6), "0.00001"); // rounds into the plain range
}

TEST(NumberText, PointEvenUnderACommaLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "no German locale installed";
    }
    EXPECT_EQ(NumberText(0.5), "0.5");
    EXPECT_EQ(ParseConstraint("0.5*x<=2.5").Terms.at(0).Coefficient, 0.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

// Every number the writer produces reads back as the value rounded to 15 digits.
TEST(NumberText, ParserReadsBackEveryForm) {
    const double values[] = {1,      -1,     0.5,   1.0 / 3.0, -7.25,    1e-5, 1.2345e-6,
                             -3e-12, 4.5e15, -6e22, 1e-300,    123456.7, 1e14, -0.000099};
    for (const double value : values) {
        const std::string text = NumberText(value);
        const std::string joined = (text.front() == '-' ? "" : "+") + text;
        const ParsedConstraint parsed =
            ParseConstraint("1*x" + joined + "*y" + joined + "*z<=" + text);
        ASSERT_EQ(parsed.Terms.size(), 3U) << text;
        EXPECT_EQ(parsed.Terms[1].Name, "y");
        EXPECT_NEAR(parsed.Terms[1].Coefficient, value, std::fabs(value) * 1e-14) << text;
        EXPECT_NEAR(parsed.Terms[2].Coefficient, value, std::fabs(value) * 1e-14) << text;
        EXPECT_NEAR(parsed.RightSide, value, std::fabs(value) * 1e-14) << text;
    }
}

} // namespace
} // namespace velor
