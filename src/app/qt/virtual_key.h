#pragma once
// Qt key events as the virtual-key codes the core's key tables use
// (digits 48-57, letters 65-90, keypad + 107, keypad - 109, ...).
class QKeyEvent;

namespace pixolat {

// 0 for a key without a code.
int VirtualKeyCode(const QKeyEvent& event);
// The same, the event's native scan code read as an X or Wayland key code
// when placeScanCodes is set (the platform's own choice above).
int VirtualKeyCode(const QKeyEvent& event, bool placeScanCodes);

}  // namespace pixolat
