#include "edit/commands/export_commands.h"

#include <string>

#include "document/errors.h"
#include "edit/editor.h"
#include "formats/prg_parts.h"
#include "formats/source_syntax.h"

namespace pixolat {

namespace {

constexpr const char* kSyntaxSetting = "SourceSyntax";
constexpr const char* kPartsSetting = "PartAddresses";

const FileDialogOptions kSaveParts{
    "PRG Files (*.prg)|*.prg|Raw Files (*.bin)|*.bin|All Files (*.*)|*.*", "prg"};

// The name the user gave, less a .prg or .bin that the part names replace.
std::string BaseName(std::string path) {
    for (const char* ext : {".prg", ".PRG", ".bin", ".BIN"}) {
        const std::string e = ext;
        if (path.size() > e.size() && path.ends_with(e))
            return path.substr(0, path.size() - e.size());
    }
    return path;
}

}  // namespace

void ReadExportSettings(Editor& editor) {
    try {
        Platform& platform = editor.platform();
        if (const auto syntax = SyntaxFromName(platform.ReadSettingText(kSyntaxSetting)))
            editor.ui().sourceSyntax = *syntax;
        if (const auto parts = ParsePartAddresses(platform.ReadSettingText(kPartsSetting)))
            editor.ui().partAddresses = *parts;
    } catch (const std::exception&) {
        // An unreadable store keeps the defaults.
    }
}

void ChooseSourceSyntax(Editor& editor, int n) {
    const SourceSyntax syntax = kSourceSyntaxes[n];
    editor.ui().sourceSyntax = syntax;
    editor.platform().WriteSettingText(kSyntaxSetting, std::string(SyntaxName(syntax)));
    editor.ShowStatus("Source text is written for " +
                      (syntax == SourceSyntax::Db ? std::string("the DB form")
                                                  : std::string(SyntaxName(syntax))) +
                      ".");
}

void mnuFileExportPartsClick(Editor& editor) {
    Platform& platform = editor.platform();
    const Image& image = editor.currentImage();
    if (image.desc.width <= 0 || image.desc.height <= 0)
        return platform.ShowMessage("The image is empty: there are no parts to export.");
    const PartAddresses start = editor.ui().partAddresses;
    const auto text = platform.InputQuery(
        "Export Parts",
        "Raw or prg files, and the load address of each part:", PartAddressesText(start));
    if (!text) return;
    const std::optional<PartAddresses> addresses = ParsePartAddresses(*text, start);
    if (!addresses)
        return platform.ShowMessage("'" + *text +
                                    "' is no list of parts: write raw or prg and words such as "
                                    "bitmap=$2000 luminance=$1800 color=$1C00 colors=$1BFE.");
    const std::vector<MemoryPart> parts = ImageParts(image, *addresses);
    std::vector<uint8_t> all;
    try {
        all = AllPartsPrg(parts);
    } catch (const Error& e) {
        return platform.ShowMessage(e.text());
    }
    editor.ui().partAddresses = *addresses;
    platform.WriteSettingText(kPartsSetting, PartAddressesText(*addresses));
    const auto path = platform.SaveFileDialog(kSaveParts);
    if (!path) return;
    const std::string base = BaseName(*path);
    for (const MemoryPart& part : parts)
        platform.WriteFile(PartFileName(base, part.name, addresses->raw),
                           PartFileBytes(part, addresses->raw));
    platform.WriteFile(PartFileName(base, "all", addresses->raw), all);
    editor.ShowStatus("Exported " + std::to_string(parts.size()) + " parts and all of them as " +
                      PartFileName(base, "all", addresses->raw));
}

}  // namespace pixolat
