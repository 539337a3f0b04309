#pragma once
// The virtual-key codes and shift sets the program's key tables are written in. Plain data, so
// the view's key rules include it without the platform library; KeyMap.h turns Qt's key events
// into these.

// Virtual-key codes: letters are their upper-case ASCII codes ('A'..'Z'), digits '0'..'9'.
namespace vk {
constexpr int Back = 8, Tab = 9, Clear = 12, Return = 13, Shift = 16, Control = 17, Menu = 18;
constexpr int Pause = 19, Capital = 20, Escape = 27, Space = 32;
constexpr int Prior = 33, Next = 34, End = 35, Home = 36;
constexpr int Left = 37, Up = 38, Right = 39, Down = 40, Insert = 45, Delete = 46;
constexpr int A = 'A', B = 'B', C = 'C', D = 'D', E = 'E', F = 'F', J = 'J', N = 'N', P = 'P', S = 'S';
constexpr int T = 'T', W = 'W', X = 'X';
constexpr int Numpad0 = 0x60, Multiply = 0x6A, Add = 0x6B, Subtract = 0x6D, Decimal = 0x6E,
              Divide = 0x6F;
constexpr int F1 = 112, F2 = 113, F3 = 114, F4 = 115, F12 = 123;
constexpr int OpenBracket = 0xDB;  // "[" (and "{" with Shift)
}  // namespace vk

// Shift set bits as the key tables use them.
enum ShiftBits : int { ssShift = 1, ssAlt = 2, ssCtrl = 4 };

struct VirtualKey {
    int key = 0;    // virtual-key code, 0 when the key has none
    int shift = 0;  // ShiftBits
};
