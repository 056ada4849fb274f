#include "edit/source_files.h"

#include "document/errors.h"
#include "document/pixels.h"
#include "edit/editor.h"
#include "formats/source_text.h"

namespace pixolat {

namespace {

constexpr const char* kRecoveryFileName = "recovery.asm";

std::string ImageCount(int n) {
    return std::to_string(n) + (n == 1 ? " image" : " images");
}

// Reads the file as one step; returns the number of images read.
int ReadSourceFile(Editor& editor, const std::string& path) {
    // One byte past the limit tells a file that is too large from one that
    // just fits: a cut file would load as if it were whole.
    const std::vector<uint8_t> bytes = editor.platform().ReadFile(path, kSourceFileLimit + 1);
    if (bytes.size() > kSourceFileLimit)
        throw Error(path + " is larger than 2 GiB; files up to 2 GiB are read");
    // A value that is not a number unwinds from the reader: what was read
    // stays, and is one step to undo.
    const SourceLoadResult result =
        LoadSourceFile(editor.store(), editor.state(), bytes,
                       [&editor](int index) { editor.BeforeImageChange(index); });
    NormalizeCurrentImage(editor.store(), editor.state());
    editor.UpdateScrollRanges();
    editor.FullRedraw();
    editor.EndStep();
    editor.MarkSaved();
    return result.sections;
}

}  // namespace

void RecoverLastSession(Editor& editor) {
    const std::string path = RecoveryFilePath(editor.platform());
    if (path.empty() || !editor.platform().FileExists(path)) {
        UpdateRecoverItem(editor);
        editor.ShowStatus("There is no last session to recover.");
        return;
    }
    const int images = ReadSourceFile(editor, path);
    editor.ShowStatus("Recovered last session (" + ImageCount(images) + ").");
}

void OpenSourceFile(Editor& editor, const std::string& path) {
    const int images = ReadSourceFile(editor, path);
    editor.ShowStatus("Loaded source file (" + path + ", " + ImageCount(images) + ")");
}

void SaveSourceFile(Editor& editor, const std::string& path) {
    editor.EndStep();  // whatever changed so far is in the file
    editor.platform().WriteFile(path, SourceFileBytes(editor.store()));
    editor.MarkSaved();
    editor.ShowStatus("Saved source file (" + path + ")");
}

std::string RecoveryFilePath(Platform& platform) {
    const std::string folder = platform.DataFolder();
    return folder.empty() ? std::string() : folder + "/" + kRecoveryFileName;
}

void WriteRecoveryFile(Editor& editor) {
    editor.EndStep();
    if (!editor.ChangedSinceSaved()) return;
    const std::string path = RecoveryFilePath(editor.platform());
    if (path.empty()) return;
    editor.platform().WriteFile(path, SourceFileBytes(editor.store()));
    editor.MarkSaved();
}

void UpdateRecoverItem(Editor& editor) {
    const std::string path = RecoveryFilePath(editor.platform());
    editor.SetRecoveryFileFound(!path.empty() && editor.platform().FileExists(path));
}

}  // namespace pixolat
