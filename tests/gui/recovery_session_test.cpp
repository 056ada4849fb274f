// The real window and the recovery files: images with awkward names come
// back at their indices, SIGTERM closes as F12 does, and keys released
// while another window has the focus do not stay held.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <csignal>

#include "app/qt/close_on_signal.h"
#include "app/qt/form_editor.h"
#include "app/qt/help_viewer.h"
#include "edit/recovery.h"
#include "formats/source_text.h"
#include "gui/gui_test.h"

using namespace pixolat;

namespace {

// Leaves no other session's file in the test's data folder.
void RemoveSessionFiles() {
    QtPlatform platform;
    QDir folder(QString::fromStdString(platform.DataFolder()));
    for (const QString& name : folder.entryList({"session-*"}, QDir::Files)) folder.remove(name);
}

// A message box left open would wait for ever offscreen: whatever a failure
// shows is closed, and the comparisons after it say what went wrong.
void CloseModalsSoon(QObject* owner) {
    auto* timer = new QTimer(owner);
    QObject::connect(timer, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    timer->start(100);
}

struct Named {
    int index;
    const char* name;
    ColorCode color0;
    ColorCode color3;
};
constexpr Named kNamed[] = {
    {0, "2nd try", 0x12, 0x71}, {5, "_tmp", 0x25, 0x43}, {9, "a//b", 0x09, 0x6E}};

}  // namespace

class RecoverySessionTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        testing::ClearSettings();
        RemoveSessionFiles();
    }

    void imagesWithAwkwardNamesComeBackAtTheirIndicesWithTheirColors() {
        CloseModalsSoon(this);
        {
            QtPlatform platform;
            TFormEditor form(platform);
            form.show();
            form.Run([&] {
                Editor& editor = form.editor();
                for (const Named& n : kNamed) {
                    editor.undo().BeforeImageChange(n.index);
                    Image& image = editor.store().image(n.index);
                    image.desc = {n.name,   32,      16, 2, Layout::Bitmap, ColorMapKind::Normal,
                                  n.color0, n.color3};
                    image.plane.at(2 * n.index, 3) = 1;
                    image.plane.at(2 * n.index + 1, 3) = 1;
                }
                editor.state().currentImage = 5;
            });
            QVERIFY(form.close());
        }
        QtPlatform platform;
        TFormEditor next(platform);
        next.show();
        // The index, name and color lines make the file read back exactly.
        QFile written(QString::fromStdString(next.editor().recovery().sessions().at(0).path));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().contains("//@ image 5 colors"));
        QAction* recover = next.action("mnuFileRecover1");
        QVERIFY(recover && recover->isVisible());
        QVERIFY(recover->text().endsWith("3 images"));
        recover->trigger();
        const ImageStore& store = next.editor().store();
        for (const Named& n : kNamed) {
            const ImageDescriptor& desc = store.image(n.index).desc;
            QCOMPARE(QString::fromStdString(desc.name), QString(n.name));
            QCOMPARE(desc.color0, n.color0);
            QCOMPARE(desc.color3, n.color3);
            QCOMPARE(int(store.image(n.index).plane.at(2 * n.index, 3)), 1);
        }
        QCOMPARE(store.image(1).desc.width, 0);
        QCOMPARE(next.editor().state().currentImage, 5);
        QCOMPARE(next.windowTitle(), QString("Editing Image #5"));
    }

    void sigtermClosesTheWindowAndKeepsTheWorkAtOnce() {
        QtPlatform platform;
        TFormEditor form(platform);
        CloseOnSignal closeOnSignal(&form);
        form.show();
        form.Run([&] { form.editor().currentImage().plane.at(4, 4) = 1; });
        QVERIFY(form.editor().recovery().path().empty());
        std::raise(SIGTERM);
        QTRY_VERIFY(!form.isVisible());
        const std::string path = form.editor().recovery().path();
        QVERIFY(QFile::exists(QString::fromStdString(path)));
    }

    void aSignalDuringADialogClosesTheWindowOnlyAfterItsCommand() {
        QtPlatform platform;
        TFormEditor form(platform);
        CloseOnSignal closeOnSignal(&form, [&form] { return form.Busy(); });
        form.show();
        bool openAfterTheDialog = false;
        QTimer::singleShot(50, [] { std::raise(SIGTERM); });
        form.Run([&] {
            form.editor().currentImage().plane.at(4, 4) = 1;
            platform.ShowMessage("The signal arrives while this is shown.");
            openAfterTheDialog = form.isVisible();
            form.editor().currentImage().plane.at(6, 6) = 1;  // the command goes on
        });
        QVERIFY(openAfterTheDialog);
        QTRY_VERIFY(!form.isVisible());
        QFile file(QString::fromStdString(form.editor().recovery().path()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const std::vector<uint8_t> work =
            SourceFileBytes(form.editor().store(), form.editor().state().currentImage);
        QVERIFY(file.readAll().endsWith(
            QByteArray(reinterpret_cast<const char*>(work.data()), qsizetype(work.size()))));
    }

    void aValueKeyReleasedInTheHelpWindowDrawsNoMore() {
        QtPlatform platform;
        TFormEditor form(platform);
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        const EditorState& state = form.editor().state();
        const Image& image = form.editor().currentImage();
        QTest::keyPress(&form, Qt::Key_1);
        QCOMPARE(int(image.plane.at(state.cursorX, state.cursorY)), 1);
        QTest::keyClick(&form, Qt::Key_F1);  // the help window opens and takes the focus
        HelpViewer* help = platform.helpViewer();
        QVERIFY(help);
        // What the desktop does when the user clicks the help window (the
        // offscreen platform moves no activation by itself).
        QApplication::setActiveWindow(help);
        QVERIFY(help->isActiveWindow() && !form.isActiveWindow());
        QTest::keyRelease(help, Qt::Key_1);
        QApplication::setActiveWindow(&form);
        QTest::keyClick(&form, Qt::Key_Right);
        QVERIFY(state.cursorX > 0);
        QCOMPARE(int(image.plane.at(state.cursorX, state.cursorY)), 0);
        help->close();
    }
};

PIXOLAT_GUI_TEST(RecoverySessionTest);
#include "recovery_session_test.moc"
