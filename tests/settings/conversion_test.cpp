// Number texts: what parses, what is refused with which message, how numbers show.
#include <gtest/gtest.h>

#include "settings/conversion.h"

namespace pagerprog {
namespace {

TEST(ParseInteger, AcceptsDecimalTexts) {
    EXPECT_EQ(parseInteger("0000123"), 123);
    EXPECT_EQ(parseInteger(" 42"), 42);
    EXPECT_EQ(parseInteger("-7"), -7);
    EXPECT_EQ(parseInteger("2147483647"), 2147483647);
}

TEST(ParseInteger, RefusesWithTheIntegerMessage) {
    for (const char* text : {"", " ", "12a", "1.5", "+", "99999999999", "2147483648"}) {
        try {
            (void)parseInteger(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const ConversionError& error) {
            EXPECT_EQ(std::string(error.what()), std::string("'") + text + "' is not a valid integer value");
        }
    }
}

// The texts the tool is written with (a point) read as the same numbers on a comma system.
TEST(WithDecimalSeparator, WritesThePointAsTheSystemSeparator) {
    for (const char* text : {"146.56250", "152.24000", "1.50", "0.77", "163"}) {
        EXPECT_EQ(withDecimalSeparator(text, '.'), text);
        EXPECT_DOUBLE_EQ(parseReal(withDecimalSeparator(text, ','), ','), parseReal(text, '.')) << text;
    }
}

TEST(ParseReal, FollowsTheSystemSeparator) {
    EXPECT_DOUBLE_EQ(parseReal("146.56250", '.'), 146.5625);
    EXPECT_DOUBLE_EQ(parseReal("146,56250", ','), 146.5625);
    EXPECT_DOUBLE_EQ(parseReal("150", '.'), 150.0);
    EXPECT_DOUBLE_EQ(parseReal("2.7E1", '.'), 27.0);
    EXPECT_FALSE(isReal("475.1", ',')) << "a comma system refuses a point";
    EXPECT_TRUE(isReal("475.1", '.'));
    for (const char* text : {"", "1.2.3", "abc", ".", "1e"}) {
        try {
            (void)parseReal(text, '.');
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const ConversionError& error) {
            EXPECT_EQ(std::string(error.what()), std::string("'") + text + "' is not a valid floating point value");
        }
    }
}

TEST(FormatReal, ShortestFormWithTheSystemSeparator) {
    EXPECT_EQ(formatReal(146.5625, '.'), "146.5625");
    EXPECT_EQ(formatReal(163.0, '.'), "163");
    EXPECT_EQ(formatReal(146.5625, ','), "146,5625");
    EXPECT_EQ(formatReal(32768.0 * 64 * 4 / 4 / 1e6, '.'), "2.097152");
    EXPECT_EQ(formatReal(32768.0 * 64 * 4 / 2 / 1e6, '.'), "4.194304");
    EXPECT_EQ(formatReal(2.7 * 142 / 256, '.'), "1.49765625");
    EXPECT_EQ(formatReal(0.0, '.'), "0");
    EXPECT_EQ(formatReal(1e-7, '.'), "0.0000001") << "no exponent";
}

}  // namespace
}  // namespace pagerprog
