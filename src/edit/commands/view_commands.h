#pragma once
// The View menu's commands.
namespace pixolat {

class Editor;

void mnuViewToggleGridClick(Editor& editor);
// Zoom 1 and the last other zoom in turn.
void mnuViewZoomToggleClick(Editor& editor);
void mnuViewZoomInClick(Editor& editor);
void mnuViewZoomOutClick(Editor& editor);
// Zoom at `zoom` (held within 1..64), the view redrawn and the zoom shown.
void SetZoom(Editor& editor, int zoom);
// Shows or hides the palette and preview panel.
void mnuViewColorPaletteAndPreviewClick(Editor& editor);
// Image switching and the Image Properties dialog.
void mnuViewImageNextClick(Editor& editor);
void mnuViewImagePrevClick(Editor& editor);
void mnuViewImagePropertiesClick(Editor& editor);

}  // namespace pixolat
