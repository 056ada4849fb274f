#pragma once
// Commands that only keys reach.
namespace pixolat {

class Editor;

// Opens the Mask Processor window; no menu item opens it.
void OpenMaskProcessor(Editor& editor);

}  // namespace pixolat
