#include "convert/options.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <string_view>

#include "convert/messages.h"
#include "convert/output_file.h"
#include "convert/picture_codec_loader.h"
#include "document/image_store.h"
#include "formats/prg_format.h"

namespace pixolat {

namespace {

// Applies an option to the options; returns an error text, or "" when good.
using ApplyOption = std::string (*)(Options& options, const std::string& value);

struct OptionRow {
    std::string_view name;
    bool takesValue;
    ApplyOption apply;
    OptionDoc doc;  // an alias has no text and is not listed
};

std::string ImageOption(Options& options, const std::string& value) {
    char* end = nullptr;
    const long n = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || n < 0 || n > kLastImage)
        return "--image needs a number from 0 to " + std::to_string(kLastImage) + ", not '" +
               ShownValue(value) + "'";
    options.image = int(n);
    options.imageGiven = true;
    return "";
}

// A whole number from low to high, or an error text.
std::string IntegerValue(const std::string& name, const std::string& value, int low, int high,
                         int& target) {
    char* end = nullptr;
    const long n = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || n < low || n > high)
        return name + " needs a number from " + std::to_string(low) + " to " +
               std::to_string(high) + ", not '" + ShownValue(value) + "'";
    target = int(n);
    return "";
}

// One of the words, as its index, or an error text.
std::string WordValue(const std::string& name, const std::string& value,
                      std::initializer_list<const char*> words, int& target) {
    int index = 0;
    std::string list;
    for (const char* word : words) {
        if (value == word) {
            target = index;
            return "";
        }
        list += (index == 0                       ? ""
                 : index + 1 == int(words.size()) ? " or "
                                                  : ", ") +
                std::string(word);
        ++index;
    }
    return name + " takes " + list + ", not '" + ShownValue(value) + "'";
}

std::string ConvertOption(Options& options, const std::string& value) {
    int mode = 0;
    std::string error = WordValue("--convert", value, {"hires", "multicolor", "dfli"}, mode);
    options.convert = true;
    options.conversion.multicolor = mode == 1;
    options.conversion.dfli = mode == 2;
    return error;
}

std::string LayoutOption(Options& options, const std::string& value) {
    int layout = 0;
    std::string error = WordValue("--layout", value, {"bitmap", "dfli", "charset"}, layout);
    options.layout = PrgLayout(layout);
    options.layoutGiven = true;
    return error;
}

// A conversion setting: remembered, so that one given without --convert is refused.
template <std::string (*Apply)(ConversionOptions&, const std::string&)>
std::string Setting(Options& options, const std::string& value) {
    if (options.conversionOptionGiven.empty()) options.conversionOptionGiven = "given";
    return Apply(options.conversion, value);
}

std::string DitherSetting(ConversionOptions& c, const std::string& value) {
    int kind = 0;
    std::string error = WordValue("--dither", value, {"none", "ordered", "diffusion"}, kind);
    c.dithering = Dithering(kind);
    return error;
}
std::string FitSetting(ConversionOptions& c, const std::string& value) {
    int how = 0;
    std::string error = WordValue("--fit", value, {"fit", "crop", "stretch"}, how);
    c.fitting = Fitting(how);
    return error;
}
std::string StrengthSetting(ConversionOptions& c, const std::string& value) {
    return IntegerValue("--strength", value, 0, 100, c.strength);
}
std::string BrightnessSetting(ConversionOptions& c, const std::string& value) {
    return IntegerValue("--brightness", value, -100, 100, c.adjustments.brightness);
}
std::string ContrastSetting(ConversionOptions& c, const std::string& value) {
    return IntegerValue("--contrast", value, -100, 100, c.adjustments.contrast);
}
std::string SaturationSetting(ConversionOptions& c, const std::string& value) {
    return IntegerValue("--saturation", value, -100, 100, c.adjustments.saturation);
}
std::string GammaSetting(ConversionOptions& c, const std::string& value) {
    char* end = nullptr;
    const double g = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0' || !(g >= 0.2 && g <= 5.0))
        return "--gamma needs a number from 0.2 to 5, not '" + ShownValue(value) + "'";
    c.adjustments.gamma = g;
    return "";
}

std::string SyntaxOption(Options& options, const std::string& value) {
    const std::optional<SourceSyntax> syntax = SyntaxFromName(value);
    if (!syntax)
        return "--syntax needs db, 64tass, acme, ca65, dasm or xa, not '" + ShownValue(value) + "'";
    options.syntax = *syntax;
    options.syntaxGiven = true;
    return "";
}

std::string AtOption(Options& options, const std::string& value) {
    const std::optional<PartAddresses> addresses = ParsePartAddresses(value, options.partAddresses);
    if (!addresses)
        return "--at needs words like raw, prg, bitmap=$2000, luminance=$1800, color=$1C00, "
               "colors=$1BFE (luminance1..3 and color1..3 for DFLI), not '" +
               ShownValue(value) + "'";
    options.partAddresses = *addresses;
    options.addressesGiven = true;
    return "";
}

// The options, searched in order; one row each. The usage text and the
// manual page list them from here, in this order.
const OptionRow kOptionTable[] = {
    {"--multicolor",
     false,
     [](Options& o, const std::string&) { return o.multicolor = true, std::string(); },
     {"--multicolor", "import a picture as multicolor (default hires)"}},
    {"--image",
     true,
     ImageOption,
     {"--image N", "the image of a source text to write as .prg or picture (default 0)"}},
    {"--convert",
     true,
     ConvertOption,
     {"--convert MODE",
      "convert a true-color picture into a 320 x 200 image of that mode (hires, multicolor or "
      "dfli), matching its colors; dfli is hires with the cell colors per pair of rows, add "
      "--multicolor for multicolor DFLI"}},
    {"--dither",
     true,
     Setting<DitherSetting>,
     {"--dither KIND", "none, ordered or diffusion (default)"}},
    {"--strength",
     true,
     [](Options& o, const std::string& v) {
         o.strengthGiven = true;
         return Setting<StrengthSetting>(o, v);
     },
     {"--strength N", "dithering strength in percent, 0..100 (default 100)"}},
    {"--fit",
     true,
     Setting<FitSetting>,
     {"--fit HOW",
      "crop (default: fill the image, cut the rest), fit (whole picture, black bars) or "
      "stretch"}},
    {"--brightness", true, Setting<BrightnessSetting>, {"--brightness N", "-100..100 (default 0)"}},
    {"--contrast", true, Setting<ContrastSetting>, {"--contrast N", "-100..100 (default 0)"}},
    {"--saturation", true, Setting<SaturationSetting>, {"--saturation N", "-100..100 (default 0)"}},
    {"--gamma",
     true,
     Setting<GammaSetting>,
     {"--gamma X", "0.2..5 (default 1; above 1 brightens the mid tones)"}},
    // Source dialects and memory parts.
    {"--syntax",
     true,
     SyntaxOption,
     {"--syntax NAME",
      "write source text for an assembler: db (default), 64tass, acme, ca65, dasm or xa"}},
    {"--parts",
     false,
     [](Options& o, const std::string&) { return o.parts = true, std::string(); },
     {"--parts",
      "write the image's bitmap, luminance and color memory (each DFLI bank) and multicolor "
      "colors as OUTPUT_bitmap.prg ..., plus OUTPUT_all.prg holding every part at its "
      "address"}},
    {"--at",
     true,
     AtOption,
     {"--at WORDS",
      "with --parts: raw (.bin files without address) or prg, and addresses such as "
      "\"bitmap=$4000 luminance=$3800 color=$3C00 colors=$3BFE\" (defaults as Export .PRG)"}},
    {"--runnable",
     false,
     [](Options& o, const std::string&) { return o.runnable = true, std::string(); },
     {"--runnable",
      "write a .prg that shows the picture on the Plus/4: LOAD and RUN it, any "
      "key returns to BASIC (hires, multicolor and DFLI)"}},
    {"--layout",
     true,
     LayoutOption,
     {"--layout KIND",
      ".prg output layout: bitmap (10050 bytes at $1800), dfli (all four banks, $1001) or "
      "charset (256 characters, 2050 bytes); default: the one that keeps the image"}},
    {"--info",
     false,
     [](Options& o, const std::string&) { return o.info = true, std::string(); },
     {"--info FILE", "print the recognised layout, size, pixel width and color map kind"}},
    {"--version",
     false,
     [](Options& o, const std::string&) { return o.version = true, std::string(); },
     {"--version", "print the program's version"}},
    {"--help",
     false,
     [](Options& o, const std::string&) { return o.help = true, std::string(); },
     {"-h, --help", "print this usage text"}},
    {"-h", false, [](Options& o, const std::string&) { return o.help = true, std::string(); }, {}},
    // Taken by ParseOptions itself; the row documents it.
    {"--",
     false,
     [](Options&, const std::string&) { return std::string(); },
     {"--", "every argument after it is a file name"}},
};

// The ways to call the program, after its name.
const char* const kUsageForms[] = {
    "[--multicolor] [--image N] [--layout bitmap|dfli|charset] [--] INPUT OUTPUT",
    "--runnable [--multicolor] [--image N] [--] INPUT OUTPUT.prg",
    "[--multicolor] --info [--] FILE",
    "[--syntax db|64tass|acme|ca65|dasm|xa] [--] INPUT OUTPUT.asm",
    "--parts [--at WORDS] [--multicolor] [--image N] [--] INPUT OUTPUT",
    "--convert hires|multicolor|dfli [--multicolor] [--dither none|ordered|diffusion] "
    "[--strength N] [--fit fit|crop|stretch] [--brightness N] [--contrast N] [--saturation N] "
    "[--gamma X] [--] PICTURE OUTPUT",
};

const char* const kUsageBody =
    "Converts Plus/4 graphics the way the editor imports and exports them.\n"
    "The kind of each file follows from its extension:\n"
    "  .prg .p4i                  Plus/4 program file (output: see --layout)\n"
    "  .asm .s .inc .src .txt     the editor's source text (all images)\n"
    "  .png .bmp                  picture (input: pixel values from bits of red;\n"
    "                             output: the image 1:1 in the editor's colors)\n"
    "Picture input also reads every other kind the editor reads (.jpg, .gif,\n"
    ".ppm, ...); picture output is .png or .bmp.\n";

// Appends text in lines of at most 79 columns, each continuation line
// indented to column indent.
void AppendWrapped(std::string& out, std::string_view text, std::size_t column,
                   std::size_t indent) {
    constexpr std::size_t kWidth = 79;
    while (!text.empty()) {
        std::size_t take = text.size();
        if (column + take > kWidth) {
            const std::size_t space = text.rfind(' ', kWidth - column);
            take = space == std::string_view::npos || space == 0 ? text.find(' ') : space;
            if (take == std::string_view::npos) take = text.size();
        }
        out.append(text.substr(0, take));
        text.remove_prefix(take);
        while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
        if (!text.empty()) {
            out.append("\n").append(indent, ' ');
            column = indent;
        }
    }
    out += '\n';
}

// "--name", "--name value" or "--name=value"; returns the error text or "".
std::string ApplyArgument(Options& options, const std::vector<std::string>& args, std::size_t& i) {
    const std::string& arg = args[i];
    for (const OptionRow& row : kOptionTable) {
        if (arg == row.name) {
            if (!row.takesValue) return row.apply(options, "");
            if (i + 1 >= args.size()) return std::string(row.name) + " needs a value";
            return row.apply(options, args[++i]);
        }
        if (row.takesValue && arg.size() > row.name.size() && arg.starts_with(row.name) &&
            arg[row.name.size()] == '=')
            return row.apply(options, arg.substr(row.name.size() + 1));
    }
    return "unknown option " + ShownValue(arg);
}

// Options that would be silently ignored for these files are errors.
std::string CheckMeaning(const Options& options) {
    if (options.files.size() != (options.info ? 1u : 2u))
        return options.info ? "--info takes one file" : "give one input and one output file";
    if (options.runnable && (options.info || OutputKindOf(options.files[1]) != FileKind::Prg))
        return "--runnable writes a .prg file";
    if (options.syntaxGiven &&
        (options.info || options.parts || OutputKindOf(options.files[1]) != FileKind::Source))
        return "--syntax applies to source text output";
    if (options.parts && (options.info || options.runnable))
        return "--parts writes the parts of one image, not with --info or --runnable";
    if (options.addressesGiven && !options.parts) return "--at applies to --parts only";
    if (options.layoutGiven &&
        (options.info || options.runnable || OutputKindOf(options.files[1]) != FileKind::Prg))
        return "--layout chooses the layout of a .prg output (not with --runnable)";
    const FileKind input = InputKindOf(options.files[0]);
    if (options.multicolor && input != FileKind::Picture)
        return "--multicolor applies to picture input only";
    if (!options.conversionOptionGiven.empty() && !options.convert)
        return "--dither, --strength, --fit and the adjustments apply to --convert only";
    if (options.convert && (options.info || input != FileKind::Picture))
        return "--convert converts a picture file into an image";
    if (options.convert && options.multicolor && !options.conversion.dfli &&
        !options.conversion.multicolor)
        return "--multicolor goes with --convert multicolor or dfli, not hires";
    if (options.strengthGiven && options.conversion.dithering == Dithering::None)
        return "--strength applies to --dither ordered or diffusion";
    if (options.imageGiven &&
        (options.info || input != FileKind::Source ||
         (!options.parts && OutputKindOf(options.files[1]) == FileKind::Source)))
        return "--image picks the image of a source text to write as .prg or picture";
    // Writing the output over the input would lose what it could not convert.
    if (!options.info && SameFile(options.files[0], options.files[1]))
        return "the output " + ShownValue(options.files[1]) + " is the input file";
    return "";
}

}  // namespace

FileKind OutputKindOf(const std::string& path) {
    const std::string ext = Extension(path);
    if (ext == ".prg" || ext == ".p4i") return FileKind::Prg;
    if (ext == ".png" || ext == ".bmp") return FileKind::Picture;
    if (ext == ".asm" || ext == ".s" || ext == ".inc" || ext == ".src" || ext == ".txt")
        return FileKind::Source;
    return FileKind::Unknown;
}

FileKind InputKindOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
        const std::vector<uint8_t> head = ReadFileStart(path, kPrgReadLimit);
        const FileKind kind = FileKindOf(path, head, [&] { return CodecIsPicture(head); });
        if (kind != FileKind::Unknown) return kind;
    }
    const FileKind kind = OutputKindOf(path);
    if (kind != FileKind::Unknown) return kind;
    const std::string ext = Extension(path);
    return ext.size() > 1 && CodecCanReadPictureType(ext.substr(1)) ? FileKind::Picture
                                                                    : FileKind::Unknown;
}

std::vector<std::string_view> UsageForms() {
    return {std::begin(kUsageForms), std::end(kUsageForms)};
}

std::vector<OptionDoc> OptionDocs() {
    std::vector<OptionDoc> docs;
    for (const OptionRow& row : kOptionTable)
        if (!row.doc.help.empty()) docs.push_back(row.doc);
    return docs;
}

std::string UsageText() {
    constexpr std::size_t kHelpColumn = 17;
    std::string text;
    const std::string program = "pixolat-convert ";
    for (std::size_t i = 0; i < std::size(kUsageForms); ++i) {
        text.append(i == 0 ? "usage: " : "       ").append(program);
        const std::size_t column = 7 + program.size();
        AppendWrapped(text, kUsageForms[i], column, column + 2);
    }
    text.append("\n").append(kUsageBody).append("\n");
    for (const OptionDoc& doc : OptionDocs()) {
        std::string line = "  " + std::string(doc.shown);
        line.resize(std::max(line.size() + 1, kHelpColumn), ' ');
        text += line;
        AppendWrapped(text, doc.help, line.size(), kHelpColumn);
    }
    return text;
}

ParsedOptions ParseOptions(const std::vector<std::string>& args) {
    ParsedOptions parsed;
    Options& options = parsed.options;
    bool optionsEnd = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // After "--" every argument is a file name, also one that starts with "-".
        if (arg == "--" && !optionsEnd) {
            optionsEnd = true;
        } else if (!optionsEnd && arg.size() > 1 && arg[0] == '-') {
            parsed.usageError = ApplyArgument(options, args, i);
            if (!parsed.usageError.empty()) return parsed;
        } else {
            options.files.push_back(arg);
        }
    }
    if (!options.help && !options.version) parsed.usageError = CheckMeaning(options);
    return parsed;
}

}  // namespace pixolat
