#pragma once
// The Tools menu's commands, the value swatches of the tool bar, Esc while a
// shape is dragged, and zooming around the pointer with Ctrl and the wheel.
#include "document/image_store.h"

namespace pixolat {

class Editor;

// A Tools menu item: the tool (a Tool as int) becomes the current one.
void SelectToolCommand(Editor& editor, int tool);

// A value swatch clicked: the value becomes the current one, as Shift with
// its value key makes it.
void ChooseValueSwatch(Editor& editor, PixelValue value);

// Esc: a shape being dragged is dropped.
bool ShapeBeingDragged(const Editor& editor);
void CancelShapeKey(Editor& editor);

// The zoom `steps` wheel notches away from `zoom` (out when negative): the
// steps grow with the zoom, from 1 to 64.
int WheelZoomStep(int zoom, int steps);
// Ctrl + wheel: zoom in (steps > 0) or out by |steps| notches, keeping the image
// pixel under view point (vx, vy) under it as far as the scroll bars allow.
void ZoomAtPoint(Editor& editor, int steps, int vx, int vy);

}  // namespace pixolat
