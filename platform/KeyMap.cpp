// Qt key events as the virtual-key codes and shift sets that the key tables are written in.
#include "platform/KeyMap.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace {

int CodeOfKey(int key, bool keypad)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return vk::A + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return keypad ? vk::Numpad0 + (key - Qt::Key_0) : '0' + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return vk::F1 + (key - Qt::Key_F1);

    switch (key) {
    case Qt::Key_Backspace: return vk::Back;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return vk::Tab;
    case Qt::Key_Clear: return vk::Clear;
    case Qt::Key_Return:
    case Qt::Key_Enter: return vk::Return;
    case Qt::Key_Shift: return vk::Shift;
    case Qt::Key_Control: return vk::Control;
    case Qt::Key_Alt: return vk::Menu;
    case Qt::Key_Pause: return vk::Pause;
    case Qt::Key_CapsLock: return vk::Capital;
    case Qt::Key_Escape: return vk::Escape;
    case Qt::Key_Space: return vk::Space;
    case Qt::Key_PageUp: return vk::Prior;
    case Qt::Key_PageDown: return vk::Next;
    case Qt::Key_End: return vk::End;
    case Qt::Key_Home: return vk::Home;
    case Qt::Key_Left: return vk::Left;
    case Qt::Key_Up: return vk::Up;
    case Qt::Key_Right: return vk::Right;
    case Qt::Key_Down: return vk::Down;
    case Qt::Key_Insert: return vk::Insert;
    case Qt::Key_Delete: return vk::Delete;
    default: break;
    }

    if (keypad) {
        switch (key) {
        case Qt::Key_Asterisk: return vk::Multiply;
        case Qt::Key_Plus: return vk::Add;
        case Qt::Key_Minus: return vk::Subtract;
        case Qt::Key_Period:
        case Qt::Key_Comma: return vk::Decimal;
        case Qt::Key_Slash: return vk::Divide;
        default: break;
        }
    }

    // The bracket key, shifted or not: the shift set carries Shift.
    if (key == Qt::Key_BracketLeft || key == Qt::Key_BraceLeft)
        return vk::OpenBracket;
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
    VirtualKey mapped;
    if (!event)
        return mapped;
    const Qt::KeyboardModifiers mods = event->modifiers();
    mapped.shift = MapModifiers(mods);

    mapped.key = CodeOfKey(event->key(), mods & Qt::KeypadModifier);
    if (mapped.key == 0 && !(mods & Qt::KeypadModifier))
        mapped.key = DigitRowFromScanCode(event);
    return mapped;
}
