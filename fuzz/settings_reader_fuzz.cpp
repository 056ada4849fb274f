// Any bytes as the settings file: read as the desktop's settings store reads
// it, then by the editor at start-up. Whatever values it holds, the editor
// starts with a zoom, grid and window state it can draw.
#include <QSettings>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "edit/editor.h"
#include "edit/start_editor.h"
#include "support/scripted_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    static pixolat::testing::ScriptedPlatform platform;
    static pixolat::Editor editor(platform);
    const QString path = dir.filePath("Pixolat.conf");
    {
        FILE* file = std::fopen(path.toLocal8Bit().constData(), "wb");
        if (!file) std::abort();
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    platform.settings.clear();
    {
        QSettings store(path, QSettings::IniFormat);
        if (store.status() == QSettings::NoError)
            for (const QString& key : store.allKeys())
                platform.settings[key.toStdString()] = store.value(key).toString().toStdString();
    }
    pixolat::StartEditor(editor);
    const int zoom = editor.view().zoom;
    if (zoom <= 0 || zoom > 64) __builtin_trap();
    pixolat::SaveSettings(editor);
    return 0;
}
