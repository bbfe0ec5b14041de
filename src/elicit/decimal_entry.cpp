#include "elicit/decimal_entry.h"

#include <algorithm>

namespace velor::elicit {

bool IsDecimalMark(char c) {
    return c == '.' || c == ',';
}

char EnteredChar(char key, char decimalSeparator) {
    return IsDecimalMark(key) ? decimalSeparator : key;
}

std::optional<std::string> WithDecimalPoint(std::string text) {
    if (std::count_if(text.begin(), text.end(), IsDecimalMark) > 1) {
        return std::nullopt;
    }
    std::replace(text.begin(), text.end(), ',', '.');
    return text;
}

} // namespace velor::elicit
