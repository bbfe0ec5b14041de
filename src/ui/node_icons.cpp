#include "ui/node_icons.h"

#include <QPainter>
#include <QPixmap>

namespace velor::ui {

namespace {

QPixmap Canvas() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

QIcon GoalIcon() {
    static const QIcon icon = [] {
        QPixmap pixmap = Canvas();
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(40, 70, 140), 1.2));
        // A parent box with two child boxes below it.
        p.drawLine(QPointF(8, 6), QPointF(8, 9));
        p.drawLine(QPointF(4, 9), QPointF(12, 9));
        p.drawLine(QPointF(4, 9), QPointF(4, 11));
        p.drawLine(QPointF(12, 9), QPointF(12, 11));
        p.setBrush(QColor(90, 130, 210));
        p.drawRoundedRect(QRectF(4.5, 1.5, 7, 5), 1.5, 1.5);
        p.setBrush(QColor(170, 195, 240));
        p.drawRoundedRect(QRectF(1.5, 10.5, 5, 4), 1, 1);
        p.drawRoundedRect(QRectF(9.5, 10.5, 5, 4), 1, 1);
        return QIcon(pixmap);
    }();
    return icon;
}

QIcon AttributeIcon() {
    static const QIcon icon = [] {
        QPixmap pixmap = Canvas();
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        // A scale: a bar with a filled part, standing for the attribute's levels.
        p.setPen(QPen(QColor(30, 110, 60), 1.2));
        p.setBrush(QColor(230, 245, 230));
        p.drawRoundedRect(QRectF(1.5, 5.5, 13, 5), 1.5, 1.5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(60, 160, 90));
        p.drawRoundedRect(QRectF(2.5, 6.5, 7, 3), 1, 1);
        return QIcon(pixmap);
    }();
    return icon;
}

} // namespace velor::ui
