#pragma once
// The Image Properties dialog without widgets: the texts of its boxes, its
// check box and radio groups, its caption, and what each key and button
// does to them. The window shows this state and passes the user's actions
// on; EditImageProperties applies the result to the current image.
#include <array>
#include <string>

#include "document/image_store.h"
#include "platform/platform.h"

namespace pixolat {

class Editor;

inline constexpr const char* kPropertiesCaption = "Image Properties";
inline constexpr int kPropertiesWidth = 241;
inline constexpr int kPropertiesHeight = 321;
// The number boxes take at most this many characters.
inline constexpr std::size_t kNumberBoxLength = 8;

class ImagePropertiesDialog {
public:
    // The text boxes, in tab order.
    enum Box { EditName, EditWidth, EditHeight, EditWidthC, EditHeightC, kBoxCount };

    // Filled from the image: name, width and height in pixels, the pixel
    // width, color map kind and layout (a value out of range checks no button).
    ImagePropertiesDialog(Platform& platform, const ImageDescriptor& desc);

    const std::string& text(Box box) const { return texts_[box]; }
    const std::string& caption() const { return caption_; }

    bool multiColor = false;  // chkHires, "&Multi-color"
    int colorMap = -1;        // cm0..cm2 checked, -1 none
    int layout = -1;          // lay0..lay2 checked, -1 none

    // The dialog became active: the chars boxes follow the pixel boxes.
    void FormActivate();
    // The user changed a box's text.
    void Change(Box box, const std::string& text);
    // A character typed into a box, before it is inserted. In a number box
    // "+" and "-" step the value instead and are not inserted (false);
    // anything else but Tab is inserted and shows its code in the caption.
    bool KeyPress(Box box, char c);
    // A key released in a box: the chars and pixel boxes follow each other.
    void KeyUp(Box box);
    // OK: true when the sizes are in range and the dialog may close; else
    // the range message is shown and the dialog stays open.
    bool cmdOkClick();

private:
    void SetText(Box box, const std::string& text);
    // Sets `to` from `from` when from holds a number in 0..maximum.
    void Sync(Box from, int maximum, Box to, int factor, bool multiply);
    void SyncPartner(Box box);
    // Runs an action whose number conversion may fail; the failure is
    // shown and the dialog stays as it is.
    template <class Action>
    void Guarded(Action&& action);

    Platform& platform_;
    std::array<std::string, kBoxCount> texts_;
    std::string caption_ = kPropertiesCaption;
};

// View > Image Properties: runs the dialog on the current image and, on OK,
// applies name, size, pixel width, color map kind and layout, keeps the
// cursor inside the new size and resizes the preview and palette to it.
void EditImageProperties(Editor& editor);

// Sets the current image's pixel width and aligns the cursor and both
// selection corners down to it, so no pixel of the cursor or the selection
// starts between two multicolor columns.
void SetPixelWidth(Editor& editor, int pixelWidth);

}  // namespace pixolat
