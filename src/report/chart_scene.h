// The drawing of an interval chart as a list of primitives in painting order: filled rectangles,
// outlined bars, rounded backgrounds, lines and texts placed in rectangles, with their colours
// and fonts. A painter on the screen or printer draws them one by one; ChartSvg writes them as an
// SVG document.
#pragma once

#include "report/chart_layout.h"

#include <cstdint>
#include <string>
#include <vector>

namespace velor::chart {

struct Color {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;
    bool operator==(const Color&) const = default;
};

enum class Align { Left, Center, Right };

struct Primitive {
    enum class Kind {
        Fill,        // rect filled with fill, no outline
        Box,         // rect filled with fill and outlined with a 1-pixel stroke
        RoundedFill, // rect with corners of radius, filled with fill, no outline
        Line,        // from (x1, y1) to (x2, y2), 1 pixel wide in stroke
        Text,        // text in fill, in rect, aligned horizontally, centred vertically
    };
    Kind kind = Kind::Fill;
    Rect rect;
    double x1 = 0.0;
    double y1 = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;
    Color fill;
    Color stroke;
    double radius = 0.0;
    std::string text;
    Font font;
    Align align = Align::Left;
    bool rotated = false; // text turned a quarter left about the centre of rect; rect is the
                          // strip it runs along before the turn
};

using Scene = std::vector<Primitive>;

// The chart's colours.
inline constexpr Color kBackground{255, 255, 255};
inline constexpr Color kPlotBackground{0xfb, 0xfc, 0xfe};
inline constexpr Color kGridColor{0xdd, 0xe1, 0xe6};
inline constexpr Color kAxisColor{0x55, 0x5b, 0x63};
inline constexpr Color kTextColor{0x1f, 0x23, 0x28};
inline constexpr Color kBarColor{0x2f, 0x6f, 0xb3};
inline constexpr Color kBarEdge{0x1d, 0x4a, 0x7a};
inline constexpr Color kMarkInsideBar{255, 255, 255}; // on kBarColor a contrast of about 5 : 1

// Everything of a chart laid out as layout, in painting order.
Scene DrawChart(const ChartContent& content, const ChartLayout& layout, const ChartFonts& fonts,
                const TextMetrics& metrics);

// The chart at size (at least its minimum) as an SVG document, measured with metrics; the
// chart's title is the document's <title> too.
std::string ChartSvg(const ChartContent& content, Size size, const ChartFonts& fonts,
                     const TextMetrics& metrics, const ValueFormatter& format);

// The scene as SVG (without an XML declaration, so that it can stand inside HTML).
std::string SceneSvg(const Scene& scene, Size size, const std::string& title);

// Text for XML character data and attribute values: &, <, >, " escaped; control characters that
// XML does not allow dropped, and so are U+FFFE and U+FFFF; bytes that are not UTF-8 replaced by
// U+FFFD.
std::string XmlEscape(std::string_view text);

} // namespace velor::chart
