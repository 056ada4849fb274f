#pragma once
// What the movement keys do: the cursor move with its selection and pen
// rules, the move of the selected pixels with M held, and the copy of the
// view picture.
#include "document/image_store.h"

namespace pixolat {

class Editor;

// Moves the cursor to (x, y), which the caller has kept inside the image:
// the outline comes off; a Shift move starts a fresh selection at the old
// cursor (when one is pending) and drags its end corner along, an unshifted
// move makes the next Shift move start afresh; every held value key draws
// its value at the new place, on the selection as it now is; the view
// follows the cursor.
void MoveCursorTo(Editor& editor, int x, int y, bool shift);

// Moves the pixel bytes of the selection (or of the whole image) one pixel
// toward (dx, dy), one of them 0 and the other -1 or 1. The line at the
// leading edge is lost, the vacated line is filled with the current pixel
// value; colors, cursor and selection stay. Only the part of the area inside
// the image is touched.
void MoveArea(Editor& editor, int dx, int dy);

// The view as shown (grid and selection outline, no cursor mark) goes to the
// clipboard and to the export picture file.
void CopyViewPicture(Editor& editor);

}  // namespace pixolat
