#include <sys/resource.h>

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <csignal>

#include "app/qt/form_editor.h"
#include "edit/image_files.h"
#include "gui/gui_test.h"

using namespace pixolat;

namespace {

QByteArray HiresPrg() {
    QByteArray bytes(10050, '\0');
    bytes[1] = 0x18;
    bytes[2050] = char(0x80);
    return bytes;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class FileMenuTest : public QObject {
    Q_OBJECT
private slots:
    void init() { testing::ClearSettings(); }

    void fileMenuListsTheTransferItemsInOrder() {
        QtPlatform platform;
        TFormEditor form(platform);
        QMenu* file = form.menuBar()->findChild<QMenu*>("mnuFile");
        QVERIFY(file);
        QStringList names;
        for (QAction* action : file->actions()) names << action->objectName();
        const QStringList expected{"mnuFileImportPRG",
                                   "mnuFileExportPRG",
                                   "mnuFileExportRunnablePRG",
                                   "mnuFileExportDfliPRG",
                                   "mnuFileExportCharsetPRG",
                                   "mnuFileExportParts",
                                   "mnuFileExportPicture",
                                   "mnuFile2",
                                   "mnuFileImportBMP",
                                   "mnuFileImportPicture",
                                   "mnuFileImportP4S",
                                   "mnuFile3",
                                   "mnuFileMRU1",
                                   "mnuFileMRU2",
                                   "mnuFileMRU3",
                                   "mnuFileMRU4",
                                   "mnuFile4",
                                   "mnuFileExit"};
        const int start = int(names.indexOf("mnuFileImportPRG"));
        QVERIFY(start >= 0);
        QCOMPARE(names.mid(start), expected);

        const struct {
            const char* name;
            const char* caption;
            const char* shortcut;
        } items[] = {{"mnuFileImportPRG", "Import .PRG", "Ctrl+L"},
                     {"mnuFileExportPRG", "Export .PRG", "Ctrl+S"},
                     {"mnuFileExportRunnablePRG", "Export Runnable .PRG...", ""},
                     {"mnuFileExportDfliPRG", "Export DFLI .PRG...", ""},
                     {"mnuFileExportCharsetPRG", "Export Charset .PRG...", ""},
                     {"mnuFileImportBMP", "Import .BMP", "Ctrl+O"}};
        for (const auto& item : items) {
            QAction* action = form.action(item.name);
            QVERIFY(action);
            QCOMPARE(action->text(), QString(item.caption));
            QCOMPARE(action->shortcut(), QKeySequence(item.shortcut));
            QVERIFY(action->isVisible());
        }
        QVERIFY(!form.action("mnuFileImportP4S")->isVisible());
        for (const char* hidden :
             {"mnuFileMRU1", "mnuFileMRU2", "mnuFileMRU3", "mnuFileMRU4", "mnuFile4"})
            QVERIFY2(!form.action(hidden)->isVisible(), hidden);
    }

    void exportShowsTheRecentFileItem() {
        QTemporaryDir folder;
        QtPlatform platform;
        TFormEditor form(platform);
        const QString path = folder.filePath("pic.prg");
        form.Run([&] { ExportPrgFile(form.editor(), path.toStdString()); });
        QCOMPARE(ReadFile(path).size(), 10050);
        QVERIFY(form.action("mnuFileMRU1")->isVisible());
        QCOMPARE(form.action("mnuFileMRU1")->text(), QString("(1) pic.prg"));
        QVERIFY(form.action("mnuFile4")->isVisible());
        QVERIFY(!form.action("mnuFileMRU2")->isVisible());
    }

    void failedExportLeavesTheExistingFileAndRecentFiles() {
        QTemporaryDir folder;
        QtPlatform platform;
        TFormEditor form(platform);
        const QString path = folder.filePath("kept.prg");
        const QByteArray old("an older file");
        WriteFile(path, old);
        // Let writes stop after 4 KB, half way through the export.
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 4096;
        auto previous = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        bool failed = false;
        try {
            ExportPrgFile(form.editor(), path.toStdString());
        } catch (const Error&) {
            failed = true;
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
        QVERIFY(failed);
        QCOMPARE(ReadFile(path), old);
        QCOMPARE(folder.path() + "/kept.prg", path);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"kept.prg"});
        QVERIFY(form.editor().ui().recentFiles[0].empty());
    }

    void anUnknownPrgIsReportedOnTwoLines() {
        QTemporaryDir folder;
        const QString path = folder.filePath("odd.prg");
        WriteFile(path, QByteArray(1234, 'x'));
        QtPlatform platform;
        TFormEditor form(platform);
        QString shown;
        QTimer timer;
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            shown = box->text();
            box->accept();
            timer.stop();
        });
        timer.start();
        form.Run([&] { ImportPrgFile(form.editor(), path.toStdString()); });
        QCOMPARE(shown,
                 QString("Could not determine PRG format.\nPlease email this file to the author!"));
    }

    void droppingFilesImportsTheFirstPrg() {
        QTemporaryDir folder;
        const QString picture = folder.filePath("x.bmp");
        const QString prg = folder.filePath("y.prg");
        WriteFile(picture, QByteArray(64, 'x'));
        WriteFile(prg, HiresPrg());
        QtPlatform platform;
        TFormEditor form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.acceptDrops());

        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(picture), QUrl::fromLocalFile(prg)});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&form, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form, &drop);
        QTRY_COMPARE(form.statusPanel(3)->text(), "Loaded PRG file (" + prg + ")");
        QCOMPARE(int(form.editor().currentImage().plane.at(0, 0)), 1);
    }
};

PIXOLAT_GUI_TEST(FileMenuTest);
#include "file_menu_test.moc"
