// Every key the window can send, with every set of modifiers, as real key
// events to the window: the commands that start (menu shortcuts, the key
// table's rows on press and release) are those the core alone starts for the
// same key. The platforms skip every command, so no dialog opens and both
// editors stay as they began.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWindow>

#include "app/qt/form_editor.h"
#include "app/qt/virtual_key.h"
#include "gui/gui_test.h"
#include "support/scripted_platform.h"

using namespace pixolat;

namespace {

std::vector<int> QtKeys() {
    std::vector<int> keys;
    for (int key = Qt::Key_Space; key <= Qt::Key_AsciiTilde; ++key) keys.push_back(key);
    for (int key = Qt::Key_Escape; key <= Qt::Key_PageDown; ++key) keys.push_back(key);
    for (int key = Qt::Key_F1; key <= Qt::Key_F24; ++key) keys.push_back(key);
    // Keys the window translates to no code, and keys no row names.
    for (int key : {Qt::Key_CapsLock, Qt::Key_Menu, Qt::Key_Meta, Qt::Key_VolumeUp, Qt::Key_Eacute})
        keys.push_back(key);
    return keys;
}

class RecordingQtPlatform : public QtPlatform {
public:
    bool CommandStarting(std::string_view id) override {
        started += std::string(id) + " ";
        return false;
    }
    std::string started;
};

class RecordingPlatform : public testing::ScriptedPlatform {
public:
    bool CommandStarting(std::string_view id) override {
        started += std::string(id) + " ";
        return false;
    }
    std::string started;
};

}  // namespace

class KeyCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { testing::ClearSettings(); }

    void everyKeyWithEveryModifierStartsWhatTheCoreStarts() {
        RecordingQtPlatform platform;
        TFormEditor form(platform);
        form.show();
        // Menu shortcuts go to the active window only.
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        RecordingPlatform corePlatform;
        Editor core(corePlatform);
        // Away from the edges, so that the cursor rows can run.
        for (Editor* e : {&form.editor(), &core}) {
            e->state().cursorX = 16;
            e->state().cursorY = 16;
        }
        int commands = 0;
        testing::ForEveryModifierSet(QtKeys(), [&](int qtKey, Qt::KeyboardModifiers mods,
                                                   bool keypad) {
            const Qt::KeyboardModifiers sent =
                mods | (keypad ? Qt::KeypadModifier : Qt::NoModifier);
            const KeyPress press = KeyPressOf(QKeyEvent(QEvent::KeyPress, qtKey, sent));
            const QKeySequence sequence(QKeyCombination(mods, Qt::Key(qtKey)));
            const QString what = sequence.toString() + (keypad ? " (keypad)" : "") + " code " +
                                 QString::number(press.key);
            // Alt with a menu's letter opens the menu (its own test's), so no
            // shortcut may take it.
            if (IsMenuAccessKey(core.menu(), press)) {
                for (QAction* action : form.findChildren<QAction*>())
                    for (const QKeySequence& s : action->shortcuts())
                        QVERIFY2(s.matches(sequence) != QKeySequence::ExactMatch,
                                 qPrintable(what + " is taken by " + action->objectName()));
                return;
            }
            corePlatform.started.clear();
            // The window hears the modifier keys go down first, as QTest sends
            // them: each alone is a key without a command.
            const std::pair<Qt::KeyboardModifier, int> modifierKeys[] = {
                {Qt::ShiftModifier, kKeyShift},
                {Qt::ControlModifier, kKeyCtrl},
                {Qt::AltModifier, kKeyAlt}};
            for (const auto& [modifier, key] : modifierKeys)
                if (mods & modifier) core.FormKeyDown(key, 0);
            core.FormKeyDown(press.key, press.shift);
            core.FormKeyUp(press.key, press.shift);
            platform.started.clear();
            // With a text of their own: QTest finds none for keys
            // beyond ASCII, and the window reads none.
            for (QTest::KeyAction action : {QTest::Press, QTest::Release})
                QTest::sendKeyEvent(action, form.windowHandle(), Qt::Key(qtKey), QString(), sent);
            QVERIFY2(!QApplication::activePopupWidget(), qPrintable(what));
            QVERIFY2(platform.started == corePlatform.started,
                     qPrintable(
                         what + ": the window starts " + QString::fromStdString(platform.started) +
                         "where the core starts " + QString::fromStdString(corePlatform.started)));
            if (!platform.started.empty()) ++commands;
        });
        QVERIFY(commands > 500);
    }
};

PIXOLAT_GUI_TEST(KeyCommandsTest);
#include "key_commands_test.moc"
