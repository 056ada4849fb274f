#include "edit/image_properties.h"

#include <algorithm>

#include "document/errors.h"
#include "document/text.h"
#include "edit/editor.h"

namespace pixolat {

namespace {

constexpr int kMaxWidth = kPlaneWidth;
constexpr int kMaxHeight = kPlaneHeight;

bool IsNumberBox(ImagePropertiesDialog::Box box) {
    return box != ImagePropertiesDialog::EditName;
}

int MaximumOf(ImagePropertiesDialog::Box box) {
    switch (box) {
        case ImagePropertiesDialog::EditWidth:
            return kMaxWidth;
        case ImagePropertiesDialog::EditHeight:
            return kMaxHeight;
        case ImagePropertiesDialog::EditWidthC:
            return kMaxWidth / 8;
        default:
            return kMaxHeight / 8;
    }
}

}  // namespace

ImagePropertiesDialog::ImagePropertiesDialog(Platform& platform, const ImageDescriptor& desc)
    : platform_(platform) {
    texts_[EditName] = desc.name;
    texts_[EditWidth] = std::to_string(desc.width);
    texts_[EditHeight] = std::to_string(desc.height);
    multiColor = desc.pixelWidth != 1;
    const int kind = int(desc.colorMapKind);
    colorMap = kind <= 2 ? kind : -1;
    const int cells = int(desc.layout);
    layout = cells <= 2 ? cells : -1;
}

template <class Action>
void ImagePropertiesDialog::Guarded(Action&& action) {
    try {
        action();
    } catch (const Error& e) {
        platform_.ShowMessage(e.what());
    }
}

void ImagePropertiesDialog::FormActivate() {
    Guarded([&] {
        Sync(EditWidth, kMaxWidth, EditWidthC, 8, false);
        Sync(EditHeight, kMaxHeight, EditHeightC, 8, false);
    });
}

void ImagePropertiesDialog::SetText(Box box, const std::string& text) {
    texts_[box] = IsNumberBox(box) ? text.substr(0, kNumberBoxLength) : text;
    // The height box answers every change of its text, typed or set.
    if (box == EditHeight) Sync(EditHeight, kMaxHeight, EditHeightC, 8, false);
}

void ImagePropertiesDialog::Change(Box box, const std::string& text) {
    Guarded([&] { SetText(box, text); });
}

void ImagePropertiesDialog::Sync(Box from, int maximum, Box to, int factor, bool multiply) {
    const std::string& text = texts_[from];
    if (!IsNumber(text)) return;
    const int value = ParseNumber(text);
    if (value < 0 || value > maximum) return;
    SetText(to, std::to_string(multiply ? value * factor : value / factor));
}

void ImagePropertiesDialog::SyncPartner(Box box) {
    switch (box) {
        case EditWidth:
            Sync(EditWidth, kMaxWidth, EditWidthC, 8, false);
            break;
        case EditWidthC:
            Sync(EditWidthC, kMaxWidth / 8, EditWidth, 8, true);
            break;
        case EditHeightC:
            Sync(EditHeightC, kMaxHeight / 8, EditHeight, 8, true);
            break;
        default:  // the height box follows its own changes
            break;
    }
}

bool ImagePropertiesDialog::KeyPress(Box box, char c) {
    // Tab moves to the next control: it is no character typed into the box.
    if (!IsNumberBox(box) || c == '\t') return true;
    if (c != '+' && c != '-') {
        caption_ = std::to_string(int(static_cast<unsigned char>(c)));
        return true;
    }
    Guarded([&] {
        const int value = ParseNumber(texts_[box]);
        if (c == '+' && value < MaximumOf(box))
            SetText(box, std::to_string(value + 1));
        else if (c == '-' && value > 0)
            SetText(box, std::to_string(value - 1));
        else
            return;
        SyncPartner(box);
    });
    return false;
}

void ImagePropertiesDialog::KeyUp(Box box) {
    Guarded([&] { SyncPartner(box); });
}

bool ImagePropertiesDialog::cmdOkClick() {
    std::string message;
    try {
        const int w = ParseNumber(texts_[EditWidth]);
        const int h = ParseNumber(texts_[EditHeight]);
        if (w < 0 || w > kMaxWidth)
            message += "Invalid width, must be 0-" + std::to_string(kMaxWidth) + ".\r";
        if (h < 0 || h > kMaxHeight)
            message += "Invalid height, must be 0-" + std::to_string(kMaxHeight) + ".\r";
    } catch (const Error& e) {
        message = e.what();
    }
    if (message.empty()) return true;
    platform_.ShowMessage(message);
    return false;
}

void SetPixelWidth(Editor& editor, int pixelWidth) {
    editor.currentImage().desc.pixelWidth = pixelWidth;
    EditorState& s = editor.state();
    // A corner at -1 (an empty image) stays undefined.
    for (int32_t* x : {&s.cursorX, &s.selectionAnchorX, &s.selectionEndX})
        if (*x > 0) *x = *x / pixelWidth * pixelWidth;
}

void EditImageProperties(Editor& editor) {
    ImagePropertiesDialog dialog(editor.platform(), editor.currentImage().desc);
    if (!editor.platform().ShowImageProperties(dialog)) return;
    ImageDescriptor& desc = editor.currentImage().desc;
    EditorState& s = editor.state();
    desc.name = dialog.text(ImagePropertiesDialog::EditName);
    desc.width = ParseNumber(dialog.text(ImagePropertiesDialog::EditWidth));
    desc.height = ParseNumber(dialog.text(ImagePropertiesDialog::EditHeight));
    if (s.cursorX >= desc.width) s.cursorX = desc.width - 1;
    if (s.cursorY >= desc.height) s.cursorY = desc.height - 1;
    // An image that was empty gets a cursor when it gets a size.
    if (desc.width > 0 && s.cursorX < 0) s.cursorX = 0;
    if (desc.height > 0 && s.cursorY < 0) s.cursorY = 0;
    SetPixelWidth(editor, dialog.multiColor ? 2 : 1);
    desc.colorMapKind = dialog.colorMap == 0   ? ColorMapKind::None
                        : dialog.colorMap == 1 ? ColorMapKind::Normal
                                               : ColorMapKind::Dfli;
    desc.layout = dialog.layout == 0   ? Layout::Bitmap
                  : dialog.layout == 1 ? Layout::Charset
                                       : Layout::Charset2x2;
    View& view = editor.view();
    if (view.paletteVisible) {
        // The preview shows the image at 1:1: the panels take its size, as far as the window has
        // room, but never less than they start with. A small image would shrink the palette to a
        // strip of tiny cells, and the preview would cut off the next image of common size.
        view.previewWidth =
            std::clamp(std::max(desc.width, kInitialPreviewWidth), 0, PreviewRoom(view));
        view.paletteHeight =
            std::clamp(std::max(desc.height, kInitialPaletteHeight), 0, PaletteAreaRoom(view));
        editor.viewArea().LayoutView();
    } else {
        editor.viewArea().FullRedraw();
        editor.viewArea().UpdateScrollRanges();
    }
}

}  // namespace pixolat
