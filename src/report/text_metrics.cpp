#include "report/text_metrics.h"

#include <array>

namespace velor::chart {

namespace {

// Advance widths in thousandths of an em of the characters 32 to 126.
constexpr std::array<short, 95> kRegular = {
    318, 401, 460, 838, 636, 950, 780, 275, 390, 390, 500, 838, 318, 361,  318, 337, 636, 636, 636,
    636, 636, 636, 636, 636, 636, 636, 337, 337, 838, 838, 838, 531, 1000, 684, 686, 698, 770, 632,
    575, 775, 752, 295, 295, 656, 557, 863, 748, 787, 603, 787, 695, 635,  611, 732, 684, 989, 685,
    611, 685, 390, 337, 390, 838, 500, 500, 613, 635, 550, 635, 615, 352,  635, 634, 278, 278, 579,
    278, 974, 634, 612, 635, 635, 411, 521, 392, 634, 592, 818, 592, 592,  525, 636, 337, 636, 838};
constexpr std::array<short, 95> kBold = {
    348,  456, 521, 838, 696, 1002, 872, 306,  457, 457, 523, 838, 380, 415,  380, 365,
    696,  696, 696, 696, 696, 696,  696, 696,  696, 696, 400, 400, 838, 838,  838, 580,
    1000, 774, 762, 734, 830, 683,  683, 821,  837, 372, 372, 775, 637, 995,  837, 850,
    733,  850, 770, 720, 682, 812,  774, 1103, 771, 724, 725, 457, 365, 457,  838, 500,
    500,  675, 716, 593, 716, 678,  435, 716,  712, 343, 343, 665, 343, 1042, 712, 687,
    716,  716, 493, 595, 478, 712,  652, 924,  645, 652, 582, 712, 365, 712,  838};
// Ascent plus descent of the font, in thousandths of an em.
constexpr double kLineHeight = 1164.0;
constexpr double kWideLetter = 800.0;
constexpr double kFullWidth = 1000.0;

// The code point of the UTF-8 sequence at text[pos] and its length (a stray byte counts as one
// character of its own).
char32_t Decode(std::string_view text, std::size_t pos, std::size_t& length) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (lead < 0x80 || lead < 0xC0 || pos + length > text.size()) {
        length = 1;
        return lead;
    }
    char32_t code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        code = (code << 6) | (byte(pos + i) & 0x3F);
    }
    return code;
}

// Byte lengths of the characters of a text.
std::vector<std::size_t> Characters(std::string_view text) {
    std::vector<std::size_t> lengths;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t length = 1;
        Decode(text, pos, length);
        lengths.push_back(length);
        pos += length;
    }
    return lengths;
}

} // namespace

std::vector<std::string> TextMetrics::Wrap(const std::string& text, const Font& font,
                                           double width) const {
    std::vector<std::string> lines;
    if (text.empty()) {
        return {std::string()};
    }
    const auto fits = [&](std::string_view line) {
        std::size_t end = line.size();
        while (end > 0 && line[end - 1] == ' ') {
            --end;
        }
        return Advance(line.substr(0, end), font) <= width;
    };
    const auto trimmed = [](std::string line) {
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        return line;
    };
    std::string line;
    std::size_t pos = 0;
    while (pos < text.size()) {
        // The next word with the blanks after it.
        std::size_t end = text.find(' ', pos);
        end = end == std::string::npos ? text.size() : text.find_first_not_of(' ', end);
        end = end == std::string::npos ? text.size() : end;
        const std::string word = text.substr(pos, end - pos);
        pos = end;
        if (fits(line + word)) {
            line += word;
            continue;
        }
        if (!line.empty()) {
            lines.push_back(trimmed(line));
            line.clear();
        }
        if (fits(word)) {
            line = word;
            continue;
        }
        // A word wider than the line is cut where the line is full (one character at least).
        std::size_t start = 0;
        for (std::size_t length : Characters(word)) {
            const std::string longer = line + word.substr(start, length);
            if (!line.empty() && !fits(longer)) {
                lines.push_back(trimmed(line));
                line = word.substr(start, length);
            } else {
                line = longer;
            }
            start += length;
        }
    }
    if (!line.empty() || lines.empty()) {
        lines.push_back(trimmed(line));
    }
    return lines;
}

double SansMetrics::Advance(std::string_view text, const Font& font) const {
    const std::array<short, 95>& table = font.bold ? kBold : kRegular;
    double total = 0.0;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t length = 1;
        const char32_t code = Decode(text, pos, length);
        pos += length;
        if (code >= 32 && code <= 126) {
            total += table[code - 32];
        } else if (code >= 0x2E80) {
            total += kFullWidth;
        } else if (code >= 0x80) {
            total += kWideLetter;
        }
    }
    return total * font.pixelSize / 1000.0;
}

double SansMetrics::LineHeight(const Font& font) const {
    return kLineHeight * font.pixelSize / 1000.0;
}

} // namespace velor::chart
