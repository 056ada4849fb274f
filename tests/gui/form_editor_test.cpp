#include "app/qt/form_editor.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include "gui/gui_test.h"

using namespace pixolat;

class FormEditorTest : public QObject {
    Q_OBJECT
private slots:
    void init() { testing::ClearSettings(); }

    void opensWithCaptionBoundsAndStatusPanels() {
        QtPlatform platform;
        TFormEditor form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.windowTitle(), QString("Varno's Plus/4 Graphics Editor"));
        QCOMPARE(form.geometry().size(), QSize(780, 580));
        QCOMPARE(form.statusBar()->objectName(), QString("StatusBar1"));
        for (int i = 0; i < 3; ++i) QCOMPARE(form.statusPanel(i)->width(), 80);
        QVERIFY(form.statusPanel(3)->width() >= 200);  // the rest of the bar
        QVERIFY(form.statusPanel(0)->alignment() & Qt::AlignRight);
        QVERIFY(form.statusPanel(1)->alignment() & Qt::AlignRight);
        QVERIFY(form.statusPanel(2)->alignment() & Qt::AlignLeft);
        QVERIFY(form.statusPanel(3)->alignment() & Qt::AlignLeft);
        QCOMPARE(form.statusPanel(3)->text(), QString("Ready."));
        QCOMPARE(form.statusPanel(2)->text(), QString("Pixel & Color"));
    }

    void coreStatusAndCaptionReachTheWidgets() {
        QtPlatform platform;
        TFormEditor form(platform);
        form.editor().ShowStatus("Zoom: 16");
        form.editor().SetCaption("Editing Image #5");
        QCOMPARE(form.statusPanel(3)->text(), QString("Zoom: 16"));
        QCOMPARE(form.windowTitle(), QString("Editing Image #5"));
    }

    void keyXOpensTheMaskProcessorAndSShowsTheSourceText() {
        QtPlatform platform;
        int openings = 0;
        platform.openMaskProcessor = [&openings](QWidget*) { ++openings; };
        TFormEditor form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::keyClick(&form, Qt::Key_X);
        QCOMPARE(openings, 1);
        // X opens it whatever modifiers are held.
        QTest::keyClick(&form, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(openings, 2);
        // S opens the Gfx Data window with the default image's text; close it at once.
        QString shown;
        QTimer::singleShot(0, [&shown] {
            if (QWidget* data = QApplication::activeModalWidget()) {
                shown = data->windowTitle();
                data->close();
            }
        });
        QTest::keyClick(&form, Qt::Key_S);
        QCOMPARE(shown, QString("Gfx Data"));
    }

    void exitClosesTheWindow() {
        QtPlatform platform;
        TFormEditor form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QAction* exit = form.action("mnuFileExit");
        QVERIFY(exit);
        QCOMPARE(exit->text(), QString("E&xit"));
        exit->trigger();
        QVERIFY(!form.isVisible());
    }
};

PIXOLAT_GUI_TEST(FormEditorTest);
#include "form_editor_test.moc"
