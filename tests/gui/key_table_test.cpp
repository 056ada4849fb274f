// One list of key bindings: every key the window can send, with every set of
// modifiers, reaches the same command in the real window (its menu's
// shortcuts, its menu access keys, then the core's key table) as in the core
// alone (the key table).
#include <QAction>
#include <QKeyEvent>
#include <QKeySequence>
#include <QTest>

#include "app/qt/form_editor.h"
#include "app/qt/virtual_key.h"
#include "gui/gui_test.h"

using namespace pixolat;

namespace {

// Every key the keyboard has that the window translates to a code.
std::vector<int> QtKeys() {
    std::vector<int> keys;
    for (int key = Qt::Key_Space; key <= Qt::Key_AsciiTilde; ++key) keys.push_back(key);
    for (int key = Qt::Key_Escape; key <= Qt::Key_PageDown; ++key) keys.push_back(key);
    for (int key = Qt::Key_F1; key <= Qt::Key_F24; ++key) keys.push_back(key);
    for (int key : {Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt}) keys.push_back(key);
    return keys;
}

}  // namespace

class KeyTableTest : public QObject {
    Q_OBJECT
private slots:
    void init() { testing::ClearSettings(); }

    void everyKeyWithEveryModifierRunsWhatTheCoreRuns() {
        QtPlatform platform;
        TFormEditor form(platform);
        form.show();
        Editor& editor = form.editor();
        int shortcuts = 0;
        testing::ForEveryModifierSet(
            QtKeys(), [&](int qtKey, Qt::KeyboardModifiers mods, bool keypad) {
                const Qt::KeyboardModifiers sent =
                    mods | (keypad ? Qt::KeypadModifier : Qt::NoModifier);
                const QKeyEvent event(QEvent::KeyPress, qtKey, sent);
                const KeyPress press = KeyPressOf(event);
                if (press.key == 0) return;
                const QString what =
                    QKeySequence(QKeyCombination(mods, Qt::Key(qtKey))).toString() +
                    (keypad ? " (keypad)" : "") + " code " + QString::number(press.key);
                // The core alone: the key table, after the access keys.
                const bool coreMenu = IsMenuAccessKey(editor.menu(), press);
                const KeyRow* coreRow = FindKeyRow(KeyDownRows(), editor, press);
                // The window: a menu shortcut first (none is on the keypad).
                QAction* shortcut = nullptr;
                const QKeySequence sequence(QKeyCombination(mods, Qt::Key(qtKey)));
                for (QAction* action : form.findChildren<QAction*>())
                    for (const QKeySequence& s : action->shortcuts())
                        if (!keypad && s.matches(sequence) == QKeySequence::ExactMatch)
                            shortcut = action;
                if (shortcut) {
                    ++shortcuts;
                    QVERIFY2(!coreMenu, qPrintable(what));
                    const MenuItem& item =
                        MenuItemNamed(editor.menu(), shortcut->objectName().toStdString());
                    QVERIFY2(coreRow, qPrintable(what));
                    QVERIFY2(CommandOf(*coreRow) == item.record,
                             qPrintable(what + " runs " + shortcut->objectName()));
                }
            });
        // Ctrl+L, S, O, Z, Y, Shift+Z, A, D at least.
        QVERIFY(shortcuts >= 8);
    }
};

PIXOLAT_GUI_TEST(KeyTableTest);
#include "key_table_test.moc"
