#pragma once
// The assembler dialects the source text is written in. "db" is the
// editor's own form; the others are that form with the data directive,
// labels and comments a given assembler takes, so that the text assembles
// as it is. A dialect text begins with the line ";@ syntax NAME", which
// tells the reader how to read the rest; every "//@" line of the db form is
// a ";@" comment there.
#include <optional>
#include <string>
#include <string_view>

#include "document/image_store.h"

namespace pixolat {

enum class SourceSyntax { Db, Tass64, Acme, Ca65, Dasm, Xa };

inline constexpr SourceSyntax kSourceSyntaxes[] = {SourceSyntax::Db,   SourceSyntax::Tass64,
                                                   SourceSyntax::Acme, SourceSyntax::Ca65,
                                                   SourceSyntax::Dasm, SourceSyntax::Xa};

// "db", "64tass", "acme", "ca65", "dasm", "xa".
std::string_view SyntaxName(SourceSyntax syntax);
std::optional<SourceSyntax> SyntaxFromName(std::string_view name);
// The directive that starts a data line: "DB", ".byte", "!byte", "dc.b", ".byt".
std::string_view DataDirective(SourceSyntax syntax);
// What starts a comment line that carries metadata: "//@" or ";@".
std::string_view MetaPrefix(SourceSyntax syntax);
// The first line of a dialect text (empty for db).
std::string SyntaxLine(SourceSyntax syntax);

// The label a dialect writes for an image: the name itself when it is a
// plain identifier that every assembler takes and no earlier image of the
// store has it (in any case), else GeneratedLabel. The exact name travels in
// the ";@ image" line.
std::string ImageLabel(const ImageStore& store, int index);
// "image<index>", then "_" and the name's letters, digits and underscores
// (others as "_"), at most 24 of them.
std::string GeneratedLabel(std::string_view name, int index);
// Whether a header's label was written for this name and index, so that the
// exact name may replace it.
bool IsLabelOf(std::string_view label, std::string_view name, int index);

}  // namespace pixolat
