#pragma once
// Qt Test classes register themselves here; gui_main runs each in turn.
#include <QApplication>
#include <QMouseEvent>
#include <QObject>
#include <QTest>
#include <QWidget>
#include <functional>
#include <vector>

namespace pixolat::testing {

std::vector<std::function<QObject*()>>& GuiTestRegistry();

// Empties the settings store the test program uses (a temporary one), so
// that what one test's window saved at close does not start the next.
void ClearSettings();

// Calls `visit(qtKey, modifiers, keypad)` for each key with each of the 8
// sets of Shift, Ctrl and Alt, once plain and once from the keypad, until a
// check fails.
template <class Visit>
void ForEveryModifierSet(const std::vector<int>& qtKeys, Visit visit) {
    const Qt::KeyboardModifier modifiers[] = {Qt::ShiftModifier, Qt::ControlModifier,
                                              Qt::AltModifier};
    for (const int qtKey : qtKeys)
        for (unsigned set = 0; set < 8; ++set) {
            Qt::KeyboardModifiers mods;
            for (unsigned m = 0; m < 3; ++m)
                if (set & (1u << m)) mods |= modifiers[m];
            for (const bool keypad : {false, true}) {
                visit(qtKey, mods, keypad);
                if (QTest::currentTestFailed()) return;
            }
        }
}

// A mouse move with the left button held, which QTest cannot send.
inline void DragTo(QWidget* widget, QPoint p) {
    QMouseEvent move(QEvent::MouseMove, p, widget->mapToGlobal(p), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

struct GuiTestRegistration {
    explicit GuiTestRegistration(std::function<QObject*()> make) {
        GuiTestRegistry().push_back(std::move(make));
    }
};

}  // namespace pixolat::testing

#define PIXOLAT_GUI_TEST(Class) \
    static ::pixolat::testing::GuiTestRegistration registration_##Class([] { return new Class; })
