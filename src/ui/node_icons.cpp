#include "ui/node_icons.h"

#include <QApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include <utility>

// The icon and the licence are a resource of the static library; it has to be registered by
// name.
static void InitAppResource() {
    Q_INIT_RESOURCE(velor_app);
}

namespace velor::ui {

namespace {

class PaintedIconEngine : public QIconEngine {
public:
    PaintedIconEngine(std::function<void(QPainter&)> draw, QSizeF designSize)
        : draw_(std::move(draw)), designSize_(designSize) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio =
            painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap picture = pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state);
        picture.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, picture);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        if (size.isEmpty()) {
            return {};
        }
        const quint64 key = (quint64(size.width()) << 32) | (quint64(size.height()) << 8) |
                            (quint64(mode) << 1) | quint64(state);
        if (const auto found = cache_.constFind(key); found != cache_.constEnd()) {
            return *found;
        }
        QPixmap picture(size);
        picture.fill(Qt::transparent);
        {
            QPainter p(&picture);
            p.setRenderHint(QPainter::Antialiasing);
            const qreal scale =
                std::min(size.width() / designSize_.width(), size.height() / designSize_.height());
            p.translate((size.width() - designSize_.width() * scale) / 2,
                        (size.height() - designSize_.height() * scale) / 2);
            p.scale(scale, scale);
            draw_(p);
        }
        if (mode != QIcon::Normal && QApplication::style() != nullptr) {
            QStyleOption option;
            option.palette = QApplication::palette();
            picture = QApplication::style()->generatedIconPixmap(mode, picture, &option);
        }
        cache_.insert(key, picture);
        return picture;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        return designSize_.scaled(QSizeF(size), Qt::KeepAspectRatio).toSize();
    }

    QIconEngine* clone() const override { return new PaintedIconEngine(draw_, designSize_); }
    QString key() const override { return QStringLiteral("VelorPainted"); }

private:
    std::function<void(QPainter&)> draw_;
    QSizeF designSize_;
    QHash<quint64, QPixmap> cache_;
};

} // namespace

QIcon PaintedIcon(std::function<void(QPainter&)> draw, QSizeF designSize) {
    return QIcon(new PaintedIconEngine(std::move(draw), designSize));
}

QIcon GoalIcon() {
    static const QIcon icon = PaintedIcon([](QPainter& p) {
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
    });
    return icon;
}

QIcon AttributeIcon() {
    static const QIcon icon = PaintedIcon([](QPainter& p) {
        // A scale: a bar with a filled part, standing for the attribute's levels.
        p.setPen(QPen(QColor(30, 110, 60), 1.2));
        p.setBrush(QColor(230, 245, 230));
        p.drawRoundedRect(QRectF(1.5, 5.5, 13, 5), 1.5, 1.5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(60, 160, 90));
        p.drawRoundedRect(QRectF(2.5, 6.5, 7, 3), 1, 1);
    });
    return icon;
}

QIcon TableIcon() {
    static const QIcon icon = PaintedIcon([](QPainter& p) {
        // Header row and first column shaded, as in the alternatives grid.
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        p.setBrush(QColor(190, 205, 230));
        p.drawRect(QRectF(1.5, 2.5, 13, 4));
        p.drawRect(QRectF(1.5, 2.5, 4, 11));
        p.setPen(QPen(QColor(90, 90, 90), 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        p.drawLine(QPointF(1.5, 6.5), QPointF(14.5, 6.5));
        p.drawLine(QPointF(1.5, 9.5), QPointF(14.5, 9.5));
        p.drawLine(QPointF(5.5, 2.5), QPointF(5.5, 13.5));
        p.drawLine(QPointF(10.5, 2.5), QPointF(10.5, 13.5));
    });
    return icon;
}

QIcon DrawnAppIcon() {
    // The picture of the installed SVG icon, on its 64-unit grid.
    static const QIcon icon = PaintedIcon(
        [](QPainter& p) {
            QLinearGradient tile(0, 4, 0, 60);
            tile.setColorAt(0, QColor(0x4a, 0x76, 0xc8));
            tile.setColorAt(1, QColor(0x28, 0x46, 0x8c));
            p.setPen(Qt::NoPen);
            p.setBrush(tile);
            p.drawRoundedRect(QRectF(4, 4, 56, 56), 11, 11);
            p.setPen(QPen(QColor(0x1c, 0x34, 0x68, 153), 1.0));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(QRectF(4.5, 4.5, 55, 55), 10.5, 10.5);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0xfa, 0xfa, 0xfa));
            // Three value intervals of different reach, the middle one the widest.
            p.drawRoundedRect(QRectF(14, 15, 24, 8), 4, 4);
            p.drawRoundedRect(QRectF(20, 28, 30, 8), 4, 4);
            p.drawRoundedRect(QRectF(12, 41, 18, 8), 4, 4);
            p.setBrush(QColor(0xf2, 0xb6, 0x32));
            p.drawRoundedRect(QRectF(33, 11, 2.5, 42), 1.25, 1.25);
        },
        QSizeF(64, 64));
    return icon;
}

void RegisterAppResources() {
    InitAppResource();
}

QIcon AppIcon() {
    static const QIcon icon = [] {
        RegisterAppResources();
        QIcon svg(QStringLiteral(":/velor/velor.svg"));
        // Without Qt's SVG support the file gives no picture at all.
        const QIcon compiledIn = svg.pixmap(QSize(32, 32)).isNull() ? DrawnAppIcon() : svg;
        return QIcon::fromTheme(QStringLiteral(VELOR_APP_ID_TEXT), compiledIn);
    }();
    return icon;
}

} // namespace velor::ui
