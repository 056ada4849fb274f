#include "app/qt/form_mask.h"

#include <sys/resource.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>

#include "app/qt/form_editor.h"
#include "app/qt/qt_platform.h"
#include "document/pixels.h"
#include "edit/start_editor.h"
#include "gui/gui_test.h"

using namespace pixolat;

namespace {

// Writes a picture given row by row as a 24-bit Windows bitmap.
QString WriteBitmap(const QTemporaryDir& dir, const QString& name,
                    const std::vector<std::vector<QRgb>>& rows) {
    QImage image(int(rows[0].size()), int(rows.size()), QImage::Format_RGB888);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, rows[y][x]);
    const QString path = dir.filePath(name);
    if (!image.save(path, "BMP")) qFatal("cannot write %s", qPrintable(path));
    return path;
}

// Answers the next message box, which a click opens modally, with OK and
// keeps its text.
class MessageCatcher : public QObject {
public:
    QString text;
    MessageCatcher() {
        timer_.setInterval(10);
        connect(&timer_, &QTimer::timeout, this, [this] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(widget);
                if (box && box->isVisible()) {
                    text = box->text();
                    box->accept();
                    timer_.stop();
                }
            }
        });
        timer_.start();
    }

private:
    QTimer timer_;
};

// Chooses `path` in the next file dialog, as a user would, and accepts it.
class FileDialogAnswer : public QObject {
public:
    explicit FileDialogAnswer(QString path) : path_(std::move(path)) {
        timer_.setInterval(10);
        connect(&timer_, &QTimer::timeout, this, [this] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            dialog->selectFile(path_);
            static_cast<QDialog*>(dialog)->accept();  // QFileDialog checks the choice
            timer_.stop();
        });
        timer_.start();
    }

private:
    QString path_;
    QTimer timer_;
};

template <class T>
T* Child(QWidget& form, const char* name) {
    T* child = form.findChild<T*>(name);
    if (!child) qFatal("no %s", name);
    return child;
}

void TypePath(QWidget& form, const char* edit, const QString& path) {
    auto* box = Child<QLineEdit>(form, edit);
    box->clear();
    QTest::keyClicks(box, path);
}

void Click(QWidget& form, const char* button) {
    QTest::mouseClick(Child<QPushButton>(form, button), Qt::LeftButton);
}

}  // namespace

class FormMaskTest : public QObject {
    Q_OBJECT
private slots:
    void init() { testing::ClearSettings(); }

    void opensWithItsControlsAndEmptyPaths() {
        QtPlatform platform;
        TFormMask form(platform);
        QCOMPARE(form.windowTitle(), QString("Mask Processor"));
        QCOMPARE(Child<QLabel>(form, "Label1")->text(), QString("Mask bitmap:"));
        QCOMPARE(Child<QLabel>(form, "Label2")->text(), QString("Pattern 1:"));
        QCOMPARE(Child<QLabel>(form, "Label3")->text(), QString("Pattern 2:"));
        for (const char* box : {"EditCharSet", "EditMask1", "EditMask2"})
            QCOMPARE(Child<QLineEdit>(form, box)->text(), QString());
        QCOMPARE(Child<QPushButton>(form, "cmdPreProcess")->text(), QString("Pre-process"));
        QCOMPARE(Child<QPushButton>(form, "cmdProcess")->text(), QString("Process"));
        // Without an editor to take it, a result cannot be opened.
        QVERIFY(!Child<QPushButton>(form, "cmdOpenResult")->isEnabled());
        auto* grid = Child<QTableWidget>(form, "grid");
        QCOMPARE(grid->columnCount(), 4);  // the swatch beside the processor's three
        QCOMPARE(grid->rowCount(), 1);
        QVERIFY(grid->verticalHeader()->isHidden());
        QVERIFY(!grid->horizontalHeader()->isHidden());
        // The header row names the columns and the keys that edit them.
        QStringList headers;
        for (int column = 0; column < 4; ++column)
            headers << grid->horizontalHeaderItem(column)->text();
        QCOMPARE(headers, (QStringList{"Color", "Role (1, 2, C)", "Offset (0-3, A-C, +/-)", ""}));
        QCOMPARE(grid->horizontalHeader()->height(), 18);
        QCOMPARE(grid->rowHeight(0), 18);
    }

    void everyOpeningIsANewModalWindow() {
        QtPlatform platform;
        platform.openMaskProcessor = [&platform](QWidget* parent) {
            TFormMask::Open(platform, parent);
        };
        QStringList seen;
        for (int opening = 0; opening < 2; ++opening) {
            QTimer::singleShot(50, [&seen] {
                auto* form = qobject_cast<TFormMask*>(QApplication::activeModalWidget());
                if (!form) return;
                auto* path = Child<QLineEdit>(*form, "EditCharSet");
                seen << path->text();
                path->setText("changed.bmp");
                form->close();
            });
            platform.OpenMaskProcessor();
        }
        // A path typed but never used is not kept.
        QCOMPARE(seen, QStringList(2, ""));
    }

    void browseProcessAndOpenResultPutTheResultIntoTheImageAsOneStep() {
        QTemporaryDir dir;
        const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);
        const QStringList paths = {
            WriteBitmap(dir, "mask.bmp", {{red, red, blue, blue}, {red, red, blue, red}}),
            WriteBitmap(dir, "border.bmp", {{qRgb(0, 0, 0)}}),
            WriteBitmap(dir, "inside.bmp", {{qRgb(0, 0, 0)}})};
        QtPlatform platform;
        TFormEditor editorForm(platform);
        editorForm.show();
        TFormMask form(platform, &editorForm, editorForm.MaskLinks());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const char* browse[] = {"cmdBrowseMask", "cmdBrowsePattern1", "cmdBrowsePattern2"};
        const char* boxes[] = {"EditCharSet", "EditMask1", "EditMask2"};
        for (int i = 0; i < 3; ++i) {
            FileDialogAnswer answer(paths[i]);
            Click(form, browse[i]);
            QCOMPARE(Child<QLineEdit>(form, boxes[i])->text(), paths[i]);
        }
        QCOMPARE(QString::fromStdString(platform.ReadSettingText(kDialogFolderSetting)),
                 QDir(dir.path()).absolutePath());

        Click(form, "cmdPreProcess");
        auto* grid = Child<QTableWidget>(form, "grid");
        QCOMPARE(grid->item(0, 3)->text(), QString("#FF0000"));
        QCOMPARE(grid->item(1, 3)->text(), QString("#0000FF"));
        QCOMPARE(grid->item(1, 3)->icon().pixmap(8, 8).toImage().pixel(4, 4), blue);
        grid->setFocus();
        grid->setCurrentCell(1, 2);
        QTest::keyClick(grid, Qt::Key_3);  // blue at the top level
        Click(form, "cmdProcess");
        QCOMPARE(form.windowTitle(), QString("Finished!"));

        Editor& editor = editorForm.editor();
        const auto pixels = [&] {
            QList<int> values;
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < 4; ++x) values << PixelValueAt(editor.currentImage(), x, y);
            return values;
        };
        const QList<int> before = pixels();
        const QString undoBefore = editorForm.action("mnuEditUndo")->text();
        Click(form, "cmdOpenResult");
        // The greys' red bit 0 are the hires pixels: blue (255) is 1, red (0) is 0.
        QCOMPARE(pixels(), QList<int>({0, 0, 1, 1, 0, 0, 1, 0}));
        QCOMPARE(editorForm.action("mnuEditUndo")->text(), QString("&Undo Open Result"));
        editorForm.Run([&] { editor.undo().Undo(); });
        QCOMPARE(pixels(), before);
        QCOMPARE(editorForm.action("mnuEditUndo")->text(), undoBefore);

        // The next opening starts at the files used.
        TFormMask again(platform);
        for (int i = 0; i < 3; ++i) QCOMPARE(Child<QLineEdit>(again, boxes[i])->text(), paths[i]);
    }

    void preProcessEditAndProcessWriteTheGreyBitmap() {
        QTemporaryDir dir;
        const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);
        const QString mask =
            WriteBitmap(dir, "mask.bmp", {{red, red, blue, blue}, {red, red, blue, red}});
        const QString pattern1 = WriteBitmap(dir, "border.bmp", {{qRgb(0, 0, 0), qRgb(255, 0, 0)}});
        const QString pattern2 = WriteBitmap(dir, "inside.bmp", {{qRgb(0, 0, 0)}});
        QtPlatform platform;
        TFormMask form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        TypePath(form, "EditCharSet", mask);
        TypePath(form, "EditMask1", pattern1);
        TypePath(form, "EditMask2", pattern2);

        Click(form, "cmdPreProcess");
        QCOMPARE(form.windowTitle(), QString("Ready to process"));
        auto* grid = Child<QTableWidget>(form, "grid");
        QCOMPARE(grid->rowCount(), 2);
        const QStringList first = {"255", "Color", "0"}, second = {"16711680", "Color", "0"};
        for (int column = 0; column < 3; ++column) {
            QCOMPARE(grid->item(0, column)->text(), first[column]);
            QCOMPARE(grid->item(1, column)->text(), second[column]);
        }

        grid->setFocus();
        grid->setCurrentCell(0, 1);
        QTest::keyClick(grid, Qt::Key_1);
        QCOMPARE(grid->item(0, 1)->text(), QString("Mask1"));
        QTest::keyClick(grid, Qt::Key_D);
        QCOMPARE(form.windowTitle(), QString("68"));
        grid->setCurrentCell(0, 2);
        QTest::keyClick(grid, Qt::Key_1);
        QCOMPARE(grid->item(0, 2)->text(), QString("+1"));
        // Handled keys are consumed: the grid's own type-ahead search would
        // otherwise jump to the row whose text starts with "+".
        const int searchPause = QApplication::keyboardInputInterval() + 50;
        QTest::qWait(searchPause);
        grid->setCurrentCell(1, 2);
        QTest::keyClick(grid, Qt::Key_Plus, Qt::KeypadModifier);
        QTest::keyClick(grid, Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(grid->item(1, 2)->text(), QString("2"));
        QCOMPARE(grid->currentRow(), 1);
        // Every other key is consumed too: neither "2" in the color column
        // (the row of 255) nor "M" in the role column (the row of "Mask1")
        // moves the current row, so the next role key edits this color.
        for (const auto& [column, key] : {std::pair{0, Qt::Key_2}, std::pair{1, Qt::Key_M}}) {
            QTest::qWait(searchPause);
            grid->setCurrentCell(1, column);
            QTest::keyClick(grid, key);
            QCOMPARE(grid->currentRow(), 1);
        }
        QTest::keyClick(grid, Qt::Key_Up);  // moving by arrow keys stays the grid's
        QCOMPARE(grid->currentRow(), 0);
        QCOMPARE(grid->item(1, 1)->text(), QString("Color"));

        Click(form, "cmdProcess");
        QCOMPARE(form.windowTitle(), QString("Finished!"));
        const QImage out(mask + ".NEW.BMP");
        QCOMPARE(out.size(), QSize(4, 2));
        const int expected[2][4] = {{84, 255, 168, 168}, {84, 255, 168, 255}};
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x) {
                const QRgb c = out.pixel(x, y);
                QCOMPARE(qRed(c), expected[y][x]);
                QCOMPARE(qGreen(c), expected[y][x]);
                QCOMPARE(qBlue(c), expected[y][x]);
            }
    }

    void failuresShowTheErrorAndKeepTheLastCaption() {
        QTemporaryDir dir;
        const QString mask = WriteBitmap(dir, "mask.bmp", {{qRgb(1, 2, 3)}, {qRgb(1, 2, 3)}});
        const QString pattern = WriteBitmap(dir, "pattern.bmp", {{qRgb(255, 255, 255)}});
        QtPlatform platform;
        TFormMask form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        TypePath(form, "EditCharSet", mask);
        TypePath(form, "EditMask1", dir.filePath("missing.bmp"));
        TypePath(form, "EditMask2", pattern);

        {
            MessageCatcher catcher;
            Click(form, "cmdProcess");
            QVERIFY(catcher.text.isEmpty());
            QCOMPARE(form.windowTitle(), QString("Pre-process a mask first"));
        }
        Click(form, "cmdPreProcess");
        {
            MessageCatcher catcher;
            Click(form, "cmdProcess");
            QVERIFY(catcher.text.contains("missing.bmp"));
            QCOMPARE(form.windowTitle(), QString("Ready to process"));
        }
        // An output that cannot be written: its name is taken by a folder.
        QVERIFY(QDir(dir.path()).mkdir("mask.bmp.NEW.BMP"));
        TypePath(form, "EditMask1", pattern);
        {
            MessageCatcher catcher;
            Click(form, "cmdProcess");
            QVERIFY(catcher.text.contains("mask.bmp.NEW.BMP"));
            QCOMPARE(form.windowTitle(), QString("1/2"));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);  // no stray temporary file
    }

    void aWriteCutByAFileSizeLimitKeepsTheOldOutput() {
        QTemporaryDir dir;
        // 200 x 100 pixels: a 60,054-byte bitmap, past a limit of 50,000 bytes.
        const QString mask = WriteBitmap(
            dir, "mask.bmp", std::vector<std::vector<QRgb>>(100, std::vector<QRgb>(200, 7)));
        const QString pattern = WriteBitmap(dir, "pattern.bmp", {{qRgb(255, 255, 255)}});
        QFile old(mask + ".NEW.BMP");
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("a good older output");
        old.close();
        QtPlatform platform;
        TFormMask form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        TypePath(form, "EditCharSet", mask);
        TypePath(form, "EditMask1", pattern);
        TypePath(form, "EditMask2", pattern);
        Click(form, "cmdPreProcess");

        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 50000;
        auto previous = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        QString shown;
        {
            MessageCatcher catcher;
            Click(form, "cmdProcess");
            shown = catcher.text;
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
        QVERIFY2(shown.contains("mask.bmp.NEW.BMP") && shown.contains("File too large"),
                 qPrintable(shown));
        QCOMPARE(form.windowTitle(), QString("99/100"));  // the last row's progress
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("a good older output"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 3);  // no stray temporary file
    }
};

PIXOLAT_GUI_TEST(FormMaskTest);
#include "form_mask_test.moc"
