#include "calc/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace velor {

namespace {

constexpr int kSignificantDigits = 15;
// Decimal exponents (of the rounded value) written in plain notation.
constexpr int kSmallestPlainExponent = -5;
constexpr int kLargestPlainExponent = kSignificantDigits - 1;

std::string StripTrailingZeros(std::string digits) {
    const auto last = digits.find_last_not_of('0');
    digits.erase(last == std::string::npos ? 1 : last + 1);
    return digits;
}

std::string PlainText(bool negative, const std::string& digits, int exponent) {
    std::string out = negative ? "-" : "";
    if (exponent < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
        return out;
    }
    const auto integerDigits = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= integerDigits) {
        out += digits;
        out.append(integerDigits - digits.size(), '0');
        return out;
    }
    out.append(digits, 0, integerDigits);
    out += '.';
    out.append(digits, integerDigits, std::string::npos);
    return out;
}

std::string ExponentText(bool negative, const std::string& digits, int exponent) {
    std::string out = negative ? "-" : "";
    out += digits[0];
    if (digits.size() > 1) {
        out += '.';
        out.append(digits, 1, std::string::npos);
    }
    out += exponent < 0 ? "e-" : "e+";
    const int magnitude = std::abs(exponent);
    if (magnitude < 10) {
        out += '0';
    }
    out += std::to_string(magnitude);
    return out;
}

} // namespace

std::string NumberText(double value) {
    if (value == 0.0) {
        return "0"; // also for -0
    }
    if (!std::isfinite(value)) {
        return std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
    }
    // Scientific form rounded to 15 significant digits: "d.dddddddddddddde+XX", locale-free.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                      std::chars_format::scientific, kSignificantDigits - 1);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const auto e = text.find('e');
    std::string digits;
    digits.reserve(kSignificantDigits);
    for (const char c : text.substr(0, e)) {
        if (c != '.') {
            digits += c;
        }
    }
    digits = StripTrailingZeros(std::move(digits));
    std::string_view exponentText = text.substr(e + 1);
    if (!exponentText.empty() && exponentText.front() == '+') {
        exponentText.remove_prefix(1);
    }
    int exponent = 0;
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
    const bool negative = value < 0;
    if (exponent >= kSmallestPlainExponent && exponent <= kLargestPlainExponent) {
        return PlainText(negative, digits, exponent);
    }
    return ExponentText(negative, digits, exponent);
}

} // namespace velor
