// Numbers typed into and shown by the assessment dialogs do not depend on the C library's locale:
// the same texts and values under "C" and under a locale whose decimal separator is a comma (the
// desktop application sets the C library's locale from the environment).
#include "elicit/ratio_statement.h"
#include "elicit/weight_table.h"
#include "model/number_format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <random>
#include <string>

namespace velor::elicit {
namespace {

class CLocale : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        const char* current = std::setlocale(LC_ALL, nullptr);
        saved_ = current != nullptr ? current : "C";
        if (std::setlocale(LC_ALL, GetParam()) == nullptr) {
            GTEST_SKIP() << GetParam() << " is not installed (scripts/setup generates it)";
        }
    }
    void TearDown() override { std::setlocale(LC_ALL, saved_.c_str()); }

private:
    std::string saved_;
};

TEST_P(CLocale, TypedMultipliersAreReadWithTheGivenSeparator) {
    EXPECT_EQ(ParseMultiplier("0.5", '.'), 0.5);
    EXPECT_EQ(ParseMultiplier("0,5", ','), 0.5);
    EXPECT_EQ(ParseMultiplier("12,25", ','), 12.25);
    EXPECT_EQ(ParseMultiplier(",5", ','), 0.5);
    EXPECT_EQ(ParseMultiplier("3,", ','), 3.0);
    EXPECT_EQ(ParseMultiplier("0.5", ','), 0.5) << "a point is a decimal point in every locale";
    EXPECT_EQ(ParseMultiplier("1,000.5", '.'), std::nullopt) << "never a group separator";
    EXPECT_EQ(FormatMultiplier(0.5, ','), "0,5");
    EXPECT_EQ(FormatMultiplier(0.5, '.'), "0.5");
}

TEST_P(CLocale, BoundsAndCaptionsUseTheGivenSeparator) {
    EXPECT_EQ(BoundText(0.5, ','), "0,5");
    EXPECT_EQ(BoundText(1234.5678, '.'), "1234.5678");
    EXPECT_EQ(ParseBound("0,5", ','), 0.5);
    EXPECT_EQ(ParseBound("0.5", '.'), 0.5);
    EXPECT_EQ(FormatNumber(0.5, ','), "0,5");
    EXPECT_EQ(FormatNumber(0.5), "0.5");
    EXPECT_EQ(FormatNumber(2.0 / 3.0, ','), "0,667");
    EXPECT_EQ(FormatNumber(0.5004), "0.5");
    EXPECT_EQ(FormatInterval(0.25, 1.5, ','), "0,25 ... 1,5");
}

// What the dialogs show, they read back, with either separator.
TEST_P(CLocale, RandomBoundsAndMultipliersRoundTrip) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> magnitude(-4.0, 4.0);
    for (int i = 0; i < 2000; ++i) {
        const double value = std::pow(10.0, magnitude(random));
        for (char separator : {'.', ','}) {
            const std::optional<double> bound = ParseBound(BoundText(value, separator), separator);
            ASSERT_TRUE(bound.has_value()) << BoundText(value, separator);
            EXPECT_NEAR(*bound, value, value * 1e-14);
            const std::string multiplier = FormatMultiplier(value, separator);
            const std::optional<double> read = ParseMultiplier(multiplier, separator);
            ASSERT_TRUE(read.has_value()) << multiplier;
            EXPECT_NEAR(*read, value, value * 1e-14) << multiplier;
            const std::string shown = FormatNumber(value, separator);
            EXPECT_EQ(shown.find(separator == '.' ? ',' : '.'), std::string::npos) << shown;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Locales, CLocale, ::testing::Values("C", "de_DE.UTF-8"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param[0] == 'C' ? "C" : "German");
                         });

} // namespace
} // namespace velor::elicit
