#include "document/text.h"

#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <random>

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
            EXPECT_EQ(std::string(e.what()),
                      std::string("'") + text + "' is not a valid integer value");
        }
    }
}

namespace {

// The conversion error's text for a number text, or "" when it converts.
std::string ConversionError(const std::string& text) {
    try {
        ParseNumber(text);
        return "";
    } catch (const Error& e) {
        return e.what();
    }
}

// The rescanning definition, step by step: cut the first occurrence until
// there is none.
std::string NaiveEraseAll(std::string s, const std::string& find) {
    for (std::size_t p; (p = s.find(find)) != std::string::npos;) s.erase(p, find.size());
    return s;
}

}  // namespace

TEST(IsNumber, AcceptsDecimalAndDollarHexWithAnOptionalMinus) {
    for (const char* yes : {"12", " -7 ", "$1f", "-$10", "\t\r\n0\x01", "$ABCDEFabcdef0123456789",
                            "00000000000000000000000000000001"})
        EXPECT_TRUE(IsNumber(yes)) << yes;
    for (const char* no : {"", "-", "$", "-$", "$-1", "+5", "1 2", "0x10", "1.5", "--5", "1,000",
                           "\xA0"
                           "5",
                           "5\xA0", "$g", "- 5", "12a", " "})
        EXPECT_FALSE(IsNumber(no)) << no;
    EXPECT_FALSE(IsNumber(std::string("5\0", 2) + "6"));
    EXPECT_TRUE(IsNumber(std::string("\0 5\0", 4)));
}

TEST(ParseNumber, ReadsWhatTheUserTyped) {
    EXPECT_EQ(ParseNumber(" \t42\r\n"), 42);
    EXPECT_EQ(ParseNumber("1,024"), 1024);
    EXPECT_EQ(ParseNumber(",,1,,2,"), 12);
    EXPECT_EQ(ParseNumber("$1,0"), 16);
    EXPECT_EQ(ParseNumber("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseNumber("2147483647"), INT32_MAX);
    EXPECT_EQ(ParseNumber("$7FFFFFFF"), INT32_MAX);
    EXPECT_EQ(ParseNumber("$80000000"), INT32_MIN);
    EXPECT_EQ(ParseNumber("$000000000000ff"), 255);  // leading zeros are not significant
    EXPECT_EQ(ParseNumber("0000000000000000099"), 99);
    EXPECT_EQ(ParseNumber("-0"), 0);
    EXPECT_EQ(ParseNumber("$0"), 0);
}

TEST(ParseNumber, TextThatIsNotANumberReadsAsZero) {
    for (const char* text : {"", "-", "$", "-$", "+5", "1 2", "0x10", "1.5", "abc", ",", ",-,",
                             "\xA0"
                             "7",
                             "7\xA0", "$ 1", "--1"})
        EXPECT_EQ(ParseNumber(text), 0) << text;
    std::string binary;
    for (int c = 0; c < 256; ++c) binary.push_back(char(c));
    EXPECT_EQ(ParseNumber(binary), 0);
    EXPECT_EQ(ParseNumber(std::string(1 << 20, 'x')), 0);
    EXPECT_EQ(ParseNumber(std::string(1 << 20, ' ')), 0);
    EXPECT_EQ(ParseNumber(std::string(1 << 20, ',')), 0);
}

TEST(ParseNumber, NumbersBeyond32BitsRaiseTheConversionError) {
    EXPECT_EQ(ConversionError(" 12345678901 "), "'12345678901' is not a valid integer value");
    EXPECT_EQ(ConversionError("-$10"), "'-$10' is not a valid integer value");
    EXPECT_EQ(ConversionError(" -$1,0"), "'-$10' is not a valid integer value");
    EXPECT_EQ(ConversionError("2147483648"), "'2147483648' is not a valid integer value");
    EXPECT_EQ(ConversionError("-2147483649"), "'-2147483649' is not a valid integer value");
    EXPECT_EQ(ConversionError("$1,0000,0000"), "'$100000000' is not a valid integer value");
    EXPECT_EQ(ConversionError("$00000000FFFFFFFF"), "");
    // A megabyte of digits fails the same way, and quickly.
    const std::string huge(1 << 20, '9');
    EXPECT_EQ(ConversionError(huge), "'" + huge + "' is not a valid integer value");
    // Inner blanks and 0xA0 stay in the quoted text; only outer codes <= 32 go.
    EXPECT_EQ(ConversionError("\x01-$5\x1F"), "'-$5' is not a valid integer value");
}

TEST(EraseAll, GivesTheResultsOfRescanningFromTheStart) {
    EXPECT_EQ(EraseAll("DDB B DB 12", "DB "), "12");  // each cut completes an earlier one
    std::mt19937 random(7);
    const std::string alphabet = "DB ab";
    auto text = [&](int maxLength) {
        std::string s(std::size_t(random() % unsigned(maxLength + 1)), ' ');
        for (char& c : s) c = alphabet[random() % alphabet.size()];
        return s;
    };
    for (int round = 0; round < 20000; ++round) {
        const std::string s = text(16);
        std::string find = text(3);
        if (find.empty()) find = "DB ";
        ASSERT_EQ(EraseAll(s, find), NaiveEraseAll(s, find))
            << "s=" << ::testing::PrintToString(s) << " find=" << ::testing::PrintToString(find);
    }
}

TEST(ParseWholeNumber, AcceptsOnlyANumberWithNothingAroundIt) {
    EXPECT_EQ(ParseWholeNumber("$7f"), 127);
    EXPECT_EQ(ParseWholeNumber("255"), 255);
    for (const char* text : {" 12", "1,2", "$", "1 2", "x", ""}) {
        try {
            ParseWholeNumber(text);
            ADD_FAILURE() << text;
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()),
                      std::string("'") + text + "' is not a valid integer value");
        }
    }
}

TEST(HexDigits, EncodeAndDecodeEveryByte) {
    for (int v = 0; v < 256; ++v) {
        const std::string hex = HexByte(v);
        ASSERT_EQ(HexDigitValue(hex[0]) * 16 + HexDigitValue(hex[1]), v) << hex;
        ASSERT_EQ(ParseNumber("$" + hex), v);
    }
    for (int c = 0; c < 256; ++c) {
        const bool digit = std::isxdigit(c) != 0;
        EXPECT_EQ(HexDigitValue(char(c)) >= 0, digit) << c;
    }
}
