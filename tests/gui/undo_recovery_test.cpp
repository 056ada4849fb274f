// Undo on the real window (a stroke and Ctrl+Z), and the recovery file
// written when the window closes and read back by Recover Last Session.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>

#include "app/qt/form_editor.h"
#include "edit/recovery.h"
#include "formats/source_text.h"
#include "gui/gui_test.h"

using namespace pixolat;
using pixolat::testing::DragTo;

class UndoRecoveryTest : public QObject {
    Q_OBJECT
private slots:
    void ctrlZAfterAStrokeShowsThePictureFromBeforeIt() {
        QtPlatform platform;
        TFormEditor form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        Editor& editor = form.editor();
        editor.state().currentPixelValue = 1;
        auto* img = form.findChild<QWidget*>("img");
        QVERIFY(!form.action("mnuEditUndo")->isEnabled());
        const QImage before = img->grab().toImage();

        QTest::mousePress(img, Qt::LeftButton, {}, QPoint(15, 25));
        DragTo(img, QPoint(95, 25));
        DragTo(img, QPoint(95, 75));
        QTest::mouseRelease(img, Qt::LeftButton, {}, QPoint(95, 75));
        QCOMPARE(int(editor.currentImage().plane.at(5, 2)), 1);
        QVERIFY(img->grab().toImage() != before);
        QVERIFY(form.action("mnuEditUndo")->isEnabled());
        QVERIFY(form.action("mnuEditUndo")->text().startsWith("&Undo Draw"));

        const int zoom = editor.view().zoom;
        QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(int(editor.currentImage().plane.at(5, 2)), 0);
        QCOMPARE(editor.view().zoom, zoom);
        // The stroke is gone from the view; only the cursor mark moved with it.
        const QImage undone = img->grab().toImage();
        QCOMPARE(undone.pixel(55, 25), before.pixel(55, 25));
        QCOMPARE(undone.pixel(95, 55), before.pixel(95, 55));
        QVERIFY(!form.action("mnuEditUndo")->isEnabled());
        QVERIFY(form.action("mnuEditRedo")->isEnabled());
    }

    void closingAChangedSessionKeepsItForRecoverLastSession() {
        QtPlatform platform;
        QDir folder(QString::fromStdString(platform.DataFolder()));
        for (const QString& name : folder.entryList({"session-*.asm"}, QDir::Files))
            folder.remove(name);
        std::string saved;
        {
            TFormEditor form(platform);
            form.show();
            QVERIFY(!form.action("mnuFileRecover")->isEnabled());
            form.editor().state().currentPixelValue = 1;
            form.action("mnuDrawFill")->trigger();
            form.editor().currentImage().desc.name = "Kept";
            saved = SaveSourceText(form.editor().store());
            form.close();
            QVERIFY(QFile::exists(QString::fromStdString(form.editor().recovery().path())));
        }
        QtPlatform nextPlatform;
        TFormEditor next(nextPlatform);
        // The next start is the usual one, with the last session one command away.
        QCOMPARE(next.editor().currentImage().desc.name, std::string());
        QAction* recover = next.action("mnuFileRecover");
        QVERIFY(recover->isEnabled());
        QCOMPARE(recover->text(), QString("Rec&over Last Session"));
        QVERIFY(recover->menu());
        QAction* session = next.action("mnuFileRecover1");
        QVERIFY(session->isVisible());
        QVERIFY(session->text().startsWith("Today "));
        QVERIFY(!next.action("mnuFileRecover2")->isVisible());
        session->trigger();
        QCOMPARE(SaveSourceText(next.editor().store()), saved);
        QCOMPARE(next.editor().currentImage().desc.name, std::string("Kept"));
    }
};

PIXOLAT_GUI_TEST(UndoRecoveryTest);
#include "undo_recovery_test.moc"
