#include "app/qt/virtual_key.h"

#include <QKeyEvent>
#include <QTest>

#include "gui/gui_test.h"

using namespace pixolat;

class VirtualKeyTest : public QObject {
    Q_OBJECT
  private slots:
    void qtKeysBecomeTheCodesOfTheKeyTables() {
        const struct {
            int key;
            Qt::KeyboardModifiers modifiers;
            int code;
        } cases[] = {
            {Qt::Key_0, {}, 48},
            {Qt::Key_9, {}, 57},
            {Qt::Key_Exclam, Qt::ShiftModifier, 49},  // Shift+1 is still the 1 key
            {Qt::Key_A, {}, 65},
            {Qt::Key_Z, Qt::ShiftModifier, 90},
            {Qt::Key_Plus, Qt::KeypadModifier, 107},
            {Qt::Key_Minus, Qt::KeypadModifier, 109},
            {Qt::Key_5, Qt::KeypadModifier, 101},
            {Qt::Key_Plus, {}, 187},
            {Qt::Key_Minus, {}, 189},
            {Qt::Key_Space, {}, 32},
            {Qt::Key_Escape, {}, 27},
            {Qt::Key_Return, {}, 13},
            {Qt::Key_Left, {}, 37},
            {Qt::Key_Up, {}, 38},
            {Qt::Key_Right, {}, 39},
            {Qt::Key_Down, {}, 40},
            {Qt::Key_F1, {}, 112},
            {Qt::Key_F12, {}, 123},
            {Qt::Key_Shift, Qt::ShiftModifier, 16},
            {Qt::Key_Control, Qt::ControlModifier, 17},
            {Qt::Key_Alt, Qt::AltModifier, 18},
        };
        for (const auto& c : cases) {
            const QKeyEvent event(QEvent::KeyPress, c.key, c.modifiers);
            QCOMPARE(VirtualKeyCode(event), c.code);
        }
    }
};

PIXOLAT_GUI_TEST(VirtualKeyTest);
#include "virtual_key_test.moc"
