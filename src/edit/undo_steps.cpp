// Undo and redo: where steps end, and what the editor shows after an undo.
#include "edit/undo_steps.h"

#include <algorithm>

#include "document/pixels.h"
#include "edit/editor.h"
#include "edit/image_switching.h"

namespace pixolat {

namespace {

// The name of a step no command named.
constexpr const char* kUnnamedStep = "Change";

}  // namespace

void UndoSteps::NameStep(std::string_view name) {
    if (stepName_.empty()) stepName_ = name;
}

bool UndoSteps::InGesture() const {
    const UiState& ui = editor_.ui();
    return ui.strokeActive || std::any_of(ui.drawKeyHeld.begin(), ui.drawKeyHeld.end(),
                                          [](bool held) { return held; });
}

void UndoSteps::BeforeImageChange(int index) {
    history_.BeforeChange(editor_.store(), index);
}

bool UndoSteps::ChangedSinceSaved() const {
    for (int i = 0; i < kImageCount; ++i)
        if (ImageChangedSinceSaved(i)) return true;
    return false;
}

void UndoSteps::MarkAllSaved() {
    for (int i = 0; i < kImageCount; ++i) MarkSaved(i);
}

void UndoSteps::EndStep() {
    const History::StepEnd end = history_.EndStep(editor_.store(), editor_.state().currentImage,
                                                  stepName_.empty() ? kUnnamedStep : stepName_);
    stepName_.clear();
    if (end == History::StepEnd::TooLarge) editor_.ShowStatus("This step cannot be undone.");
}

void UndoSteps::Undo() {
    if (InGesture()) EndStep();  // a stroke still under way becomes a step of its own first
    if (!history_.CanUndo()) return;
    const std::string name = history_.undoName();
    ShowRestored(history_.Undo(editor_.store()));
    editor_.ShowStatus("Undone: " + name);
}

void UndoSteps::Redo() {
    if (InGesture()) EndStep();
    if (!history_.CanRedo()) return;
    const std::string name = history_.redoName();
    ShowRestored(history_.Redo(editor_.store()));
    editor_.ShowStatus("Redone: " + name);
}

void UndoSteps::ShowRestored(int image) {
    EditorState& state = editor_.state();
    if (image != state.currentImage) {
        // Back on another image: as switching to it shows it.
        state.currentImage = image;
        ShowCurrentImage(editor_);
    } else {
        // The restored size may leave the cursor outside the image.
        NormalizeCurrentImage(editor_.store(), state);
        editor_.viewArea().UpdateScrollRanges();
        editor_.viewArea().FullRedraw();
    }
    history_.SyncDescriptor(editor_.store());
}

}  // namespace pixolat
