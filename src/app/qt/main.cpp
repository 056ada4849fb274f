#include <QApplication>
#include <QMetaObject>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/qt/close_on_signal.h"
#include "app/qt/form_editor.h"
#include "app/qt/form_mask.h"
#include "app/qt/qt_platform.h"
#include "edit/image_files.h"

int main(int argc, char* argv[]) {
    // Answered before any window system is needed, so they work in a terminal without one.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("pixolat %s\n", PIXOLAT_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf(
                "usage: pixolat [FILE]\n"
                "Starts the Plus/4 graphics editor; a file given is opened by its content:\n"
                "a .PRG as with File > Import .PRG, a picture as with Import .BMP, source\n"
                "text as with Open Source File. pixolat-convert converts files without a\n"
                "window.\n");
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Pixolat");
    QApplication::setDesktopFileName("org.pixolat.pixolat");  // the dock's icon and name
    pixolat::QtPlatform platform;
    pixolat::TFormEditor editor(platform);
    platform.openMaskProcessor = [&platform, &editor](QWidget* parent) {
        pixolat::TFormMask::Open(platform, parent, editor.MaskLinks());
    };
    pixolat::CloseOnSignal closeOnSignal(&editor, [&editor] { return editor.Busy(); });
    editor.show();
    // A file from the command line or the desktop's "Open With" is opened
    // once the window is up, so a message about it has a window to sit on.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) {
        const std::string path = arguments[1].toStdString();
        QMetaObject::invokeMethod(
            &editor,
            [&editor, path] {
                editor.Run([&] { pixolat::OpenFileByContent(editor.editor(), path); });
            },
            Qt::QueuedConnection);
    }
    return app.exec();
}
