#pragma once
// Text helpers shared by the dialogs, the source-text reader and start-up.
// Texts are byte strings; positions are 1-based and 0 means "not found".
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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
// s without the leading and trailing characters that occur in set.
std::string TrimChars(std::string_view s, std::string_view set);
// TrimChars with tab, line feed, carriage return, space and 0xA0.
std::string TrimBlanks(std::string_view s);

// A decimal integer, or hexadecimal after "$", with an optional leading "-",
// surrounded by any characters of code 32 or less.
bool IsNumber(std::string_view s);
// The integer s denotes, commas ignored, 0 when s is not a number. Throws Error
// "'%s' is not a valid integer value" when a number cannot be converted to 32 bits.
int32_t ParseNumber(std::string_view s);

// Upper-case hexadecimal digits of the low byte of v, always two.
std::string HexByte(int v);

}  // namespace pixolat
