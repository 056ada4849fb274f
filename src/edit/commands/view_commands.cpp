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
    editor.ShowStatus("Zoom: " + std::to_string(editor.view().zoom));
}

}  // namespace

void mnuViewToggleGridClick(Editor& editor) {
    View& view = editor.view();
    view.gridSetting = NextGridSetting(view.gridSetting);
    editor.viewArea().UpdateScrollRanges();
    editor.viewArea().FullRedraw();
    editor.viewArea().ScrollCursorIntoView();
}

void mnuViewZoomToggleClick(Editor& editor) {
    View& view = editor.view();
    if (view.zoom == 1) {
        view.zoom = view.savedZoom < 1 ? 16 : std::min(view.savedZoom, kMaxZoom);
    } else {
        view.savedZoom = view.zoom;
        view.zoom = 1;
    }
    editor.viewArea().FullRedraw();
    editor.viewArea().UpdateScrollRanges();
    editor.viewArea().ScrollCursorIntoView();
    ShowZoom(editor);
}

void mnuViewZoomInClick(Editor& editor) {
    SetZoom(editor, std::clamp(editor.view().zoom, 0, kMaxZoom - 1) + 1);
}

void SetZoom(Editor& editor, int zoom) {
    editor.view().zoom = std::clamp(zoom, 1, kMaxZoom);
    editor.viewArea().FullRedraw();
    editor.viewArea().UpdateScrollRanges();
    editor.viewArea().ScrollCursorIntoView();
    ShowZoom(editor);
}

void mnuViewZoomOutClick(Editor& editor) {
    View& view = editor.view();
    if (view.zoom > 1) {
        --view.zoom;
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
