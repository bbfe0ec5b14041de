// The program's own small images: the node images of the value tree, the alternatives window,
// and the application icon. All are drawn as vector shapes at the size and pixel density they
// are shown at, so they stay sharp on a high-density screen (200 % and more).
#pragma once

#include <QIcon>

#include <functional>

class QPainter;

namespace velor::ui {

// An icon whose picture `draw` paints on a canvas of `designSize` logical units; every pixmap
// is painted afresh at the size asked for (the device pixels at a high pixel density), keeping
// the aspect ratio and centred. The disabled look comes from the style, as for any icon.
QIcon PaintedIcon(std::function<void(QPainter&)> draw, QSizeF designSize = QSizeF(16, 16));

QIcon GoalIcon();      // a goal: a small branching diagram
QIcon AttributeIcon(); // a twig-level attribute: a measuring bar
QIcon TableIcon();     // the alternatives window: a small table

// The program: value intervals of three alternatives over a blue tile. The icon theme's icon
// of the application id when the desktop has one (an installed program), else the SVG compiled
// into the program, else the same picture drawn in code (without Qt's SVG support).
QIcon AppIcon();
// The drawn form of the application icon, the last fallback above.
QIcon DrawnAppIcon();

// Registers the files compiled into the program under :/velor (the icon, the licence text).
void RegisterAppResources();

} // namespace velor::ui
