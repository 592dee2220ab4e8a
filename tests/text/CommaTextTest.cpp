#include <gtest/gtest.h>

#include <random>

#include "text/CommaText.h"

using Items = std::vector<std::string>;
using namespace std::string_literals;

TEST(CommaText, ReadingSplitsAtCommasAndBlanksAlike)
{
    EXPECT_EQ(ReadCommaText("a,b c"), (Items{"a", "b", "c"}));
    EXPECT_EQ(ReadCommaText("  a ,  b\t\r\nc  "), (Items{"a", "b", "c"}));
    EXPECT_EQ(ReadCommaText("*.txt *.doc"), (Items{"*.txt", "*.doc"}));
    // A quote inside an unquoted item is an ordinary character.
    EXPECT_EQ(ReadCommaText("a\"b,c"), (Items{"a\"b", "c"}));
    // Bytes above 127 (UTF-8 or not) never separate.
    EXPECT_EQ(ReadCommaText("\xC3\xA9t\xC3\xA9 \xA0x"), (Items{"\xC3\xA9t\xC3\xA9", "\xA0x"}));
}

TEST(CommaText, ReadingEmptyItems)
{
    EXPECT_EQ(ReadCommaText(""), Items{});
    EXPECT_EQ(ReadCommaText("   \t "), Items{});
    EXPECT_EQ(ReadCommaText(","), (Items{""}));
    EXPECT_EQ(ReadCommaText(",a"), (Items{"", "a"}));
    EXPECT_EQ(ReadCommaText("a,,b"), (Items{"a", "", "b"}));
    EXPECT_EQ(ReadCommaText("a, ,b"), (Items{"a", "", "b"}));
    EXPECT_EQ(ReadCommaText("a,"), (Items{"a"}));
    EXPECT_EQ(ReadCommaText("a,,"), (Items{"a", ""}));
    EXPECT_EQ(ReadCommaText("\"\""), (Items{""}));
    EXPECT_EQ(ReadCommaText("\"\",\"\""), (Items{"", ""}));
}

TEST(CommaText, ReadingQuotedItems)
{
    EXPECT_EQ(ReadCommaText("\"a b\""), (Items{"a b"}));
    EXPECT_EQ(ReadCommaText("\"a,b\",c"), (Items{"a,b", "c"}));
    EXPECT_EQ(ReadCommaText("\"say \"\"hi\"\"\""), (Items{"say \"hi\""}));
    EXPECT_EQ(ReadCommaText("\"\"\"\""), (Items{"\""}));
    // The closing quote ends the item; what follows starts the next one.
    EXPECT_EQ(ReadCommaText("\"ab\"cd,e"), (Items{"ab", "cd", "e"}));
    EXPECT_EQ(ReadCommaText("x\"a b\""), (Items{"x\"a", "b\""}));
}

TEST(CommaText, ReadingUnterminatedQuoteRunsToTheEnd)
{
    EXPECT_EQ(ReadCommaText("a,\"b c"), (Items{"a", "b c"}));
    EXPECT_EQ(ReadCommaText("\"b\"\"c"), (Items{"b\"c"}));
    EXPECT_EQ(ReadCommaText("\"b\"\""), (Items{"b\""}));
    EXPECT_EQ(ReadCommaText("\""), (Items{""}));
}

TEST(CommaText, ReadingNulIsABlankOutsideQuotesAndKeptInside)
{
    EXPECT_EQ(ReadCommaText("a\0b"s), (Items{"a", "b"}));
    EXPECT_EQ(ReadCommaText("\"a\0b\""s), (Items{"a\0b"s}));
}

TEST(CommaText, WritingRules)
{
    EXPECT_EQ(WriteCommaText({}), "");
    EXPECT_EQ(WriteCommaText({""}), "\"\"");
    EXPECT_EQ(WriteCommaText({"*.doc", "*.txt"}), "*.doc,*.txt");
    EXPECT_EQ(WriteCommaText({"a b"}), "\"a b\"");
    EXPECT_EQ(WriteCommaText({"a,b"}), "\"a,b\"");
    EXPECT_EQ(WriteCommaText({"say \"hi\""}), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(WriteCommaText({"tab\there"}), "\"tab\there\"");
    EXPECT_EQ(WriteCommaText({"a\0b"s}), "\"a\0b\""s);
    EXPECT_EQ(WriteCommaText({"\xC3\xA9", "\x7F"}), "\xC3\xA9,\x7F");
    // Empty items other than a lone one are written as nothing.
    EXPECT_EQ(WriteCommaText({"", "a"}), ",a");
    EXPECT_EQ(WriteCommaText({"512", "   A", "", ""}), "512,\"   A\",,");
}

TEST(CommaText, ALongerListLosesItsLastItemWhenThatIsEmpty)
{
    EXPECT_EQ(ReadCommaText(WriteCommaText({"512", "   A", "", ""})), (Items{"512", "   A", ""}));
    EXPECT_EQ(ReadCommaText(WriteCommaText({"a", ""})), (Items{"a"}));
}

TEST(CommaText, RoundTripOfArbitraryBytes)
{
    std::mt19937 rng(7);
    const std::string alphabet = "ab ,\"\t\0\x01\xC3\xA9\xFF"s;
    for (int round = 0; round < 2000; ++round) {
        Items items(rng() % 5 + 1);
        for (std::string& item : items) {
            const std::size_t len = rng() % 6;
            for (std::size_t i = 0; i < len; ++i) item += alphabet[rng() % alphabet.size()];
        }
        if (items.size() > 1 && items.back().empty())
            items.back() = "z";  // written as nothing by design
        ASSERT_EQ(ReadCommaText(WriteCommaText(items)), items) << WriteCommaText(items);
    }
}

TEST(CommaText, LongTextsAreHandledInLinearTime)
{
    const std::string big(4'000'000, 'x');
    EXPECT_EQ(ReadCommaText("\"" + big), (Items{big}));
    std::string many;
    for (int i = 0; i < 200'000; ++i) many += "\"a\"\"\",";
    const Items read = ReadCommaText(many);
    ASSERT_EQ(read.size(), 200'000u);
    EXPECT_EQ(read.back(), "a\"");
    EXPECT_EQ(ReadCommaText(WriteCommaText(read)), read);
}
