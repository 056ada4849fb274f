#include "edit/editor.h"

#include "edit/key_map.h"
#include "edit/source_files.h"
#include "edit/start_editor.h"

namespace pixolat {

Editor::Editor(EditorPlatform& platform) : platform_(platform), menu_(BuildMainMenu()) {
    AddKeyHints(menu_);
    view_.xScroll.onChange = [this] { xScrollChange(); };
    view_.yScroll.onChange = [this] { yScrollChange(); };
    StartEditor(*this);
    // The history starts from the images as the start-up left them.
    history_.Sync(store_, state_.currentImage);
    UpdateUndoItems();
    UpdateRecoverItem(*this);
}

void Editor::SetStatusText(int panel, const std::string& text) {
    statusTexts_.at(std::size_t(panel)) = text;
    platform_.SetStatusText(panel, text);
}

void Editor::SetCaption(const std::string& text) {
    caption_ = text;
    platform_.SetCaption(text);
}

MenuItem& Editor::menuItem(const std::string& name) {
    for (MenuItem& item : menu_)
        if (item.name == name) return item;
    throw std::out_of_range("no menu item " + name);
}

const MenuItem& Editor::menuItem(const std::string& name) const {
    return const_cast<Editor*>(this)->menuItem(name);
}

void Editor::RunMenuCommand(const std::string& name) {
    Dispatch([&] {
        const MenuItem& item = menuItem(name);
        if (item.command) RunCommandStep(StepName(item), [&] { item.command(*this); });
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
        if (const KeyRow* row = FindKeyRow(KeyDownRows(), *this, {key, shift})) {
            const Command* command = std::get_if<Command>(&row->action);
            // Cursor moves and drawing keys make the steps of a key run;
            // a command is a step of its own.
            if (command && *command)
                RunCommandStep(StepNameOf(row->action), [&] { (*command)(*this); });
            else {
                NameStep(StepNameOf(row->action));
                RunKeyRow(*row, *this, {key, shift});
            }
        }
    });
}

void Editor::FormKeyUp(int key, ShiftState shift) {
    Dispatch([&] {
        if (const KeyRow* row = FindKeyRow(KeyUpRows(), *this, {key, shift})) {
            NameStep(StepNameOf(row->action));
            RunKeyRow(*row, *this, {key, shift});
        }
    });
}

}  // namespace pixolat
