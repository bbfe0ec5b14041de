#include "report/chart_scene.h"

#include "model/text_limit.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace velor::chart {

namespace {

constexpr double kTickLength = 4.0;

class SceneBuilder {
public:
    void Fill(const Rect& rect, Color color) {
        Primitive p;
        p.kind = Primitive::Kind::Fill;
        p.rect = rect;
        p.fill = color;
        scene_.push_back(std::move(p));
    }
    void Box(const Rect& rect, Color fill, Color stroke) {
        Primitive p;
        p.kind = Primitive::Kind::Box;
        p.rect = rect;
        p.fill = fill;
        p.stroke = stroke;
        scene_.push_back(std::move(p));
    }
    void RoundedFill(const Rect& rect, double radius, Color color) {
        Primitive p;
        p.kind = Primitive::Kind::RoundedFill;
        p.rect = rect;
        p.radius = radius;
        p.fill = color;
        scene_.push_back(std::move(p));
    }
    void Line(double x1, double y1, double x2, double y2, Color color) {
        Primitive p;
        p.kind = Primitive::Kind::Line;
        p.x1 = x1;
        p.y1 = y1;
        p.x2 = x2;
        p.y2 = y2;
        p.stroke = color;
        scene_.push_back(std::move(p));
    }
    void Text(const Rect& rect, std::string text, const Font& font, Align align,
              bool rotated = false, Color color = kTextColor) {
        Primitive p;
        p.kind = Primitive::Kind::Text;
        p.rect = rect;
        p.text = std::move(text);
        p.font = font;
        p.align = align;
        p.fill = color;
        p.rotated = rotated;
        scene_.push_back(std::move(p));
    }
    Scene Take() { return std::move(scene_); }

private:
    Scene scene_;
};

std::string Number(double value) {
    if (!std::isfinite(value)) {
        return "0";
    }
    const double rounded = std::round(value * 100.0) / 100.0;
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer,
                                      rounded == 0.0 ? 0.0 : rounded, std::chars_format::fixed, 2);
    std::string text(buffer, result.ptr);
    while (text.back() == '0') {
        text.pop_back();
    }
    if (text.back() == '.') {
        text.pop_back();
    }
    return text;
}

std::string Hex(Color color) {
    static const char* const kDigits = "0123456789abcdef";
    std::string text = "#";
    for (std::uint8_t part : {color.r, color.g, color.b}) {
        text += kDigits[part >> 4];
        text += kDigits[part & 15];
    }
    return text;
}

std::string FillAttributes(Color color) {
    std::string text = " fill=\"" + Hex(color) + "\"";
    if (color.a != 255) {
        text += " fill-opacity=\"" + Number(color.a / 255.0) + "\"";
    }
    return text;
}

std::string RectAttributes(const Rect& rect) {
    return " x=\"" + Number(rect.x) + "\" y=\"" + Number(rect.y) + "\" width=\"" +
           Number(std::max(rect.w, 0.0)) + "\" height=\"" + Number(std::max(rect.h, 0.0)) + "\"";
}

std::string TextElement(const Primitive& p) {
    double x = p.rect.x;
    const char* anchor = "start";
    if (p.rotated || p.align == Align::Center) {
        x = p.rect.CenterX();
        anchor = "middle";
    } else if (p.align == Align::Right) {
        x = p.rect.Right();
        anchor = "end";
    }
    const double y = p.rect.CenterY();
    std::string element = "<text x=\"" + Number(x) + "\" y=\"" + Number(y) + "\" font-size=\"" +
                          std::to_string(p.font.pixelSize) + "\"";
    if (p.font.bold) {
        element += " font-weight=\"bold\"";
    }
    element += " text-anchor=\"";
    element += anchor;
    element += "\" dominant-baseline=\"central\"" + FillAttributes(p.fill);
    if (p.rotated) {
        element += " transform=\"rotate(-90 " + Number(x) + " " + Number(y) + ")\"";
    }
    return element + ">" + XmlEscape(p.text) + "</text>";
}

} // namespace

Scene DrawChart(const ChartContent& content, const ChartLayout& layout, const ChartFonts& fonts,
                const TextMetrics& metrics) {
    SceneBuilder s;
    const double lineH = metrics.LineHeight(fonts.text);
    const double titleLineH = metrics.LineHeight(fonts.title);
    s.Fill(Rect{0, 0, layout.size.w, layout.size.h}, kBackground);

    double y = layout.title.Top();
    for (const std::string& line : layout.titleLines) {
        s.Text(Rect{layout.title.Left(), y, layout.title.w, titleLineH}, line, fonts.title,
               Align::Center);
        y += titleLineH;
    }

    // Plot area and grid.
    const Rect& plot = layout.plot;
    s.Fill(plot, kPlotBackground);
    for (const ChartLayout::Row& row : layout.rows) {
        s.Line(plot.Left(), row.band.Bottom(), plot.Right(), row.band.Bottom(), kGridColor);
    }
    for (double x : layout.grid) {
        s.Line(x, plot.Top(), x, plot.Bottom(), kGridColor);
    }

    // Bars with their marks, labels right-aligned next to the axis.
    for (std::size_t i = 0; i < layout.rows.size(); ++i) {
        const ChartLayout::Row& row = layout.rows[i];
        s.Box(row.bar, kBarColor, kBarEdge);
        // Beside the bar in the text colour, or inside it in a colour that reads on the bar.
        s.Text(row.mark, content.bars[i].mark, fonts.text, Align::Left, false,
               row.markInsideBar ? kMarkInsideBar : kTextColor);
        double ly = row.label.Top();
        for (const std::string& line : row.labelLines) {
            s.Text(Rect{row.label.Left(), ly, row.label.w, lineH}, line, fonts.text, Align::Right);
            ly += lineH;
        }
        const double cy = row.bar.CenterY();
        s.Line(plot.Left() - kTickLength, cy, plot.Left(), cy, kAxisColor);
    }

    // Axes with ticks and labels.
    s.Line(plot.Left(), plot.Bottom(), plot.Right(), plot.Bottom(), kAxisColor);
    s.Line(plot.Left(), plot.Bottom(), plot.Left(), plot.Top(), kAxisColor);
    for (double x : layout.minorTicks) {
        s.Line(x, plot.Bottom(), x, plot.Bottom() + kTickLength / 2, kAxisColor);
    }
    for (const ChartLayout::Tick& tick : layout.labels) {
        s.Line(tick.x, plot.Bottom(), tick.x, plot.Bottom() + kTickLength, kAxisColor);
        s.Text(tick.textRect, tick.text, fonts.text, Align::Center);
    }

    // Axis titles.
    if (!layout.valueTitle.Empty()) {
        s.Text(layout.valueTitle, content.valueTitle, fonts.axisTitle, Align::Center);
    }
    if (!layout.categoryTitle.Empty()) {
        s.Text(layout.categoryTitle, content.categoryTitle, fonts.axisTitle, Align::Center, true);
    }
    return s.Take();
}

std::string XmlEscape(std::string_view raw) {
    // As the windows show it: bytes of another encoding become U+FFFD, so every sequence below
    // is well formed.
    const std::string text = ShownText(raw);
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = std::max<std::size_t>(1, Utf8SequenceLength(text, pos));
        if (length > 1) {
            // U+FFFE and U+FFFF are not characters XML allows: left out.
            const std::string_view character = std::string_view(text).substr(pos, length);
            if (character != "\xEF\xBF\xBE" && character != "\xEF\xBF\xBF") {
                out.append(character);
            }
            pos += length;
            continue;
        }
        const char c = text[pos++];
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            // Control characters other than TAB and LF are not allowed in XML.
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n') {
                out += c;
            }
        }
    }
    return out;
}

std::string SceneSvg(const Scene& scene, Size size, const std::string& title) {
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Number(size.w) +
                      "\" height=\"" + Number(size.h) + "\" viewBox=\"0 0 " + Number(size.w) + " " +
                      Number(size.h) + "\" font-family=\"" + kSansFontFamilies +
                      "\" role=\"img\">\n";
    if (!title.empty()) {
        svg += "<title>" + XmlEscape(title) + "</title>\n";
    }
    for (const Primitive& p : scene) {
        switch (p.kind) {
        case Primitive::Kind::Fill:
            svg += "<rect" + RectAttributes(p.rect) + FillAttributes(p.fill) + "/>\n";
            break;
        case Primitive::Kind::Box:
            svg += "<rect" + RectAttributes(p.rect) + FillAttributes(p.fill) + " stroke=\"" +
                   Hex(p.stroke) + "\" stroke-width=\"1\"/>\n";
            break;
        case Primitive::Kind::RoundedFill:
            svg += "<rect" + RectAttributes(p.rect) + " rx=\"" + Number(p.radius) + "\" ry=\"" +
                   Number(p.radius) + "\"" + FillAttributes(p.fill) + "/>\n";
            break;
        case Primitive::Kind::Line:
            svg += "<line x1=\"" + Number(p.x1) + "\" y1=\"" + Number(p.y1) + "\" x2=\"" +
                   Number(p.x2) + "\" y2=\"" + Number(p.y2) + "\" stroke=\"" + Hex(p.stroke) +
                   "\" stroke-width=\"1\"/>\n";
            break;
        case Primitive::Kind::Text:
            svg += TextElement(p) + "\n";
            break;
        }
    }
    return svg + "</svg>\n";
}

std::string ChartSvg(const ChartContent& content, Size size, const ChartFonts& fonts,
                     const TextMetrics& metrics, const ValueFormatter& format) {
    const Size picture = PictureSize(content, size, fonts, metrics, format);
    const ChartLayout layout = LayoutChart(content, picture, fonts, metrics, format);
    return SceneSvg(DrawChart(content, layout, fonts, metrics), picture, content.title);
}

} // namespace velor::chart
