#include "edit/editor.h"

namespace pixolat {

// The view arrives with the renderer; until then there is nothing to draw.
void Editor::FullRedraw() {}
void Editor::UpdateScrollRanges() {}

}  // namespace pixolat
