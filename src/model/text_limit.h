// Keeps names and consequence texts within what a model file line can hold.
#pragma once

#include "model/records.h"

#include <string>

namespace velor {

// Cuts a UTF-8 text to at most kMaxTextLength bytes without splitting a character.
inline std::string LimitText(const std::string& text) {
    if (text.size() <= kMaxTextLength) {
        return text;
    }
    std::size_t cut = kMaxTextLength;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return text.substr(0, cut);
}

} // namespace velor
