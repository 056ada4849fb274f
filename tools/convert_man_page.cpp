// Writes pixolat-convert's manual page from its template, filling in the
// synopsis and the options from the converter's own option table, so the
// page lists exactly what the program takes and says of it in --help.
//
// usage: pixolat_convert_man TEMPLATE OUTPUT
// The template's lines `.\" SYNOPSIS FROM THE OPTION TABLE` and
// `.\" OPTIONS FROM THE OPTION TABLE` are replaced; the rest is copied.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

#include "convert/options.h"

namespace {

// Text as roff shows it literally: backslashes and hyphens escaped.
std::string Escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    return out;
}

// One word of a synopsis or an option: options bold, arguments italic, and
// the brackets and commas around them roman.
std::string Word(std::string_view word) {
    std::size_t begin = 0;
    while (begin < word.size() && word[begin] == '[') ++begin;
    std::size_t end = word.size();
    while (end > begin && (word[end - 1] == ']' || word[end - 1] == ',')) --end;
    const std::string_view core = word.substr(begin, end - begin);
    const char* font = !core.empty() && core.front() == '-' ? "\\fB" : "\\fI";
    return std::string(word.substr(0, begin)) + font + Escaped(core) + "\\fR" +
           std::string(word.substr(end));
}

std::string Words(std::string_view text) {
    std::string out;
    std::istringstream words{std::string(text)};
    for (std::string word; words >> word;) out += (out.empty() ? "" : " ") + Word(word);
    return out;
}

// A text line: one starting with a dot or a quote would be read as a request.
std::string TextLine(std::string text) {
    if (!text.empty() && (text.front() == '.' || text.front() == '\'')) text.insert(0, "\\&");
    return text + "\n";
}

std::string Synopsis() {
    std::string out;
    for (const std::string_view form : pixolat::UsageForms())
        out += "\\fBpixolat\\-convert\\fR " + Words(form) + "\n.br\n";
    return out;
}

std::string Options() {
    std::string out;
    for (const pixolat::OptionDoc& doc : pixolat::OptionDocs()) {
        // As --help says it: a help text may start with a value the program
        // takes only in lower case ("none, ordered or diffusion").
        out += ".TP\n" + Words(doc.shown) + "\n" + TextLine(Escaped(doc.help) + ".");
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: pixolat_convert_man TEMPLATE OUTPUT\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    std::ostringstream page;
    int filled = 0;
    for (std::string line; std::getline(in, line);) {
        if (line == ".\\\" SYNOPSIS FROM THE OPTION TABLE") {
            page << Synopsis();
            ++filled;
        } else if (line == ".\\\" OPTIONS FROM THE OPTION TABLE") {
            page << Options();
            ++filled;
        } else {
            page << line << '\n';
        }
    }
    if (!in.eof() || filled != 2) {
        std::cerr << argv[1] << ": not a manual page template with both marks\n";
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary);
    out << page.str();
    out.close();
    if (!out) {
        std::cerr << argv[2] << ": could not be written\n";
        return 1;
    }
    return 0;
}
