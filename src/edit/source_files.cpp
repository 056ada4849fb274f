#include "edit/source_files.h"

#include "document/errors.h"
#include "document/pixels.h"
#include "edit/editor.h"
#include "edit/image_switching.h"
#include "formats/source_text.h"

namespace pixolat {

namespace {

constexpr const char* kRecoveryFileName = "recovery.asm";

std::string ImageCount(int n) {
    return std::to_string(n) + (n == 1 ? " image" : " images");
}

std::string DroppedMessage(const SourceLoadResult& result) {
    std::string names;
    for (const std::string& name : result.droppedNames)
        names += (names.empty() ? "" : ", ") + (name.empty() ? "(untitled)" : "\"" + name + "\"");
    const int unnamed = result.droppedSections - int(result.droppedNames.size());
    if (unnamed > 0) names += " and " + std::to_string(unnamed) + " more";
    return ImageCount(result.droppedSections) + " did not fit after image #256 and " +
           (result.droppedSections == 1 ? "was" : "were") + " not read: " + names +
           ". Read the text from a lower image to get them.";
}

SourceLoadResult ReadSourceFileSteps(Editor& editor, const std::string& path);

// Reads the file as one step; a failure changes nothing.
SourceLoadResult ReadSourceFile(Editor& editor, const std::string& path) {
    return ReadAllOrNothing(editor, [&] { return ReadSourceFileSteps(editor, path); });
}

SourceLoadResult ReadSourceFileSteps(Editor& editor, const std::string& path) {
    const int firstImage = editor.state().currentImage;
    SourceTextReader reader(editor.store(), editor.state(),
                            [&editor](int index) { editor.BeforeImageChange(index); },
                            {.skipByteOrderMark = true});
    const bool whole = editor.platform().ReadFileInPieces(
        path, kSourceFileLimit, [&reader, &path](std::string_view piece) {
            try {
                reader.Feed(piece);
            } catch (const Error& e) {
                throw Error(path + ", " + e.text());
            }
        });
    // A cut file would load as if it were whole: the reader puts everything back.
    if (!whole) throw Error(path + " is larger than 2 GiB; files up to 2 GiB are read");
    SourceLoadResult result;
    try {
        result = reader.Finish();
    } catch (const Error& e) {
        throw Error(path + ", " + e.text());
    }
    ShowSourceLoad(editor, firstImage, result);
    editor.EndStep();
    editor.MarkSaved();
    return result;
}

}  // namespace

SourceLoadResult ReadAllOrNothing(Editor& editor, const std::function<SourceLoadResult()>& read) {
    try {
        return read();
    } catch (...) {
        // The reader put every image back: what the history saw of the
        // load is no change.
        editor.history().DropOpenStep(editor.store());
        throw;
    }
}

void ShowSourceLoad(Editor& editor, int firstImage, const SourceLoadResult& result) {
    if (editor.state().currentImage != firstImage) {
        ShowCurrentImage(editor);
    } else {
        NormalizeCurrentImage(editor.store(), editor.state());
        editor.UpdateScrollRanges();
        editor.FullRedraw();
    }
    if (result.droppedSections > 0) editor.platform().ShowMessage(DroppedMessage(result));
}

void RecoverLastSession(Editor& editor) {
    const std::string path = RecoveryFilePath(editor.platform());
    if (path.empty() || !editor.platform().FileExists(path)) {
        UpdateRecoverItem(editor);
        editor.ShowStatus("There is no last session to recover.");
        return;
    }
    const SourceLoadResult result = ReadSourceFile(editor, path);
    editor.ShowStatus("Recovered last session (" + ImageCount(result.sections) + ").");
}

void OpenSourceFile(Editor& editor, const std::string& path) {
    const SourceLoadResult result = ReadSourceFile(editor, path);
    editor.ShowStatus("Loaded source file (" + path + ", " + ImageCount(result.sections) + ")");
}

void SaveSourceFile(Editor& editor, const std::string& path) {
    editor.EndStep();  // whatever changed so far is in the file
    editor.platform().WriteFile(path, SourceFileBytes(editor.store(), editor.state().currentImage));
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
    editor.platform().WriteFile(path, SourceFileBytes(editor.store(), editor.state().currentImage));
    editor.MarkSaved();
}

void UpdateRecoverItem(Editor& editor) {
    const std::string path = RecoveryFilePath(editor.platform());
    editor.menuItem("mnuFileRecover").enabled = !path.empty() && editor.platform().FileExists(path);
}

}  // namespace pixolat
