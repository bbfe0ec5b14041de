// How wide a text is and how tall a line: what laying out a chart needs from a font. The desktop
// application measures with the fonts of its window system; without one (velor-cli), SansMetrics
// gives the widths of a common sans-serif font, which the SVG names first.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velor::chart {

struct Font {
    int pixelSize = 11;
    bool bold = false;
    bool operator==(const Font&) const = default;
};

class TextMetrics {
public:
    virtual ~TextMetrics() = default;
    // Width of a UTF-8 text on one line.
    virtual double Advance(std::string_view text, const Font& font) const = 0;
    virtual double LineHeight(const Font& font) const = 0;
    // Lines no wider than width: broken after blanks where a line can end, inside a word only
    // where the word alone is wider than the line; blanks at a line's end are dropped. An empty
    // text is one empty line.
    virtual std::vector<std::string> Wrap(const std::string& text, const Font& font,
                                          double width) const;
};

// The advance widths of DejaVu Sans (regular and bold) for ASCII; other characters take the
// width of a wide letter, and those of East Asian scripts a full em, so that a text is never
// measured narrower than it is drawn.
class SansMetrics : public TextMetrics {
public:
    double Advance(std::string_view text, const Font& font) const override;
    double LineHeight(const Font& font) const override;
};

// The font families an SVG names, the first being the one SansMetrics measures.
inline constexpr const char* kSansFontFamilies = "'DejaVu Sans', Verdana, Arial, sans-serif";

} // namespace velor::chart
