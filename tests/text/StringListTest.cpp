#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <random>

#include "support/TempTree.h"
#include "text/LocaleCompare.h"
#include "text/StringList.h"

using namespace std::string_literals;

namespace {

using Entries = std::vector<std::pair<std::string, std::int64_t>>;

// "string:object|" for every item in order.
std::string Contents(const Entries& entries)
{
    std::string text;
    for (const auto& [s, object] : entries) text += s + ":" + std::to_string(object) + "|";
    return text;
}

std::string Contents(const TStringList& list)
{
    Entries e;
    for (int i = 0; i < list.Count(); ++i) e.emplace_back(list[i], list.Objects(i));
    return Contents(e);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

TEST(StringList, UnsortedKeepsTheOrderOfAddingAndInserting)
{
    TStringList list;
    list.Add("c", 3);
    list.Add("C", 4);
    list.Insert(99, "last", 11);   // clamped to the end
    list.Insert(-5, "front", 12);  // clamped to the start
    list.Delete(1);
    list.Delete(9);  // out of range: nothing happens, as for reads
    EXPECT_EQ(Contents(list) + list[9], "front:12|C:4|last:11|");
    // Unsorted: IndexOf takes the bytes as they are, Find the locale comparison.
    int index = -1;
    EXPECT_TRUE(list.IndexOf("LAST") == -1 && list.Find("LAST", index) && index == 2);
}

// Both sorted modes against a reference that searches and inserts every add on its own: equal
// strings (case folded, accents not) go before the first equal one, or are ignored.
TEST(StringList, BufferedAddsGiveExactlyTheOrderOfOneByOneInsertion)
{
    for (TDuplicates dup : {TDuplicates::dupAccept, TDuplicates::dupIgnore}) {
        std::mt19937 rng(dup == TDuplicates::dupAccept ? 5 : 6);
        const std::vector<std::string> pool = {"  12 a",   "  12 A", " 123 a", "   9 z",
                                               "x",        "X",      "e",      "\xC3\xA9",
                                               "\xC3\x89", "\xFF",   "",       " "};
        TStringList list(true, dup);
        Entries reference;
        int pumps = 0;
        for (int step = 0; step < 20000; ++step) {
            // The first adds come in one batch, as a catalogue is filled, and are merged in
            // steps (more than one sort chunk) into a few older entries.
            if (step == 20)
                list.Count();
            if (step == 17000)
                list.Prepare([&] { ++pumps; });
            const unsigned action = step < 17000 ? 0 : rng() % 100;
            if (action < 80) {
                char entry[40];
                std::snprintf(entry, sizeof entry, "%9u f%u", unsigned(rng() % 500),
                              unsigned(rng() % 3));
                const std::string s = rng() % 2 ? pool[rng() % pool.size()] : entry;
                list.Add(s, step);
                const auto at = std::lower_bound(reference.begin(), reference.end(), s,
                                                 [](const auto& e, const std::string& v) {
                                                     return AnsiCompareText(e.first, v) < 0;
                                                 });
                if (dup == TDuplicates::dupAccept || at == reference.end() ||
                    AnsiCompareText(at->first, s) != 0)
                    reference.insert(at, {s, step});
            } else if (action < 92 && !reference.empty()) {
                // The comparison's pattern: read the last entry, then delete it.
                ASSERT_EQ(list[static_cast<int>(reference.size() - 1)], reference.back().first);
                list.Delete(static_cast<int>(reference.size() - 1));
                reference.pop_back();
            } else if (action < 94) {
                ASSERT_EQ(Contents(list), Contents(reference)) << "step " << step;
            }
        }
        EXPECT_EQ(Contents(list), Contents(reference));
        EXPECT_GE(pumps, 4);
    }
}

TEST(StringList, FindOnSortedListsGivesTheFirstEqualOrTheInsertionPoint)
{
    TStringList list(true);
    for (const char* s : {"    1234 b.txt", "    1234 a.txt", "   12345 a.txt", "    1234 A.TXT"})
        list.Add(s);
    int index = -1;
    // The newer of two equal strings comes first.
    EXPECT_TRUE(list.Find("    1234 A.txt", index) && list[index] == "    1234 A.TXT");
    EXPECT_TRUE(!list.Find("    1234 c.txt", index) && index == 3);
    EXPECT_TRUE(!list.Find("999999999", index) && index == list.Count());
    EXPECT_EQ(list.IndexOf("   12345 A.TXT"), 3);
    EXPECT_EQ(list.IndexOf("   12345 \xC3\xA1.txt"), -1);
    TStringList copy(list);  // with keys of its own
    list.Clear();
    EXPECT_TRUE(copy.Find("    1234 A.txt", index) && copy[index] == "    1234 A.TXT");
}

TEST(StringList, TextLines)
{
    // A CR, an LF or the pair ends a line; bytes are kept as they are.
    TStringList list;
    list.SetText("a\r\nb\rc\nd");
    EXPECT_EQ(list.Text(), "a\r\nb\r\nc\r\nd\r\n");
    list.SetText("a\n\rb\r\r\n\n");
    EXPECT_EQ(list.Text(), "a\r\n\r\nb\r\n\r\n\r\n");
    list.SetText("x\0y\n\xFF\xFE z\n"s);
    EXPECT_EQ(list.Text(), "x\0y\r\n\xFF\xFE z\r\n"s);
}

// Saving replaces the file whole, keeping its mode; a failed load leaves the list as it was.
TEST(StringList, SaveReplacesTheFileWholeAndLoadReadsItBack)
{
    TTempTree tree;
    const std::string path = tree.Path("Zarvex.lis");
    TStringList list, back;
    list.SetText("\"C:\\Data\\r\xC3\xA9port.txt\",512\r\nnul\0inside"s);
    ASSERT_TRUE(list.SaveToFile(path));
    EXPECT_EQ(ReadFile(path), "\"C:\\Data\\r\xC3\xA9port.txt\",512\r\nnul\0inside\r\n"s);
    ASSERT_TRUE(back.LoadFromFile(path));
    EXPECT_EQ(back.Text(), list.Text());

    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    list.SetText("short");
    ASSERT_TRUE(list.SaveToFile(path));
    struct stat st {};
    EXPECT_TRUE(stat(path.c_str(), &st) == 0 && (st.st_mode & 0777) == 0640);
    // A name so long that no temporary name fits beside it is written in place.
    const std::string longest = tree.Path(std::string(255, 'n'));
    ASSERT_TRUE(list.SaveToFile(longest));
    EXPECT_EQ(ReadFile(longest), "short\r\n");

    ASSERT_EQ(mkfifo(tree.Path("fifo.lis").c_str(), 0600), 0);  // must not wait for a writer
    for (const std::string& bad :
         {tree.Path("missing.lis"), tree.MakeDir("folder"), tree.Path("fifo.lis")})
        EXPECT_FALSE(list.LoadFromFile(bad)) << bad;
    EXPECT_EQ(list.Text(), "short\r\n");
}
