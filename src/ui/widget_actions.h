// Actions that belong to one window: their shortcuts act while the window or one of its
// children has the focus, and tests find them by object name.
#pragma once

#include <QAction>
#include <QKeySequence>
#include <QString>
#include <QWidget>

namespace velor::ui {

inline QAction* AddShortcutAction(QWidget* owner, const char* name, const QString& caption,
                                  const QKeySequence& key) {
    auto* action = new QAction(caption, owner);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(key);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    owner->addAction(action);
    return action;
}

} // namespace velor::ui
