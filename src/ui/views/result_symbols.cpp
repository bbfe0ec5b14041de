#include "ui/views/result_symbols.h"

#include "model/records.h"

#include <QPainter>
#include <QPainterPath>

namespace velor::ui {

namespace {

QPixmap Blank(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

QPixmap DominanceSymbol(int code, int size) {
    if (code != kDominates && code != kDominated && code != kSelf && code != kNotComputed) {
        return {};
    }
    QPixmap pixmap = Blank(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    switch (code) {
    case kDominates: {
        // The row is better: a green triangle pointing up.
        QPainterPath path;
        path.moveTo(s * 0.5, s * 0.12);
        path.lineTo(s * 0.9, s * 0.85);
        path.lineTo(s * 0.1, s * 0.85);
        path.closeSubpath();
        p.setPen(QPen(QColor(0x1e, 0x7a, 0x34), 1.2));
        p.setBrush(QColor(0x3c, 0xb0, 0x5a));
        p.drawPath(path);
        break;
    }
    case kDominated: {
        // The row is worse: a red triangle pointing down.
        QPainterPath path;
        path.moveTo(s * 0.1, s * 0.15);
        path.lineTo(s * 0.9, s * 0.15);
        path.lineTo(s * 0.5, s * 0.88);
        path.closeSubpath();
        p.setPen(QPen(QColor(0x9e, 0x1f, 0x1f), 1.2));
        p.setBrush(QColor(0xd9, 0x48, 0x48));
        p.drawPath(path);
        break;
    }
    case kSelf:
        // The diagonal: a grey dash.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x9a, 0xa0, 0xa6));
        p.drawRoundedRect(QRectF(s * 0.2, s * 0.42, s * 0.6, s * 0.16), 1.5, 1.5);
        break;
    case kNotComputed: {
        // Not computed: a question mark in a ring.
        p.setPen(QPen(QColor(0x80, 0x86, 0x8c), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(s * 0.1, s * 0.1, s * 0.8, s * 0.8));
        QFont font;
        font.setPixelSize(static_cast<int>(s * 0.6));
        font.setBold(true);
        p.setFont(font);
        p.drawText(QRectF(0, 0, s, s), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    default:
        break;
    }
    p.end();
    return pixmap;
}

QPixmap RecommendationMark(int size) {
    QPixmap pixmap = Blank(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QPainterPath tick;
    tick.moveTo(s * 0.15, s * 0.52);
    tick.lineTo(s * 0.4, s * 0.78);
    tick.lineTo(s * 0.87, s * 0.22);
    p.setPen(QPen(QColor(0x1e, 0x7a, 0x34), s * 0.16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
    p.end();
    return pixmap;
}

} // namespace velor::ui
