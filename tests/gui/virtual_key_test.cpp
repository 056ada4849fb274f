// Qt key events as the key map takes them: the virtual-key code and the
// modifiers held.
#include "app/qt/virtual_key.h"

#include <QKeyEvent>
#include <QTest>

#include "gui/gui_test.h"

using namespace pixolat;

class VirtualKeyTest : public QObject {
    Q_OBJECT
private slots:
    void keyEventsBecomeCodesAndModifiers() {
        const Qt::KeyboardModifiers none = Qt::NoModifier;
        const Qt::KeyboardModifiers keypad = Qt::KeypadModifier;
        const struct {
            int key;
            Qt::KeyboardModifiers modifiers;
            int code;
            ShiftState shift;
        } cases[] = {
            {Qt::Key_Plus, keypad, 107, 0},
            {Qt::Key_Minus, keypad, 109, 0},
            {Qt::Key_Plus, keypad | Qt::ShiftModifier, 107, kShift},
            {Qt::Key_Minus, keypad | Qt::ControlModifier | Qt::AltModifier, 109, kCtrl | kAlt},
            {Qt::Key_Plus, Qt::ShiftModifier, 187, kShift},  // the main block's + and -
            {Qt::Key_Minus, none, 189, 0},
            {Qt::Key_0, none, 48, 0},
            {Qt::Key_3, Qt::ControlModifier, 51, kCtrl},
            {Qt::Key_NumberSign, Qt::ShiftModifier, 51, kShift},  // Shift+3 reports its symbol
            {Qt::Key_ParenRight, Qt::ShiftModifier, 48, kShift},
            {Qt::Key_0, keypad, 96, 0},
            {Qt::Key_A, none, 65, 0},
            {Qt::Key_G, Qt::ShiftModifier | Qt::ControlModifier, 71, kShift | kCtrl},
            {Qt::Key_Z, Qt::AltModifier, 90, kAlt},
            {Qt::Key_F1, none, 112, 0},
            {Qt::Key_F12, Qt::ShiftModifier, 123, kShift},
            {Qt::Key_Left, none, 37, 0},
            {Qt::Key_Up, Qt::ControlModifier, 38, kCtrl},
            {Qt::Key_Right, Qt::ShiftModifier | keypad, 39, kShift},
            {Qt::Key_Down, Qt::AltModifier, 40, kAlt},
            {Qt::Key_Home, none, 36, 0},
            {Qt::Key_End, Qt::ShiftModifier, 35, kShift},
            {Qt::Key_Space, none, 32, 0},
            // Qt adds the modifier key itself to the state before its press.
            {Qt::Key_Shift, none, 16, kShift},
            // The punctuation, lock and system keys: their codes, never 0.
            {Qt::Key_BracketLeft, none, 219, 0},
            {Qt::Key_BraceRight, Qt::ShiftModifier, 221, kShift},
            {Qt::Key_Apostrophe, none, 222, 0},
            {Qt::Key_Backslash, Qt::ControlModifier, 220, kCtrl},
            {Qt::Key_QuoteLeft, none, 192, 0},
            {Qt::Key_CapsLock, none, 20, 0},
            {Qt::Key_NumLock, keypad, 144, 0},
            {Qt::Key_Menu, none, 93, 0},
            {Qt::Key_Meta, Qt::MetaModifier, 91, 0},
        };
        for (const auto& c : cases) {
            const QKeyEvent event(QEvent::KeyPress, c.key, c.modifiers);
            const KeyPress press = KeyPressOf(event);
            const QByteArray what = QByteArray::number(c.key, 16) + " modifiers " +
                                    QByteArray::number(int(c.modifiers), 16);
            QVERIFY2(press.key == c.code, what + " gives " + QByteArray::number(press.key));
            QVERIFY2(press.shift == c.shift, what);
        }
    }
};

PIXOLAT_GUI_TEST(VirtualKeyTest);
#include "virtual_key_test.moc"
