#pragma once
// What the editor keeps of the keyboard, the mouse and the desktop beside
// the document: plain data owned by the editor for the whole run.
#include <array>
#include <string>

#include "formats/prg_parts.h"
#include "formats/source_syntax.h"

namespace pixolat {

struct UiState {
    // The pixel value keys held down (they draw while the cursor moves), and M.
    std::array<bool, 4> drawKeyHeld{};
    bool moveKeyHeld = false;
    // A stroke of a mouse button on the view is under way.
    bool strokeActive = false;
    // The first stroke of value 0 has said what it draws.
    bool valueZeroSaid = false;
    std::array<std::string, 4> recentFiles{};
    // The help file the Help menu, F1 and the menu items' help open.
    std::string helpFile;
    // The assembler the source text is written for, and the parts' load
    // addresses: both kept in the settings.
    SourceSyntax sourceSyntax = SourceSyntax::Db;
    PartAddresses partAddresses;
};

}  // namespace pixolat
