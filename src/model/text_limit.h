// Keeps names and consequence texts within what a model file line can hold.
#pragma once

#include "model/records.h"

#include <string>

namespace velor {

// Cuts a UTF-8 text to at most maxBytes bytes (the measure of a model file line) without
// splitting a character.
inline std::string LimitText(const std::string& text, std::size_t maxBytes = kMaxTextLength) {
    if (text.size() <= maxBytes) {
        return text;
    }
    std::size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return text.substr(0, cut);
}

} // namespace velor
