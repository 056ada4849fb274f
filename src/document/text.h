#pragma once
// Text helpers shared by the dialogs, the source-text reader and start-up.
// Texts are byte strings; positions are 1-based and 0 means "not found".
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "document/errors.h"

namespace pixolat {

// s with find cut out until it no longer occurs, rescanning from the start
// after each cut (so a cut that completes an earlier occurrence removes it
// too), in one linear pass.
std::string EraseAll(std::string_view s, std::string_view find);

// Tab, line feed, carriage return, space and 0xA0.
inline bool IsBlank(char c) {
    return c == '\t' || c == '\n' || c == '\r' || c == ' ' || c == '\xA0';
}
// s without leading and trailing characters of code 32 or less.
std::string_view TrimControls(std::string_view s);

inline char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// A decimal integer, or hexadecimal after "$", with an optional leading "-",
// surrounded by any characters of code 32 or less.
bool IsNumber(std::string_view s);
// The integer s denotes, commas ignored, 0 when s is not a number. Throws
// InvalidIntegerError when a number cannot be converted to 32 bits.
int32_t ParseNumber(std::string_view s);
// The strict conversion: s must be a number with nothing around it (no
// blanks, no commas); anything else throws InvalidIntegerError.
int32_t ParseWholeNumber(std::string_view s);
// Error "'%s' is not a valid integer value".
Error InvalidIntegerError(std::string_view text);

inline constexpr char kHexDigits[] = "0123456789ABCDEF";
// The value of each character as a hexadecimal digit, -1 for other characters.
inline constexpr std::array<int8_t, 256> kHexDigitValues = [] {
    std::array<int8_t, 256> values{};
    for (int8_t& v : values) v = -1;
    for (int d = 0; d < 10; ++d) values['0' + d] = int8_t(d);
    for (int d = 0; d < 6; ++d) values['A' + d] = values['a' + d] = int8_t(10 + d);
    return values;
}();
inline int HexDigitValue(char c) {
    return kHexDigitValues[static_cast<unsigned char>(c)];
}

// Upper-case hexadecimal digits of the low byte of v, always two.
std::string HexByte(int v);

}  // namespace pixolat
