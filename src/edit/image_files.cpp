#include "edit/image_files.h"

#include <algorithm>
#include <memory>
#include <span>

#include "conversion/picture_conversion.h"
#include "document/pixels.h"
#include "edit/editor.h"
#include "edit/source_files.h"
#include "formats/file_kind.h"
#include "formats/picture_import.h"
#include "formats/prg_format.h"

namespace pixolat {

namespace {

// The file-name part of a path. "/" counts as a folder separator besides "\"
// and ":", so paths on every system show just the name.
std::string FileNamePart(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\:/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

void ImportPrgFile(Editor& editor, const std::string& path) {
    const std::vector<uint8_t> bytes = editor.platform().ReadFile(path, kPrgReadLimit);
    if (DecodePrg(bytes, editor.currentImage()) == PrgFormat::Unknown) {
        editor.platform().ShowMessage(
            "Could not determine PRG format.\rPlease email this file to the author!");
        return;
    }
    // The new size and pixel width may leave the cursor outside the image or
    // on the right half of a multicolor pixel.
    NormalizeCurrentImage(editor.store(), editor.state());
    editor.viewArea().UpdateScrollRanges();
    editor.viewArea().FullRedraw();
    editor.ShowStatus("Loaded PRG file (" + path + ")");
}

void ExportPrgFile(Editor& editor, const std::string& path, PrgLayout layout) {
    // WriteFile replaces the file whole or not at all and throws on failure,
    // so a failed export never reaches the recent files.
    const Image& image = editor.currentImage();
    editor.platform().WriteFile(path, EncodePrgLayout(image, layout));
    AddRecentFile(editor, path);
    const char* command = layout == PrgLayout::Dfli      ? "Export DFLI .PRG"
                          : layout == PrgLayout::Charset ? "Export Charset .PRG"
                                                         : "Export .PRG";
    const std::vector<std::string> lost = PrgLeftOut(image, layout);
    // Said either way, so that a finished export is told from one that never
    // started, and nothing is left out unsaid.
    if (!lost.empty())
        editor.ShowStatus(std::string(command) + " " + LeftOutText(lost) + ".");
    else
        editor.ShowStatus("Exported PRG file (" + path + ")");
}

void ImportPictureFile(Editor& editor, const std::string& path) {
    // Only the part that fits a pixel plane is used, so only that is loaded.
    const Picture picture = editor.platform().LoadPictureCorner(path, kPlaneWidth, kPlaneHeight);
    const PictureArea area = PictureImportArea(picture);
    ImageDescriptor& desc = editor.currentImage().desc;
    if (desc.width < area.width || desc.height < area.height) {
        if (editor.platform().AskYesNo(
                "The bitmap is larger than the current picture. Enlarge it?")) {
            desc.width = area.width;
            desc.height = area.height;
        }
    }
    ImportPicturePixels(picture, editor.currentImage());
    NormalizeCurrentImage(editor.store(), editor.state());
    editor.viewArea().UpdateScrollRanges();
    editor.viewArea().FullRedraw();
    // Shown over what was read, so the user sees what the cut left.
    if (!picture.damage.empty()) editor.platform().ShowMessage(picture.damage);
}

void ImportPictureOrConvert(Editor& editor, const std::string& path) {
    const Picture picture = editor.platform().LoadPictureCorner(path, kPlaneWidth, kPlaneHeight);
    const int values = PixelWidthOf(editor.currentImage().desc) == 2 ? 4 : 2;
    // Bits of red make noise or black of a picture not drawn for them: a
    // photograph wants its colors matched.
    if (PictureHasMoreColors(picture, std::size_t(values)) &&
        editor.platform().AskYesNo(
            "The picture has more colors than the image's " + std::to_string(values) +
            " pixel values.\rYes: convert it, matching its colors (Import Picture).\r"
            "No: read each pixel's value from bits of its red, as for a picture drawn for "
            "this editor.")) {
        ImportConvertedPicture(editor, path);
        return;
    }
    ImportPictureFile(editor, path);
}

void ImportMaskResult(Editor& editor, const std::string& path) {
    // The window opened from a key that started a step: what came before
    // stays a step of its own.
    editor.undo().EndStep();
    editor.undo().NameStep("Open Result");
    ImportPictureFile(editor, path);
    editor.undo().EndStep();
}

void ImportConvertedPicture(Editor& editor, const std::string& path) {
    // The picture's own decode budget bounds what this takes, not its sides.
    constexpr int kWhole = 1 << 16;
    const Picture picture = editor.platform().LoadPictureCorner(path, kWhole, kWhole);
    auto result = std::make_unique<ConvertedImage>();
    if (!editor.platform().ShowImportPicture(picture, result->image())) return;
    StoreConvertedImage(result->image(), editor.currentImage());
    NormalizeCurrentImage(editor.store(), editor.state());
    editor.viewArea().UpdateScrollRanges();
    editor.viewArea().FullRedraw();
}

void AddRecentFile(Editor& editor, const std::string& path) {
    auto& files = editor.ui().recentFiles;
    if (!path.empty() && std::find(files.begin(), files.end(), path) == files.end()) {
        std::move_backward(files.begin(), files.end() - 1, files.end());
        files[0] = path;
    }
}

std::string RecentFileCaption(const Editor& editor, int n) {
    std::string caption = "(";
    caption += char('0' + n);
    caption += ") ";
    // A "&" of the name is shown, not taken as the item's access key.
    for (const char c : FileNamePart(editor.ui().recentFiles[std::size_t(n - 1)]))
        caption.append(c == '&' ? 2 : 1, c);
    return caption;
}

bool HasRecentFiles(const Editor& editor) {
    const auto& files = editor.ui().recentFiles;
    return std::any_of(files.begin(), files.end(), [](const std::string& f) { return !f.empty(); });
}

void OpenRecentFile(Editor& editor, int n) {
    if (n < 1 || n > 4) return;
    const std::string path = editor.ui().recentFiles[std::size_t(n - 1)];
    if (path.empty()) return;
    // The step is named for the file, as the menu item is.
    editor.undo().NameStep("Open " + FileNamePart(path));
    ImportPrgFile(editor, path);
}

void AcceptDroppedFiles(Editor& editor, const std::vector<std::string>& paths) {
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!editor.platform().FileExists(paths[i])) continue;
        if (Extension(paths[i]) == ".prg" || i + 1 == paths.size()) {
            OpenFileByContent(editor, paths[i]);
            return;
        }
    }
}

void OpenFileByContent(Editor& editor, const std::string& path) {
    Platform& platform = editor.platform();
    const std::vector<uint8_t> head = platform.ReadFile(path, kPrgReadLimit);
    const auto isPicture = [&] { return !platform.PictureTypeOf(head).empty(); };
    switch (FileKindOf(path, head, isPicture)) {
        case FileKind::Source:
            OpenSourceFile(editor, path);
            break;
        case FileKind::Picture:
            ImportPictureOrConvert(editor, path);
            break;
        default:
            // What no reader takes gets the program reader's message.
            ImportPrgFile(editor, path);
    }
}

}  // namespace pixolat
