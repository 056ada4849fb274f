// The dialects' names, directives and labels.
#include "formats/source_syntax.h"

#include "document/text.h"

namespace pixolat {

namespace {

bool IsAlpha(char c) {
    const char u = UpperAscii(c);
    return u >= 'A' && u <= 'Z';
}

bool IsWordChar(char c) {
    return IsAlpha(c) || (c >= '0' && c <= '9') || c == '_';
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    return true;
}

bool StartsIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// A name every assembler takes as a label at the start of a line: four
// characters at least, so that it is no mnemonic and no register; the 65C02
// bit instructions (RMB0, BBS7, ...) are four; the generated labels' form is
// kept for them.
bool IsPlainLabel(std::string_view name) {
    if (name.size() < 4 || name.size() > 32 || !IsAlpha(name[0])) return false;
    for (const char c : name)
        if (!IsWordChar(c)) return false;
    if (name.size() == 4 && name[3] >= '0' && name[3] <= '7')
        for (std::string_view bit : {"RMB", "SMB", "BBR", "BBS"})
            if (StartsIgnoringCase(name, bit)) return false;
    if (StartsIgnoringCase(name, "image")) {
        std::size_t i = 5;
        while (i < name.size() && name[i] >= '0' && name[i] <= '9') ++i;
        if (i > 5 && (i == name.size() || name[i] == '_')) return false;
    }
    return true;
}

}  // namespace

std::string_view SyntaxName(SourceSyntax syntax) {
    switch (syntax) {
        case SourceSyntax::Tass64:
            return "64tass";
        case SourceSyntax::Acme:
            return "acme";
        case SourceSyntax::Ca65:
            return "ca65";
        case SourceSyntax::Dasm:
            return "dasm";
        case SourceSyntax::Xa:
            return "xa";
        default:
            return "db";
    }
}

std::optional<SourceSyntax> SyntaxFromName(std::string_view name) {
    for (const SourceSyntax syntax : kSourceSyntaxes)
        if (SyntaxName(syntax) == name) return syntax;
    return std::nullopt;
}

std::string_view DataDirective(SourceSyntax syntax) {
    switch (syntax) {
        case SourceSyntax::Tass64:
        case SourceSyntax::Ca65:
            return ".byte";
        case SourceSyntax::Acme:
            return "!byte";
        case SourceSyntax::Dasm:
            return "dc.b";
        case SourceSyntax::Xa:
            return ".byt";
        default:
            return "DB";
    }
}

std::string_view MetaPrefix(SourceSyntax syntax) {
    return syntax == SourceSyntax::Db ? "//@" : ";@";
}

std::string SyntaxLine(SourceSyntax syntax) {
    if (syntax == SourceSyntax::Db) return std::string();
    return ";@ syntax " + std::string(SyntaxName(syntax)) + "\r\n";
}

std::string ImageLabel(const ImageStore& store, int index) {
    const std::string& name = store.image(index).desc.name;
    if (!IsPlainLabel(name)) return GeneratedLabel(name, index);
    for (int i = 0; i < index; ++i) {
        const ImageDescriptor& d = store.image(i).desc;
        if (d.width > 0 && d.height > 0 && SameIgnoringCase(d.name, name))
            return GeneratedLabel(name, index);
    }
    return name;
}

std::string GeneratedLabel(std::string_view name, int index) {
    std::string label = "image" + std::to_string(index);
    if (!name.empty()) label += '_';
    for (std::size_t i = 0; i < name.size() && i < 24; ++i)
        label += IsWordChar(name[i]) ? name[i] : '_';
    return label;
}

bool IsLabelOf(std::string_view label, std::string_view name, int index) {
    return label == name || label == GeneratedLabel(name, index);
}

}  // namespace pixolat
