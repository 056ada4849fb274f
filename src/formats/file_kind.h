#pragma once
// What a file to read holds, judged in one place for the editor and the
// converter: by its first bytes, since a name can lie or say nothing. Only
// the name of a file to write says what it becomes.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace pixolat {

enum class FileKind { Unknown, Prg, Source, Picture };

// The lower-case extension with its dot, "" when the name has none.
std::string Extension(std::string_view path);

// Plain text with a data line ("DB $00,...") among its first lines: what
// the source writer writes and the source reader takes. Pictures and programs
// hold control bytes; text without data lines would only rename images.
bool LooksLikeSourceText(std::span<const uint8_t> head);

// Whether a picture reader takes the file's first bytes; asked only when
// nothing else has taken them, since it may load the picture codec.
using PictureTest = std::function<bool()>;

// The kind of the file at path whose first bytes (kPrgReadLimit of them, or
// the whole file) are head: a program file laid out as one when its name
// says .prg or .p4i, whatever its first bytes spell; else source text, else
// a picture any reader takes, else a program in a layout this reads. Unknown
// when the bytes are none of these: the caller then hands the file to the
// reader its name suggests, whose message says what is wrong with it.
FileKind FileKindOf(std::string_view path, std::span<const uint8_t> head,
                    const PictureTest& isPicture);

}  // namespace pixolat
