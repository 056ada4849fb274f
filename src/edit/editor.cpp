#include "edit/editor.h"

#include "edit/key_map.h"
#include "edit/recovery.h"
#include "edit/start_editor.h"

namespace pixolat {

Editor::Editor(EditorPlatform& platform)
    : platform_(platform),
      menu_(BuildMainMenu()),
      recovery_(std::make_unique<SessionRecovery>(*this)) {
    AddKeyHints(menu_);
    view_.xScroll.onChange = [this] { viewArea_.FullRedraw(); };
    view_.yScroll.onChange = [this] { viewArea_.FullRedraw(); };
    StartEditor(*this);
    // The history starts from the images as the start-up left them.
    undo_.history().Sync(store_, state_.currentImage);
    recovery_->ListSessions();
    if (recovery_->LastSessionDidNotClose())
        ShowStatus("The last session did not close: its work is in File > Recover Last Session.");
}

Editor::~Editor() = default;

void Editor::SetStatusText(int panel, const std::string& text) {
    statusTexts_.at(std::size_t(panel)) = text;
    platform_.SetStatusText(panel, text);
}

void Editor::SetCaption(const std::string& text) {
    caption_ = text;
    platform_.SetCaption(text);
}

const std::vector<MenuItem>& Editor::menu() const {
    RefreshMenu(menu_, *this);
    return menu_;
}

const MenuItem& MenuItemNamed(const std::vector<MenuItem>& menu, const std::string& name) {
    for (const MenuItem& item : menu)
        if (item.name == name) return item;
    throw std::out_of_range("no menu item " + name);
}

void Editor::RunMenuCommand(const std::string& name) {
    Dispatch([&] {
        const CommandRecord* record = MenuItemNamed(menu(), name).record;
        if (record && (record->run || record->runWith) && platform_.CommandStarting(record->id))
            RunCommandStep(UndoNameOf(*record), [&] { RunCommand(*record, *this); });
    });
}

void Editor::RunCommandStep(std::string_view name, const std::function<void()>& command) {
    // Inside a gesture, what the gesture did so far is a step of its own.
    if (undo_.InGesture()) undo_.EndStep();
    undo_.NameStep(name);
    command();
    if (undo_.InGesture()) undo_.EndStep();
}

void Editor::FormKeyDown(int key, ShiftState shift) {
    Dispatch([&] {
        if (IsMenuAccessKey(menu_, {key, shift})) return;
        const KeyRow* row = FindKeyRow(KeyDownRows(), *this, {key, shift});
        const CommandRecord* record = row ? CommandOf(*row) : nullptr;
        if (!record || !platform_.CommandStarting(record->id)) return;
        // Cursor moves and drawing keys make the steps of a key run;
        // a command is a step of its own.
        if (record->runKey) {
            undo_.NameStep(UndoNameOf(*record));
            record->runKey(*this, {key, shift});
        } else {
            RunCommandStep(UndoNameOf(*record), [&] { RunCommand(*record, *this); });
        }
    });
}

void Editor::FormKeyUp(int key, ShiftState shift) {
    Dispatch([&] {
        const KeyRow* row = FindKeyRow(KeyUpRows(), *this, {key, shift});
        const CommandRecord* record = row ? CommandOf(*row) : nullptr;
        if (record && platform_.CommandStarting(record->id)) {
            undo_.NameStep(UndoNameOf(*record));
            RunKeyCommand(*record, *this, {key, shift});
        }
    });
}

void Editor::ReleaseHeldKeys() {
    for (std::size_t n = 0; n < ui_.drawKeyHeld.size(); ++n)
        if (ui_.drawKeyHeld[n]) FormKeyUp('0' + int(n), 0);
    if (ui_.moveKeyHeld) FormKeyUp('M', 0);
}

void Editor::AfterEvent() {
    // A gesture that moved to another image ends there: the shadow must follow.
    if (undo_.InGesture() && state_.currentImage == undo_.history().shadowIndex()) return;
    undo_.EndStep();
}

}  // namespace pixolat
