#include "edit/commands/file_commands.h"

#include <string>

#include "edit/editor.h"
#include "edit/image_files.h"
#include "edit/recovery.h"
#include "edit/source_files.h"
#include "formats/picture_export.h"
#include "formats/runnable_prg.h"
#include "formats/source_text.h"

namespace pixolat {

namespace {

const FileDialogOptions kOpenPrg{"PRG Files (*.prg)|*.prg;*.p4i|All Files (*.*)|*.*", "prg"};
const FileDialogOptions kSavePrg{"PRG Files (*.prg)|*.prg|All Files (*.*)|*.*", "prg"};
const FileDialogOptions kSavePicture{
    "PNG Pictures (*.png)|*.png|Windows Bitmaps (*.bmp)|*.bmp|All Files (*.*)|*.*", "png"};
const FileDialogOptions kSourceFiles{
    "Source text (*.asm *.s *.inc *.src *.txt)|*.asm;*.s;*.inc;*.src;*.txt|All Files (*.*)|*.*",
    "asm"};

}  // namespace

void mnuFileExportPictureClick(Editor& editor) {
    const Image& image = editor.currentImage();
    if (image.desc.width <= 0 || image.desc.height <= 0)
        return editor.platform().ShowMessage("The image is empty: there is no picture to export.");
    if (const auto path = editor.platform().SaveFileDialog(kSavePicture)) {
        editor.platform().SavePicture(*path, RenderImage(image, editor.state().rgbTable));
        editor.ShowStatus("Exported picture (" + *path + ")");
    }
}

void mnuFileSaveClick(Editor& editor) {
    // The text of a source file, with the lines that bring back each image's
    // index, exact name and colors through Load (as source).
    const SourceSyntax syntax = editor.ui().sourceSyntax;
    const int images = NonEmptyImages(editor.store());
    std::string text;
    if (images > 0) {
        const std::vector<uint8_t> bytes =
            SourceFileBytes(editor.store(), editor.state().currentImage, syntax);
        text.assign(bytes.begin(), bytes.end());
    }
    const std::string title = syntax == SourceSyntax::Db
                                  ? std::string("Gfx Data")
                                  : "Gfx Data (" + std::string(SyntaxName(syntax)) + " source)";
    editor.platform().ShowTextWindow(text, TextWindowPurpose::Save, title);
    editor.ShowStatus(SavedSourceStatus(images, syntax, "the Gfx Data window"));
}

void mnuFileLoadClick(Editor& editor) {
    // The window has no cancel: whatever it holds when closed is read.
    const std::string text =
        editor.platform().ShowTextWindow(std::string(), TextWindowPurpose::Load, "Gfx Data");
    const int firstImage = editor.state().currentImage;
    // A value that is not a number unwinds from here with its line, and the
    // reader has put back everything it had read.
    const SourceLoadResult result = ReadAllOrNothing(editor, [&] {
        return LoadSourceText(editor.store(), editor.state(), text,
                              [&editor](int index) { editor.undo().BeforeImageChange(index); });
    });
    ShowSourceLoad(editor, firstImage, result);
    editor.ShowStatus("Loaded source text (" + std::to_string(result.sections) +
                      (result.sections == 1 ? " image)." : " images)."));
}

void mnuFileImportPRGClick(Editor& editor) {
    if (const auto path = editor.platform().OpenFileDialog(kOpenPrg)) ImportPrgFile(editor, *path);
}

void mnuFileExportPRGClick(Editor& editor) {
    if (const auto path = editor.platform().SaveFileDialog(kSavePrg)) ExportPrgFile(editor, *path);
}

void mnuFileExportDfliPRGClick(Editor& editor) {
    if (const auto path = editor.platform().SaveFileDialog(kSavePrg))
        ExportPrgFile(editor, *path, PrgLayout::Dfli);
}

void mnuFileExportCharsetPRGClick(Editor& editor) {
    if (const auto path = editor.platform().SaveFileDialog(kSavePrg))
        ExportPrgFile(editor, *path, PrgLayout::Charset);
}

void mnuFileExportRunnablePRGClick(Editor& editor) {
    // Not listed among the recent files: a runnable file is a program first.
    const Image& image = editor.currentImage();
    if (const auto path = editor.platform().SaveFileDialog(kSavePrg)) {
        editor.platform().WriteFile(*path, EncodeRunnablePrg(image));
        const std::vector<std::string> lost = PrgLeftOut(image, RunnablePrgLayout(image));
        if (!lost.empty()) editor.ShowStatus("Export Runnable .PRG " + LeftOutText(lost) + ".");
    }
}

void mnuFileImportBMPClick(Editor& editor) {
    if (const auto path = editor.platform().OpenPictureDialog())
        ImportPictureOrConvert(editor, *path);
}

void mnuFileImportPictureClick(Editor& editor) {
    if (const auto path = editor.platform().OpenPictureDialog())
        ImportConvertedPicture(editor, *path);
}

void mnuFileExitClick(Editor& editor) {
    editor.platform().CloseMainWindow();
}

void mnuFileOpenSourceClick(Editor& editor) {
    if (const auto path = editor.platform().OpenFileDialog(kSourceFiles))
        OpenSourceFile(editor, *path);
}

void mnuFileSaveSourceClick(Editor& editor) {
    if (const auto path = editor.platform().SaveFileDialog(kSourceFiles))
        SaveSourceFile(editor, *path);
}

void RecoverSession(Editor& editor, int n) {
    editor.recovery().Recover(std::size_t(n - 1));
}

}  // namespace pixolat
