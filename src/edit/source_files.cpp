#include "edit/source_files.h"

#include "document/errors.h"
#include "document/pixels.h"
#include "edit/editor.h"
#include "edit/image_switching.h"

namespace pixolat {

namespace {

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

SourceLoadResult ReadSourceFileSteps(Editor& editor, const std::vector<std::string>& paths) {
    const int firstImage = editor.state().currentImage;
    SourceTextReader reader(editor.store(), editor.state(),
                            [&editor](int index) { editor.undo().BeforeImageChange(index); },
                            {.skipByteOrderMark = true});
    for (const std::string& path : paths) {
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
    }
    SourceLoadResult result;
    try {
        result = reader.Finish();
    } catch (const Error& e) {
        throw Error(paths.back() + ", " + e.text());
    }
    ShowSourceLoad(editor, firstImage, result);
    editor.undo().EndStep();
    return result;
}

}  // namespace

SourceLoadResult ReadSourceFile(Editor& editor, const std::string& path) {
    return ReadSourceFiles(editor, {path});
}

SourceLoadResult ReadSourceFiles(Editor& editor, const std::vector<std::string>& paths) {
    return ReadAllOrNothing(editor, [&] { return ReadSourceFileSteps(editor, paths); });
}

SourceLoadResult ReadAllOrNothing(Editor& editor, const std::function<SourceLoadResult()>& read) {
    try {
        return read();
    } catch (...) {
        // The reader put every image back: what the history saw of the
        // load is no change.
        editor.undo().history().DropOpenStep(editor.store());
        throw;
    }
}

void ShowSourceLoad(Editor& editor, int firstImage, const SourceLoadResult& result) {
    if (editor.state().currentImage != firstImage) {
        ShowCurrentImage(editor);
    } else {
        NormalizeCurrentImage(editor.store(), editor.state());
        editor.viewArea().UpdateScrollRanges();
        editor.viewArea().FullRedraw();
    }
    if (result.droppedSections > 0) editor.platform().ShowMessage(DroppedMessage(result));
}

void OpenSourceFile(Editor& editor, const std::string& path) {
    const SourceLoadResult result = ReadSourceFile(editor, path);
    // The file holds the images it filled; other changed images stay changed.
    for (int index : result.images) editor.undo().MarkSaved(index);
    editor.ShowStatus("Loaded source file (" + path + ", " + ImageCount(result.sections) + ")");
}

void SaveSourceFile(Editor& editor, const std::string& path) {
    editor.undo().EndStep();  // whatever changed so far is in the file
    const SourceSyntax syntax = editor.ui().sourceSyntax;
    editor.platform().WriteFile(
        path, SourceFileBytes(editor.store(), editor.state().currentImage, syntax));
    editor.undo().MarkAllSaved();
    editor.ShowStatus(SavedSourceStatus(NonEmptyImages(editor.store()), syntax, path));
}

int NonEmptyImages(const ImageStore& store) {
    int n = 0;
    for (int i = 0; i < kImageCount; ++i)
        n += store.image(i).desc.width > 0 && store.image(i).desc.height > 0;
    return n;
}

std::string SavedSourceStatus(int images, SourceSyntax syntax, const std::string& where) {
    return "Saved " + ImageCount(images) + " as " + std::string(SyntaxName(syntax)) +
           " source to " + where;
}

}  // namespace pixolat
