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

// Position of the last occurrence of sub in s, 0 if none.
std::size_t LastPos(std::string_view sub, std::string_view s);
// s without its first n characters; empty when s is shorter.
std::string DropLeft(std::string_view s, std::size_t n);
// s without its last n characters; empty when s is shorter.
std::string DropRight(std::string_view s, std::size_t n);
// The last n characters of s; all of s when it is shorter.
std::string RightPart(std::string_view s, std::size_t n);
// s with the first occurrence of sub cut out.
std::string RemoveFirst(std::string_view s, std::string_view sub);
// Replaces find by repl until find no longer occurs, rescanning from the start
// after each replacement, so occurrences a replacement creates are replaced
// too. Runs in linear time. repl must not contain find.
std::string ReplaceAll(std::string_view s, std::string_view find, std::string_view repl);
// s with find cut out until it no longer occurs: ReplaceAll(s, find, "")
// in one pass without the bookkeeping, for long texts and a short find.
std::string EraseAll(std::string_view s, std::string_view find);
// s without the leading and trailing characters that occur in set.
std::string TrimChars(std::string_view s, std::string_view set);

// Tab, line feed, carriage return, space and 0xA0.
inline bool IsBlank(char c) {
    return c == '\t' || c == '\n' || c == '\r' || c == ' ' || c == '\xA0';
}
// s without leading and trailing blanks.
std::string TrimBlanks(std::string_view s);
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
