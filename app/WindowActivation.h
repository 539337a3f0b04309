#pragma once
// Another application's window brought to the front, found by its window class.
#include <QByteArray>

// On X11: finds a top-level window whose WM_CLASS class is className and activates it, through
// the window manager (_NET_ACTIVE_WINDOW) when one supports that, else by raising it and giving
// it the input focus. Returns false when there is no such window or the display is not X11;
// nothing is reported either way.
bool ActivateWindowOfClass(const QByteArray &className);
