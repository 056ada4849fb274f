// The tool bar as a user drives it: a tool chosen by its button, a
// rectangle dragged with real mouse events, a value swatch clicked, and the
// wheel with Ctrl zooming.
#include "app/qt/tool_bar.h"

#include <QAction>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include "app/qt/form_editor.h"
#include "document/pixels.h"
#include "gui/gui_test.h"

using namespace pixolat;
using pixolat::testing::DragTo;

class ToolBarTest : public QObject {
    Q_OBJECT
private slots:
    void aToolBarButtonChoosesTheToolAndADragDrawsTheRectangle() {
        QtPlatform platform;
        TFormEditor form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        Editor& editor = form.editor();
        ToolBar* bar = form.toolBar();
        QVERIFY(bar && bar->isVisible());
        QAction* rectangle = form.action("mnuToolsRectangle");
        QVERIFY(!rectangle->icon().isNull());
        QCOMPARE(rectangle->toolTip(), QString("Rectangle (Q)"));
        auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(rectangle));
        QVERIFY(button && button->isVisible());
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(rectangle->isChecked());
        QVERIFY(!form.action("mnuToolsFreehand")->isChecked());
        // A photograph comes in by its own button and Ctrl+Shift+O.
        QAction* import = form.action("mnuFileImportPicture");
        QVERIFY(bar->widgetForAction(import) && !import->icon().isNull());
        QCOMPARE(import->shortcut(), QKeySequence("Ctrl+Shift+O"));
        QCOMPARE(form.statusPanel(3)->text(), QString("Value 0 - Rectangle"));

        // Value 1 by its swatch; the swatch shows cell color 1 ($31) of the cursor's cell.
        QTest::mouseClick(bar->swatch(1), Qt::LeftButton);
        QCOMPARE(editor.state().currentPixelValue, 1);
        QCOMPARE(bar->swatch(1)->toolTip(), QString("Value 1: $31, drawing with it"));
        QVERIFY(bar->swatch(1)->isChecked() && !bar->swatch(0)->isChecked());

        // Zoom 10 with corner dots: pixel (x, y) lies at view (10 x, 10 y).
        auto* img = form.findChild<QWidget*>("img");
        QTest::mousePress(img, Qt::LeftButton, {}, QPoint(25, 35));
        DragTo(img, QPoint(65, 45));
        DragTo(img, QPoint(85, 75));
        // While dragged the rectangle is over the view only.
        QCOMPARE(int(editor.currentImage().plane.at(2, 3)), 0);
        QCOMPARE(editor.view().canvas.at(55, 35), DisplayColor(editor.state().rgbTable[0x31]));
        QTest::mouseRelease(img, Qt::LeftButton, {}, QPoint(85, 75));
        const Image& image = editor.currentImage();
        for (int x = 2; x <= 8; ++x) {
            QCOMPARE(int(image.plane.at(x, 3)), 1);
            QCOMPARE(int(image.plane.at(x, 7)), 1);
        }
        for (int y = 3; y <= 7; ++y) QCOMPARE(int(image.plane.at(2, y) + image.plane.at(8, y)), 2);
        QCOMPARE(int(image.plane.at(5, 5)), 0);
        QCOMPARE(form.action("mnuEditUndo")->text(), QString("&Undo Rectangle"));

        // Ctrl + wheel zooms in around the pointer.
        const int zoom = editor.view().zoom;
        QWheelEvent wheel(QPointF(55, 55), img->mapToGlobal(QPointF(55, 55)), QPoint(),
                          QPoint(0, 120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(img, &wheel);
        QCOMPARE(zoom, 10);
        QCOMPARE(editor.view().zoom, 12);  // the wheel's steps grow with the zoom
        QCOMPARE(editor.viewArea().ViewToImage(55, 55).x, 5);
    }
};

PIXOLAT_GUI_TEST(ToolBarTest);
#include "tool_bar_test.moc"
