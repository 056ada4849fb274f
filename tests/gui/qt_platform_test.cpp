#include "app/qt/qt_platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <functional>

#include "app/qt/form_data.h"
#include "app/qt/help_viewer.h"
#include "document/errors.h"
#include "edit/editor.h"
#include "edit/image_files.h"
#include "edit/menu.h"
#include "formats/prg_format.h"
#include "gui/gui_test.h"
#include "render/rgb_buffer.h"
#include "support/platform_contract.h"

using namespace pixolat;

namespace {

std::string S(const QString& s) {
    return s.toStdString();
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void PutBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

std::vector<uint8_t> Bytes(const char* text) {
    return std::vector<uint8_t>(text, text + std::strlen(text));
}

// The text of the Error the call throws, or "" when it does not throw.
template <class Call>
std::string ErrorOf(Call call) {
    try {
        call();
    } catch (const Error& e) {
        return e.what();
    }
    return "";
}

// Runs `answer` on the next modal dialog once it is up: what the user does in it.
void AnswerNextDialog(std::function<void(QWidget*)> answer) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || !dialog->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        answer(dialog);
    });
    poll->start();
}

void ClickButton(QWidget* dialog, const QString& text) {
    for (auto* button : dialog->findChildren<QAbstractButton*>())
        if (button->text().remove('&') == text) return button->click();
    QFAIL(qPrintable("no button " + text));
}

// The part of the editor window the platform needs, without the editor.
class BareWindow : public QMainWindow, public PlatformWindow {
public:
    QMainWindow* window() override { return this; }
    void SetPanelText(int, const QString&) override {}
};

QString BuiltHelpFile() {
    return QDir(QCoreApplication::applicationDirPath()).filePath("varnospixolat.hlp");
}

}  // namespace

class QtPlatformTest : public QObject {
    Q_OBJECT
private slots:
    void init() { testing::ClearSettings(); }

    // The checks the scripted platform of the core tests passes too.
    void keepsThePlatformContract() {
        QTemporaryDir dir;
        testing::PlatformUnderTest under;
        under.folder = S(dir.path());
        under.start = [] { return std::make_unique<QtPlatform>(); };
        under.restart = [](Platform& previous) -> std::unique_ptr<Platform> {
            static_cast<QtPlatform&>(previous).SyncSettings();
            return std::make_unique<QtPlatform>();
        };
        under.wait = [](unsigned ms) { QThread::msleep(ms); };
        under.clipboardPicture = [](Platform&) -> std::optional<Picture> {
            const QImage image =
                QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
            if (image.isNull()) return std::nullopt;
            Picture picture;
            picture.width = image.width();
            picture.height = image.height();
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const QRgb c = image.pixel(x, y);
                    picture.pixels.push_back(MakeRgbColor(qRed(c), qGreen(c), qBlue(c)));
                }
            return picture;
        };
        for (const testing::ContractCheck& check : testing::PlatformContract()) {
            std::string faults;
            for (const std::string& fault : check.run(under)) faults += "\n  " + fault;
            QVERIFY2(faults.empty(), (std::string(check.name) + ":" + faults).c_str());
        }
    }

    void writeFileReplacesTheWholeFileOrNothing() {
        QtPlatform platform;
        QTemporaryDir dir;
        const QString path = dir.filePath("out.prg");
        platform.WriteFile(S(path), Bytes("first"));
        QCOMPARE(FileBytes(path), QByteArray("first"));
        platform.WriteFile(S(path), Bytes("2nd"));
        QCOMPARE(FileBytes(path), QByteArray("2nd"));
        platform.WriteFile(S(path), {});
        QCOMPARE(FileBytes(path), QByteArray(""));

        // A missing folder: an error, and no file appears.
        const QString missing = dir.filePath("no/such/folder/out.prg");
        QVERIFY(!ErrorOf([&] { platform.WriteFile(S(missing), Bytes("x")); }).empty());
        QVERIFY(!QFile::exists(missing));

        // A folder in the way: an error, and the folder stays.
        QVERIFY(QDir(dir.path()).mkdir("taken"));
        QVERIFY(
            !ErrorOf([&] { platform.WriteFile(S(dir.filePath("taken")), Bytes("x")); }).empty());
        QVERIFY(QFileInfo(dir.filePath("taken")).isDir());

        // A location nobody may write, not even root: the file keeps its bytes.
        const QByteArray kernel = FileBytes("/proc/version");
        QVERIFY(!ErrorOf([&] { platform.WriteFile("/proc/version", Bytes("x")); }).empty());
        QCOMPARE(FileBytes("/proc/version"), kernel);

        // A read-only folder holding the file (only meaningful without root's rights).
        if (geteuid() != 0) {
            QVERIFY(QDir(dir.path()).mkdir("locked"));
            const QString kept = dir.filePath("locked/kept.prg");
            PutBytes(kept, "old bytes");
            QFile::setPermissions(dir.filePath("locked"), QFile::ReadOwner | QFile::ExeOwner);
            const std::string error = ErrorOf([&] { platform.WriteFile(S(kept), Bytes("new")); });
            QFile::setPermissions(dir.filePath("locked"),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QVERIFY(!error.empty());
            QCOMPARE(FileBytes(kept), QByteArray("old bytes"));
            QCOMPARE(QDir(dir.filePath("locked")).entryList(QDir::Files), QStringList{"kept.prg"});
        }
    }

    void readFileReadsAtMostMaxBytes() {
        QtPlatform platform;
        QTemporaryDir dir;
        const QString path = dir.filePath("in.bin");
        QByteArray content;
        for (int i = 0; i < 70000; ++i) content.append(char(i * 7));
        PutBytes(path, content);

        const auto asBytes = [](const QByteArray& a) {
            return std::vector<uint8_t>(a.begin(), a.end());
        };
        QVERIFY(platform.ReadFile(S(path), 10) == asBytes(content.left(10)));
        QVERIFY(platform.ReadFile(S(path), 0).empty());
        QVERIFY(platform.ReadFile(S(path), 65537) == asBytes(content.left(65537)));
        QVERIFY(platform.ReadFile(S(path), 100000) == asBytes(content));
        // A limit far beyond the file reads the file, without reserving the limit.
        QVERIFY(platform.ReadFile(S(path), SIZE_MAX) == asBytes(content));

        const std::string missing = S(dir.filePath("gone.prg"));
        const std::string error = ErrorOf([&] { platform.ReadFile(missing, 100); });
        QVERIFY2(error.find(missing) != std::string::npos, error.c_str());
        QVERIFY(!ErrorOf([&] { platform.ReadFile(S(dir.path()), 100); }).empty());
        QVERIFY(platform.FileExists(S(path)));
        QVERIFY(!platform.FileExists(missing));
        QVERIFY(!platform.FileExists(S(dir.path())));
    }

    void pipesAreWrittenInPlaceAndNeverReadAndFoldersRefused() {
        QtPlatform platform;
        QTemporaryDir dir;
        const QString pipe = dir.filePath("pipe.asm");
        QVERIFY(mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        // Reading would wait for a writer for ever: refused at once.
        QCOMPARE(ErrorOf([&] { platform.ReadFile(S(pipe), 100); }),
                 "Cannot open file \"" + S(pipe) + "\". It is not a regular file.");
        QCOMPARE(ErrorOf([&] { platform.LoadPicture(S(pipe)); }),
                 "Cannot load picture \"" + S(pipe) + "\". It is not a regular file.");
        // Written, it stays a pipe and the reader at its other end gets the bytes.
        const int reader = open(QFile::encodeName(pipe).constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(reader >= 0);
        fcntl(reader, F_SETFL, 0);
        platform.WriteFile(S(pipe), Bytes("DB $00\r\n"));
        char received[16] = {};
        QCOMPARE(read(reader, received, sizeof received), ssize_t(8));
        close(reader);
        QCOMPARE(QByteArray(received), QByteArray("DB $00\r\n"));
        QVERIFY(QFileInfo(pipe).exists() && !QFileInfo(pipe).isFile());
        // With nobody at the other end, the editor would wait for ever.
        QCOMPARE(ErrorOf([&] { platform.WriteFile(S(pipe), Bytes("x")); }),
                 "Cannot create file \"" + S(pipe) + "\". No program reads from it.");

        QCOMPARE(ErrorOf([&] { platform.WriteFile(S(dir.path()), Bytes("x")); }),
                 "Cannot create file \"" + S(dir.path()) + "\". It is a folder.");
        QCOMPARE(ErrorOf([&] { platform.ReadFile(S(dir.path()), 100); }),
                 "Cannot open file \"" + S(dir.path()) + "\". It is a folder.");
        QVERIFY(QFileInfo(dir.path()).isDir());
    }

    void settingsRoundTripInATemporaryStore() {
        // The test program points the store at a temporary folder.
        const QString store = QSettings("Varno", "Pixolat").fileName();
        const QString temporary = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
        QVERIFY(!temporary.isEmpty());
        QVERIFY2(store.startsWith(temporary + "/"), qPrintable(store));
        QVERIFY2(!store.startsWith(QDir::homePath() + "/"), qPrintable(store));

        QtPlatform platform;
        platform.WriteSettingInt("Zoom", 17);
        platform.WriteSettingInt("WindowLeft", -240);
        platform.WriteSettingText("MRU1", "/home/u/pic, \"1\".prg");
        QVERIFY(platform.SettingExists("Zoom"));
        QCOMPARE(platform.ReadSettingInt("Zoom"), 17);
        QCOMPARE(platform.ReadSettingInt("WindowLeft"), -240);
        QCOMPARE(platform.ReadSettingText("MRU1"), std::string("/home/u/pic, \"1\".prg"));
        QCOMPARE(platform.ReadSettingText("MRU4"), std::string());

        QVERIFY(!platform.SettingExists("Grid"));
        QVERIFY(!ErrorOf([&] { platform.ReadSettingInt("Grid"); }).empty());
        for (const char* text : {"abc", "1.5", "", "99999999999"}) {
            platform.WriteSettingText("Grid", text);
            QVERIFY2(!ErrorOf([&] { platform.ReadSettingInt("Grid"); }).empty(), text);
        }
        platform.WriteSettingInt("Grid", 260);
        QCOMPARE(platform.ReadSettingInt("Grid"), 260);

        // What was written is in the store on disk for the next run.
        QSettings("Varno", "Pixolat").sync();
        QSettings reread(store, QSettings::IniFormat);
        QCOMPARE(reread.value("Zoom").toInt(), 17);
    }

    void picturesLoadWithRedInTheLowByteAndSaveAsBitmaps() {
        QtPlatform platform;
        QTemporaryDir dir;
        QImage image(3, 2, QImage::Format_RGB32);
        image.fill(qRgb(0, 0, 0));
        image.setPixel(0, 0, qRgb(10, 20, 30));
        image.setPixel(2, 1, qRgb(255, 0, 128));
        for (const char* format : {"BMP", "PNG"}) {
            const QString path = dir.filePath(QString("in.") + format);
            QVERIFY(image.save(path, format));
            const Picture picture = platform.LoadPicture(S(path));
            QCOMPARE(picture.width, 3);
            QCOMPARE(picture.height, 2);
            QCOMPARE(picture.at(0, 0), 10u | 20u << 8 | 30u << 16);
            QCOMPARE(picture.at(2, 1), 255u | 0u << 8 | 128u << 16);
            QCOMPARE(picture.at(1, 0), 0u);
        }
        PutBytes(dir.filePath("not.bmp"), "BM but not a picture");
        QVERIFY(!ErrorOf([&] { platform.LoadPicture(S(dir.filePath("not.bmp"))); }).empty());
        QVERIFY(!ErrorOf([&] { platform.LoadPicture(S(dir.filePath("gone.bmp"))); }).empty());

        Picture picture;
        picture.width = 5;
        picture.height = 3;
        for (int i = 0; i < 15; ++i) picture.pixels.push_back(uint32_t(i * 0x0F0D0B));
        const QString out = dir.filePath("out.bmp");
        platform.SavePictureAsBitmap(S(out), picture);
        QVERIFY(FileBytes(out).startsWith("BM"));
        const Picture back = platform.LoadPicture(S(out));
        QCOMPARE(back.width, 5);
        QCOMPARE(back.height, 3);
        QVERIFY(back.pixels == picture.pixels);
        QVERIFY(!ErrorOf([&] {
                     platform.SavePictureAsBitmap(S(dir.filePath("no/dir/x.bmp")), picture);
                 }).empty());
    }

    void theEditorAndTheConverterReadA16BitPictureAlike() {
        QTemporaryDir dir;
        // 16-bit reds around every rounding edge: 0x00FF is 1 once rounded to 8 bits.
        QImage image(320, 200, QImage::Format_RGBX64);
        for (int y = 0; y < 200; ++y) {
            auto* line = reinterpret_cast<quint16*>(image.scanLine(y));
            for (int x = 0; x < 320; ++x) {
                const quint16 red = quint16((x * 0x0101 + y * 0x80 + (x & 1) * 0x7F) & 0xFFFF);
                line[4 * x] = red;
                line[4 * x + 1] = line[4 * x + 2] = 0x1234;
                line[4 * x + 3] = 0xFFFF;
            }
        }
        auto* first = reinterpret_cast<quint16*>(image.scanLine(0));
        first[0] = 0x00FF;
        const QString path = dir.filePath("deep.png");
        QVERIFY(image.save(path, "PNG"));
        QtPlatform platform;
        Editor window(platform);
        for (int pixelWidth : {1, 2}) {
            Image& editor = window.currentImage();
            editor.desc.pixelWidth = pixelWidth;
            ImportPictureFile(window, S(path));  // File > Import .BMP, the picture chosen
            const QString out = dir.filePath("out.prg");
            const QString command = QString(PIXOLAT_CONVERT_PROGRAM) +
                                    (pixelWidth == 2 ? " --multicolor " : " ") + path + " " + out;
            QCOMPARE(std::system(command.toLocal8Bit().constData()), 0);
            const QByteArray converted = FileBytes(out);
            const std::vector<uint8_t> imported = EncodePrg(editor);
            QCOMPARE(converted.size(), qsizetype(imported.size()));
            int differ = 0;
            for (std::size_t i = 2050; i < imported.size(); ++i)
                differ += imported[i] != uint8_t(converted[qsizetype(i)]);
            QCOMPARE(differ, 0);
            if (pixelWidth == 1) QCOMPARE(editor.plane.at(0, 0), uint8_t(1));
        }
    }

    void fileFiltersBecomeQtNameFilters() {
        QCOMPARE(QtNameFilter("PRG files|*.prg|All files|*.*"),
                 QString("PRG files (*.prg);;All files (*)"));
        QCOMPARE(QtNameFilter("Pictures (*.bmp;*.png)|*.bmp;*.png"),
                 QString("Pictures (*.bmp *.png)"));
        QCOMPARE(QtNameFilter(""), QString());
        QCOMPARE(QtNameFilter("Text|*.txt|Dangling"), QString("Text (*.txt)"));
    }

    void textIsDrawnInsideItsBoxAndNowhereElse() {
        QtPlatform platform;
        const uint32_t background = PackRgb(0, 0, 0);
        const uint32_t ink = PackRgb(255, 255, 0);
        RgbBuffer buffer;
        buffer.Resize(120, 40);
        const int width = platform.TextWidth("$71");
        QVERIFY(width > 0);
        QVERIFY(platform.TextWidth("$71$71") > width);
        QCOMPARE(platform.TextWidth(""), 0);

        platform.DrawText(buffer, 30, 10, "$71", ink);
        int inked = 0, stray = 0;
        for (int y = 0; y < buffer.height; ++y)
            for (int x = 0; x < buffer.width; ++x) {
                const uint32_t p = buffer.at(x, y);
                if (p == background) continue;
                // The top-left corner is (30, 10); glyphs stay within width and a line.
                const bool inside = x >= 30 && x <= 30 + width && y >= 10 && y < 10 + 16;
                (inside ? inked : stray) += 1;
                QVERIFY(p >> 24 == 0xFF);
            }
        QVERIFY(inked > 0);
        QCOMPARE(stray, 0);

        // Text over the edges is clipped to the buffer.
        buffer.Resize(8, 6);
        platform.DrawText(buffer, -4, -5, "$71 $71 $71", ink);
        platform.DrawText(buffer, 6, 4, "$71", ink);
        RgbBuffer empty;
        platform.DrawText(empty, 0, 0, "$71", ink);
        QCOMPARE(int(buffer.pixels.size()), 48);
    }

    // What the core reads from each dialog and window service, through real widgets.
    void dialogsAndTheWindowAnswerAsTheCoreReadsThem() {
        QtPlatform platform;
        AnswerNextDialog([](QWidget* d) { ClickButton(d, "Yes"); });
        QVERIFY(platform.AskYesNo("Really?"));
        AnswerNextDialog([](QWidget* d) { ClickButton(d, "No"); });
        QVERIFY(!platform.AskYesNo("Really?"));
        AnswerNextDialog([](QWidget* d) { ClickButton(d, "Close Anyway"); });
        QVERIFY(platform.AskBeforeExit("Lost?") == Platform::ExitChoice::CloseAnyway);
        AnswerNextDialog([](QWidget* d) { QTest::keyClick(d, Qt::Key_Escape); });
        QVERIFY(platform.AskBeforeExit("Lost?") == Platform::ExitChoice::Cancel);
        AnswerNextDialog([](QWidget* d) { QTest::keyClick(d, Qt::Key_Escape); });
        QCOMPARE(platform.InputBox("Zoom", "Zoom:", "$52"), std::string("$52"));
        AnswerNextDialog([](QWidget* d) {
            d->findChild<QLineEdit*>()->setText("17");
            ClickButton(d, "OK");
        });
        QCOMPARE(platform.InputQuery("Zoom", "Zoom:", "$52"), std::optional<std::string>("17"));
        AnswerNextDialog([](QWidget* d) { QTest::keyClick(d, Qt::Key_Escape); });
        QCOMPARE(platform.InputQuery("Zoom", "Zoom:", "1"), std::optional<std::string>());
        AnswerNextDialog([](QWidget* d) { ClickButton(d, "OK"); });
        platform.ShowMessage("Done.");

        // The open dialog starts in the folder last used and makes the chosen file's its own.
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("pictures"));
        const QString chosen = dir.filePath("pictures/a.prg");
        PutBytes(chosen, "x");
        platform.SetDialogFolder(S(dir.path()));
        QString startedIn;
        AnswerNextDialog([&](QWidget* d) {
            auto* dialog = qobject_cast<QFileDialog*>(d);
            startedIn = dialog->directory().absolutePath();
            dialog->selectFile(chosen);
            static_cast<QDialog*>(dialog)->accept();
        });
        QCOMPARE(platform.OpenFileDialog({"Programs|*.prg", "prg"}), std::optional(S(chosen)));
        QCOMPARE(startedIn, dir.path());
        QCOMPARE(platform.DialogFolder(), S(dir.filePath("pictures")));
        // The picture dialog offers the pictures the codec reads, SVG drawings not among them.
        QStringList offered;
        AnswerNextDialog([&](QWidget* d) {
            auto* dialog = qobject_cast<QFileDialog*>(d);
            offered = dialog->nameFilters();
            dialog->selectFile(chosen);
            static_cast<QDialog*>(dialog)->accept();
        });
        QCOMPARE(platform.OpenPictureDialog(), std::optional(S(chosen)));
        QVERIFY(!offered.isEmpty() && offered.front().contains("*.png"));
        QVERIFY(!offered.front().contains("svg"));
        AnswerNextDialog([](QWidget* d) { ClickButton(d, "OK"); });
        platform.ShowInformation("Done.");

        // The Gfx Data window gives back what the user left in it.
        AnswerNextDialog([](QWidget* d) {
            auto* data = qobject_cast<TFormData*>(d);
            data->memoText->setPlainText("DB $01");
            data->close();
        });
        QCOMPARE(platform.ShowTextWindow("DB $00", TextWindowPurpose::Save, "Gfx Data"),
                 std::string("DB $01"));

        BareWindow window;
        platform.Attach(&window);
        window.show();
        platform.SetWindowBounds({100, 60, 700, 500});
        QTRY_VERIFY(platform.GetWindowBounds().width == 700);
        const WindowBounds b = platform.GetWindowBounds();
        QCOMPARE(QRect(b.left, b.top, b.width, b.height), QRect(100, 60, 700, 500));
        platform.SetWindowState(WindowState::Maximized);
        QVERIFY(platform.GetWindowState() == WindowState::Maximized);
        platform.SetWindowState(WindowState::Normal);
        QVERIFY(platform.GetWindowState() == WindowState::Normal);
        platform.CloseMainWindow();
        QVERIFY(!window.isVisible());
        platform.Attach(nullptr);

        bool ran = false;
        QMetaObject::invokeMethod(
            qApp, [&] { ran = true; }, Qt::QueuedConnection);
        platform.ProcessPendingEvents();
        QVERIFY(ran);
        QCOMPARE(platform.ExportPicturePath(), S(QDir::home().filePath("export.bmp")));
        QCOMPARE(platform.FrameWidth(), 4);
        QCOMPARE(platform.FrameHeight(), 4);
    }

    void picturesAreKnownByTheirContentAndReadByTheCorner() {
        QtPlatform platform;
        QTemporaryDir dir;
        QImage image(100, 80, QImage::Format_RGB32);
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 100; ++x) image.setPixel(x, y, qRgb(x, y, 7));
        const QString png = dir.filePath("picture.dat");
        QVERIFY(image.save(png, "PNG"));
        QCOMPARE(platform.PictureTypeOf(platform.ReadFile(S(png), 64)), std::string("png"));
        QCOMPARE(platform.PictureTypeOf(Bytes("DB $00,$01")), std::string());
        const Picture corner = platform.LoadPictureCorner(S(png), 30, 20);
        QCOMPARE(corner.width, 30);
        QCOMPARE(corner.height, 20);
        QCOMPARE(corner.at(29, 19), MakeRgbColor(29, 19, 7));
    }

    void helpAskedForInAModalDialogBelongsToIt() {
        QtPlatform platform;
        QDialog dialog;
        QPointer<HelpViewer> help;
        QTimer::singleShot(0, &dialog, [&] {
            platform.ShowHelpContext(S(BuiltHelpFile()), 2112);
            help = platform.helpViewer();
            dialog.reject();
        });
        dialog.exec();
        QVERIFY(help);
        QCOMPARE(help->parentWidget(), &dialog);
        QVERIFY(help->isWindow());
    }

    void helpShowsTopicsByNameAndByContextNumber() {
        QtPlatform platform;
        const std::string file = S(BuiltHelpFile());
        QVERIFY(QFileInfo(BuiltHelpFile()).isFile());

        platform.ShowHelpTopic(file, "IDH_01002");
        HelpViewer* viewer = platform.helpViewer();
        QVERIFY(viewer);
        QVERIFY(viewer->isVisible());
        QCOMPARE(viewer->title(), QString("Keyboard commands"));
        QVERIFY(viewer->plainText().contains("F12"));
        QVERIFY(viewer->plainText().contains("Ctrl + Alt + C"));

        platform.ShowHelpContext(file, 2104);
        QCOMPARE(platform.helpViewer(), viewer);  // one help window, reused
        QCOMPARE(viewer->title(), QString("Export .PRG"));
        platform.ShowHelpContext(file, 2501);
        QCOMPARE(viewer->title(), QString("Keyboard commands"));

        // A bare name is found beside the program, wherever it was started from.
        platform.ShowHelpTopic("varnospixolat.hlp", "IDH_01002");
        QCOMPARE(viewer->title(), QString("Keyboard commands"));

        platform.ShowHelpContext(file, 9999);
        QCOMPARE(viewer->title(), QString("Help topic not found"));
        QVERIFY(viewer->plainText().contains("9999"));
        platform.ShowHelpTopic(file, "IDH_NOWHERE");
        QVERIFY(viewer->plainText().contains("IDH_NOWHERE"));

        platform.ShowHelpTopic("/no/such/folder/varnospixolat.hlp", "IDH_01002");
        QCOMPARE(viewer->title(), QString("Help not available"));
        QVERIFY(viewer->plainText().contains("/no/such/folder/varnospixolat.hlp"));
    }

    void anInstalledProgramFindsTheHelpFileInShare() {
        QTemporaryDir prefix;
        QVERIFY(prefix.isValid());
        QVERIFY(QDir(prefix.path()).mkpath("bin") && QDir(prefix.path()).mkpath("share/pixolat"));
        const QString bin = prefix.filePath("bin");
        const QString beside = prefix.filePath("bin/varnospixolat.hlp");
        const QString installed = prefix.filePath("share/pixolat/varnospixolat.hlp");
        QVERIFY(QFile::copy(BuiltHelpFile(), installed));

        // The bare name and the path beside the program both reach share/pixolat,
        // whatever lies in the current folder.
        const QString current = QDir::currentPath();
        QVERIFY(QFile::copy(BuiltHelpFile(), prefix.filePath("varnospixolat.hlp")));
        QVERIFY(QDir::setCurrent(prefix.path()));
        const QString fromCurrentFolder = ResolveHelpPath("varnospixolat.hlp", bin);
        QDir::setCurrent(current);
        QCOMPARE(fromCurrentFolder, installed);
        QCOMPARE(ResolveHelpPath(beside, bin), installed);
        // A copy beside the program wins; a folder of the caller's own is kept.
        QVERIFY(QFile::copy(BuiltHelpFile(), beside));
        QCOMPARE(ResolveHelpPath("varnospixolat.hlp", bin), beside);
        QCOMPARE(ResolveHelpPath("/no/such/folder/varnospixolat.hlp", bin),
                 QString("/no/such/folder/varnospixolat.hlp"));
    }

    void theHelpFileCoversEveryMenuContext() {
        const std::optional<HelpFile> file = HelpFile::Load(BuiltHelpFile());
        QVERIFY(file.has_value());
        QList<int> contexts = {2100, 2101, 2102, 2103, 2104, 2105, 2106, 2200, 2201,
                               2202, 2204, 2205, 2300, 2301, 2302, 2304, 2305, 2306,
                               2307, 2309, 2311, 2406, 2401, 2402, 2403, 2404, 2405,
                               2407, 2408, 2410, 2411, 2412, 2500, 2501, 2502};
        for (const MenuItem& item : BuildMainMenu())
            if (item.helpContext != 0) contexts.append(item.helpContext);
        for (int context : contexts) {
            const HelpTopic* topic = file->FindByContext(context);
            QVERIFY2(topic, qPrintable(QString::number(context)));
            QVERIFY(!topic->title.isEmpty());
        }
        QVERIFY(file->FindByName("IDH_01002") == file->FindByContext(2501));
        QVERIFY(file->FindByName("idh_01002"));
    }

    void helpTextBecomesParagraphsListsAndTables() {
        const HelpFile file = HelpFile::Parse(
            "# comment before the first topic\r\n"
            "@topic ONE 7 TWO 8\r\n"
            "The <title>\r\n"
            "first line\r\n"
            "same paragraph\r\n"
            "\r\n"
            "- item a\r\n"
            "- item b\r\n"
            "Key | Action\r\n"
            "A | does a\r\n"
            "@topic 9\r\n"
            "Other\r\n");
        QCOMPARE(file.topics().size(), 2);
        const HelpTopic* one = file.FindByContext(8);
        QVERIFY(one && one == file.FindByName("TWO") && one == file.FindByName("ONE"));
        QVERIFY(!file.FindByName("comment"));
        QCOMPARE(one->title, QString("The <title>"));
        QCOMPARE(file.FindByContext(9)->title, QString("Other"));
        QVERIFY(!file.FindByContext(10));

        const QString html = TopicHtml(*one);
        QVERIFY(html.contains("<h2>The &lt;title&gt;</h2>"));
        QVERIFY(html.contains("<p>first line same paragraph</p>"));
        QVERIFY(html.contains("<ul><li>item a</li><li>item b</li></ul>"));
        QVERIFY(html.contains("<th align=\"left\">Key</th>"));
        QVERIFY(html.contains("<td>does a</td>"));
        QVERIFY(html.endsWith("</table>"));
    }
};

PIXOLAT_GUI_TEST(QtPlatformTest);
#include "qt_platform_test.moc"
