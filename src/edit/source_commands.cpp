// File > Save (as source) and Load (as source).
#include <string>

#include "document/pixels.h"
#include "edit/editor.h"
#include "formats/source_text.h"

namespace pixolat {

void Editor::mnuFileSaveClick() {
    platform_.ShowTextWindow(SaveSourceText(store_), TextWindowPurpose::Save);
}

void Editor::mnuFileLoadClick() {
    // The window has no cancel: whatever it holds when closed is read.
    const std::string text = platform_.ShowTextWindow(std::string(), TextWindowPurpose::Load);
    // A value that is not a number unwinds from here: what was read stays,
    // and the view is left as it was.
    const SourceLoadResult result =
        LoadSourceText(store_, state_, text, [this](int index) { BeforeImageChange(index); });
    NormalizeCurrentImage(store_, state_);
    UpdateScrollRanges();
    FullRedraw();
    std::string status = "Loaded source text (" + std::to_string(result.sections) +
                         (result.sections == 1 ? " image)." : " images).");
    if (result.truncated) status += " Images past #256 were dropped.";
    ShowStatus(status);
}

}  // namespace pixolat
