// The editor window's frame: settings at start and close, the screens stored
// bounds must lie on, dropped files, keys and help, the dialogs' folder.
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <tuple>

#include "app/qt/form_editor.h"
#include "app/qt/virtual_key.h"
#include "document/pixels.h"
#include "gui/gui_test.h"

using namespace pixolat;

namespace {

void DropFiles(TFormEditor& form, const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &enter);
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &drop);
    QCoreApplication::processEvents();
}

}  // namespace

class ShellTest : public QObject {
    Q_OBJECT
private slots:
    void init() { testing::ClearSettings(); }

    void aFirstRunMatchesTheDefaultsAndCloseStoresWhatTheNextStartReads() {
        QtPlatform platform;
        {
            TFormEditor form(platform);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QCOMPARE(form.geometry(), QRect(240, 100, 780, 580));
            QVERIFY(!form.action("mnuFile4")->isVisible());
            form.setGeometry(60, 70, 700, 500);
            form.action("mnuViewColorPaletteAndPreview")->trigger();
            form.action("mnuFileExit")->trigger();
        }
        QCOMPARE(QSettings("Varno", "Pixolat").value("ColorPalette").toInt(), 0);
        TFormEditor next(platform);
        next.show();
        QVERIFY(QTest::qWaitForWindowExposed(&next));
        QCOMPARE(next.geometry(), QRect(60, 70, 700, 500));
        QVERIFY(!next.findChild<QWidget*>("PanelColorPalette")->isVisible());

        // Bounds from a monitor no longer there put the window on the first screen.
        const QList<QRect> screens = {QRect(0, 0, 1280, 1024), QRect(1280, 0, 1920, 1080)};
        QCOMPARE(BoundsOnScreens(QRect(1500, 50, 780, 580), screens, QPoint(240, 100)),
                 QRect(1500, 50, 780, 580));
        for (const QRect& lost : {QRect(-2000, 100, 780, 580), QRect(100, -600, 780, 580)})
            QCOMPARE(BoundsOnScreens(lost, screens, QPoint(240, 100)), QRect(240, 100, 780, 580));
        QCOMPARE(BoundsOnScreens(QRect(0, 0, 99999, -5), screens, QPoint(240, 100)),
                 QRect(0, 0, 1280, 150));
    }

    void anUnwritableStoreStartsAndClosesNormally() {
        QTemporaryDir dir;
        QFile blocker(dir.filePath("file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QtPlatform platform;
        platform.UseSettingsFile(dir.filePath("file/Pixolat.conf"));
        TFormEditor form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.close();
        QVERIFY(!form.isVisible());
    }

    void anUnreadableStoreIsKeptAsideAndWrittenAfreshAtClose() {
        const QString note =
            "The settings could not be read; the file is kept as Pixolat.conf.bad and new "
            "settings are saved at close.";
        // A section cut short, another format, a folder or a pipe in the
        // store's place (a pipe hung the start), a store of megabytes.
        const QByteArray pipe("pipe"), folder;
        for (const QByteArray& bad :
             {QByteArray("[General\nZoom=3\n"), QByteArray("<?xml version=\"1.0\"?>\n<settings>\n"),
              folder, pipe, "[General]\n;" + QByteArray(2 << 20, 'x') + "\nZoom=3\n"}) {
            QTemporaryDir dir;
            const QString store = dir.filePath("Pixolat.conf");
            if (bad == folder) {
                QVERIFY(QDir().mkdir(store));
            } else if (bad == pipe) {
                QVERIFY(mkfifo(QFile::encodeName(store).constData(), 0600) == 0);
            } else {
                QFile file(store);
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write(bad);
            }
            QtPlatform platform;
            platform.UseSettingsFile(store);
            {
                TFormEditor form(platform);
                form.show();
                QVERIFY(QTest::qWaitForWindowExposed(&form));
                QCOMPARE(form.statusPanel(3)->text(), note);
                form.close();
            }
            const QFileInfo kept(store + ".bad");
            QVERIFY(bad == folder ? kept.isDir() : kept.exists() && kept.isFile() == (bad != pipe));
            QSettings fresh(store, QSettings::IniFormat);
            QCOMPARE(fresh.status(), QSettings::NoError);
            QVERIFY(fresh.contains("WindowState"));
        }
        // A good store says nothing, and the next start reads it.
        QTemporaryDir dir;
        QtPlatform platform;
        platform.UseSettingsFile(dir.filePath("Pixolat.conf"));
        TFormEditor form(platform);
        QVERIFY(form.statusPanel(3)->text() != note);
        // Raw bytes in a status text show escaped, never as a cursor move or "?".
        form.editor().ShowStatus("Loaded \x1b[2J\xff.prg");
        QCOMPARE(form.statusPanel(3)->text(), QString("Loaded \\x1b[2J\\xff.prg"));
    }

    void droppedFoldersAndMissingFilesAreSkipped() {
        QTemporaryDir dir;
        QStringList hundred;
        for (int i = 0; i < 98; ++i) hundred << dir.filePath(QString("gone%1.prg").arg(i));
        hundred << dir.path() << dir.filePath("y.PRG");
        QFile prg(hundred.last());
        QVERIFY(prg.open(QIODevice::WriteOnly));
        prg.write(QByteArray(1, '\0') + QByteArray(1, 0x18) + QByteArray(10048, '\0'));
        prg.close();
        QtPlatform platform;
        TFormEditor form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        DropFiles(form, {dir.path(), dir.filePath("gone.prg")});
        QCOMPARE(form.statusPanel(3)->text(), QString("Ready."));
        DropFiles(form, hundred);
        QCOMPARE(form.statusPanel(3)->text(), "Loaded PRG file (" + hundred.last() + ")");
    }

    void realKeysReachTheKeyTableAndHelpOpensAWindow() {
        QtPlatform platform;
        TFormEditor form(platform);
        form.show();
        // Menu access keys go to the active window only.
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, Qt::Key_Right);
        QTest::keyClick(&form, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(form.statusPanel(0)->text(), QString("1,8"));
        QTest::keyClick(&form, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(form.windowTitle(), QString("Unhandled keypress: 9"));
        // Shift alone is a key without a command, as every modifier is.
        QTest::keyPress(&form, Qt::Key_Shift);
        QCOMPARE(form.windowTitle(), QString("Unhandled keypress: 16"));
        QTest::keyRelease(&form, Qt::Key_Shift);
        // Auto-repeated releases while 1 is held do not lift it.
        QTest::keyPress(&form, Qt::Key_1);
        QKeyEvent repeated(QEvent::KeyRelease, Qt::Key_1, Qt::NoModifier, QString("1"), true);
        QApplication::sendEvent(&form, &repeated);
        QTest::keyClick(&form, Qt::Key_Right);
        QTest::keyRelease(&form, Qt::Key_1);
        QCOMPARE(PixelValueAt(form.editor().currentImage(), 2, 8), 1);

        QTest::keyClick(&form, Qt::Key_D, Qt::AltModifier);
        QWidget* popup = QApplication::activePopupWidget();
        QVERIFY(popup);
        QCOMPARE(popup->objectName(), QString("mnuDraw"));
        // F1 on a highlighted item shows its topic, in a window of its own.
        auto* draw = static_cast<QMenu*>(popup);
        draw->setActiveAction(form.action("mnuDrawFill"));
        QTest::keyClick(draw, Qt::Key_F1);
        QCOMPARE(platform.helpViewer()->title(), QString("Fill Image"));
        QVERIFY(platform.helpViewer()->windowFlags() & Qt::WindowMaximizeButtonHint);
        draw->close();
        QCOMPARE(form.statusPanel(2)->text(), QString("Pixel & Color"));
        // Shift as well: no menu, the key's own command.
        QTest::keyClick(&form, Qt::Key_D, Qt::ShiftModifier | Qt::AltModifier);
        QVERIFY(!QApplication::activePopupWidget());
        QCOMPARE(form.statusPanel(2)->text(), QString("Color only"));
        QTest::keyClick(&form, Qt::Key_F1);
        QCOMPARE(platform.helpViewer()->title(), QString("Keyboard commands"));
        QTest::keyClick(&form, Qt::Key_F12);
        QVERIFY(!form.isVisible());

        // Whatever the layout: digit keys by their place (French 1 key, US
        // Shift+1), letters of a layout without Latin ones by the US key there.
        for (const auto& [key, scanCode, code] : {std::tuple{int(Qt::Key_Ampersand), 10u, '1'},
                                                  {int(Qt::Key_Exclam), 10u, '1'},
                                                  {0x0444, 38u, 'A'}}) {
            const QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, scanCode, 0, 0);
            QCOMPARE(VirtualKeyCode(event, true), int(code));
        }
    }

    void fileDialogsOpenInTheFolderLastUsed() {
        QTemporaryDir first, second;
        const QString picked = QDir(second.path()).filePath("pic.prg");
        QtPlatform platform;
        platform.SetDialogFolder(first.path().toStdString());
        QString openedIn;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            openedIn = dialog->directory().absolutePath();
            dialog->selectFile(picked);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QVERIFY(platform.SaveFileDialog({"PRG Files (*.prg)|*.prg", "prg"}).has_value());
        QCOMPARE(openedIn, QDir(first.path()).absolutePath());
        QCOMPARE(QString::fromStdString(platform.DialogFolder()),
                 QDir(second.path()).absolutePath());
    }
};

PIXOLAT_GUI_TEST(ShellTest);
#include "shell_test.moc"
