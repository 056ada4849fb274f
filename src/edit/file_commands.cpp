// File menu commands: .PRG import and export, picture import, recent files
// and dropped files.
#include <algorithm>
#include <cctype>

#include "document/pixels.h"
#include "edit/editor.h"
#include "formats/picture_import.h"
#include "formats/prg_format.h"

namespace pixolat {

namespace {

const FileDialogOptions kOpenPrg{"PRG Files (*.prg)|*.prg;*.p4i|All Files (*.*)|*.*", "prg"};
const FileDialogOptions kSavePrg{"PRG Files (*.prg)|*.prg|All Files (*.*)|*.*", "prg"};

// The file-name part of a path. "/" counts as a folder separator besides "\"
// and ":", so paths on every system show just the name.
std::string FileNamePart(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\:/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool HasPrgExtension(const std::string& path) {
    if (path.size() < 4) return false;
    std::string tail = path.substr(path.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return tail == ".prg";
}

}  // namespace

void Editor::mnuFileImportPRGClick() {
    if (const auto path = platform_.OpenFileDialog(kOpenPrg)) ImportPrgFile(*path);
}

void Editor::mnuFileExportPRGClick() {
    if (const auto path = platform_.SaveFileDialog(kSavePrg)) ExportPrgFile(*path);
}

void Editor::mnuFileImportBMPClick() {
    if (const auto path = platform_.OpenPictureDialog()) ImportPictureFile(*path);
}

void Editor::ImportPrgFile(const std::string& path) {
    const std::vector<uint8_t> bytes = platform_.ReadFile(path, kPrgReadLimit);
    if (DecodePrg(bytes, currentImage()) == 0) {
        platform_.ShowMessage(
            "Could not determine PRG format.\rPlease email this file to the author!");
        return;
    }
    // The new size and pixel width may leave the cursor outside the image or
    // on the right half of a multicolor pixel.
    NormalizeCurrentImage(store_, state_);
    UpdateScrollRanges();
    FullRedraw();
    ShowStatus("Loaded PRG file (" + path + ")");
}

void Editor::ExportPrgFile(const std::string& path) {
    // WriteFile replaces the file whole or not at all and throws on failure,
    // so a failed export never reaches the recent files.
    platform_.WriteFile(path, EncodePrg(currentImage()));
    AddRecentFile(path);
}

void Editor::ImportPictureFile(const std::string& path) {
    const Picture picture = platform_.LoadPicture(path);
    const PictureArea area = PictureImportArea(picture);
    ImageDescriptor& desc = currentImage().desc;
    if (desc.width < area.width || desc.height < area.height) {
        if (platform_.AskYesNo("The bitmap is larger than the current picture. Enlarge it?")) {
            desc.width = area.width;
            desc.height = area.height;
        }
    }
    ImportPicturePixels(picture, currentImage());
    NormalizeCurrentImage(store_, state_);
    UpdateScrollRanges();
    FullRedraw();
}

void Editor::AddRecentFile(const std::string& path) {
    auto& files = state_.recentFiles;
    if (!path.empty() && std::find(files.begin(), files.end(), path) == files.end()) {
        std::move_backward(files.begin(), files.end() - 1, files.end());
        files[0] = path;
    }
    bool anyShown = false;
    for (int n = 1; n <= 4; ++n) {
        const std::string& file = files[std::size_t(n - 1)];
        MenuItem& item = menuItem("mnuFileMRU" + std::to_string(n));
        item.visible = !file.empty();
        std::string caption = "(";
        caption += char('0' + n);
        caption += ") ";
        caption += FileNamePart(file);
        item.caption = std::move(caption);
        anyShown = anyShown || item.visible;
    }
    menuItem("mnuFile4").visible = anyShown;
}

void Editor::OpenRecentFile(int n) {
    if (n < 1 || n > 4) return;
    const std::string path = state_.recentFiles[std::size_t(n - 1)];
    if (!path.empty()) ImportPrgFile(path);
}

void Editor::AcceptDroppedFiles(const std::vector<std::string>& paths) {
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!platform_.FileExists(paths[i])) continue;
        if (HasPrgExtension(paths[i]) || i + 1 == paths.size()) {
            ImportPrgFile(paths[i]);
            return;
        }
    }
}

}  // namespace pixolat
