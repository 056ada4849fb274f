#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>

#include "app/qt/form_editor.h"
#include "app/qt/view_widgets.h"
#include "gui/gui_test.h"

using namespace pixolat;

namespace {

QWidget* Child(TFormEditor& form, const char* name) {
    return form.findChild<QWidget*>(QString::fromLatin1(name));
}

QRect InClient(QWidget* widget, TFormEditor& form) {
    return QRect(widget->mapTo(form.centralWidget(), QPoint(0, 0)), widget->size());
}

}  // namespace

class ViewAreaTest : public QObject {
    Q_OBJECT
private slots:
    void init() { testing::ClearSettings(); }

    void controlsFollowTheCoreLayout() {
        QtPlatform platform;
        TFormEditor form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const int w = form.centralWidget()->width();
        const int h = form.centralWidget()->height();  // status bar not included
        const int view = h - 204;
        QCOMPARE(InClient(Child(form, "ScrollBox1"), form), QRect(0, 0, w, view));
        QCOMPARE(InClient(Child(form, "img"), form), QRect(0, 0, w - 20, view - 20));
        QCOMPARE(InClient(Child(form, "xScroll"), form), QRect(0, view - 20, w - 20, 16));
        QCOMPARE(InClient(Child(form, "yScroll"), form), QRect(w - 20, 0, 16, view - 20));
        QCOMPARE(InClient(Child(form, "SplitterColorPalette"), form), QRect(0, view, w, 4));
        QCOMPARE(InClient(Child(form, "PanelColorPalette"), form), QRect(0, view + 4, w, 200));
        QCOMPARE(InClient(Child(form, "imgColorPalette"), form), QRect(0, view + 4, w - 324, 200));
        QCOMPARE(InClient(Child(form, "SplitterPreview"), form), QRect(w - 324, view + 4, 4, 200));
        QCOMPARE(InClient(Child(form, "imgPreview"), form), QRect(w - 320, view + 4, 320, 200));
        QCOMPARE(form.editor().view().canvas.width, w - 20);
        QCOMPARE(form.editor().view().canvas.height, view - 20);

        QAction* palette = form.action("mnuViewColorPaletteAndPreview");
        QVERIFY(palette && palette->isCheckable() && palette->isChecked());
        palette->trigger();
        QVERIFY(!palette->isChecked());
        QVERIFY(!Child(form, "PanelColorPalette")->isVisible());
        QVERIFY(!Child(form, "SplitterColorPalette")->isVisible());
        QCOMPARE(Child(form, "img")->height(), h - 20);
        palette->trigger();
        QVERIFY(Child(form, "PanelColorPalette")->isVisible());
    }

    // What the widgets show is the core's pictures, pixel for pixel.
    void widgetsPaintTheCoreBuffersOneToOne() {
        QtPlatform platform;
        TFormEditor form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const View& view = form.editor().view();
        const struct {
            const char* name;
            const RgbBuffer* buffer;
        } cases[] = {{"img", &view.canvas},
                     {"imgColorPalette", &view.palette},
                     {"imgPreview", &view.preview}};
        for (const auto& c : cases) {
            QWidget* widget = Child(form, c.name);
            const QImage shown = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
            QCOMPARE(shown.width(), c.buffer->width);
            QCOMPARE(shown.height(), c.buffer->height);
            QVERIFY(c.buffer->width > 100);
            int differing = 0;
            for (int y = 0; y < shown.height(); ++y)
                for (int x = 0; x < shown.width(); ++x)
                    if ((shown.pixel(x, y) | 0xFF000000u) != c.buffer->at(x, y)) ++differing;
            QCOMPARE(differing, 0);
        }
        QCOMPARE(form.statusPanel(0)->text(), QString("0,0"));
        QCOMPARE(form.statusPanel(1)->text(), QString("0 $51"));
    }

    // On an image a few columns wider than the view the thumb is short and
    // sits where the view is, not spread over most of the bar.
    void aShortScrollRangeShowsAShortThumbWhereTheViewIs() {
        QtPlatform platform;
        TFormEditor form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        Editor& editor = form.editor();
        const int visible = 320 - editor.view().xScroll.max();
        editor.currentImage().desc.width = visible + 4;
        QTest::keyClick(&form, Qt::Key_G);  // fits the scroll bars anew
        auto* bar = dynamic_cast<ScrollBarWidget*>(Child(form, "xScroll"));
        QVERIFY(bar);
        QCOMPARE(bar->maximum(), 4);
        const auto rect = [bar](QStyle::SubControl part) {
            QStyleOptionSlider option;
            bar->initStyleOption(&option);
            return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar);
        };
        const QRect groove = rect(QStyle::SC_ScrollBarGroove);
        QVERIFY2(rect(QStyle::SC_ScrollBarSlider).width() < groove.width() / 4, "a short thumb");
        QVERIFY(rect(QStyle::SC_ScrollBarSlider).left() <= groove.left() + 1);
        bar->setValue(4);
        QCOMPARE(editor.view().xScroll.position(), 4);
        QVERIFY(rect(QStyle::SC_ScrollBarSlider).right() >= groove.right() - 1);
    }

    void scrollBarsKeysAndPaletteReachTheCore() {
        QtPlatform platform;
        TFormEditor form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        Editor& editor = form.editor();
        auto* xScroll = static_cast<QScrollBar*>(Child(form, "xScroll"));
        QCOMPARE(xScroll->maximum(), editor.view().xScroll.max());
        QVERIFY(xScroll->isEnabled());
        QCOMPARE(xScroll->pageStep(), 32);
        xScroll->setValue(7);
        QCOMPARE(editor.view().xScroll.position(), 7);
        // The wheel over the view scrolls down by its lines per notch, with Shift sideways.
        const auto wheel = [&](QPoint delta, Qt::KeyboardModifiers modifiers) {
            QWheelEvent event(QPointF(5, 5), QPointF(5, 5), {}, delta, Qt::NoButton, modifiers,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(Child(form, "img"), &event);
        };
        const int lines = QApplication::wheelScrollLines();
        wheel(QPoint(0, -120), Qt::NoModifier);
        QCOMPARE(editor.view().yScroll.position(), lines);
        wheel(QPoint(0, 120), Qt::ShiftModifier);
        QCOMPARE(editor.view().xScroll.position(), 7 - lines);
        QCOMPARE(editor.view().yScroll.position(), lines);

        QTest::keyClick(&form, Qt::Key_G);
        QCOMPARE(int(editor.view().gridSetting), int(GridSetting::NoGrid));
        // Zoom is on the keypad's + and -, and on the main block's + and -.
        QTest::keyClick(&form, Qt::Key_Plus, Qt::ShiftModifier);
        QCOMPARE(editor.view().zoom, 11);
        QTest::keyClick(&form, Qt::Key_Minus);
        QCOMPARE(editor.view().zoom, 10);
        QTest::keyClick(&form, Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(editor.view().zoom, 11);
        QCOMPARE(form.statusPanel(3)->text(), QString("Zoom: 11"));
        // A held key's repeated presses repeat the command.
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Plus, Qt::KeypadModifier, "+", true);
        QApplication::sendEvent(&form, &repeat);
        QCOMPARE(editor.view().zoom, 12);
        QTest::keyClick(&form, Qt::Key_Minus, Qt::KeypadModifier);
        QTest::keyClick(&form, Qt::Key_Minus, Qt::KeypadModifier);
        QTest::keyClick(&form, Qt::Key_Z);
        QCOMPARE(editor.view().zoom, 1);
        QVERIFY(!xScroll->isEnabled());

        QWidget* palette = Child(form, "imgColorPalette");
        const int cw = editor.view().paletteCellWidth, ch = editor.view().paletteCellHeight;
        QTest::mouseClick(palette, Qt::LeftButton, {}, QPoint(3 * cw + 2, 5 * ch + 2));
        QCOMPARE(form.statusPanel(3)->text(), QString("Current color: $52"));
    }

    void draggingTheSplittersResizesThePaletteArea() {
        QtPlatform platform;
        TFormEditor form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QWidget* splitter = Child(form, "SplitterColorPalette");
        QTest::mousePress(splitter, Qt::LeftButton, {}, QPoint(10, 2));
        QTest::mouseRelease(splitter, Qt::LeftButton, {}, QPoint(10, 2 - 23));
        QCOMPARE(form.editor().view().paletteHeight, 224);  // 223 snapped to whole 8 rows
        QCOMPARE(Child(form, "PanelColorPalette")->height(), 224);

        QWidget* preview = Child(form, "SplitterPreview");
        QTest::mousePress(preview, Qt::LeftButton, {}, QPoint(2, 10));
        QTest::mouseRelease(preview, Qt::LeftButton, {}, QPoint(2 + 40, 10));
        QCOMPARE(Child(form, "imgPreview")->width(), 280);
        QCOMPARE(form.editor().view().preview.width, 280);
    }

    // A small window keeps a view with one block of the highest zoom: the
    // palette area gives way first, and the window goes no smaller.
    void aSmallWindowKeepsTheViewAndShrinksThePaletteFirst() {
        QtPlatform platform;
        TFormEditor form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.editor().view().zoom = 64;
        form.resize(420, 300);
        QTRY_COMPARE(form.size(), QSize(420, 300));
        QWidget* img = Child(form, "img");
        QVERIFY(img->isVisible() && Child(form, "xScroll")->isVisible());
        QVERIFY(img->width() >= 130);  // a multicolor block with its lines at zoom 64
        QVERIFY(img->height() >= 66);
        QVERIFY(Child(form, "PanelColorPalette")->height() < 200);
        QCOMPARE(form.editor().view().paletteHeight, 200);  // back at full size once room returns
        form.resize(780, 580);
        QTRY_COMPARE(Child(form, "PanelColorPalette")->height(), 200);

        form.resize(50, 50);
        QTest::qWait(20);
        QVERIFY(form.width() >= 130 && form.height() > 66);
        QVERIFY(img->width() >= 130 && img->height() >= 66);
    }

    // The last status panel takes the bar's free width; a text too long even
    // for that is cut with "…" and shown whole as the tooltip.
    void theLastStatusPanelTakesTheRestOfTheBar() {
        QtPlatform platform;
        TFormEditor form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QLabel* last = form.statusPanel(3);
        QVERIFY(last->width() > 780 - 3 * 80 - 60);
        const QString text = "Loaded PRG file (/home/user/pictures/" + QString(60, 'p') + ".prg)";
        form.Run([&] { form.editor().ShowStatus(text.toStdString()); });
        QCOMPARE(last->text(), text);
        QCOMPARE(last->toolTip(), text);
        form.resize(400, 580);
        QTRY_VERIFY(last->width() < 200);
        QCOMPARE(last->text(), text);  // cut only where it is drawn
    }
};

PIXOLAT_GUI_TEST(ViewAreaTest);
#include "view_area_test.moc"
