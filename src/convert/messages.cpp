#include "convert/messages.h"

namespace pixolat {

std::string ShownValue(std::string_view value) {
    constexpr std::size_t kMostShown = 40;
    if (value.size() <= kMostShown) return EscapeControls(value);
    std::size_t cut = kMostShown;
    // Not inside a UTF-8 sequence.
    while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;
    return EscapeControls(value.substr(0, cut)) + "...";
}

std::string ShownCoreMessage(const std::string& text) {
    constexpr std::string_view kNotANumber = "' is not a valid integer value";
    if (text.size() > kNotANumber.size() && text.front() == '\'' && text.ends_with(kNotANumber))
        return "'" +
               ShownValue(std::string_view(text).substr(1, text.size() - 1 - kNotANumber.size())) +
               std::string(kNotANumber);
    return text;
}

}  // namespace pixolat
