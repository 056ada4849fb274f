#pragma once
// Qt key events as the virtual-key codes the core's key tables use
// (digits 48-57, letters 65-90, keypad + 107, keypad - 109, ...).
#include "edit/key_map.h"

class QKeyEvent;

namespace pixolat {

// 0 for a key without a code.
int VirtualKeyCode(const QKeyEvent& event);
// The key's code with the Shift, Alt and Ctrl keys held.
KeyPress KeyPressOf(const QKeyEvent& event);

}  // namespace pixolat
