#include "document/escaped_text.h"

#include <algorithm>

namespace pixolat {

namespace {

// Length of the well-formed UTF-8 sequence at text[i] that is not a control
// character, 0 when there is none.
std::size_t PrintableSequence(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead >= 0x20 && lead < 0x7F) return 1;
    std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                         : lead >= 0xE0 && lead <= 0xEF ? 3
                         : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                        : 0;
    if (length == 0 || i + length > text.size()) return 0;
    // The second byte's range rules out overlong forms, surrogates and
    // code points past U+10FFFF; C1 controls (U+0080..U+009F) are escaped.
    const unsigned char second = byte(i + 1);
    const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    if (second < low || second > high || (lead == 0xC2 && second < 0xA0)) return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
    return length;
}

}  // namespace

std::string EscapeControls(std::string_view text, bool keepLineBreaks) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (std::size_t n = PrintableSequence(text, i);
            n != 0 || (keepLineBreaks && (text[i] == '\r' || text[i] == '\n'))) {
            n = std::max<std::size_t>(n, 1);
            out.append(text.substr(i, n));
            i += n;
        } else {
            const auto c = static_cast<unsigned char>(text[i++]);
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

}  // namespace pixolat
