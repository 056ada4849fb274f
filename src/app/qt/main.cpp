#include <QApplication>

#include "app/qt/form_editor.h"
#include "app/qt/form_mask.h"
#include "app/qt/qt_platform.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Pixolat");
    pixolat::QtPlatform platform;
    platform.openMaskProcessor = [&platform](QWidget* parent) {
        pixolat::TFormMask::Open(platform, parent);
    };
    pixolat::TFormEditor editor(platform);
    editor.show();
    return app.exec();
}
