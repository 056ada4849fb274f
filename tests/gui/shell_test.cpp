// The editor window's frame: settings at start and close, the screens the
// stored bounds must lie on, help from the menus, the dialogs' folder.
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/qt/form_editor.h"
#include "document/pixels.h"
#include "edit/image_files.h"
#include "gui/gui_test.h"

using namespace pixolat;

namespace {

// Drops the paths on the window as a file manager does, and lets the import run.
void DropFiles(TFormEditor& form, const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &drop);
    QCoreApplication::processEvents();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList VisibleFileMenu(TFormEditor& form) {
    QStringList names;
    for (QAction* action : form.findChild<QMenu*>("mnuFile")->actions())
        if (action->isVisible()) names << action->objectName();
    return names;
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
            QCOMPARE(int(form.editor().state().gridSetting), 3);
            QCOMPARE(form.editor().state().zoom, 10);
            QVERIFY(form.findChild<QWidget*>("PanelColorPalette")->isVisible());
            QCOMPARE(form.statusPanel(2)->text(), QString("Pixel & Color"));
            QCOMPARE(form.statusPanel(3)->text(), QString("Ready."));
            QCOMPARE(VisibleFileMenu(form).mid(VisibleFileMenu(form).indexOf("mnuFileImportBMP")),
                     QStringList({"mnuFileImportBMP", "mnuFile3", "mnuFileExit"}));

            form.setGeometry(60, 70, 700, 500);
            form.action("mnuViewToggleGrid")->trigger();
            form.action("mnuViewColorPaletteAndPreview")->trigger();
            AddRecentFile(form.editor(), "/tmp/gfx/a.prg");
            form.action("mnuFileExit")->trigger();
        }
        QSettings stored("Varno", "Pixolat");
        QCOMPARE(stored.value("Grid").toInt(), 4);
        QCOMPARE(stored.value("ColorPalette").toInt(), 0);
        QCOMPARE(stored.value("MRU1").toString(), QString("/tmp/gfx/a.prg"));

        TFormEditor next(platform);
        next.show();
        QVERIFY(QTest::qWaitForWindowExposed(&next));
        QCOMPARE(next.geometry(), QRect(60, 70, 700, 500));
        QCOMPARE(int(next.editor().state().gridSetting), 4);
        QVERIFY(!next.findChild<QWidget*>("PanelColorPalette")->isVisible());
        QVERIFY(!next.action("mnuViewColorPaletteAndPreview")->isChecked());
        QCOMPARE(next.action("mnuFileMRU1")->text(), QString("(1) a.prg"));
        QVERIFY(next.action("mnuFile4")->isVisible());
    }

    void storedBoundsOffEveryScreenPutTheWindowOnTheFirst() {
        const QList<QRect> screens = {QRect(0, 0, 1280, 1024), QRect(1280, 0, 1920, 1080)};
        const QPoint place(240, 100);
        // On the second screen, or partly off the first: kept.
        QCOMPARE(BoundsOnScreens(QRect(1500, 50, 780, 580), screens, place),
                 QRect(1500, 50, 780, 580));
        QCOMPARE(BoundsOnScreens(QRect(-700, 10, 780, 580), screens, place),
                 QRect(-700, 10, 780, 580));
        // A monitor that was left of the first, or far away, or a title bar above it.
        for (const QRect& lost : {QRect(-2000, 100, 780, 580), QRect(5000, 5000, 780, 580),
                                  QRect(100, -600, 780, 580), QRect(-770, 100, 780, 580)})
            QCOMPARE(BoundsOnScreens(lost, screens, place), QRect(240, 100, 780, 580));
        // Sizes that cannot be a usable window.
        QCOMPARE(BoundsOnScreens(QRect(10, 10, -5, 0), screens, place).size(), QSize(200, 150));
        QCOMPARE(BoundsOnScreens(QRect(0, 0, 99999, 99999), screens, place),
                 QRect(0, 0, 1280, 1024));

        QSettings stored("Varno", "Pixolat");
        stored.setValue("WindowLeft", -30000);
        stored.setValue("WindowTop", 40000);
        stored.setValue("Grid", 2);
        QtPlatform platform;
        TFormEditor form(platform);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(screen.contains(form.geometry().topLeft()));
        QCOMPARE(form.geometry().size(), QSize(780, 580).boundedTo(screen.size()));
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
        QCOMPARE(form.editor().state().zoom, 10);
        form.close();
        QVERIFY(!form.isVisible());
        QVERIFY(!QFileInfo::exists(dir.filePath("file/Pixolat.conf")));
    }

    void f1OnAHighlightedMenuItemShowsItsTopic() {
        QtPlatform platform;
        TFormEditor form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.editor().SetHelpFile(QDir(QCoreApplication::applicationDirPath())
                                      .filePath("varnospixolat.hlp")
                                      .toStdString());
        auto* file = form.findChild<QMenu*>("mnuFile");
        file->popup(QPoint(0, 0));
        QVERIFY(QTest::qWaitForWindowExposed(file));
        file->setActiveAction(form.action("mnuFileExportPRG"));
        QTest::keyClick(file, Qt::Key_F1);
        QVERIFY(platform.helpViewer());
        QCOMPARE(platform.helpViewer()->title(), QString("Export .PRG"));
        QVERIFY(platform.helpViewer()->isWindow());
        QVERIFY(!platform.helpViewer()->isModal());
        QVERIFY(platform.helpViewer()->windowFlags() & Qt::WindowMaximizeButtonHint);
        file->close();

        form.action("mnuHelpKeyb")->trigger();
        QCOMPARE(platform.helpViewer()->title(), QString("Keyboard commands"));
        QCOMPARE(form.action("mnuHelpAbout")->text(), QString("&About"));
        QCOMPARE(form.findChild<QMenu*>("mnuHelp")->title(), QString("&Help"));
    }

    void droppedFoldersAndMissingFilesAreSkippedAndOneFileIsImported() {
        QTemporaryDir dir;
        QByteArray prg(10050, '\0');
        prg[1] = 0x18;
        const QString picture = dir.filePath("x.bmp");
        WriteFile(picture, QByteArray(64, 'x'));
        QStringList hundred;
        for (int i = 0; i < 98; ++i) hundred << dir.filePath(QString("gone%1.prg").arg(i));
        hundred << dir.path();
        const QString found = dir.filePath("deep/y.PRG");
        QDir(dir.path()).mkpath("deep");
        WriteFile(found, prg);
        hundred << found;

        QtPlatform platform;
        TFormEditor form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        DropFiles(form, {dir.path()});
        DropFiles(form, {dir.filePath("gone.prg")});
        QCOMPARE(form.statusPanel(3)->text(), QString("Ready."));
        DropFiles(form, hundred);
        QCOMPARE(form.statusPanel(3)->text(), "Loaded PRG file (" + found + ")");
        DropFiles(form, {picture, found, dir.path()});
        QCOMPARE(form.statusPanel(3)->text(), "Loaded PRG file (" + found + ")");
    }

    void realKeyEventsReachTheKeyTable() {
        QtPlatform platform;
        TFormEditor form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        Editor& editor = form.editor();
        QTest::keyClick(&form, Qt::Key_Right);
        QTest::keyClick(&form, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(form.statusPanel(0)->text(), QString("1,8"));
        QTest::keyPress(&form, Qt::Key_Shift);
        QCOMPARE(form.windowTitle(), QString("Unhandled keypress: 16"));
        QTest::keyRelease(&form, Qt::Key_Shift);

        // A held value key draws while the cursor moves; the auto-repeated
        // releases Qt sends while it is held do not lift it.
        QTest::keyPress(&form, Qt::Key_1);
        QKeyEvent repeated(QEvent::KeyRelease, Qt::Key_1, Qt::NoModifier, QString("1"), true);
        QApplication::sendEvent(&form, &repeated);
        QTest::keyClick(&form, Qt::Key_Right);
        QTest::keyRelease(&form, Qt::Key_1);
        QTest::keyClick(&form, Qt::Key_Right);
        QCOMPARE(PixelValueAt(editor.currentImage(), 2, 8), 1);
        QCOMPARE(PixelValueAt(editor.currentImage(), 3, 8), 0);

        // Alt + D opens the Draw menu and leaves the drawing mode; D toggles it.
        QTest::keyClick(&form, Qt::Key_D, Qt::AltModifier);
        QWidget* popup = QApplication::activePopupWidget();
        QVERIFY(popup);
        QCOMPARE(popup->objectName(), QString("mnuDraw"));
        popup->close();
        QCOMPARE(form.statusPanel(2)->text(), QString("Pixel & Color"));
        QTest::keyClick(&form, Qt::Key_D);
        QCOMPARE(form.statusPanel(2)->text(), QString("Color only"));

        QTest::keyClick(&form, Qt::Key_F1);
        QVERIFY(platform.helpViewer() && platform.helpViewer()->isVisible());
        QCOMPARE(platform.helpViewer()->title(), QString("Keyboard commands"));
        QTest::keyClick(&form, Qt::Key_F12);
        QVERIFY(!form.isVisible());
    }

    void fileDialogsOpenInTheFolderLastUsed() {
        QTemporaryDir first;
        QTemporaryDir second;
        QFile picked(QDir(second.path()).filePath("pic.prg"));
        QVERIFY(picked.open(QIODevice::WriteOnly));
        picked.close();
        QtPlatform platform;
        platform.SetDialogFolder(first.path().toStdString());
        QString openedIn;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            openedIn = dialog->directory().absolutePath();
            dialog->selectFile(picked.fileName());
            QMetaObject::invokeMethod(dialog, "accept");
        });
        const auto path = platform.OpenFileDialog({"PRG Files (*.prg)|*.prg", "prg"});
        QCOMPARE(openedIn, QDir(first.path()).absolutePath());
        QVERIFY(path.has_value());
        QCOMPARE(QString::fromStdString(platform.DialogFolder()),
                 QDir(second.path()).absolutePath());
    }
};

PIXOLAT_GUI_TEST(ShellTest);
#include "shell_test.moc"
