#include "edit/commands/key_commands.h"

#include "edit/editor.h"

namespace pixolat {

void OpenMaskProcessor(Editor& editor) {
    editor.platform().OpenMaskProcessor();
}

}  // namespace pixolat
