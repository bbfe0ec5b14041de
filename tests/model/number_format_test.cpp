#include "model/number_format.h"

#include <gtest/gtest.h>

namespace velor {
namespace {

TEST(NumberFormat, ThreeDecimalsAtMostWithoutTrailingZeros) {
    EXPECT_EQ(FormatNumber(0), "0");
    EXPECT_EQ(FormatNumber(1), "1");
    EXPECT_EQ(FormatNumber(0.5), "0.5");
    EXPECT_EQ(FormatNumber(0.33333), "0.333");
    EXPECT_EQ(FormatNumber(0.6666), "0.667");
    EXPECT_EQ(FormatNumber(0.9999), "1");
    EXPECT_EQ(FormatNumber(-0.0001), "0") << "no negative zero";
    EXPECT_EQ(FormatNumber(-0.25), "-0.25");
    EXPECT_EQ(FormatNumber(12.3456, ','), "12,346");
    EXPECT_EQ(FormatInterval(0, 1), "0 ... 1");
}

} // namespace
} // namespace velor
