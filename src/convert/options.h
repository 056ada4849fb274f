#pragma once
// The converter's command line: options, file kinds and the usage text.
#include <string>
#include <string_view>
#include <vector>

#include "conversion/picture_conversion.h"
#include "formats/file_kind.h"
#include "formats/prg_layouts.h"
#include "formats/prg_parts.h"
#include "formats/source_syntax.h"

namespace pixolat {

// What the usage text and the manual page say of an option: the option as
// written, with its argument, and one line of help.
struct OptionDoc {
    std::string_view shown;
    std::string_view help;
};

// The ways to call the program, after its name ("[--multicolor] ... INPUT OUTPUT").
std::vector<std::string_view> UsageForms();
// Every option the program takes, in the order the usage text lists them.
std::vector<OptionDoc> OptionDocs();
// The text of --help; its synopsis and option lines come from the two above.
std::string UsageText();

// What a file is read as, judged by its content (formats/file_kind.h). A
// file whose content says nothing, or that cannot be read as it stands
// (missing, or a pipe), is judged by its name, and its reader then tells
// what is wrong: pictures are every kind the picture codec reads. Asks the
// codec, which throws Error when it cannot be opened.
FileKind InputKindOf(const std::string& path);
// What a file is written as: pictures are .png and .bmp.
FileKind OutputKindOf(const std::string& path);

struct Options {
    std::vector<std::string> files;
    bool help = false;
    bool version = false;
    bool info = false;
    bool runnable = false;
    // --layout: the .prg layout; by the image's kind when not given.
    bool layoutGiven = false;
    PrgLayout layout = PrgLayout::Bitmap;
    bool multicolor = false;
    int image = 0;
    bool imageGiven = false;
    // --convert: the picture's colors matched into a new image instead of
    // its pixel values read from red.
    bool convert = false;
    // Error diffusion unless told otherwise: the closest to the picture of
    // the ways to dither in both modes.
    ConversionOptions conversion = [] {
        ConversionOptions c;
        c.dithering = Dithering::Diffusion;
        return c;
    }();
    // Conversion settings given without --convert are errors, named here.
    std::string conversionOptionGiven;
    bool strengthGiven = false;
    // Source text output in an assembler's dialect.
    SourceSyntax syntax = SourceSyntax::Db;
    bool syntaxGiven = false;
    // --parts: the image's memory parts as files named after OUTPUT.
    bool parts = false;
    PartAddresses partAddresses;
    bool addressesGiven = false;
};

struct ParsedOptions {
    Options options;
    std::string usageError;  // empty when the command line is good
};

// Parses and checks the arguments (without the program name): an option that
// has no meaning for the given files is an error, not silently ignored.
// Throws Error as InputKindOf does.
ParsedOptions ParseOptions(const std::vector<std::string>& args);

}  // namespace pixolat
