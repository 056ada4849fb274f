#include "edit/commands/view_commands.h"

#include <algorithm>
#include <string>

#include "edit/editor.h"
#include "edit/image_properties.h"
#include "edit/image_switching.h"

namespace pixolat {

namespace {

constexpr int kMaxZoom = 64;

void ShowZoom(Editor& editor) {
    editor.ShowStatus("Zoom: " + std::to_string(editor.state().zoom));
}

}  // namespace

void mnuViewToggleGridClick(Editor& editor) {
    EditorState& state = editor.state();
    state.gridSetting = NextGridSetting(state.gridSetting);
    editor.viewArea().UpdateScrollRanges();
    editor.viewArea().FullRedraw();
    editor.viewArea().ScrollCursorIntoView();
}

void mnuViewZoomToggleClick(Editor& editor) {
    EditorState& state = editor.state();
    if (state.zoom == 1) {
        state.zoom = state.savedZoom < 1 ? 16 : std::min(state.savedZoom, kMaxZoom);
    } else {
        state.savedZoom = state.zoom;
        state.zoom = 1;
    }
    editor.viewArea().FullRedraw();
    editor.viewArea().UpdateScrollRanges();
    editor.viewArea().ScrollCursorIntoView();
    ShowZoom(editor);
}

void mnuViewZoomInClick(Editor& editor) {
    EditorState& state = editor.state();
    state.zoom = std::clamp(state.zoom, 0, kMaxZoom - 1) + 1;
    editor.viewArea().FullRedraw();
    editor.viewArea().UpdateScrollRanges();
    editor.viewArea().ScrollCursorIntoView();
    ShowZoom(editor);
}

void mnuViewZoomOutClick(Editor& editor) {
    EditorState& state = editor.state();
    if (state.zoom > 1) {
        --state.zoom;
        editor.viewArea().FullRedraw();
        editor.viewArea().UpdateScrollRanges();
    }
    ShowZoom(editor);
}

void mnuViewColorPaletteAndPreviewClick(Editor& editor) {
    editor.view().paletteVisible = !editor.view().paletteVisible;
    editor.viewArea().LayoutView();
    editor.palette().DrawPalette();
    editor.palette().DrawPaletteMarker();
}

void mnuViewImageNextClick(Editor& editor) {
    NextImage(editor);
}

void mnuViewImagePrevClick(Editor& editor) {
    PrevImage(editor);
}

void mnuViewImagePropertiesClick(Editor& editor) {
    EditImageProperties(editor);
}

}  // namespace pixolat
