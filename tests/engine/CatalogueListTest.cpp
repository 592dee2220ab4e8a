#include <gtest/gtest.h>

#include "engine/Catalogue.h"
#include "text/LocaleCompare.h"

// Sizes as numbers, keys only for ties: still the sorted string list's order, entry for entry.
TEST(CatalogueListTest, OrdersAsTheSortedStringList)
{
    const char* names[] = {"a", "A", "\xc3\xa9", "\xc3\x89", "e", "b\xff", "b\xfe", "10", " 9", ""};
    for (const char* locale : {"en_US", "da_DK", "fr_CA", "ja_JP", "C"}) {
        SetCollationLocale(locale);
        EXPECT_TRUE(NumberFieldsCollateAsNumbers()) << locale;  // sizes need no keys
        std::vector<std::string> texts;
        for (const char* name : names)
            for (const long long size : {0LL, 7LL, 10LL, 99LL, 1000LL, 999999999LL})
                texts.push_back(TCatalogue::CatalogueKey(true, size, name) + name);
        for (const bool mixed : {false, true}) {
            if (mixed)  // name mode, ten digits, fields not as written: keyed whole
                texts.insert(texts.end(), {"a\\a", "12345678901 a", "       05 x", "000000001 x",
                                           "       12x", "  \t     7 a"});
            TCatalogueList catalogue;
            TStringList expected(true, TDuplicates::dupAccept);
            for (std::size_t i = 0; i < texts.size(); ++i) {
                catalogue.Add(texts[i], static_cast<int>(i));
                expected.Add(texts[i], static_cast<int>(i));
                if (i == 30) {  // a read between adds merges
                    ASSERT_EQ(catalogue.Count(), expected.Count());
                }
            }
            ASSERT_EQ(catalogue.Count(), expected.Count());
            for (int i = 0; i < expected.Count(); ++i)
                EXPECT_TRUE(catalogue[i] == expected[i] &&
                            catalogue.Objects(i) == expected.Objects(i))
                    << locale << " at " << i << ": " << catalogue[i] << " / " << expected[i];
        }
    }
    SetCollationLocale("");
}
