#include "formats/file_kind.h"

#include <algorithm>

#include "formats/prg_format.h"

namespace pixolat {

std::string Extension(std::string_view path) {
    const std::size_t dot = path.find_last_of('.');
    const std::size_t slash = path.find_last_of('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return "";
    std::string ext(path.substr(dot));
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return ext;
}

bool LooksLikeSourceText(std::span<const uint8_t> head) {
    constexpr std::size_t kProbe = 1 << 16;
    head = head.first(std::min(head.size(), kProbe));
    bool dataLine = false;
    bool lineStart = true;
    for (std::size_t i = 0; i < head.size(); ++i) {
        const uint8_t c = head[i];
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f') return false;
        if (c == '\n' || c == '\r') {
            lineStart = true;
        } else if (lineStart && c != ' ' && c != '\t') {
            lineStart = false;
            dataLine = dataLine ||
                       (i + 2 < head.size() && (c | 0x20) == 'd' && (head[i + 1] | 0x20) == 'b' &&
                        (head[i + 2] == ' ' || head[i + 2] == '\t'));
        }
    }
    return dataLine;
}

FileKind FileKindOf(std::string_view path, std::span<const uint8_t> head,
                    const PictureTest& isPicture) {
    const std::string ext = Extension(path);
    const bool namedPrg = ext == ".prg" || ext == ".p4i";
    const bool laidOutAsPrg = RecognizePrg(head).format != PrgFormat::Unknown;
    if (namedPrg && laidOutAsPrg) return FileKind::Prg;
    // Source text before pictures: some picture readers take any text that
    // starts with "P1" as a picture, while no text picture has data lines.
    if (LooksLikeSourceText(head)) return FileKind::Source;
    if (isPicture()) return FileKind::Picture;
    return laidOutAsPrg ? FileKind::Prg : FileKind::Unknown;
}

}  // namespace pixolat
