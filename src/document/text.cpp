#include "document/text.h"

#include <cstring>
#include <vector>

namespace pixolat {

std::string EraseAll(std::string_view s, std::string_view find) {
    if (find.empty()) return std::string(s);
    std::string result(s.size(), '\0');
    char* const out = result.data();
    const char* const f = find.data();
    const std::size_t m = find.size();
    const char last = f[m - 1];
    std::size_t n = 0;
    std::size_t i = 0;
    // The output never holds find, so only a copied `last` can complete a new
    // occurrence: the text between two of them is copied whole.
    while (i < s.size()) {
        const void* hit = std::memchr(s.data() + i, last, s.size() - i);
        const std::size_t end =
            hit ? std::size_t(static_cast<const char*>(hit) - s.data()) + 1 : s.size();
        std::memcpy(out + n, s.data() + i, end - i);
        n += end - i;
        i = end;
        if (!hit || n < m) continue;
        std::size_t k = 1;
        while (k < m && out[n - 1 - k] == f[m - 1 - k]) ++k;
        if (k == m) n -= m;
    }
    result.resize(n);
    return result;
}

std::string_view TrimControls(std::string_view s) {
    std::size_t begin = 0;
    std::size_t end = s.size();
    while (begin < end && static_cast<unsigned char>(s[begin]) <= 32) ++begin;
    while (end > begin && static_cast<unsigned char>(s[end - 1]) <= 32) --end;
    return s.substr(begin, end - begin);
}

namespace {

bool IsDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool IsNumber(std::string_view s) {
    s = TrimControls(s);
    if (!s.empty() && s.front() == '-') s.remove_prefix(1);
    const bool hex = !s.empty() && s.front() == '$';
    if (hex) s.remove_prefix(1);
    if (s.empty()) return false;
    for (char c : s) {
        if (hex ? HexDigitValue(c) < 0 : !IsDecimalDigit(c)) return false;
    }
    return true;
}

int32_t ParseNumber(std::string_view input) {
    std::string text;
    for (char c : TrimControls(input))
        if (c != ',') text.push_back(c);
    if (!IsNumber(text)) return 0;
    const auto fail = [&text]() { return InvalidIntegerError(text); };

    std::string_view s = TrimControls(text);
    const bool negative = s.front() == '-';
    if (negative) s.remove_prefix(1);
    if (s.front() == '$') {
        if (negative) throw fail();
        s.remove_prefix(1);
        while (s.size() > 1 && s.front() == '0') s.remove_prefix(1);
        if (s.size() > 8) throw fail();
        uint32_t value = 0;
        for (char c : s) value = value * 16 + uint32_t(HexDigitValue(c));
        return static_cast<int32_t>(value);
    }
    const int64_t limit = negative ? 2147483648LL : 2147483647LL;
    int64_t value = 0;
    for (char c : s) {
        value = value * 10 + (c - '0');
        if (value > limit) throw fail();
    }
    return static_cast<int32_t>(negative ? -value : value);
}

int32_t ParseWholeNumber(std::string_view s) {
    const bool clean =
        !s.empty() && TrimControls(s).size() == s.size() && s.find(',') == std::string_view::npos;
    if (!clean || !IsNumber(s)) throw InvalidIntegerError(s);
    return ParseNumber(s);
}

Error InvalidIntegerError(std::string_view text) {
    return Error("'" + std::string(text) + "' is not a valid integer value");
}

std::string HexByte(int v) {
    return {kHexDigits[(v >> 4) & 0xF], kHexDigits[v & 0xF]};
}

}  // namespace pixolat
