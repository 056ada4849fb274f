// Drawing with the mouse on the real view, the Draw and Edit menus, and the
// Image Properties dialog, as a user drives them.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/qt/form_editor.h"
#include "app/qt/form_properties.h"
#include "document/pixels.h"
#include "gui/gui_test.h"

using namespace pixolat;
using pixolat::testing::DragTo;

namespace {

// Runs `open`, which shows the Image Properties dialog modally, and `inside`
// once the dialog is up.
void WithPropertiesDialog(const std::function<void()>& open,
                          const std::function<void(TFormProperties&)>& inside) {
    bool seen = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* form = qobject_cast<TFormProperties*>(QApplication::activeModalWidget());
        if (!form || !form->isVisible()) return;
        poll.stop();
        seen = true;
        inside(*form);
        if (form->isVisible()) form->reject();
    });
    poll.start();
    open();
    QVERIFY(seen);
}

}  // namespace

class EditingTest : public QObject {
    Q_OBJECT
private slots:
    // The window's clock runs: clicks far apart are two clicks.
    void twoClicksOnAPaletteColorAreADoubleClickOnlyWhenQuick() {
        QtPlatform platform;
        TFormEditor form(platform);
        form.show();
        auto* palette = form.findChild<QWidget*>("imgColorPalette");
        QVERIFY(palette);
        const View& view = form.editor().view();
        const QPoint cell(5 * view.paletteCellWidth + 2, 3 * view.paletteCellHeight + 2);
        const History& history = form.editor().undo().history();
        QTest::mouseClick(palette, Qt::LeftButton, {}, cell);
        QTest::qWait(700);
        QTest::mouseClick(palette, Qt::LeftButton, {}, cell);
        QVERIFY(history.undoName() != "Set Color");
        QTest::mouseClick(palette, Qt::LeftButton, {}, cell);
        QCOMPARE(history.undoName(), std::string("Set Color"));
    }

    void aClickAndADragOnTheViewDrawPixels() {
        QtPlatform platform;
        TFormEditor form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        Editor& editor = form.editor();
        editor.state().currentPixelValue = 1;
        auto* img = form.findChild<QWidget*>("img");
        // Zoom 10 with corner dots: pixel (x, y) lies at view (10 x, 10 y).
        QTest::mousePress(img, Qt::LeftButton, {}, QPoint(15, 25));
        DragTo(img, QPoint(95, 25));
        DragTo(img, QPoint(95, 75));
        QTest::mouseRelease(img, Qt::LeftButton, {}, QPoint(95, 75));
        const Image& image = editor.currentImage();
        for (int x = 1; x <= 9; ++x) QCOMPARE(int(image.plane.at(x, 2)), 1);
        for (int y = 2; y <= 7; ++y) QCOMPARE(int(image.plane.at(9, y)), 1);
        QCOMPARE(int(image.plane.at(0, 2)), 0);
        QCOMPARE(form.statusPanel(0)->text(), QString("9,7"));
        // The widget shows the drawn pixel in cell color 1 ($31).
        const QImage shown = img->grab().toImage();
        QCOMPARE(shown.pixel(55, 25) | 0xFF000000u, editor.view().canvas.at(55, 25));
        QCOMPARE(editor.view().canvas.at(55, 25), DisplayColor(editor.state().rgbTable[0x31]));
    }

    void drawAndEditMenusRunTheirCommands() {
        QtPlatform platform;
        TFormEditor form(platform);
        QAction* fill = form.action("mnuDrawFill");
        QAction* selectAll = form.action("EditSelectAll");
        QAction* deselect = form.action("mnuEditDeselect");
        QVERIFY(fill && selectAll && deselect && form.action("mnuDrawSetColor"));
        QCOMPARE(form.action("mnuDrawPixel0")->text(), QString("Draw Pixel #0\t0"));
        QCOMPARE(selectAll->shortcut(), QKeySequence("Ctrl+A"));
        QCOMPARE(deselect->shortcut(), QKeySequence("Ctrl+D"));

        form.editor().state().currentPixelValue = 1;
        fill->trigger();
        QCOMPARE(PixelValueAt(form.editor().currentImage(), 319, 199), 1);
        selectAll->trigger();
        QCOMPARE(form.statusPanel(3)->text(), QString("All pixels selected."));
        deselect->trigger();
        QCOMPARE(form.statusPanel(3)->text(), QString("Selection cleared."));
        form.action("mnuViewImageNext")->trigger();
        QCOMPARE(form.windowTitle(), QString("Editing Image #1"));
        QCOMPARE(form.statusPanel(3)->text(), QString("Editing Image #1: (untitled)"));
    }

    void imagePropertiesShowsTheImageAndAppliesWhatWasTyped() {
        QtPlatform platform;
        TFormEditor form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        WithPropertiesDialog([&] { form.action("mnuViewImageProperties")->trigger(); },
                             [&](TFormProperties& d) {
                                 QCOMPARE(d.windowTitle(), QString("Image Properties"));
                                 QCOMPARE(d.size(), QSize(241, 321));
                                 QCOMPARE(d.EditWidth->text(), QString("320"));
                                 QCOMPARE(d.EditHeightC->text(), QString("25"));
                                 QVERIFY(!d.chkHires->isChecked());
                                 QVERIFY(d.cm[1]->isChecked() && d.lay[0]->isChecked());
                                 QTest::keyClicks(d.EditWidthC, "+");
                                 QCOMPARE(d.EditWidthC->text(), QString("41"));
                                 QCOMPARE(d.EditWidth->text(), QString("328"));
                                 d.EditHeight->clear();
                                 QTest::keyClicks(d.EditHeight, "64");
                                 QCOMPARE(d.windowTitle(), QString("52"));
                                 QCOMPARE(d.EditHeightC->text(), QString("8"));
                                 QTest::keyClicks(d.EditName, "logo");
                                 d.chkHires->click();
                                 d.cm[2]->click();
                                 QTest::mouseClick(d.cmdOk, Qt::LeftButton);
                             });
        const ImageDescriptor& desc = form.editor().currentImage().desc;
        QCOMPARE(QString::fromStdString(desc.name), QString("logo"));
        QCOMPARE(desc.width, 328);
        QCOMPARE(desc.height, 64);
        QCOMPARE(desc.pixelWidth, 2);
        QCOMPARE(desc.colorMapKind, ColorMapKind::Dfli);
        // The preview takes the image's size.
        QCOMPARE(form.findChild<QWidget*>("imgPreview")->width(), 328);

        WithPropertiesDialog([&] { form.action("mnuViewImageProperties")->trigger(); },
                             [&](TFormProperties& d) {
                                 d.EditWidth->clear();
                                 QTest::keyClicks(d.EditWidth, "8");
                                 QTest::mouseClick(d.cmdCancel, Qt::LeftButton);
                             });
        QCOMPARE(desc.width, 328);
    }
};

PIXOLAT_GUI_TEST(EditingTest);
#include "editing_test.moc"
