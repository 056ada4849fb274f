#pragma once
// Undo bookkeeping (undo_steps.cpp): where steps end, their names, and which
// images differ from what a source file last held. Every change of image
// data between two step ends is one step; the step ends after each
// dispatched event except inside a gesture: a stroke of the left button on
// the view, or the cursor moves drawn while a pixel value key is held.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/image_store.h"
#include "edit/history.h"

namespace pixolat {

class Editor;

class UndoSteps {
public:
    explicit UndoSteps(Editor& editor) : editor_(editor) {}

    // The first name given names the step ("Fill" gives "Undo Fill").
    void NameStep(std::string_view name);
    void EndStep();
    // A stroke still under way becomes a step of its own first; the editor
    // then shows what the step restored.
    void Undo();
    void Redo();
    const History& history() const { return history_; }
    History& history() { return history_; }
    // Announces that an operation is about to change image `index`: needed
    // for every image but the current one.
    void BeforeImageChange(int index);
    // Whether any image holds data that no source file opened or saved in
    // this session holds, and that it did not hold at start.
    bool ChangedSinceSaved() const;
    bool ImageChangedSinceSaved(int index) const {
        return history_.revision(index) != savedRevisions_.at(std::size_t(index));
    }
    // A source file now holds image `index` as it is (call after the step ended).
    void MarkSaved(int index) { savedRevisions_.at(std::size_t(index)) = history_.revision(index); }
    void MarkAllSaved();
    // Whether a stroke or a held value key is still going on.
    bool InGesture() const;

private:
    Editor& editor_;
    History history_;
    std::string stepName_;
    std::vector<uint64_t> savedRevisions_ = std::vector<uint64_t>(kImageCount, 0);

    // Makes `image` current after an undo or redo and shows what it restored.
    void ShowRestored(int image);
};

}  // namespace pixolat
