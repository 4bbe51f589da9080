#include "collect/InstanceBuilder.h"
#include "collect/TextConversions.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace strata_col;

TEST(TextConversions, HexTextReadsLikeAStream) {
    EXPECT_EQ(0u, HexTextToNumber(""));
    EXPECT_EQ(0u, HexTextToNumber("zz"));
    EXPECT_EQ(200u, HexTextToNumber("00c8"));
    EXPECT_EQ(10u, HexTextToNumber("0a"));
    EXPECT_EQ(0xABu, HexTextToNumber("  abXYZ"));  // blanks skipped, stops at a non-digit
    EXPECT_EQ(0x0123456789abcdefull, HexTextToNumber("0123456789abcdef"));
}

// The fast reader must agree with a standard stream on every odd input.
TEST(TextConversions, HexTextAgreesWithAStreamOnOddInputs) {
    for (const char* text : {"ffffffffffffffff", "10000000000000000", "0x1f", "0XAF", "-1", "+5", "-",
                             "0x", "0xg", " \t\n7f", "1 2", "g1", "00000000000000000001", "-0"}) {
        std::istringstream stream(text);
        std::uint64_t expected = 0;
        stream >> std::hex >> expected;
        if (stream.fail()) expected = 0;
        EXPECT_EQ(expected, HexTextToNumber(text)) << "text: '" << text << "'";
    }
}

TEST(TextConversions, DecimalTextToNumbers) {
    EXPECT_EQ(0u, DecimalTextToNumber(""));
    EXPECT_EQ(123u, DecimalTextToNumber(" 123abc"));
    EXPECT_EQ(-5, DecimalTextToInt("-5"));
    EXPECT_EQ("true", BoolText(true));
    EXPECT_EQ("false", BoolText(false));
}

TEST(SplitList, KeepsOnlyNonEmptyPieces) {
    EXPECT_TRUE(SplitList("", ',').empty());
    EXPECT_EQ(std::vector<std::string>({"abc"}), SplitList("abc", ','));
    EXPECT_EQ(std::vector<std::string>({"a", "b"}), SplitList("a,,b,", ','));
    EXPECT_EQ(std::vector<std::string>({" a ", " "}), SplitList(" a ,, ", ','));  // no trimming
    EXPECT_EQ(std::vector<std::string>({"Data (System)"}), SplitList("Data (System),", ','));
}
