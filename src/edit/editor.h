#pragma once
// The editor window without widgets (editor.cpp, editor_mouse.cpp): it owns
// the image store and the editor state, and every handler the window has is
// a call on it or on one of its parts: the undo steps (undo_steps.h), the
// color palette (palette_controller.h) and the view area (view_area.h). It reaches the desktop only
// through the Platform interface. The commands are free functions in edit/commands/, one file per
// menu.
#include <array>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "document/editor_state.h"
#include "document/errors.h"
#include "document/image_store.h"
#include "edit/editor_platform.h"
#include "edit/history.h"
#include "edit/key_map.h"
#include "edit/menu.h"
#include "edit/palette_controller.h"
#include "edit/tools.h"
#include "edit/ui_state.h"
#include "edit/undo_steps.h"
#include "edit/view_area.h"
#include "render/canvas.h"
#include "render/palette.h"
#include "render/view.h"
#include "render/view_grid.h"

namespace pixolat {

inline constexpr int kStatusPanels = 4;
inline constexpr const char* kEditorCaption = "Varno's Plus/4 Graphics Editor";
// Said at the first stroke that draws value 0.
inline constexpr const char* kValueZeroNote =
    "Drawing value 0, the background: choose 1–3 with the swatches or keys";

class SessionRecovery;

class Editor {
public:
    explicit Editor(EditorPlatform& platform);
    ~Editor();
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    // Runs one event handler. An error it raises ends it where it stands: the
    // error's text is shown in a message box, earlier changes stay, and the
    // editor goes on.
    // After the outermost handler the undo step under way ends, unless a
    // gesture is still going on.
    template <class Handler>
    void Dispatch(Handler&& handler) {
        ++dispatchDepth_;
        try {
            std::forward<Handler>(handler)();
        } catch (const std::exception& e) {
            platform_.ShowMessage(e.what());
        }
        if (--dispatchDepth_ == 0) AfterEvent();
    }

    // Undo bookkeeping, the color palette, and the view area's layout and
    // redraws: parts of the editor with classes of their own.
    UndoSteps& undo() { return undo_; }
    const UndoSteps& undo() const { return undo_; }
    PaletteController& palette() { return palette_; }
    const PaletteController& palette() const { return palette_; }
    ViewArea& viewArea() { return viewArea_; }
    const ViewArea& viewArea() const { return viewArea_; }

    // The recovery file of this session, written from time to time while
    // work changes and when the window closes (edit/recovery.h).
    SessionRecovery& recovery() { return *recovery_; }
    const SessionRecovery& recovery() const { return *recovery_; }

    // Mouse actions on the view: a click draws, a drag draws lines from the
    // last point (up to the image's edge when the pointer leaves it), Shift
    // selects, and the cursor follows the pointer over the image. That is the
    // Freehand tool; the others are in tools.cpp. The right button draws
    // value 0 with every tool.
    void imgMouseDown(MouseButton button, ShiftState shift, int x, int y);
    void imgMouseMove(ShiftState shift, int x, int y);
    void imgMouseUp(MouseButton button, ShiftState shift, int x, int y);

    // Runs the command of the menu item with this component name.
    void RunMenuCommand(const std::string& name);
    // A key press (auto-repeated presses too) and a key release, answered by
    // the key map.
    void FormKeyDown(int key, ShiftState shift);
    void FormKeyUp(int key, ShiftState shift);
    // Held value keys and M count as released: their key-up rows run. For a
    // window that loses the focus, which then never hears the keys come up.
    void ReleaseHeldKeys();

    // Status panel 3 shows the last message.
    void ShowStatus(const std::string& text) { SetStatusText(3, text); }
    void SetStatusText(int panel, const std::string& text);
    const std::string& statusText(int panel) const { return statusTexts_.at(std::size_t(panel)); }
    void SetCaption(const std::string& text);
    const std::string& caption() const { return caption_; }

    // The menu as it shows now: its state is asked of the command records.
    const std::vector<MenuItem>& menu() const;

    // The drawing tool in use and its gesture (edit/tools.h).
    ToolState& tools() { return tools_; }
    const ToolState& tools() const { return tools_; }

    EditorPlatform& platform() { return platform_; }
    ImageStore& store() { return store_; }
    const ImageStore& store() const { return store_; }
    // The user's place in the document, and the window's and keyboard's state.
    EditorState& state() { return state_; }
    const EditorState& state() const { return state_; }
    UiState& ui() { return ui_; }
    const UiState& ui() const { return ui_; }
    Image& currentImage() { return store_.image(state_.currentImage); }
    const Image& currentImage() const { return store_.image(state_.currentImage); }
    // The view area: pictures, scroll bars, control placement, zoom and grid.
    View& view() { return view_; }
    const View& view() const { return view_; }

private:
    EditorPlatform& platform_;
    ImageStore store_;
    EditorState state_;
    UiState ui_;
    std::array<std::string, kStatusPanels> statusTexts_;
    std::string caption_ = kEditorCaption;
    mutable std::vector<MenuItem> menu_;
    View view_;
    ToolState tools_;
    UndoSteps undo_{*this};
    PaletteController palette_{*this};
    ViewArea viewArea_{*this};
    // The button of the stroke under way and the value it draws.
    ShiftState strokeButton_ = kLeftButton;
    PixelValue strokeValue_ = 0;
    // Whether the stroke draws freehand (or selects) rather than with a tool.
    bool freehandStroke_ = true;
    // Where a drag last was while outside the image: the next line starts
    // there, so that only what lies inside the image of the pointer's path is drawn.
    std::optional<ImagePoint> dragOutside_;

    int dispatchDepth_ = 0;
    std::unique_ptr<SessionRecovery> recovery_;

    // Runs a command (of the menu, or a key row's) as one step.
    void RunCommandStep(std::string_view name, const std::function<void()>& command);
    void AfterEvent();
};

// The menu item with this component name.
const MenuItem& MenuItemNamed(const std::vector<MenuItem>& menu, const std::string& name);

}  // namespace pixolat
