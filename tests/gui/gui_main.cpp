#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "gui/gui_test.h"

namespace pixolat::testing {
std::vector<std::function<QObject*()>>& GuiTestRegistry() {
    static std::vector<std::function<QObject*()>> registry;
    return registry;
}

void ClearSettings() {
    QSettings settings("Varno", "Pixolat");
    settings.clear();
    settings.sync();
}
}  // namespace pixolat::testing

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // Settings go to a temporary folder, never the user's own. (Qt's test
    // mode is not used: it sends them to ~/.qttest, inside the user's home.)
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    // The recovery file too.
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    QApplication app(argc, argv);
    QApplication::setApplicationName("Pixolat");
    // PIXOLAT_GUI_TESTS=ClassA,ClassB runs those test classes alone.
    const QStringList only =
        QString::fromLocal8Bit(qgetenv("PIXOLAT_GUI_TESTS")).split(',', Qt::SkipEmptyParts);
    int failures = 0;
    for (const auto& make : pixolat::testing::GuiTestRegistry()) {
        std::unique_ptr<QObject> test(make());
        if (!only.isEmpty() && !only.contains(test->metaObject()->className())) continue;
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
