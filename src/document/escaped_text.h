#pragma once
// Text from files and file names as a message shows it: whatever the input
// holds, it cannot move a terminal's cursor, cut a line or show as "?".
#include <string>
#include <string_view>

namespace pixolat {

// The text with control characters and bytes that are not UTF-8 written as
// \xNN; with keepLineBreaks, CR and LF stay (a message's own line breaks).
std::string EscapeControls(std::string_view text, bool keepLineBreaks = false);

}  // namespace pixolat
