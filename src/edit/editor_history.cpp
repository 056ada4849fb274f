// Undo and redo: where steps end, and what the editor shows after an undo.
#include <algorithm>

#include "document/pixels.h"
#include "edit/editor.h"
#include "edit/image_switching.h"

namespace pixolat {

namespace {

// The name of a step no command named.
constexpr const char* kUnnamedStep = "Change";

}  // namespace

void Editor::NameStep(std::string_view name) {
    if (stepName_.empty()) stepName_ = name;
}

bool Editor::InGesture() const {
    return strokeActive_ || std::any_of(state_.drawKeyHeld.begin(), state_.drawKeyHeld.end(),
                                        [](bool held) { return held; });
}

bool Editor::ChangedSinceSaved() const {
    for (int i = 0; i < kImageCount; ++i)
        if (ImageChangedSinceSaved(i)) return true;
    return false;
}

void Editor::MarkAllSaved() {
    for (int i = 0; i < kImageCount; ++i) MarkSaved(i);
}

void Editor::ReleaseHeldKeys() {
    for (std::size_t n = 0; n < state_.drawKeyHeld.size(); ++n)
        if (state_.drawKeyHeld[n]) FormKeyUp('0' + int(n), 0);
    if (state_.moveKeyHeld) FormKeyUp('M', 0);
}

void Editor::AfterEvent() {
    // A gesture that moved to another image ends there: the shadow must follow.
    if (InGesture() && state_.currentImage == history_.shadowIndex()) return;
    EndStep();
}

void Editor::EndStep() {
    const History::StepEnd end =
        history_.EndStep(store_, state_.currentImage, stepName_.empty() ? kUnnamedStep : stepName_);
    stepName_.clear();
    if (end == History::StepEnd::TooLarge) ShowStatus("This step cannot be undone.");
}

void Editor::Undo() {
    if (InGesture()) EndStep();  // a stroke still under way becomes a step of its own first
    if (!history_.CanUndo()) return;
    const std::string name = history_.undoName();
    ShowRestored(history_.Undo(store_));
    ShowStatus("Undone: " + name);
}

void Editor::Redo() {
    if (InGesture()) EndStep();
    if (!history_.CanRedo()) return;
    const std::string name = history_.redoName();
    ShowRestored(history_.Redo(store_));
    ShowStatus("Redone: " + name);
}

void Editor::ShowRestored(int image) {
    if (image != state_.currentImage) {
        // Back on another image: as switching to it shows it.
        state_.currentImage = image;
        ShowCurrentImage(*this);
    } else {
        // The restored size may leave the cursor outside the image.
        NormalizeCurrentImage(store_, state_);
        UpdateScrollRanges();
        FullRedraw();
    }
    history_.SyncDescriptor(store_);
}

}  // namespace pixolat
