#pragma once
// Defined in editor.cpp and, by area, editor_view.cpp, editor_palette.cpp, editor_mouse.cpp and
// editor_history.cpp.
// The editor window without widgets: it owns the image store, the copy
// buffer and the editor state, and every handler the window has is a call on
// it. It reaches the desktop only through the Platform interface. The
// commands are free functions in edit/commands/, one file per menu.
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
#include "edit/tools.h"
#include "render/canvas.h"
#include "render/palette.h"
#include "render/view.h"
#include "render/view_grid.h"

namespace pixolat {

inline constexpr int kStatusPanels = 4;
inline constexpr const char* kEditorCaption = "Varno's Plus/4 Graphics Editor";

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

    // Undo and redo (editor_history.cpp). Every change of image data between
    // two step ends is one step; the step ends after each dispatched event
    // except inside a gesture: a stroke of the left button on the view, or the
    // cursor moves drawn while a pixel value key is held. The first name
    // given names the step ("Fill" gives "Undo Fill").
    void NameStep(std::string_view name);
    void EndStep();
    void Undo();
    void Redo();
    const History& history() const { return history_; }
    History& history() { return history_; }
    // Announces that an operation is about to change image `index`: needed
    // for every image but the current one.
    void BeforeImageChange(int index) { history_.BeforeChange(store_, index); }
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
    // Held value keys and M count as released: their key-up rows run. For a
    // window that loses the focus, which then never hears the keys come up.
    void ReleaseHeldKeys();

    // The recovery file of this session, written from time to time while
    // work changes and when the window closes (edit/recovery.h).
    SessionRecovery& recovery() { return *recovery_; }
    const SessionRecovery& recovery() const { return *recovery_; }

    // The full redraw sequence after a change that can affect the whole
    // picture: view, preview and palette, then the cursor mark with status
    // panels 0 and 1, then the selection outline on top.
    void FullRedraw();
    // Fits the scroll bars to the current image's size and the view.
    void UpdateScrollRanges();

    // The view area: pictures, scroll bars and control placement.
    View& view() { return view_; }
    const View& view() const { return view_; }

    // Window events. The client size counts the status bar but not the menu bar.
    void FormResize(int clientWidth, int clientHeight, int statusBarHeight);
    void FormActivate();
    void LayoutView();
    void xScrollChange() { FullRedraw(); }
    void yScrollChange() { FullRedraw(); }

    // Redraws; nothing is drawn while the zoom is not yet set.
    void RedrawView();
    void DrawCursorAndStatus();
    void ToggleSelectionOutline();
    void DrawBlock(int x, int y);
    void RedrawCursorBlock();
    void RedrawCursorCell();
    void RedrawSelectionArea();
    ImageRect SelectionRect() const;

    // The image pixel under a view point (x a multiple of the pixel width;
    // it may lie outside the image).
    ImagePoint ViewToImage(int vx, int vy) const;
    void ScrollCursorIntoView();

    // The color palette.
    void DrawPalette();
    void DrawPaletteMarker();
    void ErasePaletteMarker();
    void SelectPaletteCell(int column, int row);
    ColorCode SelectedPaletteColor() const { return pixolat::SelectedPaletteColor(state_); }
    void imgColorPaletteMouseDown(MouseButton button, ShiftState shift, int x, int y);
    void imgColorPaletteMouseMove(ShiftState shift, int x, int y);
    void imgColorPaletteMouseUp(MouseButton button, ShiftState shift, int x, int y);
    // The splitters were dragged: the palette splitter's top, the preview
    // splitter's left, in client coordinates.
    void SplitterColorPaletteMoved(int top);
    void SplitterPreviewMoved(int left);

    // Mouse actions on the view: a click draws, a drag draws lines from the
    // last point (up to the image's edge when the pointer leaves it), Shift
    // selects, and the cursor follows the pointer over the image. That is the
    // Freehand tool; the others are in tools.cpp. The right button draws
    // value 0 with every tool.
    void imgMouseDown(MouseButton button, ShiftState shift, int x, int y);
    void imgMouseMove(ShiftState shift, int x, int y);
    void imgMouseUp(MouseButton button, ShiftState shift, int x, int y);
    // A pixel drawn at the cursor by a value key or a Draw Pixel command: as
    // with the mouse, the selection outline is drawn whole over the blocks
    // the pixel redraws.
    void DrawPixelAtCursor(PixelValue value);

    // Runs the command of the menu item with this component name.
    void RunMenuCommand(const std::string& name);
    // A key press (auto-repeated presses too) and a key release, answered by
    // the key map.
    void FormKeyDown(int key, ShiftState shift);
    void FormKeyUp(int key, ShiftState shift);

    // Status panel 3 shows the last message.
    void ShowStatus(const std::string& text) { SetStatusText(3, text); }
    void SetStatusText(int panel, const std::string& text);
    const std::string& statusText(int panel) const { return statusTexts_.at(std::size_t(panel)); }
    void SetCaption(const std::string& text);
    const std::string& caption() const { return caption_; }

    // The help file asked for by the Help menu, F1 and the menu items' help.
    void SetHelpFile(const std::string& path) { helpFile_ = path; }
    const std::string& helpFile() const { return helpFile_; }

    // The menu as it shows now: its state is asked of the command records.
    const std::vector<MenuItem>& menu() const;
    const MenuItem& menuItem(const std::string& name) const;

    // The drawing tool in use and its gesture (edit/tools.h).
    ToolState& tools() { return tools_; }
    const ToolState& tools() const { return tools_; }

    EditorPlatform& platform() { return platform_; }
    ImageStore& store() { return store_; }
    const ImageStore& store() const { return store_; }
    EditorState& state() { return state_; }
    const EditorState& state() const { return state_; }
    Image& currentImage() { return store_.image(state_.currentImage); }
    const Image& currentImage() const { return store_.image(state_.currentImage); }

private:
    EditorPlatform& platform_;
    ImageStore store_;
    EditorState state_;
    std::array<std::string, kStatusPanels> statusTexts_;
    std::string caption_ = kEditorCaption;
    std::string helpFile_;
    mutable std::vector<MenuItem> menu_;
    View view_;
    ToolState tools_;
    // The button of the stroke under way and the value it draws.
    ShiftState strokeButton_ = kLeftButton;
    PixelValue strokeValue_ = 0;
    // Whether the stroke draws freehand (or selects) rather than with a tool.
    bool freehandStroke_ = true;
    // Where a drag last was while outside the image: the next line starts
    // there, so that only what lies inside the image of the pointer's path is drawn.
    std::optional<ImagePoint> dragOutside_;
    // While a mouse step redraws blocks, the outline is off and the toggles
    // inside the step leave it off; it is drawn whole once the step is done.
    bool outlineHeldOff_ = false;
    template <class Step>
    void WithOutlineOff(Step step);

    History history_;
    std::string stepName_;
    int dispatchDepth_ = 0;
    bool strokeActive_ = false;
    std::vector<uint64_t> savedRevisions_ = std::vector<uint64_t>(kImageCount, 0);
    std::unique_ptr<SessionRecovery> recovery_;

    // Runs a command (of the menu, or a key row's) as one step.
    void RunCommandStep(std::string_view name, const std::function<void()>& command);
    void AfterEvent();
    // Makes `image` current after an undo or redo and shows what it restored.
    void ShowRestored(int image);

    Scene scene() { return Scene{currentImage(), state_, view_}; }
    PaletteScene paletteScene() {
        return PaletteScene{currentImage().desc, state_, view_, platform_};
    }
};

}  // namespace pixolat
