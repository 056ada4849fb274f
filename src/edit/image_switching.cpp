#include "edit/image_switching.h"

#include "document/pixels.h"
#include "edit/editor.h"

namespace pixolat {

void NextImage(Editor& editor) {
    if (editor.state().currentImage >= kLastImage) return;
    ++editor.state().currentImage;
    ShowCurrentImage(editor);
}

void PrevImage(Editor& editor) {
    if (editor.state().currentImage <= 0) return;
    --editor.state().currentImage;
    ShowCurrentImage(editor);
}

void ShowCurrentImage(Editor& editor) {
    EditorState& s = editor.state();
    NormalizeCurrentImage(editor.store(), s);
    // An empty image has nothing to select: its corners fall to -1, and a
    // selection kept there would come back to the next image outlined off
    // the view, with every area command working on nothing.
    const ImageDescriptor& desc = editor.currentImage().desc;
    if (desc.width <= 0 || desc.height <= 0) s.selectionActive = false;
    // The scroll bars must fit the new image before it is drawn: the old
    // image's scroll position could leave a smaller one off the view.
    editor.viewArea().UpdateScrollRanges();
    editor.viewArea().FullRedraw();
    editor.palette().DrawPalette();
    editor.palette().DrawPaletteMarker();
    s.selectionStartPending = true;
    const std::string number = "Editing Image #" + std::to_string(s.currentImage);
    editor.SetCaption(number);
    const std::string& name = editor.currentImage().desc.name;
    editor.ShowStatus(number + ": " + (name.empty() ? "(untitled)" : name));
}

}  // namespace pixolat
