#pragma once
// The Tools menu's commands, the value swatches of the tool bar, Esc while a
// shape is dragged, and zooming around the pointer with Ctrl and the wheel.
#include "document/image_store.h"

namespace pixolat {

class Editor;

void mnuToolsFreehandClick(Editor& editor);
void mnuToolsLineClick(Editor& editor);
void mnuToolsRectangleClick(Editor& editor);
void mnuToolsFilledRectangleClick(Editor& editor);
void mnuToolsEllipseClick(Editor& editor);
void mnuToolsFilledEllipseClick(Editor& editor);
void mnuToolsFloodFillClick(Editor& editor);
void mnuToolsPickClick(Editor& editor);
void mnuToolsBrushClick(Editor& editor);

// A value swatch clicked: the value becomes the current one, as Shift with
// its value key makes it.
void ChooseValueSwatch(Editor& editor, PixelValue value);

// Esc: a shape being dragged is dropped.
bool ShapeBeingDragged(const Editor& editor);
void CancelShapeKey(Editor& editor);

// Ctrl + wheel: zoom in (steps > 0) or out by |steps|, keeping the image
// pixel under view point (vx, vy) under it as far as the scroll bars allow.
void ZoomAtPoint(Editor& editor, int steps, int vx, int vy);

}  // namespace pixolat
