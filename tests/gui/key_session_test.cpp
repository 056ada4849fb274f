// Random key-by-key sessions sent to the window as real key events: moves
// with and without Shift and Ctrl, value keys held while moving, M moves,
// copy and paste of hires and multicolor blocks, flips, fills and toggles,
// the menu shortcuts and Alt with menu letters. A twin editor takes the same
// keys straight through the key table (menu shortcuts through the menu), and
// both must end with the same image and state; after every key the cursor
// and the selection must lie on whole pixels inside the image.
#include <QApplication>
#include <QTest>
#include <cstring>
#include <random>

#include "app/qt/form_editor.h"
#include "gui/gui_test.h"
#include "support/scripted_platform.h"

using namespace pixolat;

namespace {

struct SessionKey {
    Qt::Key qtKey;
    int code;
    const char* shortcutItem;  // a menu shortcut runs this item; nullptr: the key table
};

// Keys that open no dialog (C only with Ctrl or Shift, see below).
const SessionKey kKeys[] = {
    {Qt::Key_Left, 37, nullptr},  {Qt::Key_Right, 39, nullptr}, {Qt::Key_Up, 38, nullptr},
    {Qt::Key_Down, 40, nullptr},  {Qt::Key_Home, 36, nullptr},  {Qt::Key_End, 35, nullptr},
    {Qt::Key_Space, 32, nullptr}, {Qt::Key_0, '0', nullptr},    {Qt::Key_1, '1', nullptr},
    {Qt::Key_2, '2', nullptr},    {Qt::Key_3, '3', nullptr},    {Qt::Key_M, 'M', nullptr},
    {Qt::Key_H, 'H', nullptr},    {Qt::Key_D, 'D', nullptr},    {Qt::Key_V, 'V', nullptr},
    {Qt::Key_F, 'F', nullptr},    {Qt::Key_I, 'I', nullptr},    {Qt::Key_C, 'C', nullptr},
    {Qt::Key_G, 'G', nullptr},
};

bool SameImage(const Image& a, const Image& b) {
    return a.desc.width == b.desc.width && a.desc.height == b.desc.height &&
           a.desc.pixelWidth == b.desc.pixelWidth &&
           std::memcmp(a.plane.data(), b.plane.data(), kPlaneBytes) == 0 &&
           std::memcmp(a.colmap.data(), b.colmap.data(), kAttributeBytes) == 0 &&
           std::memcmp(a.lummap.data(), b.lummap.data(), kAttributeBytes) == 0;
}

QString StateText(const EditorState& s) {
    return QString("cursor %1,%2 selection %3 %4,%5-%6,%7 value %8 mode %9")
        .arg(s.cursorX)
        .arg(s.cursorY)
        .arg(s.selectionActive)
        .arg(s.selectionAnchorX)
        .arg(s.selectionAnchorY)
        .arg(s.selectionEndX)
        .arg(s.selectionEndY)
        .arg(s.currentPixelValue)
        .arg(int(s.drawingMode));
}

// Whole pixels inside the image: what every key must leave.
bool OnWholePixels(const Editor& editor) {
    const EditorState& s = editor.state();
    const ImageDescriptor& d = editor.currentImage().desc;
    const int pw = d.pixelWidth == 2 ? 2 : 1;
    const auto inside = [&](int x, int y) {
        return x % pw == 0 && x >= 0 && x + pw <= d.width && y >= 0 && y < d.height;
    };
    return inside(s.cursorX, s.cursorY) &&
           (!s.selectionActive || (inside(s.selectionAnchorX, s.selectionAnchorY) &&
                                   inside(s.selectionEndX, s.selectionEndY)));
}

}  // namespace

class KeySessionTest : public QObject {
    Q_OBJECT
private slots:
    void init() { testing::ClearSettings(); }

    void randomSessionsLeaveTheStoreTheTableGives() {
        for (unsigned seed : {1u, 2u, 3u}) {
            QtPlatform platform;
            TFormEditor form(platform);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            testing::ScriptedPlatform twinPlatform;
            Editor twin(twinPlatform);
            twin.FormResize(660, 700, 20);
            // A drawn picture to move, copy and paste.
            for (Editor* e : {&form.editor(), &twin})
                for (int x = 0; x < 64; ++x)
                    for (int y = 0; y < 40; ++y)
                        e->currentImage().plane.at(x, y) = uint8_t((x * 7 + y * 3 + x * y) % 5 < 2);

            std::mt19937 random(seed);
            bool held[std::size(kKeys)] = {};
            for (int step = 0; step < 200; ++step) {
                const std::size_t k = random() % std::size(kKeys);
                const SessionKey& key = kKeys[k];
                Qt::KeyboardModifiers mods;
                ShiftState shift = 0;
                const unsigned roll = random() % 16;
                if (roll < 4) mods |= Qt::ShiftModifier, shift |= kShift;
                if (roll == 5 || roll == 6) mods |= Qt::ControlModifier, shift |= kCtrl;
                if (roll == 7) mods |= Qt::AltModifier, shift |= kAlt;
                // C alone asks for colors, Ctrl+Alt+C writes a file: only
                // the copy and the palette's C are in the session.
                if (key.code == 'C' && !(shift == kCtrl || shift == kShift)) {
                    mods = Qt::ControlModifier;
                    shift = kCtrl;
                }
                const char* shortcut = nullptr;
                if (shift == kCtrl && key.code == 'D') shortcut = "mnuEditDeselect";
                if (shift == kCtrl && key.code == 'A') shortcut = "EditSelectAll";
                // Value keys and M are held over several keys now and then.
                const bool holdable =
                    key.code == 'M' || key.code == ' ' || (key.code >= '0' && key.code <= '3');
                QTest::keyPress(&form, key.qtKey, mods);
                if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
                if (shortcut)
                    twin.RunMenuCommand(shortcut);
                else
                    twin.FormKeyDown(key.code, shift);
                if (holdable && !held[k] && random() % 2) {
                    held[k] = true;
                } else {
                    QTest::keyRelease(&form, key.qtKey, mods);
                    twin.FormKeyUp(key.code, shift);
                    held[k] = false;
                }
                const QByteArray where =
                    "seed " + QByteArray::number(seed) + " step " + QByteArray::number(step) +
                    " key " + QByteArray::number(key.code) + " shift " + QByteArray::number(shift);
                QVERIFY2(OnWholePixels(form.editor()),
                         where + " " + StateText(form.editor().state()).toUtf8());
                QVERIFY2(StateText(form.editor().state()) == StateText(twin.state()),
                         where + " " + StateText(form.editor().state()).toUtf8() + " / " +
                             StateText(twin.state()).toUtf8());
            }
            QVERIFY(SameImage(form.editor().currentImage(), twin.currentImage()));
            QVERIFY(SameImage(form.editor().store().copyBuffer(), twin.store().copyBuffer()));
        }
    }
};

PIXOLAT_GUI_TEST(KeySessionTest);
#include "key_session_test.moc"
