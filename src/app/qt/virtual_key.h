#pragma once
// Qt key events as the virtual-key codes the core's key tables use
// (digits 48-57, letters 65-90, keypad + 107, keypad - 109, ...).
#include "edit/key_map.h"

class QKeyEvent;

namespace pixolat {

// 0 for a key without a code.
int VirtualKeyCode(const QKeyEvent& event);
// The same, the event's native scan code read as an X or Wayland key code
// when placeScanCodes is set (the platform's own choice above).
int VirtualKeyCode(const QKeyEvent& event, bool placeScanCodes);
// The key's code with the Shift, Alt and Ctrl keys held.
KeyPress KeyPressOf(const QKeyEvent& event);

}  // namespace pixolat
