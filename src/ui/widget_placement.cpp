#include "ui/widget_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace velor::ui {

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
    window_->setGeometry(bounds.left, bounds.top, bounds.width, bounds.height);
}

} // namespace velor::ui
