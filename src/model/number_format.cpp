#include "model/number_format.h"

#include <charconv>
#include <cmath>

namespace velor {

std::string FormatNumber(double value, char decimalSeparator) {
    if (!std::isfinite(value)) {
        return std::isnan(value) ? "NaN" : (value > 0 ? "INF" : "-INF");
    }
    // Round half away from zero at the third decimal before printing, so 0.0005 reads 0.001.
    double rounded = std::round(value * 1000.0) / 1000.0;
    if (rounded == 0.0) {
        rounded = 0.0; // no "-0"
    }
    // Three decimals with a point, whatever the C library's locale is.
    char buf[400]; // the largest double has 309 integer digits
    const auto result = std::to_chars(buf, buf + sizeof buf, rounded, std::chars_format::fixed, 3);
    std::string text(buf, result.ptr);
    auto point = text.find('.');
    if (point != std::string::npos) {
        while (!text.empty() && text.back() == '0') {
            text.pop_back();
        }
        if (text.back() == '.') {
            text.pop_back();
        } else {
            text[point] = decimalSeparator;
        }
    }
    return text;
}

std::string FormatInterval(double lower, double upper, char decimalSeparator) {
    return FormatNumber(lower, decimalSeparator) + " ... " + FormatNumber(upper, decimalSeparator);
}

} // namespace velor
