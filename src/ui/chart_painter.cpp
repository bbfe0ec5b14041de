#include "ui/chart_painter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

namespace velor::ui {

namespace {

QColor ToQColor(chart::Color color) {
    return QColor(color.r, color.g, color.b, color.a);
}

QRectF ToQRect(const chart::Rect& rect) {
    return QRectF(rect.x, rect.y, rect.w, rect.h);
}

Qt::Alignment ToQAlignment(chart::Align align) {
    switch (align) {
    case chart::Align::Left:
        return Qt::AlignLeft | Qt::AlignVCenter;
    case chart::Align::Right:
        return Qt::AlignRight | Qt::AlignVCenter;
    case chart::Align::Center:
        break;
    }
    return Qt::AlignHCenter | Qt::AlignVCenter;
}

} // namespace

QFont ChartQFont(const QFont& base, const chart::Font& font) {
    QFont f = base;
    f.setPixelSize(font.pixelSize);
    f.setBold(font.bold);
    return f;
}

double QtTextMetrics::Advance(std::string_view text, const chart::Font& font) const {
    return QFontMetricsF(ChartQFont(base_, font))
        .horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

double QtTextMetrics::LineHeight(const chart::Font& font) const {
    return QFontMetricsF(ChartQFont(base_, font)).height();
}

QStringList WrapText(const QString& text, const QFont& font, qreal width) {
    if (text.isEmpty()) {
        return {QString()};
    }
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) {
            break;
        }
        line.setLineWidth(std::max<qreal>(width, 1.0));
        QString part = text.mid(line.textStart(), line.textLength());
        while (!part.isEmpty() && part.back().isSpace()) {
            part.chop(1);
        }
        lines << part;
    }
    layout.endLayout();
    if (lines.isEmpty()) {
        lines << QString();
    }
    return lines;
}

std::vector<std::string> QtTextMetrics::Wrap(const std::string& text, const chart::Font& font,
                                             double width) const {
    std::vector<std::string> lines;
    for (const QString& line :
         WrapText(QString::fromStdString(text), ChartQFont(base_, font), width)) {
        lines.push_back(line.toStdString());
    }
    return lines;
}

void PaintScene(QPainter& p, const chart::Scene& scene, const QFont& base) {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    for (const chart::Primitive& item : scene) {
        switch (item.kind) {
        case chart::Primitive::Kind::Fill:
            p.fillRect(ToQRect(item.rect), ToQColor(item.fill));
            break;
        case chart::Primitive::Kind::Box:
            p.setPen(QPen(ToQColor(item.stroke), 1.0));
            p.setBrush(ToQColor(item.fill));
            p.drawRect(ToQRect(item.rect));
            p.setBrush(Qt::NoBrush);
            break;
        case chart::Primitive::Kind::RoundedFill:
            p.setPen(Qt::NoPen);
            p.setBrush(ToQColor(item.fill));
            p.drawRoundedRect(ToQRect(item.rect), item.radius, item.radius);
            p.setBrush(Qt::NoBrush);
            break;
        case chart::Primitive::Kind::Line:
            p.setPen(QPen(ToQColor(item.stroke), 1.0));
            p.drawLine(QPointF(item.x1, item.y1), QPointF(item.x2, item.y2));
            break;
        case chart::Primitive::Kind::Text: {
            p.setPen(ToQColor(item.fill));
            p.setFont(ChartQFont(base, item.font));
            const QString text = QString::fromStdString(item.text);
            if (!item.rotated) {
                p.drawText(ToQRect(item.rect), ToQAlignment(item.align), text);
                break;
            }
            const QRectF r = ToQRect(item.rect);
            p.save();
            p.translate(r.center());
            p.rotate(-90);
            p.drawText(QRectF(-r.height() / 2, -r.width() / 2, r.height(), r.width()),
                       Qt::AlignHCenter | Qt::AlignVCenter, text);
            p.restore();
            break;
        }
        }
    }
}

} // namespace velor::ui
