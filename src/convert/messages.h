#pragma once
// Texts of the converter's messages: whatever the input holds, a message is
// one line of printable text.
#include <string>
#include <string_view>

#include "document/escaped_text.h"

namespace pixolat {

// A value from the input as a message shows it: escaped, at most 40
// characters, "..." marking a cut.
std::string ShownValue(std::string_view value);

// An error text of the editor's core with its quoted value shown as ShownValue.
std::string ShownCoreMessage(const std::string& text);

}  // namespace pixolat
