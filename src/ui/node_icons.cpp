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

QIcon TableIcon() {
    static const QIcon icon = [] {
        QPixmap pixmap = Canvas();
        QPainter p(&pixmap);
        p.setPen(QColor(90, 90, 90));
        p.setBrush(Qt::white);
        p.drawRect(1, 2, 13, 11);
        p.fillRect(2, 3, 12, 3, QColor(190, 205, 230));
        p.fillRect(2, 3, 3, 10, QColor(190, 205, 230));
        p.drawLine(1, 6, 14, 6);
        p.drawLine(5, 2, 5, 13);
        p.drawLine(1, 9, 14, 9);
        p.drawLine(10, 2, 10, 13);
        return QIcon(pixmap);
    }();
    return icon;
}

QIcon AppIcon() {
    static const QIcon icon = [] {
        QIcon result;
        for (int size : {16, 32, 64}) {
            QPixmap pixmap(size, size);
            pixmap.fill(Qt::transparent);
            QPainter p(&pixmap);
            p.setRenderHint(QPainter::Antialiasing);
            p.scale(size / 32.0, size / 32.0);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(40, 70, 140));
            p.drawRoundedRect(QRectF(2, 2, 28, 28), 5, 5);
            p.setBrush(QColor(250, 250, 250));
            // Three interval bars of different reach, the middle one the widest.
            p.drawRoundedRect(QRectF(7, 8, 12, 4), 2, 2);
            p.drawRoundedRect(QRectF(10, 14, 15, 4), 2, 2);
            p.drawRoundedRect(QRectF(6, 20, 9, 4), 2, 2);
            result.addPixmap(pixmap);
        }
        return result;
    }();
    return icon;
}

} // namespace velor::ui
