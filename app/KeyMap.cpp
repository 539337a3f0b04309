// Qt key events as the virtual-key codes and shift sets that the key tables are written in.
#include "Platform.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace {

int CodeOfKey(int key, bool keypad)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return 'A' + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return keypad ? 0x60 + (key - Qt::Key_0) : '0' + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return 112 + (key - Qt::Key_F1);

    switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Clear: return 12;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    default: break;
    }

    if (keypad) {
        switch (key) {
        case Qt::Key_Asterisk: return 0x6A;
        case Qt::Key_Plus: return 0x6B;
        case Qt::Key_Minus: return 0x6D;
        case Qt::Key_Period:
        case Qt::Key_Comma: return 0x6E;
        case Qt::Key_Slash: return 0x6F;
        default: break;
        }
    }

    // The bracket key, shifted or not: the shift set carries Shift.
    if (key == Qt::Key_BracketLeft || key == Qt::Key_BraceLeft)
        return 0xDB;
    return 0;
}

// With Shift held, X11 reports the digit row as the shifted symbol ("!" for 1). The key
// codes of that row (evdev 10 to 19 for 1 to 9 and 0) give the digit back, since a virtual
// key names the key, not the character.
int DigitRowFromScanCode(const QKeyEvent *event)
{
    static const bool xcb = QGuiApplication::platformName() == QLatin1String("xcb");
    if (!xcb)
        return 0;
    const quint32 scan = event->nativeScanCode();
    if (scan >= 10 && scan <= 18)
        return '1' + int(scan - 10);
    if (scan == 19)
        return '0';
    return 0;
}

}  // namespace

int MapModifiers(Qt::KeyboardModifiers modifiers)
{
    int shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= ssShift;
    if (modifiers & Qt::AltModifier)
        shift |= ssAlt;
    if (modifiers & Qt::ControlModifier)
        shift |= ssCtrl;
    return shift;
}

VirtualKey MapKeyEvent(const QKeyEvent *event)
{
    VirtualKey vk;
    if (!event)
        return vk;
    const Qt::KeyboardModifiers mods = event->modifiers();
    vk.shift = MapModifiers(mods);

    vk.key = CodeOfKey(event->key(), mods & Qt::KeypadModifier);
    if (vk.key == 0 && !(mods & Qt::KeypadModifier))
        vk.key = DigitRowFromScanCode(event);
    return vk;
}
