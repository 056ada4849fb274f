#pragma once
// Qt key events as the virtual-key codes the core's key tables use
// (digits 48-57, letters 65-90, keypad + 107, keypad - 109, ...).
class QKeyEvent;

namespace pixolat {

// 0 for a key without a code.
int VirtualKeyCode(const QKeyEvent& event);

}  // namespace pixolat
