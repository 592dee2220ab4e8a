#include <gtest/gtest.h>

#include <random>

#include "text/CommaText.h"

using Items = std::vector<std::string>;
using namespace std::string_literals;

TEST(CommaText, ReadingAndWriting)
{
    const struct {
        std::string text;
        Items items;     // what the text reads as
        bool canonical;  // the items are written as this text
    } cases[] = {
        {"", {}, true},
        {"  a ,  b\t\r\nc  ", {"a", "b", "c"}, false},  // blanks separate as commas do
        // Bytes above 127 never separate, nor need quoting.
        {"\xC3\xA9t\xC3\xA9 \xA0x", {"\xC3\xA9t\xC3\xA9", "\xA0x"}, false},
        // Empty items: a leading comma or two in a row give one, a trailing comma none.
        {",a", {"", "a"}, true},
        {"a,,b", {"a", "", "b"}, true},
        {"a,", {"a"}, false},
        // Quoted items, the closing quote ending the item; a quote inside an unquoted item is
        // ordinary.
        {"\"a b\"", {"a b"}, true},
        {"\"a,b\",c", {"a,b", "c"}, true},
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}, true},
        {"\"ab\"cd,e", {"ab", "cd", "e"}, false},
        {"x\"a b\"", {"x\"a", "b\""}, false},
        // An unterminated quote runs to the end.
        {"a,\"b c", {"a", "b c"}, false},
        // NUL is a blank outside quotes and kept inside.
        {"a\0b"s, {"a", "b"}, false},
        {"\"a\0b\""s, {"a\0b"s}, true},
        // A longer list loses its last item when that is empty (written as nothing).
        {"512,\"   A\",,", {"512", "   A", ""}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        EXPECT_EQ(ReadCommaText(c.text), c.items);
        if (c.canonical) {
            EXPECT_EQ(WriteCommaText(c.items), c.text);
        }
    }
    EXPECT_EQ(WriteCommaText({"512", "   A", "", ""}), "512,\"   A\",,");
}

TEST(CommaText, ArbitraryBytesRoundTripAndLongTextsReadInLinearTime)
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

    // Long texts, in linear time.
    const std::string big(4'000'000, 'x');
    EXPECT_EQ(ReadCommaText("\"" + big), (Items{big}));
    std::string many;
    for (int i = 0; i < 200'000; ++i) many += "\"a\"\"\",";
    const Items read = ReadCommaText(many);
    ASSERT_EQ(read.size(), 200'000u);
    EXPECT_EQ(read.back(), "a\"");
    EXPECT_EQ(ReadCommaText(WriteCommaText(read)), read);
}
