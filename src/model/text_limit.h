// Keeps names and consequence texts within what a model file line can hold.
#pragma once

#include "model/records.h"

#include <string>
#include <string_view>

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

// Length of the well-formed UTF-8 sequence at text[pos], 0 when the bytes there are not one
// (overlong forms, surrogates and code points above U+10FFFF included).
inline std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned int low = 0x80;
    unsigned int high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (pos + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(pos + i);
        if (next < (i == 1 ? low : 0x80u) || next > (i == 1 ? high : 0xBFu)) {
            return 0;
        }
    }
    return length;
}

// The text as the windows and the reports show it: every byte that does not belong to a
// well-formed UTF-8 sequence (a name written by a system with another encoding) becomes U+FFFD,
// one for each such byte.
inline std::string ShownText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, pos);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++pos;
        } else {
            out.append(text.substr(pos, length));
            pos += length;
        }
    }
    return out;
}

} // namespace velor
