// Keys reach the key map by the same codes whatever the keyboard layout.
#include <QKeyEvent>
#include <QTest>

#include "app/qt/virtual_key.h"
#include "gui/gui_test.h"

using namespace pixolat;

class KeyLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void digitsByPlaceLettersByLayoutOrByPlaceWhenNotLatin() {
        const struct {
            int key;
            Qt::KeyboardModifiers modifiers;
            quint32 scanCode;
            int code;
        } cases[] = {
            {Qt::Key_Ampersand, Qt::NoModifier, 10, '1'},  // French layout: the 1 key unshifted
            {Qt::Key_Eacute, Qt::NoModifier, 11, '2'},
            {Qt::Key_1, Qt::ShiftModifier, 10, '1'},
            {Qt::Key_Exclam, Qt::ShiftModifier, 10, '1'},  // US layout with Shift
            {Qt::Key_Z, Qt::NoModifier, 29, 'Z'},          // German layout: Z where US has Y
            {Qt::Key_Q, Qt::NoModifier, 38, 'Q'},          // French layout: Q where US has A
            {0x0444, Qt::NoModifier, 38, 'A'},             // Russian layout, no Latin letters
            {0x0441, Qt::ShiftModifier, 54, 'C'},
            {Qt::Key_1, Qt::KeypadModifier, 87, 97},  // the keypad keeps its own codes
            {Qt::Key_Left, Qt::NoModifier, 113, 37},
            {Qt::Key_Space, Qt::NoModifier, 65, 32},
        };
        for (const auto& c : cases) {
            const QKeyEvent event(QEvent::KeyPress, c.key, c.modifiers, c.scanCode, 0, 0);
            QVERIFY2(VirtualKeyCode(event, true) == c.code,
                     QByteArray::number(c.key, 16) + " gives " +
                         QByteArray::number(VirtualKeyCode(event, true)));
        }
        // Without key codes by place (the offscreen platform of the tests), Qt's key decides.
        const QKeyEvent russian(QEvent::KeyPress, 0x0444, Qt::NoModifier, 38, 0, 0);
        QCOMPARE(VirtualKeyCode(russian, false), 0);
        const QKeyEvent digit(QEvent::KeyPress, Qt::Key_3, Qt::NoModifier, 0, 0, 0);
        QCOMPARE(VirtualKeyCode(digit), '3');
    }
};

PIXOLAT_GUI_TEST(KeyLayoutTest);
#include "key_layout_test.moc"
