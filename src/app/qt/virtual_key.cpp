#include "app/qt/virtual_key.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <cstring>

#include "app/qt/view_widgets.h"

namespace pixolat {

namespace {

// Keys that share their code between the main block and the keypad.
int KeypadCode(int key) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return 96 + (key - Qt::Key_0);
    switch (key) {
        case Qt::Key_Asterisk:
            return 106;
        case Qt::Key_Plus:
            return 107;
        case Qt::Key_Minus:
            return 109;
        case Qt::Key_Period:
        case Qt::Key_Comma:
            return 110;
        case Qt::Key_Slash:
            return 111;
        case Qt::Key_Enter:
            return 13;
        default:
            return -1;
    }
}

// With Shift held Qt reports the symbol; the key is still the digit key
// (US layout).
int ShiftedDigitCode(int key) {
    switch (key) {
        case Qt::Key_ParenRight:
            return '0';
        case Qt::Key_Exclam:
            return '1';
        case Qt::Key_At:
            return '2';
        case Qt::Key_NumberSign:
            return '3';
        case Qt::Key_Dollar:
            return '4';
        case Qt::Key_Percent:
            return '5';
        case Qt::Key_AsciiCircum:
            return '6';
        case Qt::Key_Ampersand:
            return '7';
        case Qt::Key_Asterisk:
            return '8';
        case Qt::Key_ParenLeft:
            return '9';
        default:
            return -1;
    }
}

// The lock keys and the keys of the system rather than of the text.
int LockAndSystemCode(int key) {
    switch (key) {
        case Qt::Key_Clear:
            return 12;
        case Qt::Key_CapsLock:
            return 20;
        case Qt::Key_Print:
            return 44;
        case Qt::Key_Meta:  // the key with the system's logo, left or alone
        case Qt::Key_Super_L:
            return 91;
        case Qt::Key_Super_R:
            return 92;
        case Qt::Key_Menu:
            return 93;
        case Qt::Key_NumLock:
            return 144;
        case Qt::Key_ScrollLock:
            return 145;
        default:
            return 0;
    }
}

int OtherCode(int key) {
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 112 + (key - Qt::Key_F1);
    switch (key) {
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return 9;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Shift:
            return 16;
        case Qt::Key_Control:
            return 17;
        case Qt::Key_Alt:
            return 18;
        case Qt::Key_Pause:
            return 19;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Space:
            return 32;
        case Qt::Key_PageUp:
            return 33;
        case Qt::Key_PageDown:
            return 34;
        case Qt::Key_End:
            return 35;
        case Qt::Key_Home:
            return 36;
        case Qt::Key_Left:
            return 37;
        case Qt::Key_Up:
            return 38;
        case Qt::Key_Right:
            return 39;
        case Qt::Key_Down:
            return 40;
        case Qt::Key_Insert:
            return 45;
        case Qt::Key_Delete:
            return 46;
        case Qt::Key_Semicolon:
        case Qt::Key_Colon:
            return 186;
        case Qt::Key_Equal:
        case Qt::Key_Plus:
            return 187;
        case Qt::Key_Comma:
        case Qt::Key_Less:
            return 188;
        case Qt::Key_Minus:
        case Qt::Key_Underscore:
            return 189;
        case Qt::Key_Period:
        case Qt::Key_Greater:
            return 190;
        case Qt::Key_Slash:
        case Qt::Key_Question:
            return 191;
        case Qt::Key_QuoteLeft:
        case Qt::Key_AsciiTilde:
            return 192;
        case Qt::Key_BracketLeft:
        case Qt::Key_BraceLeft:
            return 219;
        case Qt::Key_Backslash:
        case Qt::Key_Bar:
            return 220;
        case Qt::Key_BracketRight:
        case Qt::Key_BraceRight:
            return 221;
        case Qt::Key_Apostrophe:
        case Qt::Key_QuoteDbl:
            return 222;
        default:
            return LockAndSystemCode(key);
    }
}

// The digit or letter of a key by its place on the keyboard, from the X and
// Wayland key code (the Linux input code + 8), as on a US keyboard; 0 for
// other keys.
int PlaceCode(quint32 scanCode) {
    static const char* const kRows[] = {"1234567890", "QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
    static const quint32 kRowStarts[] = {10, 24, 38, 52};
    for (int row = 0; row < 4; ++row) {
        const quint32 start = kRowStarts[row];
        if (scanCode >= start && scanCode < start + std::strlen(kRows[row]))
            return kRows[row][scanCode - start];
    }
    return 0;
}

}  // namespace

int VirtualKeyCode(const QKeyEvent& event) {
#ifdef Q_OS_WIN
    // Windows reports the code itself.
    if (event.nativeVirtualKey() > 0 && event.nativeVirtualKey() < 256)
        return int(event.nativeVirtualKey());
#endif
    const QString platform = QGuiApplication::platformName();
    return VirtualKeyCode(event, platform == "xcb" || platform.startsWith("wayland"));
}

int VirtualKeyCode(const QKeyEvent& event, bool placeScanCodes) {
    const int key = event.key();
    if (event.modifiers() & Qt::KeypadModifier) {
        const int code = KeypadCode(key);
        if (code >= 0) return code;
    }
    // As on Windows, the digit keys give their digit whatever the layout puts
    // on them (with or without Shift), and a layout without Latin letters
    // gives the letter of the US key at that place.
    const int place = placeScanCodes ? PlaceCode(event.nativeScanCode()) : 0;
    if (place >= '0' && place <= '9') return place;
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return key;  // same codes as '0'..'9'
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;  // same codes as 'A'..'Z'
    if (place != 0) return place;
    const int digit = ShiftedDigitCode(key);
    if (digit >= 0) return digit;
    return OtherCode(key);
}

KeyPress KeyPressOf(const QKeyEvent& event) {
    return {VirtualKeyCode(event), ShiftStateOf(event.modifiers(), Qt::NoButton)};
}

}  // namespace pixolat
