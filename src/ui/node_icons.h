// The two small node images of the value tree, drawn in code.
#pragma once

#include <QIcon>

namespace velor::ui {

QIcon GoalIcon();      // a goal: a small branching diagram
QIcon AttributeIcon(); // a twig-level attribute: a measuring bar
QIcon TableIcon();     // the alternatives window: a small table
QIcon AppIcon();       // the program: a goal over three bars

} // namespace velor::ui
