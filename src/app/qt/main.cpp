#include <QApplication>

#include "app/qt/form_editor.h"
#include "app/qt/qt_platform.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Pixolat");
    pixolat::QtPlatform platform;
    pixolat::TFormEditor editor(platform);
    editor.show();
    return app.exec();
}
