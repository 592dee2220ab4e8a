#include <gtest/gtest.h>

#include "engine/Catalogue.h"
#include "engine/CatalogueList.h"
#include "text/LocaleCompare.h"
#include "text/StringList.h"

// The catalogue holds sizes as numbers and sorts without a key per entry; its order must still
// be the sorted string list's, entry for entry: where sizes tie, names differ only in case or
// accents, bytes are not UTF-8, sizes pass nine digits, or a text has no size field as written.
TEST(CatalogueListTest, OrdersAsTheSortedStringList)
{
    const char* names[] = {"a",     "A",  "\xc3\xa9", "\xc3\x89", "e", "b\xff",
                           "b\xfe", "10", " 9",       "a b",      ""};
    const long long sizes[] = {0, 7, 10, 99, 123456789, 999999999, 1000000000, 12345678901};
    const char* odd[] = {"       05 x", "000000001 x", "       12x",
                         "        7 ",  "7 x",         "  \t     7 a"};
    for (const char* locale : {"en_US", "da_DK", "fr_CA", "ja_JP", "C"}) {
        SetCollationLocale(locale);
        EXPECT_TRUE(NumberFieldsCollateAsNumbers()) << locale;  // sizes need no keys
        TCatalogueList catalogue;
        TStringList expected(true, TDuplicates::dupAccept);
        int object = 0;
        const auto add = [&](const std::string& text) {
            catalogue.Add(text, ++object);
            expected.Add(text, object);
            if (object == 60)  // a read between adds merges
                ASSERT_EQ(catalogue.Count(), expected.Count());
        };
        for (const char* name : names)
            for (const long long size : sizes) {
                add(TCatalogue::CatalogueKey(true, size, name) + name);
                add(TCatalogue::CatalogueKey(false, size, name) + name);
            }
        for (const char* text : odd) add(text);
        ASSERT_EQ(catalogue.Count(), expected.Count());
        for (int i = 0; i < expected.Count(); ++i) {
            EXPECT_EQ(catalogue[i], expected[i]) << locale << " at " << i;
            EXPECT_EQ(catalogue.Objects(i), expected.Objects(i)) << locale << " at " << i;
        }
    }
    SetCollationLocale("");
}
