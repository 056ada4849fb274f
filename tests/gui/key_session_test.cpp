// Random key-by-key sessions sent to the window as real key events (moves
// with Shift and Ctrl, value keys held while moving, M moves, copy and paste
// of hires and multicolor blocks, flips, fills, toggles, menu shortcuts and
// Alt with menu letters). A twin editor takes the same keys straight through
// the key table: both must end with the same
// image and state, and after every key the cursor and the selection lie on
// whole pixels inside the image.
#include <QApplication>
#include <QTest>
#include <cstring>
#include <random>

#include "app/qt/form_editor.h"
#include "gui/gui_test.h"
#include "support/scripted_platform.h"

using namespace pixolat;

namespace {

// Keys that open no dialog; C goes with Ctrl or Shift only (see below).
const std::pair<Qt::Key, int> kKeys[] = {
    {Qt::Key_Left, 37}, {Qt::Key_Right, 39}, {Qt::Key_Up, 38},    {Qt::Key_Down, 40},
    {Qt::Key_Home, 36}, {Qt::Key_End, 35},   {Qt::Key_Space, 32}, {Qt::Key_1, '1'},
    {Qt::Key_2, '2'},   {Qt::Key_3, '3'},    {Qt::Key_M, 'M'},    {Qt::Key_H, 'H'},
    {Qt::Key_D, 'D'},   {Qt::Key_V, 'V'},    {Qt::Key_F, 'F'},    {Qt::Key_I, 'I'},
    {Qt::Key_C, 'C'},   {Qt::Key_A, 'A'},
};

std::string Seen(const Editor& e) {
    const EditorState& s = e.state();
    const Image& image = e.currentImage();
    const int pw = image.desc.pixelWidth == 2 ? 2 : 1;
    const auto inside = [&](int x, int y) {
        return x % pw == 0 && x >= 0 && x + pw <= image.desc.width && y >= 0 &&
               y < image.desc.height;
    };
    const bool whole = inside(s.cursorX, s.cursorY) &&
                       (!s.selectionActive || (inside(s.selectionAnchorX, s.selectionAnchorY) &&
                                               inside(s.selectionEndX, s.selectionEndY)));
    return (whole ? "" : "OFF PIXELS ") + std::to_string(s.cursorX) + "," +
           std::to_string(s.cursorY) + " sel " + std::to_string(s.selectionActive) + " " +
           std::to_string(s.selectionAnchorX) + "," + std::to_string(s.selectionAnchorY) + "-" +
           std::to_string(s.selectionEndX) + "," + std::to_string(s.selectionEndY) + " pw " +
           std::to_string(pw) + " mode " + std::to_string(int(s.drawingMode)) + " pixels " +
           std::to_string(std::hash<std::string_view>()(
               std::string_view(reinterpret_cast<const char*>(image.plane.data()), kPlaneBytes))) +
           " colors " +
           std::to_string(std::hash<std::string_view>()(std::string_view(
               reinterpret_cast<const char*>(image.colmap.data()), kAttributeBytes)));
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
            // Menu shortcuts and access keys go to the active window only.
            form.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&form));
            testing::ScriptedPlatform twinPlatform;
            Editor twin(twinPlatform);
            twin.viewArea().FormResize(660, 700, 20);
            for (Editor* e : {&form.editor(), &twin})
                for (int x = 0; x < 64; ++x)
                    for (int y = 0; y < 40; ++y)
                        e->currentImage().plane.at(x, y) = uint8_t((x * 7 + y * 3 + x * y) % 5 < 2);
            std::mt19937 random(seed);
            bool held[std::size(kKeys)] = {};
            for (int step = 0; step < 200; ++step) {
                const std::size_t k = random() % std::size(kKeys);
                const auto [qtKey, code] = kKeys[k];
                const unsigned roll = random() % 16;
                ShiftState shift = roll < 4 ? kShift : roll < 6 ? kCtrl : roll == 6 ? kAlt : 0u;
                // C alone asks for colors and Ctrl+Alt+C writes a file.
                if (code == 'C' && shift != kShift) shift = kCtrl;
                const Qt::KeyboardModifiers mods =
                    (shift & kShift ? Qt::ShiftModifier : Qt::NoModifier) |
                    (shift & kCtrl ? Qt::ControlModifier : Qt::NoModifier) |
                    (shift & kAlt ? Qt::AltModifier : Qt::NoModifier);
                QTest::keyPress(&form, qtKey, mods);
                // A menu that opens releases the held keys.
                const bool menuOpened = QApplication::activePopupWidget() != nullptr;
                if (menuOpened) QApplication::activePopupWidget()->close();
                // Menu shortcuts (Ctrl+A, Ctrl+D) too: the key table serves them alike.
                twin.FormKeyDown(code, shift);
                if (menuOpened) twin.ReleaseHeldKeys();
                // Value keys and M stay down over a few keys now and then.
                const bool holdable = code == 'M' || code == ' ' || (code >= '1' && code <= '3');
                held[k] = holdable && !held[k] && random() % 2;
                if (!held[k]) {
                    QTest::keyRelease(&form, qtKey, mods);
                    twin.FormKeyUp(code, shift);
                }
                QCOMPARE(QString::fromStdString(Seen(form.editor())),
                         QString::fromStdString(Seen(twin)));
                QVERIFY2(Seen(twin).rfind("OFF", 0) != 0, Seen(twin).c_str());
            }
        }
    }
};

PIXOLAT_GUI_TEST(KeySessionTest);
#include "key_session_test.moc"
