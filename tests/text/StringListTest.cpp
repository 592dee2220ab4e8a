#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>

#include "support/TempTree.h"
#include "text/LocaleCompare.h"
#include "text/StringList.h"

using namespace std::string_literals;

namespace {

using Entries = std::vector<std::pair<std::string, std::int64_t>>;

Entries Contents(const TStringList& list)
{
    Entries e;
    for (int i = 0; i < list.Count(); ++i) e.emplace_back(list[i], list.Objects(i));
    return e;
}

std::vector<std::string> Strings(const TStringList& list)
{
    std::vector<std::string> s;
    for (int i = 0; i < list.Count(); ++i) s.push_back(list[i]);
    return s;
}

// The plain definition: each add searched for and inserted on its own.
class TReferenceList {
public:
    explicit TReferenceList(TDuplicates d) : FDup(d) {}
    void Add(const std::string& s, std::int64_t object)
    {
        std::size_t i = 0;
        while (i < FItems.size() && AnsiCompareText(FItems[i].first, s) < 0) ++i;
        if (FDup == TDuplicates::dupIgnore && i < FItems.size() &&
            AnsiCompareText(FItems[i].first, s) == 0)
            return;
        FItems.insert(FItems.begin() + static_cast<std::ptrdiff_t>(i), {s, object});
    }
    void Delete(std::size_t i) { FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(i)); }
    const Entries& Items() const { return FItems; }

private:
    TDuplicates FDup;
    Entries FItems;
};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST(StringList, UnsortedKeepsTheOrderOfAddingAndInserting)
{
    TStringList list;
    list.Add("c", 3);
    list.Add("a", 1);
    list.Add("C", 4);
    list.Insert(0, "first", 10);
    list.Insert(99, "last", 11);   // clamped to the end
    list.Insert(-5, "front", 12);  // clamped to the start
    list.Insert(2, "mid", 13);
    EXPECT_EQ(Contents(list), (Entries{{"front", 12},
                                       {"first", 10},
                                       {"mid", 13},
                                       {"c", 3},
                                       {"a", 1},
                                       {"C", 4},
                                       {"last", 11}}));
    list.Delete(2);
    list.Delete(list.Count() - 1);
    EXPECT_EQ(Strings(list), (std::vector<std::string>{"front", "first", "c", "a", "C"}));
    // Unsorted: IndexOf takes the bytes as they are, Find the locale comparison.
    EXPECT_EQ(list.IndexOf("C"), 4);
    EXPECT_EQ(list.IndexOf("A"), -1);
    int index = -1;
    EXPECT_TRUE(list.Find("A", index));
    EXPECT_EQ(index, 3);
    EXPECT_FALSE(list.Find("zz", index));
    EXPECT_EQ(index, list.Count());
}

TEST(StringList, AcceptedEqualStringsGoBeforeTheFirstEqualOne)
{
    TStringList list(true, TDuplicates::dupAccept);
    list.Add("b", 1);
    list.Add("readme.txt", 2);
    list.Add("a", 3);
    list.Add("README.TXT", 4);
    list.Add("ReadMe.txt", 5);
    EXPECT_EQ(
        Contents(list),
        (Entries{{"a", 3}, {"b", 1}, {"ReadMe.txt", 5}, {"README.TXT", 4}, {"readme.txt", 2}}));
    list.Add("readme.TXT", 6);  // after a read: goes before the three already merged
    EXPECT_EQ(list[2], "readme.TXT");
    EXPECT_EQ(list.Objects(2), 6);
}

TEST(StringList, IgnoredEqualStringsKeepTheOldestOne)
{
    TStringList list(true, TDuplicates::dupIgnore);
    list.Add("*.txt", 1);
    list.Add("*.TXT", 2);
    list.Add("*.doc", 3);
    EXPECT_EQ(list.Count(), 2);
    list.Add("*.Txt", 4);
    list.Add("*.DOC", 5);
    list.Add("*.bmp", 6);
    list.Add("*.BMP", 7);
    EXPECT_EQ(Contents(list), (Entries{{"*.bmp", 6}, {"*.doc", 3}, {"*.txt", 1}}));
}

TEST(StringList, BufferedAddsGiveExactlyTheOrderOfOneByOneInsertion)
{
    for (TDuplicates dup : {TDuplicates::dupAccept, TDuplicates::dupIgnore}) {
        std::mt19937 rng(dup == TDuplicates::dupAccept ? 5 : 6);
        const std::vector<std::string> pool = {"  12 a", "  12 A", "  12 b",   " 123 a",   "   9 z",
                                               "x",      "X",      "\xC3\xA9", "\xC3\x89", "e",
                                               "\xFF",   "",       " "};
        TStringList list(true, dup);
        TReferenceList reference(dup);
        for (int step = 0; step < 3000; ++step) {
            const unsigned action = rng() % 100;
            if (action < 80) {
                const std::string& s = pool[rng() % pool.size()];
                list.Add(s, step);
                reference.Add(s, step);
            } else if (action < 90 && !reference.Items().empty()) {
                // The comparison's pattern: read the last entry, then delete it.
                const std::size_t last = reference.Items().size() - 1;
                ASSERT_EQ(list[static_cast<int>(last)], reference.Items()[last].first);
                list.Delete(static_cast<int>(last));
                reference.Delete(last);
            } else if (action < 93 && !reference.Items().empty()) {
                const std::size_t i = rng() % reference.Items().size();
                list.Delete(static_cast<int>(i));
                reference.Delete(i);
            } else if (action < 96) {
                ASSERT_EQ(Contents(list), reference.Items()) << "step " << step;
            }
        }
        EXPECT_EQ(Contents(list), reference.Items());
    }
}

TEST(StringList, FindOnSortedListsGivesTheFirstEqualOrTheInsertionPoint)
{
    TStringList list(true);
    for (const char* s :
         {"    1234 b.txt", "    1234 a.txt", "   12345 a.txt", "     999 z.txt", "    1234 A.TXT"})
        list.Add(s);
    int index = -1;
    EXPECT_TRUE(list.Find("    1234 A.txt", index));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(list[index], "    1234 A.TXT");  // the newer of the two equal ones
    EXPECT_FALSE(list.Find("    1234 c.txt", index));
    EXPECT_EQ(index, 4);
    EXPECT_FALSE(list.Find("       1 a", index));
    EXPECT_EQ(index, 0);
    EXPECT_FALSE(list.Find("999999999", index));
    EXPECT_EQ(index, list.Count());
    EXPECT_EQ(list.IndexOf("   12345 A.TXT"), 4);
    EXPECT_EQ(list.IndexOf("   12345 \xC3\xA1.txt"), -1);
}

TEST(StringList, DrainingFromTheEndKeepsObjects)
{
    TStringList catalogue(true);
    const int n = 20000;
    for (int i = 0; i < n; ++i) {
        char entry[40];
        std::snprintf(entry, sizeof entry, "%9d f%d", (i * 7919) % 1000, i % 3);
        catalogue.Add(entry, i);
    }
    ASSERT_EQ(catalogue.Count(), n);
    std::string previous = "\xFF\xFF";
    int seen = 0;
    while (catalogue.Count() > 0) {
        const int last = catalogue.Count() - 1;
        const std::string entry = catalogue[last];
        const std::int64_t object = catalogue.Objects(last);
        char expected[40];
        std::snprintf(expected, sizeof expected, "%9d f%d",
                      static_cast<int>((object * 7919) % 1000), static_cast<int>(object % 3));
        ASSERT_EQ(entry, expected);
        ASSERT_LE(AnsiCompareText(entry, previous), 0);
        previous = entry;
        catalogue.Delete(last);
        ++seen;
    }
    EXPECT_EQ(seen, n);
}

TEST(StringList, OutOfRangeIndexesHaveAQuietOutcome)
{
    TStringList list(true);
    list.Add("a", 7);
    EXPECT_EQ(list[1], "");
    EXPECT_EQ(list[-1], "");
    EXPECT_EQ(list.Objects(5), 0);
    list.SetObject(5, 1);
    list.Delete(1);
    list.Delete(-1);
    EXPECT_EQ(Contents(list), (Entries{{"a", 7}}));
    list.SetObject(0, 9);
    EXPECT_EQ(list.Objects(0), 9);
}

TEST(StringList, CopiesAreIndependentAndStaySorted)
{
    TStringList list(true, TDuplicates::dupIgnore);
    list.Add("b", 1);
    list.Add("a", 2);
    TStringList copy(list);
    copy.Add("A", 3);
    copy.Add("c", 4);
    list.Clear();
    EXPECT_EQ(Contents(copy), (Entries{{"a", 2}, {"b", 1}, {"c", 4}}));
    list = copy;
    EXPECT_EQ(Contents(list), Contents(copy));
}

TEST(StringList, CommaTextOfASortedListWithoutDuplicates)
{
    TStringList masks(true, TDuplicates::dupIgnore);
    masks.SetCommaText("*.txt  *.doc,*.TXT");
    EXPECT_EQ(masks.CommaText(), "*.doc,*.txt");
    masks.SetCommaText("\"my file*.txt\"");
    EXPECT_EQ(masks.Count(), 1);
    EXPECT_EQ(masks.CommaText(), "\"my file*.txt\"");
    masks.SetCommaText("");
    EXPECT_EQ(masks.Count(), 0);
    EXPECT_EQ(masks.CommaText(), "");
    masks.SetCommaText("\"\"");
    EXPECT_EQ(masks.CommaText(), "\"\"");
}

TEST(StringList, TextLinesEndAtCrLfOrTheirPair)
{
    TStringList list;
    list.SetText("a\r\nb\rc\nd");
    EXPECT_EQ(Strings(list), (std::vector<std::string>{"a", "b", "c", "d"}));
    list.SetText("a\n\rb\r\r\n\n");
    EXPECT_EQ(Strings(list), (std::vector<std::string>{"a", "", "b", "", ""}));
    list.SetText("");
    EXPECT_EQ(list.Count(), 0);
    list.SetText("\r\n");
    EXPECT_EQ(Strings(list), (std::vector<std::string>{""}));
    list.SetText("x\0y\n\xFF\xFE z\n"s);
    EXPECT_EQ(Strings(list), (std::vector<std::string>{"x\0y"s, "\xFF\xFE z"}));
    EXPECT_EQ(list.Text(), "x\0y\r\n\xFF\xFE z\r\n"s);
}

TEST(StringList, SortedListsLoadLinesUnderTheirRules)
{
    TStringList known(true, TDuplicates::dupIgnore);
    known.SetText("C:\\B.TXT\r\nc:\\a.txt\r\nc:\\b.txt\r\n");
    EXPECT_EQ(Strings(known), (std::vector<std::string>{"c:\\a.txt", "C:\\B.TXT"}));
}

TEST(StringList, SaveAndLoadFiles)
{
    TTempTree tree;
    const std::string path = tree.Path("Zarvex.lis");
    TStringList list;
    list.Add("\"Duplicate files .....\"");
    list.Add("\"C:\\Data\\r\xC3\xA9port.txt\",512");
    list.Add("nul\0inside"s);
    ASSERT_TRUE(list.SaveToFile(path));
    EXPECT_EQ(
        ReadFile(path),
        "\"Duplicate files .....\"\r\n\"C:\\Data\\r\xC3\xA9port.txt\",512\r\nnul\0inside\r\n"s);

    TStringList back;
    ASSERT_TRUE(back.LoadFromFile(path));
    EXPECT_EQ(Strings(back), Strings(list));

    // Replacing keeps the file's permissions; nothing is left beside it.
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    list.Clear();
    list.Add("short");
    ASSERT_TRUE(list.SaveToFile(path));
    EXPECT_EQ(ReadFile(path), "short\r\n");
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(access((path + ".XXXXXX").c_str(), F_OK), -1);
}

TEST(StringList, SavingThroughALinkReplacesItsTarget)
{
    TTempTree tree;
    const std::string target = tree.WriteFile("real.lis", "old\r\n");
    const std::string link = tree.Path("link.lis");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    TStringList list;
    list.Add("new");
    ASSERT_TRUE(list.SaveToFile(link));
    struct stat st {};
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadFile(target), "new\r\n");
}

TEST(StringList, FailedLoadsAndSavesChangeNothing)
{
    TTempTree tree;
    TStringList list;
    list.Add("kept");
    EXPECT_FALSE(list.LoadFromFile(tree.Path("missing.lis")));
    EXPECT_FALSE(list.LoadFromFile(tree.MakeDir("folder")));
    const std::string fifo = tree.Path("fifo.lis");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(list.LoadFromFile(fifo));  // returns at once instead of waiting for a writer
    EXPECT_EQ(Strings(list), (std::vector<std::string>{"kept"}));

    EXPECT_FALSE(list.SaveToFile(tree.Path("no/such/folder/x.lis")));
    EXPECT_FALSE(list.SaveToFile(tree.Path("folder")));
    EXPECT_TRUE(list.LoadFromFile(tree.WriteFile("empty.lis", "")));
    EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, SavingWhereNoFileCanBeAddedBesideOverwritesInPlace)
{
    TTempTree tree;
    TStringList list;
    list.Add("x");
    const std::string longest = tree.Path(std::string(255, 'n'));  // no room for a temporary name
    ASSERT_TRUE(list.SaveToFile(longest));
    EXPECT_EQ(ReadFile(longest), "x\r\n");
    if (geteuid() == 0)
        GTEST_SKIP() << "folder and file permissions do not bind root";
    const std::string folder = tree.MakeDir("locked");
    const std::string path = tree.WriteFile("locked/Zarvex.lis", "old\r\n");
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    EXPECT_TRUE(list.SaveToFile(path));
    EXPECT_EQ(ReadFile(path), "x\r\n");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    list.Add("y");
    EXPECT_FALSE(list.SaveToFile(path));
    EXPECT_EQ(ReadFile(path), "x\r\n");
    chmod(folder.c_str(), 0755);
}
