#pragma once
// The View menu.
namespace pixolat {

class Editor;

void mnuViewImageNextClick(Editor& editor);
void mnuViewImagePrevClick(Editor& editor);
void mnuViewImagePropertiesClick(Editor& editor);

}  // namespace pixolat
