#pragma once
// Moving between the 257 images of the store.
namespace pixolat {

class Editor;

// The next or previous image; nothing happens past image 256 or before image 0.
void NextImage(Editor& editor);
void PrevImage(Editor& editor);

// Brings the cursor, the view, the caption and the status in line with a
// new current image. The selection keeps its state, its corners clamped
// into the image; the next Shift move starts a fresh one.
void ShowCurrentImage(Editor& editor);

}  // namespace pixolat
