#include "edit/source_files.h"

#include "document/errors.h"
#include "document/pixels.h"
#include "edit/editor.h"
#include "formats/source_text.h"

namespace pixolat {

namespace {

std::string ImageCount(int n) {
    return std::to_string(n) + (n == 1 ? " image" : " images");
}

}  // namespace

SourceFileRead ReadSourceBytes(Editor& editor, const std::vector<uint8_t>& bytes) {
    SourceFileRead read;
    // A value that is not a number unwinds from the reader: what was read
    // stays, and is one step to undo.
    const SourceLoadResult result =
        LoadSourceFile(editor.store(), editor.state(), bytes, [&editor, &read](int index) {
            editor.BeforeImageChange(index);
            read.images.push_back(index);
        });
    read.truncated = result.truncated;
    NormalizeCurrentImage(editor.store(), editor.state());
    editor.UpdateScrollRanges();
    editor.FullRedraw();
    editor.EndStep();
    return read;
}

std::string DroppedImagesText(const SourceFileRead& read) {
    return read.truncated ? "; the images after image 256 did not fit and were not read" : "";
}

void OpenSourceFile(Editor& editor, const std::string& path) {
    // One byte past the limit tells a file that is too large from one that
    // just fits: a cut file would load as if it were whole.
    const std::vector<uint8_t> bytes = editor.platform().ReadFile(path, kSourceFileLimit + 1);
    if (bytes.size() > kSourceFileLimit)
        throw Error(path + " is larger than 2 GiB; files up to 2 GiB are read");
    const SourceFileRead read = ReadSourceBytes(editor, bytes);
    // The file holds the images it filled; other changed images stay changed.
    for (int index : read.images) editor.MarkSaved(index);
    editor.ShowStatus("Loaded source file (" + path + ", " + ImageCount(int(read.images.size())) +
                      ")" + DroppedImagesText(read));
}

void SaveSourceFile(Editor& editor, const std::string& path) {
    editor.EndStep();  // whatever changed so far is in the file
    editor.platform().WriteFile(path, SourceFileBytes(editor.store()));
    editor.MarkAllSaved();
    editor.ShowStatus("Saved source file (" + path + ")");
}

}  // namespace pixolat
