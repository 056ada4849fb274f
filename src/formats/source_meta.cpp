// Comment lines of source files: writing and reading them.
#include "formats/source_meta.h"

#include <charconv>

#include "document/text.h"

namespace pixolat {

namespace {

constexpr std::string_view kReadablePrefix = "Img_";

bool IsPrintable(char c) {
    return c >= 32 && c <= 126;
}

bool IsLetter(char c) {
    const char u = UpperAscii(c);
    return u >= 'A' && u <= 'Z';
}

// Reads the tokens of a meta line from left to right; any mismatch leaves
// ok() false.
class MetaTokens {
public:
    explicit MetaTokens(std::string_view rest) : rest_(rest) {}
    bool ok() const { return ok_; }
    bool atEnd() const { return rest_.empty(); }
    std::string_view rest() const { return rest_; }

    std::string_view Word() {
        while (!rest_.empty() && rest_.front() == ' ') rest_.remove_prefix(1);
        std::size_t n = 0;
        while (n < rest_.size() && rest_[n] != ' ') ++n;
        const std::string_view word = rest_.substr(0, n);
        rest_.remove_prefix(n);
        if (word.empty()) ok_ = false;
        return word;
    }
    void Expect(std::string_view word) {
        if (Word() != word) ok_ = false;
    }
    int Number(int low, int high) {
        const std::string_view word = Word();
        int value = 0;
        const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
        if (error != std::errc() || end != word.data() + word.size() || value < low || value > high)
            ok_ = false;
        return value;
    }
    std::size_t Count() {
        const std::string_view word = Word();
        std::size_t value = 0;
        const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
        if (error != std::errc() || end != word.data() + word.size()) ok_ = false;
        return value;
    }
    ColorCode Color() {
        const std::string_view word = Word();
        if (word.size() != 3 || word[0] != '$' || HexDigitValue(word[1]) < 0 ||
            HexDigitValue(word[2]) < 0) {
            ok_ = false;
            return 0;
        }
        return HexDigitValue(word[1]) * 16 + HexDigitValue(word[2]);
    }
    // The rest of the line, after one blank.
    std::string_view Tail() {
        while (!rest_.empty() && rest_.front() == ' ') rest_.remove_prefix(1);
        const std::string_view tail = rest_;
        rest_ = {};
        return tail;
    }

private:
    std::string_view rest_;
    bool ok_ = true;
};

std::optional<ImageMeta> ParseImage(MetaTokens& tokens) {
    ImageMeta meta;
    meta.index = tokens.Number(0, kLastImage);
    tokens.Expect("colors");
    meta.color0 = tokens.Color();
    meta.color3 = tokens.Color();
    tokens.Expect("name");
    const std::optional<std::string> name = UnquoteName(tokens.Tail());
    if (!tokens.ok() || !name) return std::nullopt;
    meta.name = *name;
    return meta;
}

std::optional<CellsMeta> ParseCells(MetaTokens& tokens, bool luminance) {
    CellsMeta cells;
    cells.luminance = luminance;
    cells.bank = tokens.Number(0, kBanks - 1);
    cells.first = tokens.Count();
    const std::string_view hex = tokens.Word();
    if (!tokens.ok() || !tokens.atEnd() || hex.size() % 2 != 0 || cells.first > kBankBytes ||
        hex.size() / 2 > kBankBytes - cells.first)
        return std::nullopt;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexDigitValue(hex[i]);
        const int low = HexDigitValue(hex[i + 1]);
        if ((high | low) < 0) return std::nullopt;
        cells.values.push_back(uint8_t(high * 16 + low));
    }
    return cells;
}

}  // namespace

std::string ReadableName(std::string_view name) {
    std::string out(name);
    // Trailing blanks would be trimmed away by the reader.
    while (!out.empty() && out.back() == ' ') out.pop_back();
    for (std::size_t i = 0; i < out.size(); ++i) {
        const char c = out[i];
        if (!IsPrintable(c) || c == ';' || (c == '/' && i > 0 && out[i - 1] == '/')) out[i] = '_';
    }
    const bool db = out.size() >= 2 && UpperAscii(out[0]) == 'D' && UpperAscii(out[1]) == 'B';
    if (!out.empty() && (!IsLetter(out[0]) || db)) out.insert(0, kReadablePrefix);
    return out;
}

std::string QuoteName(std::string_view name, bool plain) {
    std::string out = "\"";
    for (const char c : name) {
        const bool word = IsLetter(c) || (c >= '0' && c <= '9') || c == ' ' || c == '_' || c == '-';
        if (plain && !word) {
            out += "\\x";
            out += HexByte(static_cast<unsigned char>(c));
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (IsPrintable(c)) {
            out += c;
        } else {
            out += "\\x";
            out += HexByte(static_cast<unsigned char>(c));
        }
    }
    return out + '"';
}

std::optional<std::string> UnquoteName(std::string_view quoted) {
    if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') return std::nullopt;
    quoted = quoted.substr(1, quoted.size() - 2);
    std::string name;
    for (std::size_t i = 0; i < quoted.size(); ++i) {
        const char c = quoted[i];
        if (c == '"') return std::nullopt;
        if (c != '\\') {
            name += c;
            continue;
        }
        if (i + 1 >= quoted.size()) return std::nullopt;
        const char e = quoted[++i];
        if (e == '"' || e == '\\') {
            name += e;
        } else if (e == 'x' && i + 2 < quoted.size() && HexDigitValue(quoted[i + 1]) >= 0 &&
                   HexDigitValue(quoted[i + 2]) >= 0) {
            name += char(HexDigitValue(quoted[i + 1]) * 16 + HexDigitValue(quoted[i + 2]));
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    return name;
}

std::string CurrentMetaLine(int currentImage) {
    return std::string(kMetaStart) + " current " + std::to_string(currentImage) + "\r\n";
}

std::string ImageMetaLine(int index, const ImageDescriptor& desc, bool plainName) {
    return std::string(kMetaStart) + " image " + std::to_string(index) + " colors $" +
           HexByte(desc.color0) + " $" + HexByte(desc.color3) + " name " +
           QuoteName(desc.name, plainName) + "\r\n";
}

std::string CellsMetaLine(bool luminance, int bank, std::size_t first, const uint8_t* values,
                          std::size_t count) {
    std::string line = std::string(kMetaStart) + (luminance ? " lummap " : " colmap ") +
                       std::to_string(bank) + " " + std::to_string(first) + " ";
    for (std::size_t i = 0; i < count; ++i) line += HexByte(values[i]);
    return line + "\r\n";
}

MetaLine ParseMetaLine(std::string_view line) {
    MetaLine meta;
    // ";@" is the dialects' form of the same lines.
    std::size_t start = kMetaStart.size();
    if (line.starts_with(";@"))
        start = 2;
    else if (!line.starts_with(kMetaStart))
        return meta;
    MetaTokens tokens(line.substr(start));
    const std::string_view kind = tokens.Word();
    if (kind == "current") {
        const int index = tokens.Number(0, kLastImage);
        if (tokens.ok() && tokens.atEnd()) meta.current = index;
    } else if (kind == "image") {
        meta.image = ParseImage(tokens);
    } else if (kind == "lummap" || kind == "colmap") {
        meta.cells = ParseCells(tokens, kind == "lummap");
    }
    return meta;
}

}  // namespace pixolat
