#include "document/text.h"

#include <gtest/gtest.h>

#include "document/errors.h"

using namespace pixolat;

TEST(ParseNumber, ReadsDecimalHexAndCommas) {
    EXPECT_EQ(ParseNumber("  1,000 "), 1000);
    EXPECT_EQ(ParseNumber("$ff"), 255);
    EXPECT_EQ(ParseNumber("-12"), -12);
    EXPECT_EQ(ParseNumber("abc"), 0);
    EXPECT_EQ(ParseNumber(""), 0);
    EXPECT_EQ(ParseNumber("$FFFFFFFF"), -1);
}

TEST(ParseNumber, UnconvertibleNumbersRaiseTheConversionError) {
    for (const char* text : {"12345678901", "-$10", "$123456789"}) {
        try {
            ParseNumber(text);
            FAIL() << text;
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), std::string("'") + text + "' is not a valid integer value");
        }
    }
}

TEST(ReplaceAll, CollapsesRunsOfEmptyLines) {
    EXPECT_EQ(ReplaceAll("\r\n\r\n\r\n\r\n", "\r\n\r\n", "\r\n"), "\r\n");
}
