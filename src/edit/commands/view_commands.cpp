#include "edit/commands/view_commands.h"

#include "edit/image_properties.h"
#include "edit/image_switching.h"

namespace pixolat {

void mnuViewImageNextClick(Editor& editor) {
    NextImage(editor);
}

void mnuViewImagePrevClick(Editor& editor) {
    PrevImage(editor);
}

void mnuViewImagePropertiesClick(Editor& editor) {
    EditImageProperties(editor);
}

}  // namespace pixolat
