#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "convert/options.h"

namespace pixolat {
namespace {

// The text with every run of blanks and line breaks as one space.
std::string OneLine(const std::string& text) {
    std::istringstream words(text);
    std::string out;
    for (std::string word; words >> word;) out += (out.empty() ? "" : " ") + word;
    return out;
}

// --help and the manual page list the options from the option table: each
// listed option is one the program takes, each shows whole with its help in
// lines that fit a terminal, and the synopsis shows each way to call it.
TEST(ConverterUsage, ListsEveryOptionTheProgramTakesInLinesThatFit) {
    const std::string usage = UsageText();
    std::istringstream lines(usage);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 79u) << line;

    const std::string flat = OneLine(usage);
    ASSERT_GE(OptionDocs().size(), 6u);
    for (const OptionDoc& doc : OptionDocs()) {
        EXPECT_NE(flat.find(OneLine(std::string(doc.shown) + " " + std::string(doc.help))),
                  std::string::npos)
            << doc.shown;
        std::istringstream words{std::string(doc.shown)};
        for (std::string word; words >> word;) {
            if (word.back() == ',') word.pop_back();
            if (word.front() != '-') continue;
            const ParsedOptions parsed = ParseOptions({word});
            EXPECT_EQ(parsed.usageError.find("unknown option"), std::string::npos) << word;
        }
    }
    for (const std::string_view form : UsageForms())
        EXPECT_NE(flat.find(OneLine("pixolat-convert " + std::string(form))), std::string::npos)
            << form;
}

}  // namespace
}  // namespace pixolat
