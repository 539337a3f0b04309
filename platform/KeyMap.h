#pragma once
// Qt key events as the virtual-key codes and shift sets the program's key tables are written in.
#include <Qt>

#include "platform/VirtualKeys.h"

class QKeyEvent;

VirtualKey MapKeyEvent(const QKeyEvent *event);
// The shift set (ShiftBits) of Qt's modifiers, for key and mouse events alike.
int MapModifiers(Qt::KeyboardModifiers modifiers);
