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
    view_.xScroll.onChange = [this] { xScrollChange(); };
    view_.yScroll.onChange = [this] { yScrollChange(); };
    StartEditor(*this);
    // The history starts from the images as the start-up left them.
    history_.Sync(store_, state_.currentImage);
    recovery_->ListSessions();
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

const MenuItem& Editor::menuItem(const std::string& name) const {
    for (const MenuItem& item : menu())
        if (item.name == name) return item;
    throw std::out_of_range("no menu item " + name);
}

void Editor::RunMenuCommand(const std::string& name) {
    Dispatch([&] {
        const CommandRecord* record = menuItem(name).record;
        if (record && (record->run || record->runWith))
            RunCommandStep(UndoNameOf(*record), [&] { RunCommand(*record, *this); });
    });
}

void Editor::RunCommandStep(std::string_view name, const std::function<void()>& command) {
    // Inside a gesture, what the gesture did so far is a step of its own.
    if (InGesture()) EndStep();
    NameStep(name);
    command();
    if (InGesture()) EndStep();
}

void Editor::FormKeyDown(int key, ShiftState shift) {
    Dispatch([&] {
        if (IsMenuAccessKey(menu_, {key, shift})) return;
        const KeyRow* row = FindKeyRow(KeyDownRows(), *this, {key, shift});
        const CommandRecord* record = row ? CommandOf(*row) : nullptr;
        if (!record) return;
        // Cursor moves and drawing keys make the steps of a key run;
        // a command is a step of its own.
        if (record->runKey) {
            NameStep(UndoNameOf(*record));
            record->runKey(*this, {key, shift});
        } else {
            RunCommandStep(UndoNameOf(*record), [&] { RunCommand(*record, *this); });
        }
    });
}

void Editor::FormKeyUp(int key, ShiftState shift) {
    Dispatch([&] {
        const KeyRow* row = FindKeyRow(KeyUpRows(), *this, {key, shift});
        if (const CommandRecord* record = row ? CommandOf(*row) : nullptr) {
            NameStep(UndoNameOf(*record));
            RunKeyCommand(*record, *this, {key, shift});
        }
    });
}

}  // namespace pixolat
