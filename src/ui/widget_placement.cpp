#include "ui/widget_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace velor::ui {

namespace {

// Extents in 64 bits: stored placements may hold any int, and their sums overflow an int.
struct Span {
    long long begin; // first pixel
    long long end;   // one past the last
};

long long Overlap(Span a, Span b) {
    return std::max(0LL, std::min(a.end, b.end) - std::max(a.begin, b.begin));
}

// How far the centre of `window` lies outside `screen` (0 inside it).
long long Outside(Span window, Span screen) {
    const long long centre = window.begin + (window.end - window.begin) / 2;
    if (centre < screen.begin) {
        return screen.begin - centre;
    }
    return centre >= screen.end ? centre - screen.end + 1 : 0;
}

// The coordinate where `length` pixels starting at `begin` lie inside `screen` after the least
// shift (length not above the screen's).
int ShiftInside(long long begin, long long length, Span screen) {
    return static_cast<int>(std::clamp(begin, screen.begin, screen.end - length));
}

} // namespace

WindowBounds PlaceOnScreens(const WindowBounds& bounds, const QList<QRect>& screens) {
    const Span x{bounds.left, static_cast<long long>(bounds.left) + bounds.width};
    const Span y{bounds.top, static_cast<long long>(bounds.top) + bounds.height};
    const QRect* nearest = nullptr;
    double nearestDistance = 0;
    const QRect* home = nullptr; // the screen showing the largest piece of a visible window
    long long homeArea = 0;
    for (const QRect& screen : screens) {
        if (screen.isEmpty()) {
            continue;
        }
        const Span sx{screen.left(), static_cast<long long>(screen.left()) + screen.width()};
        const Span sy{screen.top(), static_cast<long long>(screen.top()) + screen.height()};
        const long long shownX = Overlap(x, sx);
        const long long shownY = Overlap(y, sy);
        if (shownX > 0 && shownY > 0 &&
            shownX >= std::min<long long>(bounds.width, kMinVisibleWidth) &&
            shownY >= std::min<long long>(bounds.height, kMinVisibleHeight)) {
            if (bounds.width <= screen.width() && bounds.height <= screen.height()) {
                return bounds;
            }
            if (home == nullptr || shownX * shownY > homeArea) {
                home = &screen;
                homeArea = shownX * shownY;
            }
            continue;
        }
        // In floating point: the squares of distances between far ends of int overflow 64 bits.
        const auto dx = static_cast<double>(Outside(x, sx));
        const auto dy = static_cast<double>(Outside(y, sy));
        const double distance = dx * dx + dy * dy;
        if (nearest == nullptr || distance < nearestDistance) {
            nearest = &screen;
            nearestDistance = distance;
        }
    }
    // A visible window larger than its screen is fitted to that screen; one off every screen
    // goes onto the nearest.
    const QRect* target = home != nullptr ? home : nearest;
    if (target == nullptr) {
        return bounds;
    }
    const Span sx{target->left(), static_cast<long long>(target->left()) + target->width()};
    const Span sy{target->top(), static_cast<long long>(target->top()) + target->height()};
    WindowBounds placed;
    placed.width = std::clamp(bounds.width, 1, target->width());
    placed.height = std::clamp(bounds.height, 1, target->height());
    placed.left = ShiftInside(bounds.left, placed.width, sx);
    placed.top = ShiftInside(bounds.top, placed.height, sy);
    return placed;
}

QList<QRect> AvailableScreenAreas() {
    QList<QRect> screens;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary != nullptr) {
        screens.append(primary->availableGeometry());
    }
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary) {
            screens.append(screen->availableGeometry());
        }
    }
    return screens;
}

void FitOnScreen(QWidget* window) {
    // The frame the window system draws around a shown window (title bar, borders) has to fit
    // as well; before the window is shown it is not known and counts as none.
    const QRect inner = window->geometry();
    const QRect outer = window->frameGeometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    const WindowBounds placed = PlaceOnScreens(
        {outer.left(), outer.top(), outer.width(), outer.height()}, AvailableScreenAreas());
    const QRect target = QRect(placed.left, placed.top, placed.width, placed.height) - frame;
    if (target != inner && target.isValid()) {
        window->setGeometry(target);
    }
}

void FitInsideArea(QWidget* child, const QSize& area) {
    const QRect r = child->geometry();
    const WindowBounds placed =
        PlaceOnScreens({r.left(), r.top(), r.width(), r.height()}, {QRect(QPoint(0, 0), area)});
    const QRect target(placed.left, placed.top, placed.width, placed.height);
    if (target != r) {
        child->setGeometry(target);
    }
}

QSize FitSize(const QSize& wanted, const QSize& available) {
    return {std::clamp(wanted.width(), 1, std::max(1, available.width())),
            std::clamp(wanted.height(), 1, std::max(1, available.height()))};
}

QSize ScrollingDialogSize(const QSize& content, const QSize& available, int scrollBarExtent) {
    QSize wanted = content;
    if (content.height() > available.height()) {
        wanted.rwidth() += scrollBarExtent;
    }
    if (wanted.width() > available.width()) {
        wanted.rheight() += scrollBarExtent;
        if (content.height() <= available.height() && wanted.height() > available.height()) {
            wanted.rwidth() += scrollBarExtent; // the horizontal bar made it scroll down too
        }
    }
    return FitSize(wanted, available);
}

QSize AvailableSizeFor(const QWidget* widget) {
    const QScreen* screen = widget != nullptr ? widget->screen() : nullptr;
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen != nullptr ? screen->availableGeometry().size() : QSize(1024, 768);
}

WindowState WidgetPlacement::State() const {
    if (window_->isMinimized()) {
        return WindowState::Minimized;
    }
    if (window_->isMaximized()) {
        return WindowState::Maximized;
    }
    return WindowState::Normal;
}

WindowBounds WidgetPlacement::Bounds() const {
    // The normal geometry, so a maximized window still knows where it goes when restored. Child
    // windows of the document area report their place inside it.
    QRect r = window_->isWindow() ? window_->normalGeometry() : window_->geometry();
    if (r.isEmpty()) {
        r = window_->geometry();
    }
    return {r.left(), r.top(), r.width(), r.height()};
}

ScreenSize WidgetPlacement::Screen() const {
    if (!window_->isWindow() && window_->parentWidget() != nullptr) {
        const QSize size = window_->parentWidget()->size();
        return {size.width(), size.height()};
    }
    const QScreen* screen = window_->screen();
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    return {area.width(), area.height()};
}

void WidgetPlacement::SetState(WindowState state) {
    Qt::WindowStates states = window_->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (state == WindowState::Minimized) {
        states |= Qt::WindowMinimized;
    } else if (state == WindowState::Maximized) {
        states |= Qt::WindowMaximized;
    }
    window_->setWindowState(states);
}

void WidgetPlacement::SetBounds(const WindowBounds& bounds) {
    WindowBounds target = bounds;
    if (window_->isWindow()) {
        target = PlaceOnScreens(target, AvailableScreenAreas());
    }
    window_->setGeometry(target.left, target.top, target.width, target.height);
}

} // namespace velor::ui
